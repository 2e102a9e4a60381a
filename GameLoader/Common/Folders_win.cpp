#include "Common/Folders.h"

#include <windows.h>
#include <shlobj.h>

namespace {

std::wstring SpecialFolder(int csidl)
{
    wchar_t buffer[MAX_PATH] = {};
    if (!SHGetSpecialFolderPathW(nullptr, buffer, csidl, FALSE))
        return std::wstring();
    return buffer;
}

}  // namespace

std::wstring GetModuleDir()
{
    wchar_t buffer[MAX_PATH] = {};
    const DWORD length = GetModuleFileNameW(nullptr, buffer, MAX_PATH);
    if (length == 0)
        return std::wstring();
    return DirectoryOfPath(std::wstring(buffer, length));
}

std::wstring GetDesktopPath() { return SpecialFolder(CSIDL_DESKTOPDIRECTORY); }
std::wstring GetProgramFilesX86Path() { return SpecialFolder(CSIDL_PROGRAM_FILESX86); }
std::wstring GetLocalAppDataPath() { return SpecialFolder(CSIDL_LOCAL_APPDATA); }
