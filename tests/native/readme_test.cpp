// README.md against the sources: every settings key the program reads or
// writes is in the settings tables under its section, and every code of the
// ExitCode enum is in the exit-code table.
//
// The keys are found by following every call of ReadIni, ReadIniInt16,
// WriteIni and IniValueTooLong under src/ back to text. A section or key
// argument is a wide literal (or a choice of them), kAttributeKeys[...], a
// constant given a literal in its file, or a parameter of the lambda or
// member function around the call: then every call of that lambda (in its
// file) or function (anywhere) gives the argument, followed back the same
// way. Anything else fails the test, and so does settings access that goes
// around the four functions, so a new key cannot slip past.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <map>
#include <regex>
#include <set>
#include <sstream>
#include <string>
#include <vector>

namespace {

namespace fs = std::filesystem;
using Keys = std::set<std::string>;

std::string ReadFile(const fs::path& path) {
    std::ifstream in(path, std::ios::binary);
    std::ostringstream text;
    text << in.rdbuf();
    return text.str();
}

struct Source {
    std::string path;  // relative to the source tree
    std::string text;
};

std::vector<Source> ProgramSources() {
    std::vector<Source> sources;
    const fs::path root = LARKSPUR_SOURCE_DIR;
    for (const auto& entry : fs::recursive_directory_iterator(root / "src")) {
        const std::string ext = entry.path().extension().string();
        if (ext == ".cpp" || ext == ".h") {
            sources.push_back(
                {fs::relative(entry.path(), root).generic_string(), ReadFile(entry.path())});
        }
    }
    return sources;
}

std::string Trim(const std::string& text) {
    return std::regex_replace(text, std::regex(R"(^\s+|\s+$)"), "");
}

std::vector<std::string> Split(const std::string& list) {
    std::vector<std::string> parts;
    std::istringstream in(list);
    for (std::string part; std::getline(in, part, ',');) {
        parts.push_back(Trim(part));
    }
    return parts;
}

// The arguments of the call whose "(" is at open, split at top-level commas.
std::vector<std::string> Arguments(const std::string& text, size_t open) {
    std::vector<std::string> args(1);
    int depth = 0;
    for (size_t i = open + 1; i < text.size(); ++i) {
        const char c = text[i];
        if (c == '"') {  // a literal's commas and brackets do not count
            const size_t close = text.find('"', i + 1);
            args.back() += text.substr(i, close - i + 1);
            i = close;
            continue;
        }
        if ((c == ')' || c == ']') && depth == 0) {
            break;
        }
        depth += (c == '(' || c == '[' || c == '{') - (c == ')' || c == ']' || c == '}');
        if (c == ',' && depth == 0) {
            args.emplace_back();
        } else {
            args.back() += c;
        }
    }
    for (std::string& arg : args) {
        arg = Trim(arg);
    }
    return args;
}

class KeyScan {
  public:
    explicit KeyScan(std::vector<Source> sources) : sources_(std::move(sources)) {
        const std::regex list(R"(kAttributeKeys\s*=\s*\{([^}]*)\})");
        for (const Source& s : sources_) {
            std::smatch m;
            if (s.path == "src/settings/ini.h" && std::regex_search(s.text, m, list)) {
                attributeKeys_ = Literals(m[1]);
            }
        }
    }

    // Section -> keys, from every settings call outside the settings code.
    std::map<std::string, Keys> Run() {
        std::map<std::string, Keys> found;
        const std::regex call(R"(\b(ReadIni|ReadIniInt16|WriteIni|IniValueTooLong)\s*\()");
        for (const Source& s : sources_) {
            if (s.path.rfind("src/settings/ini.", 0) == 0) {
                continue;
            }
            for (std::sregex_iterator m(s.text.begin(), s.text.end(), call), end; m != end; ++m) {
                const size_t at = static_cast<size_t>(m->position(0));
                const std::vector<std::string> args = Arguments(s.text, at + m->length(0) - 1);
                if (args.size() < 3) {
                    errors.push_back(Where(s, at) + ": a settings call without section and key");
                    continue;
                }
                ++calls;
                const Keys sections = Resolve(s, at, args[1], 0);
                const Keys keys = Resolve(s, at, args[2], 0);
                for (const std::string& section : sections) {
                    for (const std::string& key : keys) {
                        found[section].insert(key);
                    }
                }
            }
            // Settings access around the four functions would not be seen.
            if (s.path != "src/platform/win32/win32_profile.cpp" &&
                std::regex_search(s.text,
                                  std::regex(R"(PrivateProfile|profile\.(Read|Write)\b)"))) {
                errors.push_back(s.path + ": reaches the settings file directly");
            }
        }
        return found;
    }

    std::vector<std::string> errors;
    int calls = 0;

  private:
    static Keys Literals(const std::string& text) {
        Keys keys;
        const std::regex literal(R"(L"([^"]*)\")");
        for (std::sregex_iterator m(text.begin(), text.end(), literal), end; m != end; ++m) {
            keys.insert((*m)[1]);
        }
        return keys;
    }

    static std::string Where(const Source& s, size_t at) {
        return s.path + ":" +
               std::to_string(std::count(s.text.begin(), s.text.begin() + at, '\n') + 1);
    }

    // The texts an argument at position at of source s can have.
    Keys Resolve(const Source& s, size_t at, const std::string& arg, int depth) {
        if (arg.find("L\"") != std::string::npos) {
            return Literals(arg);
        }
        if (arg.rfind("kAttributeKeys[", 0) == 0) {
            return attributeKeys_;
        }
        std::smatch m;
        if (depth < 4 && std::regex_match(arg, std::regex(R"(\w+)"))) {
            const std::regex constant("\\b" + arg + R"(\s*(\[\])?\s*=\s*(L"[^"]*"))");
            if (std::regex_search(s.text, m, constant)) {
                return Literals(m[2]);
            }
            // The nearest lambda or member function before the call that
            // declares a parameter of that name: its callers give the argument.
            const std::string before = s.text.substr(0, at);
            const std::regex owner(R"((auto\s+(\w+)\s*=\s*\[[^\]]*\]|\w+::(\w+))\s*\(([^()]*)\))");
            const std::regex declared("\\w[\\s*&]+" + arg + "$");
            std::string name;
            bool lambda = false;
            size_t index = 0;
            for (std::sregex_iterator o(before.begin(), before.end(), owner), end; o != end; ++o) {
                const std::vector<std::string> params = Split((*o)[4]);
                for (size_t i = 0; i < params.size(); ++i) {
                    if (std::regex_search(params[i], declared)) {
                        lambda = (*o)[2].matched;
                        name = lambda ? (*o)[2] : (*o)[3];
                        index = i;
                    }
                }
            }
            if (!name.empty()) {
                return FromCallers(s, name, lambda, index, depth);
            }
        }
        errors.push_back(Where(s, at) + ": cannot follow '" + arg + "' back to text");
        return {};
    }

    Keys FromCallers(const Source& home, const std::string& name, bool lambda, size_t index,
                     int depth) {
        Keys keys;
        const std::regex call("[^:\\w]" + name + R"(\s*\()");
        const std::regex declaration(R"((const\s+)?[\w:<>]+[\s*&]+\w+)");
        for (const Source& s : sources_) {
            if (lambda && &s != &home) {
                continue;  // a lambda is called in its own file
            }
            for (std::sregex_iterator m(s.text.begin(), s.text.end(), call), end; m != end; ++m) {
                const size_t open = static_cast<size_t>(m->position(0) + m->length(0)) - 1;
                const std::vector<std::string> args = Arguments(s.text, open);
                // A declaration names its parameters; only calls pass values.
                if (index < args.size() && !std::regex_match(args[index], declaration)) {
                    const Keys more = Resolve(s, open, args[index], depth + 1);
                    keys.insert(more.begin(), more.end());
                }
            }
        }
        return keys;
    }

    std::vector<Source> sources_;
    Keys attributeKeys_;
};

std::vector<std::string> Lines(const std::string& text) {
    std::vector<std::string> lines;
    std::istringstream in(text);
    for (std::string line; std::getline(in, line);) {
        lines.push_back(line);
    }
    return lines;
}

// The `code` words in the first column of the first table after line from.
Keys FirstColumn(const std::vector<std::string>& lines, size_t from) {
    Keys words;
    size_t i = from + 1;
    while (i < lines.size() && lines[i].rfind("|", 0) != 0) {
        ++i;
    }
    const std::regex code(R"(`([^`]+)`)");
    for (; i < lines.size() && lines[i].rfind("|", 0) == 0; ++i) {
        const std::string cell = lines[i].substr(1, lines[i].find('|', 1) - 1);
        for (std::sregex_iterator m(cell.begin(), cell.end(), code), end; m != end; ++m) {
            words.insert((*m)[1]);
        }
        words.insert(std::regex_replace(cell, std::regex(R"(\s)"), ""));
    }
    return words;
}

const std::vector<std::string>& Readme() {
    static const std::vector<std::string> lines =
        Lines(ReadFile(fs::path(LARKSPUR_SOURCE_DIR) / "README.md"));
    return lines;
}

TEST(Readme, NamesEverySettingsKeyUnderItsSection) {
    KeyScan scan(ProgramSources());
    const std::map<std::string, Keys> used = scan.Run();
    for (const std::string& error : scan.errors) {
        ADD_FAILURE() << error;
    }
    EXPECT_GE(scan.calls, 10) << "the settings calls were not found";
    ASSERT_EQ(used.size(), 2u) << "sections Silent and Setting";
    const std::vector<std::string>& lines = Readme();
    for (const auto& [section, keys] : used) {
        const std::string heading = "Section `[" + section + "]`";
        const auto at = std::find_if(lines.begin(), lines.end(), [&](const std::string& line) {
            return line.rfind(heading, 0) == 0;
        });
        ASSERT_NE(at, lines.end()) << "README.md has no paragraph starting " << heading;
        const Keys documented = FirstColumn(lines, static_cast<size_t>(at - lines.begin()));
        for (const std::string& key : keys) {
            EXPECT_TRUE(documented.count(key)) << "README.md lacks " << section << "/" << key;
        }
    }
}

TEST(Readme, NamesEveryExitCode) {
    const std::string state = ReadFile(fs::path(LARKSPUR_SOURCE_DIR) / "src/run/run_state.h");
    const std::regex enumerator(R"(\b(kExit\w+)\s*=\s*(\d+))");
    const std::vector<std::string>& lines = Readme();
    const auto table = std::find(lines.begin(), lines.end(), "## Exit codes");
    ASSERT_NE(table, lines.end());
    const Keys documented = FirstColumn(lines, static_cast<size_t>(table - lines.begin()));
    int codes = 0;
    for (std::sregex_iterator m(state.begin(), state.end(), enumerator), end; m != end; ++m) {
        ++codes;
        EXPECT_TRUE(documented.count((*m)[2])) << "README.md lacks exit code " << (*m)[1];
    }
    EXPECT_GE(codes, 6) << "enum ExitCode in src/run/run_state.h";
}

}  // namespace
