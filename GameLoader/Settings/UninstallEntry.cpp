#include "Settings/UninstallEntry.h"

#include "Common/ReplaceAll.h"

const wchar_t* const kUninstallKeyPath = L"Software\\Microsoft\\Windows\\CurrentVersion\\Uninstall";

std::wstring GameDirFromDisplayIcon(std::wstring displayIcon)
{
    ReplaceAll(displayIcon, L"/", L"\\");
    const std::wstring::size_type last = displayIcon.rfind(L'\\');
    if (last != std::wstring::npos)
        displayIcon.erase(last + 1);
    return displayIcon;
}
