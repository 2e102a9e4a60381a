// The uninstall entry and the desktop shortcut, read back through the
// Windows API.
#include <windows.h>
#include <objbase.h>
#include <shlobj.h>

#include <gtest/gtest.h>

#include "Common/Folders.h"
#include "common/win/ScopedHandles.h"
#include "GameLoader/InstallRegistration.h"
#include "Process/ProcessUtils.h"
#include "Settings/UninstallEntry.h"
#include "support/Process_win.h"
#include "support/StandIns_win.h"

namespace {

std::wstring EntryPath() { return std::wstring(kUninstallKeyPath) + L"\\zelk"; }

std::wstring ReadText(const wchar_t* name)
{
    wchar_t buffer[MAX_PATH] = {};
    DWORD size = sizeof buffer;
    if (RegGetValueW(HKEY_CURRENT_USER, EntryPath().c_str(), name, RRF_RT_REG_SZ, nullptr, buffer, &size) !=
        ERROR_SUCCESS)
        return L"<missing>";
    return buffer;
}

DWORD ValueCount()
{
    ScopedRegKey key;
    if (RegOpenKeyExW(HKEY_CURRENT_USER, EntryPath().c_str(), 0, KEY_READ, key.receive()) != ERROR_SUCCESS)
        return 0;
    DWORD values = 0;
    RegQueryInfoKeyW(key.get(), nullptr, nullptr, nullptr, nullptr, nullptr, nullptr, &values, nullptr, nullptr,
                     nullptr, nullptr);
    return values;
}

int ShortcutCount()
{
    WIN32_FIND_DATAW found = {};
    HANDLE search = FindFirstFileW((GetDesktopPath() + L"\\Zelkmar*.lnk").c_str(), &found);
    if (search == INVALID_HANDLE_VALUE)
        return 0;
    int count = 0;
    do
        ++count;
    while (FindNextFileW(search, &found));
    FindClose(search);
    return count;
}

struct ShortcutProperties {
    std::wstring target, arguments, workingDirectory, icon;
    int iconIndex = -1;
};

bool ReadShortcut(const std::wstring& path, ShortcutProperties& properties)
{
    ScopedComPtr<IShellLinkW> link;
    ScopedComPtr<IPersistFile> file;
    if (FAILED(CoCreateInstance(CLSID_ShellLink, nullptr, CLSCTX_INPROC_SERVER, IID_IShellLinkW, link.receive())) ||
        FAILED(link->QueryInterface(IID_IPersistFile, file.receive())) || FAILED(file->Load(path.c_str(), STGM_READ)))
        return false;
    wchar_t text[MAX_PATH] = {};
    link->GetPath(text, MAX_PATH, nullptr, SLGP_RAWPATH);
    properties.target = text;
    link->GetArguments(text, MAX_PATH);
    properties.arguments = text;
    link->GetWorkingDirectory(text, MAX_PATH);
    properties.workingDirectory = text;
    link->GetIconLocation(text, MAX_PATH, &properties.iconIndex);
    properties.icon = text;
    return true;
}

class InstallRegistration : public ::testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_TRUE(SUCCEEDED(CoInitialize(nullptr)));
        m_params.gameCode = L"zelk";
        m_params.gameDir = MakeTempFolder(L"zelk_install");
        // The shortcut's target exists, as after an unpack.
        WriteFileBytes(Launcher(), "");
        Clean();
    }
    void TearDown() override
    {
        Clean();
        CoUninitialize();
    }
    void Clean()
    {
        DeleteFileW(DesktopShortcutPath().c_str());
        RegDeleteKeyW(HKEY_CURRENT_USER, EntryPath().c_str());
    }
    std::wstring Launcher() const { return m_params.gameDir + L"\\zelk_main.exe"; }

    LaunchParams m_params;
};

}  // namespace

TEST_F(InstallRegistration, WritesTheEntryAndTheShortcutAndDropsOldValues)
{
    HKEY old = nullptr;
    ASSERT_EQ(ERROR_SUCCESS, RegCreateKeyExW(HKEY_CURRENT_USER, EntryPath().c_str(), 0, nullptr, 0, KEY_WRITE,
                                             nullptr, &old, nullptr));
    RegSetValueExW(old, L"InstallDate", 0, REG_SZ, reinterpret_cast<const BYTE*>(L"20200101"), 18);
    RegCloseKey(old);

    for (int run = 0; run < 2; ++run) {
        RegisterInstall(m_params);

        EXPECT_EQ(L"3.9.2.2", ReadText(L"DisplayVersion"));
        EXPECT_EQ(Launcher(), ReadText(L"DisplayIcon"));
        EXPECT_EQ(L"Zelkmar", ReadText(L"DisplayName"));
        EXPECT_EQ(L"", ReadText(L"Publisher"));
        EXPECT_EQ(m_params.gameDir + L"\\ZelkUnvarel.exe", ReadText(L"UninstallString"));
        EXPECT_EQ(L"<missing>", ReadText(L"InstallDate"));
        EXPECT_EQ(5u, ValueCount());

        EXPECT_EQ(1, ShortcutCount());
        ShortcutProperties shortcut;
        ASSERT_TRUE(ReadShortcut(DesktopShortcutPath(), shortcut));
        EXPECT_EQ(Launcher(), shortcut.target);
        EXPECT_EQ(L"", shortcut.arguments);
        EXPECT_EQ(m_params.gameDir, shortcut.workingDirectory);
        EXPECT_EQ(Launcher(), shortcut.icon);
        EXPECT_EQ(0, shortcut.iconIndex);
    }
}

TEST_F(InstallRegistration, PlatformClientStartsRemoveTheShortcutOnly)
{
    RegisterInstall(m_params);
    ASSERT_EQ(1, ShortcutCount());
    m_params.source = L"KV";
    RegisterInstall(m_params);
    EXPECT_EQ(0, ShortcutCount());
    EXPECT_EQ(Launcher(), ReadText(L"DisplayIcon"));
}

TEST_F(InstallRegistration, WithoutGameCodeNothingIsTouched)
{
    // Another program's entry survives a registration without a game code.
    const std::wstring other = std::wstring(kUninstallKeyPath) + L"\\zelk_other_program";
    HKEY key = nullptr;
    ASSERT_EQ(ERROR_SUCCESS,
              RegCreateKeyExW(HKEY_CURRENT_USER, other.c_str(), 0, nullptr, 0, KEY_WRITE, nullptr, &key, nullptr));
    RegCloseKey(key);
    // The shortcut another registration left is neither deleted nor
    // written again, whether the platform client started the launcher or not.
    WriteFileBytes(DesktopShortcutPath(), "left as it was");
    m_params.gameCode.clear();
    for (const wchar_t* source : {L"", L"KV"}) {
        m_params.source = source;
        RegisterInstall(m_params);
        EXPECT_EQ("left as it was", ReadFileBytes(DesktopShortcutPath()));
    }
    ScopedRegKey survived;
    EXPECT_EQ(ERROR_SUCCESS, RegOpenKeyExW(HKEY_CURRENT_USER, other.c_str(), 0, KEY_READ, survived.receive()));
    survived.reset();
    RegDeleteKeyW(HKEY_CURRENT_USER, other.c_str());
}

namespace {
std::wstring SlashesFor(std::wstring path)
{
    for (wchar_t& c : path)
        if (c == L'\\')
            c = L'/';
    return path;
}
}  // namespace

TEST(CreateShortcut, WorkingFolderFollowsEitherSeparator)
{
    ASSERT_TRUE(SUCCEEDED(CoInitialize(nullptr)));
    const std::wstring folder = MakeTempFolder(L"zelk_shortcut");
    const struct {
        std::wstring target;
        std::wstring workingDirectory;
    } cases[] = {
        {folder + L"\\zelk_main.exe", folder},
        {SlashesFor(folder) + L"/zelk_main.exe", SlashesFor(folder)},
    };
    for (const auto& c : cases) {
        WriteFileBytes(c.target, "");
        const std::wstring link = folder + L"\\test.lnk";
        ASSERT_TRUE(CreateShortcut(link, c.target, L"ignored", c.target));
        ShortcutProperties shortcut;
        ASSERT_TRUE(ReadShortcut(link, shortcut));
        EXPECT_EQ(c.workingDirectory, shortcut.workingDirectory);
    }
    CoUninitialize();
}
