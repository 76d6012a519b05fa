// The version-information reader on the real VERSIONINFO of res/Brisa.rc
// (compiled to a .res at build time), and on copies of it with one word
// changed or the end cut off, which must give "" and read nothing outside
// the block.
#include <gtest/gtest.h>

#include <algorithm>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "platform/version_info.h"

namespace larkspur::testing {
namespace {

// The data of the RT_VERSION entry of the .res file: entries of DataSize,
// HeaderSize, then the type (0xFFFF and a number here), 32-bit aligned.
std::vector<uint8_t> VersionResource() {
    std::ifstream in(LARKSPUR_BRISA_RES, std::ios::binary);
    const std::vector<uint8_t> res((std::istreambuf_iterator<char>(in)), {});
    auto dword = [&](size_t at) {
        return uint32_t{res[at]} | res[at + 1] << 8 | res[at + 2] << 16 |
               uint32_t{res[at + 3]} << 24;
    };
    for (size_t at = 0; at + 12 <= res.size();) {
        const size_t data = dword(at), header = dword(at + 4);
        if (header < 16 || header + data > res.size() - at) {
            break;
        }
        if (dword(at + 8) == 0x0010FFFF) {
            return std::vector<uint8_t>(res.begin() + at + header,
                                        res.begin() + at + header + data);
        }
        at = (at + header + data + 3) & ~size_t{3};
    }
    return {};
}

TEST(VersionInfoString, ReadsTheProgramsBlockAndRejectsBrokenOnes) {
    const std::vector<uint8_t> real = VersionResource();
    ASSERT_FALSE(real.empty()) << LARKSPUR_BRISA_RES;
    struct {
        std::string key;  // the word changed lies this many bytes after the key's start:
        int at;           // -6 the node's length, -4 its value's length
        uint16_t word;
        size_t keep;  // bytes kept, 0: all
        const wchar_t* name;
        const wchar_t* expected;
    } rows[] = {
        {"", 0, 0, 0, L"ProductName", L"Larkspur Ver.1.52"},
        {"", 0, 0, 0, L"FileVersion", L"1.52.0237"},
        {"", 0, 0, 0, L"productNAME", L"Larkspur Ver.1.52"},
        {"", 0, 0, 0, L"Product", L""},
        {"", 0, 0, real.size() - 8, L"ProductName", L""},     // truncated
        {"VS_VERSION_INFO", 0, 'X', 0, L"ProductName", L""},  // not a version block
        {"ProductName", -6, 0x90, 0, L"ProductName", L""},    // past its table
        {"ProductName", -4, 19, 0, L"ProductName", L""},      // value past the node
        {"ProductName", -4, 5, 0, L"ProductName", L"Larks"},  // a value without its NUL
        {"Translation", -6, 30, 0, L"ProductName", L""},      // ends before its value
        {"VS_VERSION_INFO", -6, 2, 8, L"ProductName", L""},   // shorter than a header
        {"Translation", 0, 'X', 0, L"ProductName", L""},      // no translation
        {"Translation", -4, 2, 0, L"ProductName", L""},       // half an entry
        {"Translation", 26, 0x0409, 0, L"ProductName", L""},  // a table that is not there
    };
    for (const auto& row : rows) {
        std::vector<uint8_t> edited = real;
        if (!row.key.empty()) {
            std::string key16;
            for (char c : row.key) {
                key16 += {c, '\0'};
            }
            const auto key = std::search(edited.begin(), edited.end(), key16.begin(), key16.end());
            ASSERT_NE(key, edited.end()) << row.key;
            key[row.at] = static_cast<uint8_t>(row.word);
            key[row.at + 1] = static_cast<uint8_t>(row.word >> 8);
        }
        // A copy of the exact size, so that a read past it is a sanitizer finding.
        const std::vector<uint8_t> block(edited.begin(),
                                         edited.begin() + (row.keep ? row.keep : edited.size()));
        EXPECT_EQ(VersionInfoString(block, row.name), row.expected)
            << row.key << " " << row.at << " " << row.keep;
    }
}

}  // namespace
}  // namespace larkspur::testing
