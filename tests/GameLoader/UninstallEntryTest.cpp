#include "Settings/UninstallEntry.h"

#include <gtest/gtest.h>

TEST(UninstallEntry, GameDirFromDisplayIcon)
{
    const struct {
        const wchar_t* icon;
        const wchar_t* dir;
    } cases[] = {
        {L"C:/Games/zelk/zelk.ico", L"C:\\Games\\zelk\\"},
        {L"C:\\Games\\zelk\\zelk_main.exe", L"C:\\Games\\zelk\\"},
        {L"C:\\Games/zelk\\", L"C:\\Games\\zelk\\"},
        {L"zelk.ico", L"zelk.ico"},
        {L"", L""},
    };
    for (const auto& c : cases)
        EXPECT_EQ(c.dir, GameDirFromDisplayIcon(c.icon));
}
