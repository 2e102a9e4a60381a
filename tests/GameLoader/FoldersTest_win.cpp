#include <windows.h>

#include <gtest/gtest.h>

#include "Common/Folders.h"

TEST(Folders, DirectoryOfPathTable)
{
    EXPECT_EQ(L"C:\\Games\\zelk", DirectoryOfPath(L"C:\\Games\\zelk\\zelk_main.exe"));
    EXPECT_EQ(L"zelk_main.exe", DirectoryOfPath(L"zelk_main.exe"));
    EXPECT_EQ(L"", DirectoryOfPath(L""));
}

TEST(Folders, ModuleDirIsThisProgramsFolder)
{
    wchar_t path[MAX_PATH] = {};
    GetModuleFileNameW(nullptr, path, MAX_PATH);
    std::wstring expected = path;
    expected.erase(expected.rfind(L'\\'));
    EXPECT_EQ(expected, GetModuleDir());
}

TEST(Folders, ShellFoldersExistWithoutTrailingSeparator)
{
    for (const std::wstring& folder : {GetDesktopPath(), GetProgramFilesX86Path(), GetLocalAppDataPath()}) {
        ASSERT_FALSE(folder.empty());
        EXPECT_NE(L'\\', folder.back());
        EXPECT_NE(INVALID_FILE_ATTRIBUTES, GetFileAttributesW(folder.c_str())) << folder.c_str();
    }
    EXPECT_NE(std::wstring::npos, GetLocalAppDataPath().find(L"AppData\\Local"));
}
