// README.md against the program: every key of the settings-key table is in
// the README's table of its section, and every exit code in the exit-code
// table.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <iterator>
#include <set>
#include <sstream>
#include <string>
#include <vector>

#include "copy/verdict.h"
#include "settings/settings.h"

namespace larkspur::testing {
namespace {

std::vector<std::wstring> ReadmeLines() {
    std::ifstream in(std::filesystem::path(LARKSPUR_SOURCE_DIR) / "README.md");
    std::vector<std::wstring> lines;
    for (std::string line; std::getline(in, line);) {
        lines.emplace_back(line.begin(), line.end());  // the names checked are ASCII
    }
    return lines;
}

// The first cells of the first table after the line that starts with heading.
std::wstring FirstColumn(const std::vector<std::wstring>& lines, const std::wstring& heading) {
    size_t i = 0;
    while (i < lines.size() && lines[i].rfind(heading, 0) != 0) {
        ++i;
    }
    while (i < lines.size() && lines[i].rfind(L"|", 0) != 0) {
        ++i;
    }
    std::wstring cells;
    for (; i < lines.size() && lines[i].rfind(L"|", 0) == 0; ++i) {
        cells += lines[i].substr(0, lines[i].find(L'|', 1)) + L"|";
    }
    return cells;
}

TEST(Readme, NamesEverySettingsKeyUnderItsSectionAndEveryExitCode) {
    const std::vector<std::wstring> lines = ReadmeLines();
    for (const SettingsKey& entry : kSettingsKeys) {
        const std::wstring section = SectionName(entry.section);
        const std::wstring keys = FirstColumn(lines, L"Section `[" + section + L"]`");
        EXPECT_NE(keys.find(L"`" + std::wstring(KeyName(entry.key)) + L"`"), std::wstring::npos)
            << "README.md lacks " << std::string(section.begin(), section.end()) << "/"
            << static_cast<int>(entry.key);
    }
    const std::wstring codes = FirstColumn(lines, L"## Exit codes");
    for (const int code : {kExitSuccess, kExitCancelled, kExitAborted, kExitIncomplete,
                           kExitBadInput, kExitNoOutputFolder}) {
        EXPECT_NE(codes.find(L"| " + std::to_wstring(code) + L" |"), std::wstring::npos) << code;
    }
}

}  // namespace
}  // namespace larkspur::testing
