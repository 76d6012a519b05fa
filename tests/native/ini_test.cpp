// The settings file and the number rule.
#include <gtest/gtest.h>

#include "fakes.h"
#include "settings/settings.h"

namespace larkspur::testing {
namespace {

TEST(ReadNumber, TakesTheLeadingDecimalNumberAndRoundsHalvesToEven) {
    struct Case {
        const wchar_t* text;
        int16_t value;
    } cases[] = {
        {L"", 0},
        {L"1", 1},
        {L"  7", 7},
        {L"\t-3", -3},
        {L"1.5", 2},
        {L"2.5", 2},
        {L"0.5", 0},
        {L"-2.5", -2},
        {L"3.5x", 4},
        {L".5", 0},
        {L"1.", 1},
        {L"+1", 1},
        {L"  +1.5e0x", 2},
        {L"25e-1", 2},
        {L"1e", 1},
        {L"1e+", 1},
        {L"1e2", 100},
        {L"0x10", 0},
        {L"abc", 0},
        {L"7 8", 7},
        {L"- 1", 0},
        {L".", 0},
        {L"1e309", 32767},
        {L"-1e309", -32768},
        {L"99999", 32767},
        {L"-32769", -32768},
        {L"32767.5", 32767},
        {L"-32768.5", -32768},
        {L"1e-400", 0},
        {L"inf", 0},
        {L"nan", 0},
        {L"１", 0},  // full-width digit
    };
    for (const Case& c : cases) {
        EXPECT_EQ(RoundToInt16(ReadNumber(c.text)), c.value) << c.text;
    }
}

TEST(Settings, ReadBesideTheProgramAndCutLongValues) {
    Machine m;
    EXPECT_EQ(Settings(m.profile, m.process).Path(), L"C:\\Tools\\Brisa.ini");
    m.process.programFolder = L"D:\\";
    EXPECT_EQ(Settings(m.profile, m.process).Path(), L"D:\\Brisa.ini");
    m.process.programFolder = L"C:\\Tools";
    const Settings settings(m.profile, m.process);

    EXPECT_EQ(settings.Text(Section::Silent, Key::Use), L"");  // no file
    EXPECT_TRUE(m.profile.files.empty());                      // and reading made none

    m.Setting(L"Silent", L"Location", std::wstring(300, L'x'));
    EXPECT_EQ(settings.Text(Section::Silent, Key::Location), std::wstring(254, L'x'));
    EXPECT_TRUE(settings.TooLong(Section::Silent, Key::Location));

    EXPECT_TRUE(settings.Write(Section::Setting, Key::Use, L"1"));
    EXPECT_EQ(settings.Number(Section::Setting, Key::Use), 1);
}

}  // namespace
}  // namespace larkspur::testing
