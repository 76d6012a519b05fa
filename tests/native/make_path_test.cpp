// Folder creation with the MakeSureDirectoryPathExists contract.
#include <gtest/gtest.h>

#include "fakes.h"
#include "paths/make_path.h"

namespace larkspur::testing {
namespace {

TEST(MakeSureDirectoryPathExists, CreatesEveryFolderUpToTheLastBackslash) {
    MemFs fs;
    fs.AddDrive(L'C');
    fs.Folder(L"C:\\Have");
    fs.File(L"C:\\Have\\file.txt");

    EXPECT_TRUE(MakeSureDirectoryPathExists(fs, L"C:\\Have\\one\\two\\three\\"));
    EXPECT_TRUE(fs.FolderExists(L"C:\\Have\\one\\two\\three"));

    EXPECT_TRUE(MakeSureDirectoryPathExists(fs, L"C:\\Have\\made\\not-this"));
    EXPECT_TRUE(fs.FolderExists(L"C:\\Have\\made"));
    EXPECT_EQ(fs.Attributes(L"C:\\Have\\made\\not-this"), kInvalidAttributes);

    EXPECT_TRUE(MakeSureDirectoryPathExists(fs, L"C:\\Have\\one\\"));  // all there already
    EXPECT_TRUE(MakeSureDirectoryPathExists(fs, L"C:\\"));
    EXPECT_TRUE(MakeSureDirectoryPathExists(fs, L"\\"));
    EXPECT_TRUE(MakeSureDirectoryPathExists(fs, L""));
    EXPECT_TRUE(MakeSureDirectoryPathExists(fs, L"C:\\Have\\\\double\\"));
    EXPECT_TRUE(fs.FolderExists(L"C:\\Have\\double"));

    EXPECT_FALSE(
        MakeSureDirectoryPathExists(fs, L"C:\\Have\\file.txt\\sub\\"));  // a file in the way
    EXPECT_FALSE(MakeSureDirectoryPathExists(fs, L"C:\\Have\\bad|name\\"));
    EXPECT_FALSE(MakeSureDirectoryPathExists(fs, L"Q:\\nodrive\\"));
}

TEST(MakeSureDirectoryPathExists, NeverTriesToCreateTheRootOfANetworkPath) {
    MemFs fs;  // no drives at all: any creation attempt fails
    EXPECT_TRUE(MakeSureDirectoryPathExists(fs, L"\\\\server\\share\\"));
    EXPECT_TRUE(MakeSureDirectoryPathExists(fs, L"\\\\?\\UNC\\server\\share\\"));
    EXPECT_FALSE(MakeSureDirectoryPathExists(fs, L"\\\\server\\share\\new\\"));
}

}  // namespace
}  // namespace larkspur::testing
