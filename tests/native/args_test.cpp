// Argument string and argument splitting.
#include <gtest/gtest.h>

#include "copy/sources.h"
#include "fakes.h"

namespace larkspur::testing {
namespace {

TEST(ArgumentString, IsTheCommandLineAfterTheProgramPathAndOneBlank) {
    struct Case {
        const wchar_t* commandLine;
        const wchar_t* arguments;
    } cases[] = {
        {L"\"C:\\Tools\\Brisa.exe\"", L""},
        {L"\"C:\\Tools\\Brisa.exe\" C:\\a.txt", L"C:\\a.txt"},
        {L"\"C:\\My Tools\\Brisa.exe\" \"C:\\a b.txt\" C:\\c", L"\"C:\\a b.txt\" C:\\c"},
        {L"C:\\Tools\\Brisa.exe C:\\a.txt", L"C:\\a.txt"},
        {L"Brisa.exe", L""},
        {L"\"C:\\Tools\\Brisa.exe\"  ", L" "},  // blanks only: still a run
        {L"\"C:\\Tools\\Brisa.exe\"C:\\a.txt", L"C:\\a.txt"},
        {L"\"C:\\unclosed", L""},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(ArgumentString(c.commandLine), c.arguments) << c.commandLine;
    }
}

class SplitArgsTest : public ::testing::Test {
  protected:
    Machine m;
    void SetUp() override {
        m.fs.File(L"C:\\a.txt");
        m.fs.File(L"C:\\x.txt");
        m.fs.Folder(L"D:\\data");
        m.fs.File(L"C:\\My Documents\\a b.txt");
        m.fs.File(L"C:\\two  spaces.txt");
        m.fs.File(L"C:\\trailing .txt ");
        m.fs.File(L"C:\\Work\\rel.txt");
    }
    void Split(const std::wstring& arguments) { items = SplitArgs(arguments, m.fs); }
    std::vector<std::wstring> Files() const { return items.files; }
    std::vector<std::wstring> Folders() const { return items.folders; }
    SentItems items;
};

TEST_F(SplitArgsTest, SortsFilesAndFolders) {
    Split(L"C:\\a.txt D:\\data");
    EXPECT_EQ(Files(), (std::vector<std::wstring>{L"C:\\a.txt"}));
    EXPECT_EQ(Folders(), (std::vector<std::wstring>{L"D:\\data"}));
}

TEST_F(SplitArgsTest, RejoinsAQuotedPath) {
    Split(L"\"C:\\My Documents\\a b.txt\" C:\\x.txt");
    EXPECT_EQ(Files(), (std::vector<std::wstring>{L"C:\\My Documents\\a b.txt", L"C:\\x.txt"}));
}

TEST_F(SplitArgsTest, QuotedPathsKeepRunsOfSpacesAndTrailingSpaces) {
    Split(L"\"C:\\two  spaces.txt\" \"C:\\trailing .txt \"");
    EXPECT_EQ(Files(), (std::vector<std::wstring>{L"C:\\two  spaces.txt", L"C:\\trailing .txt "}));
}

TEST_F(SplitArgsTest, KeepsTheOrderOfTheArgumentString) {
    Split(L"C:\\x.txt D:\\ C:\\a.txt D:\\data");
    EXPECT_EQ(Files(), (std::vector<std::wstring>{L"C:\\x.txt", L"C:\\a.txt"}));
    EXPECT_EQ(Folders(), (std::vector<std::wstring>{L"D:\\", L"D:\\data"}));  // a root is a folder
}

// Command lines the shell does not make: each gets a defined reading and
// nothing reads past the last piece.
TEST_F(SplitArgsTest, GivesInputOutsideTheShellsFormADefinedReading) {
    struct Case {
        const wchar_t* arguments;
        std::vector<std::wstring> files;
        std::vector<std::wstring> missing;
    } cases[] = {
        {L"\"C:\\a.txt\" C:\\x.txt", {L"C:\\a.txt", L"C:\\x.txt"}, {}},  // quotes, no space
        {L"C:\\a.txt  C:\\x.txt", {L"C:\\a.txt", L"C:\\x.txt"}, {}},     // doubled space
        {L" C:\\a.txt ", {L"C:\\a.txt"}, {}},
        {L"\"C:\\My Documents\\a b.txt", {L"C:\\My Documents\\a b.txt"}, {}},  // never closed
        {L"C:\\x.txt \"C:\\a.txt", {L"C:\\x.txt", L"C:\\a.txt"}, {}},  // never closed, one piece
        {L"C:\\x.txt \"", {L"C:\\x.txt"}, {}},
        {L"\"\" C:\\x.txt", {L"C:\\x.txt"}, {}},
        {L"rel.txt", {L"rel.txt"}, {}},  // relative: resolved against the current folder
        {L"C:\\nothing.txt C:\\a.txt \"C:\\no such\"",
         {L"C:\\a.txt"},
         {L"C:\\nothing.txt", L"C:\\no such"}},
    };
    for (const Case& c : cases) {
        SetUp();
        Split(c.arguments);
        EXPECT_EQ(Files(), c.files) << c.arguments;
        EXPECT_EQ(items.missing, c.missing) << c.arguments;
    }
}

}  // namespace
}  // namespace larkspur::testing
