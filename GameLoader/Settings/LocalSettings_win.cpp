#include "Settings/LocalSettings.h"

#include <windows.h>

#include <algorithm>
#include <cstdio>

#include "Common/Folders.h"
#include "common/win/ScopedHandles.h"
#include "Common/Text.h"
#include "Settings/SettingsFile.h"
#include "Settings/UninstallEntry.h"

namespace {

SettingsFileOpener OpenerFor(const std::wstring& settingPath)
{
    return [settingPath](const char* mode) -> std::FILE* {
        const std::wstring wideMode(mode, mode + std::char_traits<char>::length(mode));
        return _wfopen(settingPath.c_str(), wideMode.c_str());
    };
}

// The values are written as UTF-8, so they are read back as UTF-8.  Bytes
// that are not UTF-8 were written by someone else in the ANSI code page
// and are widened with it.  (For the ASCII values in use both agree.)
std::wstring StoredTextToWide(const std::string& bytes)
{
    if (bytes.empty())
        return std::wstring();
    const int size = static_cast<int>(bytes.size());
    const int length = MultiByteToWideChar(CP_UTF8, MB_ERR_INVALID_CHARS, bytes.data(), size, nullptr, 0);
    if (length <= 0)
        return AnsiToWide(bytes);
    std::wstring wide(static_cast<size_t>(length), L'\0');
    MultiByteToWideChar(CP_UTF8, MB_ERR_INVALID_CHARS, bytes.data(), size, &wide[0], length);
    return wide;
}

// The sibling "setting.xml.new" is written in full, then moved over the
// file in one step; a sibling left by a crash is overwritten next time.
SettingsFileAccess AccessFor(const std::wstring& settingPath)
{
    const std::wstring replacement = settingPath + L".new";
    SettingsFileAccess access;
    access.open = OpenerFor(settingPath);
    access.createReplacement = [replacement]() { return _wfopen(replacement.c_str(), L"w"); };
    access.replaceWithReplacement = [replacement, settingPath]() {
        return MoveFileExW(replacement.c_str(), settingPath.c_str(),
                           MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH) != FALSE;
    };
    access.removeReplacement = [replacement]() { DeleteFileW(replacement.c_str()); };
    return access;
}

bool Save(const char* element, const std::wstring& value, const std::wstring& settingPath)
{
    return SaveSettingElement(AccessFor(settingPath), element, WideToMultiByte(value, CP_UTF8));
}

bool Load(const char* element, const std::wstring& settingPath, std::wstring& value)
{
    std::string stored;
    if (!LoadSettingElement(OpenerFor(settingPath), element, stored))
        return false;
    // The out value is left alone when the element has no text.
    if (!stored.empty())
        value = StoredTextToWide(stored);
    return true;
}

// Reads one text value of the game's uninstall entry into a buffer of 260
// units.  A value that does not fit there with its terminating zero counts
// as missing rather than being cut; data stored without a terminating zero
// is measured, never read past; a value that is not text is missing too.
bool ReadUninstallText(const std::wstring& gameCode, const wchar_t* valueName, std::wstring& value)
{
    ScopedRegKey key;
    const std::wstring path = std::wstring(kUninstallKeyPath) + L"\\" + gameCode;
    if (RegOpenKeyExW(HKEY_CURRENT_USER, path.c_str(), 0, KEY_READ, key.receive()) != ERROR_SUCCESS)
        return false;
    wchar_t buffer[MAX_PATH] = {};
    DWORD type = 0;
    DWORD size = sizeof buffer;
    if (RegQueryValueExW(key.get(), valueName, nullptr, &type, reinterpret_cast<BYTE*>(buffer), &size) !=
        ERROR_SUCCESS)
        return false;
    if (type != REG_SZ && type != REG_EXPAND_SZ)
        return false;
    const wchar_t* begin = buffer;
    const wchar_t* end = begin + std::min<DWORD>(size / sizeof(wchar_t), MAX_PATH);
    const wchar_t* zero = std::find(begin, end, L'\0');
    if (zero - begin >= MAX_PATH)
        return false;
    value.assign(begin, zero);
    return true;
}

}  // namespace

std::wstring GetSettingPath()
{
    const std::wstring folder = GetLocalAppDataPath() + L"\\" + L"Korvane";
    CreateDirectoryW(folder.c_str(), nullptr);
    return folder + L"\\setting.xml";
}

bool SavePlatformWindowId(const std::wstring& value, const std::wstring& settingPath)
{
    return Save(kPlatformWindowIdElement, value, settingPath);
}

bool LoadPlatformWindowId(const std::wstring& settingPath, std::wstring& value)
{
    return Load(kPlatformWindowIdElement, settingPath, value);
}

bool SaveLoginSource(const std::wstring& value, const std::wstring& settingPath)
{
    return Save(kLoginSourceElement, value, settingPath);
}

bool LoadLoginSource(const std::wstring& settingPath, std::wstring& value)
{
    return Load(kLoginSourceElement, settingPath, value);
}

std::wstring GetGameDirFromUninstall(const std::wstring& gameCode)
{
    std::wstring displayIcon;
    if (!ReadUninstallText(gameCode, L"DisplayIcon", displayIcon))
        return std::wstring();
    return GameDirFromDisplayIcon(displayIcon);
}

std::wstring GetBagFileParam(const std::wstring& gameCode)
{
    std::wstring fileParam;
    if (!ReadUninstallText(gameCode, L"FileParam", fileParam))
        return std::wstring();
    return fileParam;
}
