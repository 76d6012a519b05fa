// Hostile settings files: Brisa.ini files no settings window wrote (binary
// garbage, 64 KiB lines, missing and repeated sections and keys, other
// encodings, absurd numbers), read through the real Win32 profile store as
// the program reads them (ReadIni for the text, ReadIniInt16 for the number),
// then whole runs of Brisa.exe on some of them.
//
// Wine 8's profile code, not the program, decides what a file says:
// - a file is UTF-16LE or UTF-8 only with its byte-order mark; anything else
//   is ANSI, decoded in the process's code page (GetACP, from the Unix
//   locale: 1252 under C or en_US, 932 under ja_JP);
// - '\n', '\r\n' and a lone '\r' end a line; a NUL is a character like any
//   other in the file, so it ends the value or key name that holds it for
//   every reader of C strings;
// - blanks around the key name, the value and inside a section's brackets
//   are trimmed; one pair of matching quotes around a value is taken off;
// - a line starting with '[' but without ']' is no section header;
// - the first section of a name (in any letter case) and its first key of a
//   name win: a repeated section adds nothing, not even keys the first lacks.
#include <gtest/gtest.h>

#include <cstdint>
#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

#include "app/machine.h"
#include "settings/settings.h"
#include "support.h"

namespace larkspur::wine_test {
namespace {

using namespace std::string_literals;

// Fixed pseudo-random bytes (xorshift), every byte value included.
std::string Garbage(size_t size, uint64_t seed) {
    std::string bytes(size, '\0');
    uint64_t x = 0x9E3779B97F4A7C15ull ^ seed;
    for (char& c : bytes) {
        x ^= x << 13;
        x ^= x >> 7;
        x ^= x << 17;
        c = static_cast<char>(x >> 56);
    }
    return bytes;
}

// A file in UTF-16LE, with or without the byte-order mark.
std::string Utf16(const std::wstring& text, bool bom) {
    std::string bytes = bom ? "\xFF\xFE" : "";
    for (const wchar_t c : text) {
        bytes += static_cast<char>(c & 0xFF);
        bytes += static_cast<char>(c >> 8);
    }
    return bytes;
}

// Bytes as the ANSI code page reads them.
std::wstring Ansi(const std::string& bytes) {
    const int n =
        MultiByteToWideChar(CP_ACP, 0, bytes.data(), static_cast<int>(bytes.size()), nullptr, 0);
    std::wstring text(static_cast<size_t>(n), L'\0');
    MultiByteToWideChar(CP_ACP, 0, bytes.data(), static_cast<int>(bytes.size()), text.data(), n);
    return text;
}

// "出力" and "ソフト" in Shift-JIS; the second byte of ソ is a backslash.
const std::string kSjisOutput = "\x8F\x6F\x97\xCD";
const std::string kSjisSoft = "\x83\x5C\x83\x74\x83\x67";

// Every key the program reads, in both sections.
const std::vector<std::pair<Section, Key>>& ProgramKeys() {
    static const std::vector<std::pair<Section, Key>> keys = [] {
        std::vector<std::pair<Section, Key>> all;
        for (const Section section : {Section::Silent, Section::Setting}) {
            for (const Key key : {Key::Use, Key::Location, Key::Force, Key::Attributes,
                                  Key::ReadOnly, Key::Hidden, Key::System, Key::Archive}) {
                all.emplace_back(section, key);
            }
        }
        return all;
    }();
    return keys;
}

struct Read {
    const wchar_t* section;
    const wchar_t* key;
    std::wstring text;  // ReadIni
    int number;         // ReadIniInt16
};

struct HostileFile {
    const char* name;
    std::string bytes;
    std::vector<Read> reads;  // every other key of the program reads empty, as 0
};

std::string Narrow(const std::wstring& text) {
    std::string out;
    for (const wchar_t c : text) {
        if (c >= 0x20 && c < 0x7F) {
            out += static_cast<char>(c);
        } else {
            char hex[12];
            snprintf(hex, sizeof hex, "\\u%04X", static_cast<unsigned>(c));
            out += hex;
        }
    }
    return out;
}

class SettingsFileTest : public ::testing::Test {
  protected:
    // Reads every key of the program from file, placed as the program's
    // Brisa.ini in a folder of its own (Wine caches profiles by name).
    void ExpectReads(const HostileFile& file) {
        SCOPED_TRACE(file.name);
        process.folder =
            ScratchDir(L"settings-" + std::wstring(file.name, file.name + strlen(file.name)));
        WriteText(process.folder + L"\\Brisa.ini", file.bytes);
        const Settings settings(p.profile, p.process);
        for (const auto& [sectionId, keyId] : ProgramKeys()) {
            const std::wstring section = SectionName(sectionId), key = KeyName(keyId);
            std::wstring text;
            int number = 0;
            for (const Read& read : file.reads) {
                if (std::wstring(read.section) == section && std::wstring(read.key) == key) {
                    text = read.text;
                    number = read.number;
                }
            }
            const std::wstring got = settings.Text(sectionId, keyId);
            EXPECT_EQ(Narrow(got), Narrow(text)) << Narrow(section) << "/" << Narrow(key);
            EXPECT_EQ(settings.Number(sectionId, keyId), number)
                << Narrow(section) << "/" << Narrow(key);
        }
    }

    ScratchProcess process;
    app::Win32Machine machine{process};
    Platform& p = machine.platform;
};

TEST_F(SettingsFileTest, GarbageAndOverlongLinesReadAsWhatTheirLinesSay) {
    const std::string garbage = Garbage(4096, 1);
    ASSERT_NE(garbage.find('\0'), std::string::npos);
    ASSERT_NE(garbage.find('\r'), std::string::npos);
    const std::string longValue(65536, 'x');
    const HostileFile files[] = {
        {"garbage", garbage, {}},
        {"garbage-around-settings",
         Garbage(1024, 2) + "\n[Silent]\r\n" + "Use=1\0\x01\x02junk\r\n"s +
             "Location=C:\\Out\rForce=1\r\n" + "Hid\0den=1\r\n"s +
             "System=\x01\x31\r\nArchive=1\r\n" + Garbage(1024, 3),
         {
             {L"Silent", L"Use", L"1", 1},             // the NUL ends the value
             {L"Silent", L"Location", L"C:\\Out", 0},  // a lone CR ends the line
             {L"Silent", L"Force", L"1", 1},
             {L"Silent", L"System", L"\x01\x31", 0},  // a control character, then 1
             {L"Silent", L"Hidden", L"", 0},          // a NUL inside the name: no such key
             {L"Silent", L"Archive", L"1", 1},
         }},
        {"64k-lines",
         "[Silent]\r\nLocation=C:\\" + longValue + "\r\n" + longValue + "=1\r\n" + longValue +
             "\r\nUse=1\r\n",
         {
             {L"Silent", L"Location", L"C:\\" + std::wstring(kMaxSettingLength - 3, L'x'), 0},
             {L"Silent", L"Use", L"1", 1},
         }},
        {"empty", "", {}},
        {"sections-missing-or-malformed",
         "Use=1\r\nForce=1\r\n[Silent\r\nUse=1\r\n[ Silent "
         "]\r\nArchive=1\r\n[Setting]\r\nUse=1\r\n",
         {
             {L"Silent", L"Archive", L"1", 1},  // "[ Silent ]" is the section
             {L"Setting", L"Use", L"1", 1},
         }},
        {"duplicates",
         "[Silent]\r\nUse=1\r\nLocation=C:\\First\r\nUse=2\r\nuse=3\r\n"
         "[Setting]\r\nUse=1\r\n"
         "[SILENT]\r\nUse=4\r\nForce=1\r\nLocation=C:\\Second\r\n"
         "[Setting]\r\nLocation=C:\\SettingSecond\r\n",
         {
             {L"Silent", L"Use", L"1", 1},
             {L"Silent", L"Location", L"C:\\First", 0},
             {L"Silent", L"Force", L"", 0},  // only in the repeated section
             {L"Setting", L"Use", L"1", 1},
             {L"Setting", L"Location", L"", 0},
         }},
    };
    for (const HostileFile& file : files) {
        ExpectReads(file);
    }
}

TEST_F(SettingsFileTest, EncodingsReadAsTheirMarkOrTheCodePageSays) {
    const std::wstring unicode =
        L"[Silent]\r\nUse=1\r\nLocation=C:\\出力\\Ünïcødé 😀\r\nForce= 2.5\r\n"
        L"[Setting]\r\nLocation=D:\\データ\r\n";
    const std::string sjisLocation = "C:\\" + kSjisOutput + "\\" + kSjisSoft;
    const HostileFile files[] = {
        {"utf16le-bom",
         Utf16(unicode, true),
         {
             {L"Silent", L"Use", L"1", 1},
             {L"Silent", L"Location", L"C:\\出力\\Ünïcødé 😀", 0},
             {L"Silent", L"Force", L"2.5", 2},
             {L"Setting", L"Location", L"D:\\データ", 0},
         }},
        {"utf16le-no-bom", Utf16(unicode, false), {}},
        {"utf8-bom",
         "\xEF\xBB\xBF[Silent]\r\nUse=1\r\nLocation=C:\\\xE5\x87\xBA\xE5\x8A\x9B\r\n",
         {
             {L"Silent", L"Use", L"1", 1},
             {L"Silent", L"Location", L"C:\\出力", 0},
         }},
        {"shift-jis",
         "[Silent]\r\nUse=1\r\nLocation=" + sjisLocation + "\r\n",
         {
             {L"Silent", L"Use", L"1", 1},
             {L"Silent", L"Location", Ansi(sjisLocation), 0},
         }},
    };
    for (const HostileFile& file : files) {
        ExpectReads(file);
    }
    // What the code page makes of the Shift-JIS bytes: Japanese only in code
    // page 932; in 1252 (Wine under a C or English locale) other characters,
    // and ソ's second byte a backslash of its own: one more path level.
    if (GetACP() == 932) {
        EXPECT_EQ(Ansi(sjisLocation), L"C:\\出力\\ソフト");
    } else if (GetACP() == 1252) {
        EXPECT_EQ(Ansi(sjisLocation), L"C:\\\x8Fo\x2014\xCD\\\x0192\\\x0192t\x0192g");
    }
    std::printf("code page %u\n", GetACP());
}

TEST_F(SettingsFileTest, NumbersFollowTheNumberRuleOnWhatTheFileGivesBack) {
    const HostileFile file = {
        "numbers",
        "[Silent]\r\nUse=1e309\r\nForce=-32769\r\nAttributes=99999\r\nReadOnly=  +1.5e0x\r\n"
        "Hidden=0x10\r\nSystem=" +
            std::string(kMaxSettingLength, '0') + "5\r\nArchive=-1.5\r\nLocation=C:\\" +
            std::string(297, 'y') +
            "\r\n[Setting]\r\nUse=\"1\"\r\nLocation='C:\\Quoted'\r\nForce=\"1\r\n",
        {
            {L"Silent", L"Use", L"1e309", 32767},
            {L"Silent", L"Force", L"-32769", -32768},
            {L"Silent", L"Attributes", L"99999", 32767},
            {L"Silent", L"ReadOnly", L"+1.5e0x", 2},  // the profile trims the blanks
            {L"Silent", L"Hidden", L"0x10", 0},
            {L"Silent", L"System", std::wstring(kMaxSettingLength, L'0'), 0},  // the 5 is cut off
            {L"Silent", L"Archive", L"-1.5", -2},
            {L"Silent", L"Location", L"C:\\" + std::wstring(kMaxSettingLength - 3, L'y'), 0},
            {L"Setting", L"Use", L"1", 1},  // quotes taken off
            {L"Setting", L"Location", L"C:\\Quoted", 0},
            {L"Setting", L"Force", L"\"1", 0},  // a lone quote stays
        }};
    ExpectReads(file);
}

// Whole runs: whatever the file, the run ends with a defined exit code and
// copies nothing it should not.
class HostileRunTest : public InstallTest {
  protected:
    void SetUp() override {
        InstallTest::SetUp();
        WriteText(docs + L"\\a.txt", "a");
    }
    // The scratch paths are ASCII.
    static std::string Ascii(const std::wstring& text) {
        std::string bytes(text.begin(), text.end());
        return bytes;
    }
};

TEST_F(HostileRunTest, GarbageIsAnInteractiveRunWhoseCancelEndsItWithOne) {
    const std::string garbage = Garbage(4096, 1);
    WriteText(install.ini, garbage);
    bool dialogSeen = false;
    const RunResult run = RunBrisa(install, docs + L"\\a.txt", [&](const SeenWindow& w) {
        if (w.className == L"LarkspurOutForm") {
            dialogSeen = true;
            Click(FindChild(w.hwnd, L"Button", L"Cancel(&C)"));
            return true;
        }
        return false;
    });
    EXPECT_FALSE(run.timedOut);
    EXPECT_TRUE(dialogSeen) << "Use reads as 0: an interactive run";
    EXPECT_EQ(run.exitCode, 1u);
    EXPECT_TRUE(run.messages.empty());
    EXPECT_FALSE(Exists(out));
    EXPECT_EQ(ReadText(install.ini), garbage) << "Cancel leaves the file alone";
}

TEST_F(HostileRunTest, UseOfAnOverflowingNumberDoesNothing) {
    WriteText(install.ini, "[Silent]\r\nUse=1e309\r\nLocation=" + Ascii(out) + "\r\nForce=1\r\n");
    const RunResult run = RunBrisa(install, docs + L"\\a.txt", [](const SeenWindow&) {
        ADD_FAILURE() << "no window at all";
        return false;
    });
    EXPECT_FALSE(run.timedOut);
    EXPECT_EQ(run.exitCode, 0u) << "Use reads as 32767: any other value";
    EXPECT_TRUE(run.messages.empty());
    EXPECT_FALSE(Exists(out)) << "not even Force Mode's folder";
}

TEST_F(HostileRunTest, AnOverlongLocationIsRefusedNotCut) {
    // Only 254 characters come back: a folder of that name is not the one
    // written, so Force Mode must not create it and nothing is copied.
    const std::string location = Ascii(out) + "\\" + std::string(65536, 'x');
    WriteText(install.ini, "[Silent]\r\nUse=1\r\nForce=1\r\nLocation=" + location + "\r\n");
    const RunResult run = RunBrisa(install, docs + L"\\a.txt");
    EXPECT_FALSE(run.timedOut);
    EXPECT_EQ(run.exitCode, 5u);
    ASSERT_EQ(run.messages.size(), 1u);
    EXPECT_EQ(run.messages[0].text, L"The output folder in " + install.ini +
                                        L" is longer than 254 characters, so nothing was copied.");
    EXPECT_FALSE(Exists(out)) << "no folder made from the cut name";
}

}  // namespace
}  // namespace larkspur::wine_test
