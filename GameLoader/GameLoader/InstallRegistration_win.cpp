#include "GameLoader/InstallRegistration.h"

#include <windows.h>
#include <shlwapi.h>

#include <cwctype>

#include "Common/Folders.h"
#include "common/win/ScopedHandles.h"
#include "Common/Text.h"
#include "Main/AppGlobals.h"
#include "Process/ProcessUtils.h"
#include "Settings/UninstallEntry.h"

namespace {

const wchar_t* const kDisplayVersion = L"3.9.2.2";

// The display name is the main window title, held as ANSI text.
std::wstring DisplayName() { return AnsiToWide(kMainWindowTitleAnsi); }

// gameDir\zelk_main.exe: the launcher inside the game folder.
std::wstring LauncherInGameDir(const LaunchParams& params)
{
    return params.gameDir + L"\\" + L"zelk" + L"_main.exe";
}

// gameDir\ + the game code with a capital first letter + "Unvarel.exe".
std::wstring UninstallerPath(const LaunchParams& params)
{
    std::wstring code = params.gameCode;
    if (!code.empty())
        code[0] = static_cast<wchar_t>(std::towupper(code[0]));
    return params.gameDir + L"\\" + code + L"Unvarel.exe";
}

bool SetText(HKEY key, const wchar_t* name, const std::wstring& data)
{
    const DWORD bytes = static_cast<DWORD>((data.size() + 1) * sizeof(wchar_t));
    return RegSetValueExW(key, name, 0, REG_SZ, reinterpret_cast<const BYTE*>(data.c_str()), bytes) ==
           ERROR_SUCCESS;
}

}  // namespace

std::wstring DesktopShortcutPath() { return GetDesktopPath() + L"\\" + DisplayName() + L".lnk"; }

void DeleteDesktopShortcut() { DeleteFileW(DesktopShortcutPath().c_str()); }

void RemoveUninstallEntry(const LaunchParams& params)
{
    // An empty subkey name would make the delete take the whole list of
    // installed programs with it.
    if (params.gameCode.empty())
        return;
    ScopedRegKey uninstall;
    if (RegCreateKeyExW(HKEY_CURRENT_USER, kUninstallKeyPath, 0, nullptr, REG_OPTION_NON_VOLATILE, KEY_ALL_ACCESS,
                        nullptr, uninstall.receive(), nullptr) != ERROR_SUCCESS)
        return;
    SHDeleteKeyW(uninstall.get(), params.gameCode.c_str());
}

void CreateDesktopShortcut(const LaunchParams& params)
{
    if (params.source == L"KV")
        return;
    const std::wstring target = LauncherInGameDir(params);
    CreateShortcut(DesktopShortcutPath(), target, std::wstring(), target);
}

void WriteUninstallEntry(const LaunchParams& params)
{
    // Without a game code the values would land on the list's own key.
    if (params.gameCode.empty())
        return;
    ScopedRegKey entry;
    const std::wstring path = std::wstring(kUninstallKeyPath) + L"\\" + params.gameCode;
    if (RegCreateKeyExW(HKEY_CURRENT_USER, path.c_str(), 0, nullptr, REG_OPTION_NON_VOLATILE, KEY_WRITE, nullptr,
                        entry.receive(), nullptr) != ERROR_SUCCESS)
        return;
    const struct {
        const wchar_t* name;
        std::wstring data;
    } values[] = {
        {L"DisplayVersion", kDisplayVersion},
        {L"DisplayIcon", LauncherInGameDir(params)},
        {L"DisplayName", DisplayName()},
        {L"Publisher", L""},
        {L"UninstallString", UninstallerPath(params)},
    };
    for (const auto& value : values) {
        if (!SetText(entry.get(), value.name, value.data))
            return;
    }
}

void RegisterInstall(const LaunchParams& params)
{
    // Without a game code there is nothing to register, and the shortcut
    // belongs to the game that has one: both are left as they are.
    if (params.gameCode.empty())
        return;
    DeleteDesktopShortcut();
    RemoveUninstallEntry(params);
    CreateDesktopShortcut(params);
    WriteUninstallEntry(params);
}
