// The settings file through its Windows names and the uninstall lookups
// against the real registry of the prefix.
#include <windows.h>

#include <gtest/gtest.h>

#include "Common/Folders.h"
#include "Settings/LocalSettings.h"
#include "Settings/UninstallEntry.h"
#include "support/Process_win.h"
#include "support/StandIns_win.h"

TEST(LocalSettings, PathIsBelowThePlatformClientsFolder)
{
    const std::wstring path = GetSettingPath();
    EXPECT_EQ(GetLocalAppDataPath() + L"\\Korvane\\setting.xml", path);
    const DWORD attributes = GetFileAttributesW((GetLocalAppDataPath() + L"\\Korvane").c_str());
    EXPECT_NE(INVALID_FILE_ATTRIBUTES, attributes);
    EXPECT_TRUE(attributes & FILE_ATTRIBUTE_DIRECTORY);
}

TEST(LocalSettings, WideFolderNamesAndValuesRoundTrip)
{
    // A folder name outside the 1252 code page, and a value outside it too:
    // the file is opened by its wide name, and values come back as written.
    // (Wine can only make such a folder when the Linux locale's file-name
    // encoding holds the name; where it cannot, an ASCII folder is used.)
    std::wstring folder = MakeTempFolder(L"zelk_\u8bbe\u7f6e");
    if (!FileExists(folder))
        folder = MakeTempFolder(L"zelk_settings");
    const std::wstring path = folder + L"\\setting.xml";
    ASSERT_TRUE(SavePlatformWindowId(L"1234", path));
    ASSERT_TRUE(SaveLoginSource(L"\u73a9\u5bb6", path));
    EXPECT_EQ("<settings>\r\n    <kvwindowid>1234</kvwindowid>\r\n"
              "    <loginsource>\xe7\x8e\xa9\xe5\xae\xb6</loginsource>\r\n</settings>\r\n",
              ReadFileBytes(path));
    std::wstring windowId, loginSource;
    EXPECT_TRUE(LoadPlatformWindowId(path, windowId));
    EXPECT_EQ(L"1234", windowId);
    EXPECT_TRUE(LoadLoginSource(path, loginSource));
    EXPECT_EQ(L"\u73a9\u5bb6", loginSource);

    // Written by someone else in the ANSI code page: widened with it.
    WriteFileBytes(path, "<settings><loginsource>K\xd6\xd0V</loginsource></settings>");
    EXPECT_TRUE(LoadLoginSource(path, loginSource));
    EXPECT_EQ(GetACP() == 936 ? L"K\u4e2dV" : L"K\u00d6\u00d0V", loginSource);

    WriteFileBytes(path, "not xml");
    EXPECT_FALSE(SaveLoginSource(L"KV", path));
    EXPECT_EQ("not xml", ReadFileBytes(path));
}

namespace {

const wchar_t* const kTestGameCode = L"zelk_lookup_test";

class UninstallLookup : public ::testing::Test {
protected:
    void SetUp() override { Remove(); }
    void TearDown() override { Remove(); }
    static std::wstring KeyPath() { return std::wstring(kUninstallKeyPath) + L"\\" + kTestGameCode; }
    static void Remove() { RegDeleteKeyW(HKEY_CURRENT_USER, KeyPath().c_str()); }
    // Stores raw data: `units` UTF-16 units of `text`, with or without a zero.
    static void Store(const wchar_t* name, const std::wstring& text, bool withZero, DWORD type = REG_SZ)
    {
        HKEY key = nullptr;
        ASSERT_EQ(ERROR_SUCCESS, RegCreateKeyExW(HKEY_CURRENT_USER, KeyPath().c_str(), 0, nullptr, 0, KEY_WRITE,
                                                 nullptr, &key, nullptr));
        const DWORD bytes = static_cast<DWORD>((text.size() + (withZero ? 1 : 0)) * sizeof(wchar_t));
        EXPECT_EQ(ERROR_SUCCESS,
                  RegSetValueExW(key, name, 0, type, reinterpret_cast<const BYTE*>(text.c_str()), bytes));
        RegCloseKey(key);
    }
};

}  // namespace

TEST_F(UninstallLookup, MissingKeyGivesEmptyTexts)
{
    EXPECT_EQ(L"", GetGameDirFromUninstall(kTestGameCode));
    EXPECT_EQ(L"", GetBagFileParam(kTestGameCode));
}

TEST_F(UninstallLookup, ReadsTheFolderAndTheFileParam)
{
    Store(L"DisplayIcon", L"C:/Games/zelk/zelk.ico", true);
    Store(L"FileParam", L"bag=1&x=2", true);
    EXPECT_EQ(L"C:\\Games\\zelk\\", GetGameDirFromUninstall(kTestGameCode));
    EXPECT_EQ(L"bag=1&x=2", GetBagFileParam(kTestGameCode));
}

TEST_F(UninstallLookup, ValuesThatDoNotFitTwoHundredSixtyUnitsCountAsMissing)
{
    const struct {
        size_t length;
        bool withZero;
        DWORD type;
        bool found;
    } cases[] = {
        {259, true, REG_SZ, true},    // fills the buffer with its zero
        {260, true, REG_SZ, false},   // one unit too long
        {259, false, REG_SZ, true},   // stored without zero, room for one
        {260, false, REG_SZ, false},  // stored without zero, no room: never read past
        {600, true, REG_SZ, false},
        {10, true, REG_EXPAND_SZ, true},
        {2, false, REG_BINARY, false},  // not text
    };
    for (const auto& c : cases) {
        const std::wstring value(c.length, L'p');
        Store(L"FileParam", value, c.withZero, c.type);
        EXPECT_EQ(c.found ? value : L"", GetBagFileParam(kTestGameCode)) << c.length << " " << c.withZero;
    }
}
