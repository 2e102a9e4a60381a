#include "Process/ProcessUtils.h"

#include <objbase.h>
#include <shlobj.h>
#include <tlhelp32.h>

#include "common/win/ScopedHandles.h"
#include "Common/Text.h"
#include "Log/Log.h"
#include "Main/AppGlobals.h"

namespace {

class SystemOpener : public ProcessTerminationOpener {
public:
    HANDLE open(DWORD processId) override { return OpenProcess(PROCESS_TERMINATE, FALSE, processId); }
};

// Lets the launcher open processes of other users.  Once enabled the
// privilege stays for the rest of the process's life.
bool EnableDebugPrivilege()
{
    HANDLE rawToken = nullptr;
    if (!OpenProcessToken(GetCurrentProcess(), TOKEN_ADJUST_PRIVILEGES | TOKEN_QUERY, &rawToken))
        return false;
    ScopedHandle token(rawToken);
    TOKEN_PRIVILEGES privileges = {};
    privileges.PrivilegeCount = 1;
    privileges.Privileges[0].Attributes = SE_PRIVILEGE_ENABLED;
    if (!LookupPrivilegeValueW(nullptr, L"SeDebugPrivilege", &privileges.Privileges[0].Luid))
        return false;
    return AdjustTokenPrivileges(token.get(), FALSE, &privileges, sizeof privileges, nullptr, nullptr) != FALSE;
}

struct WindowSearch {
    DWORD processId;
    HWND found;
};

BOOL CALLBACK MatchProcessWindow(HWND window, LPARAM lParam)
{
    auto* search = reinterpret_cast<WindowSearch*>(lParam);
    DWORD owner = 0;
    GetWindowThreadProcessId(window, &owner);
    if (owner == search->processId && IsWindowVisible(window) && GetWindow(window, GW_OWNER) == nullptr) {
        search->found = window;
        return FALSE;
    }
    return TRUE;
}

// The working directory of a shortcut: the target's folder, whichever
// separator the target uses.
std::wstring TargetFolder(const std::wstring& target)
{
    std::wstring::size_type last = target.rfind(L'\\');
    if (last == std::wstring::npos)
        last = target.rfind(L'/');
    return last == std::wstring::npos ? target : target.substr(0, last);
}

}  // namespace

ProcessTerminationOpener& SystemProcessOpener()
{
    static SystemOpener opener;
    return opener;
}

DWORD GetProcessIdByName(const std::wstring& imageName)
{
    if (imageName.empty())
        return kNoProcessByName;
    ScopedSnapshot snapshot(CreateToolhelp32Snapshot(TH32CS_SNAPPROCESS, 0));
    if (!snapshot.valid())
        return kNoProcessByName;
    PROCESSENTRY32W entry = {};
    entry.dwSize = sizeof entry;
    for (BOOL more = Process32FirstW(snapshot.get(), &entry); more; more = Process32NextW(snapshot.get(), &entry)) {
        LOG_CALL(0, L"Process32Next processName:" << entry.szExeFile);
        if (lstrcmpW(entry.szExeFile, imageName.c_str()) == 0)
            return entry.th32ProcessID;
    }
    return kNoProcessByName;
}

DWORD GetProcessIdByPath(const std::wstring& fullPath)
{
    ScopedSnapshot snapshot(CreateToolhelp32Snapshot(TH32CS_SNAPPROCESS, 0));
    if (!snapshot.valid())
        return kNoProcessByPath;
    PROCESSENTRY32W entry = {};
    entry.dwSize = sizeof entry;
    for (BOOL more = Process32FirstW(snapshot.get(), &entry); more; more = Process32NextW(snapshot.get(), &entry)) {
        ScopedHandle process(OpenProcess(PROCESS_QUERY_LIMITED_INFORMATION, FALSE, entry.th32ProcessID));
        if (!process.valid())
            continue;
        wchar_t path[MAX_PATH] = {};
        DWORD length = MAX_PATH;
        if (!QueryFullProcessImageNameW(process.get(), 0, path, &length))
            continue;
        if (lstrcmpiW(path, fullPath.c_str()) == 0)
            return entry.th32ProcessID;
    }
    return kNoProcessByPath;
}

bool KillProcess(DWORD processId, ProcessTerminationOpener& opener)
{
    ScopedHandle process(opener.open(processId));
    if (!process.valid()) {
        LOG_CALL(0, L"OpenProcess1 " << processId << L" falsed code:" << GetLastError());
        if (EnableDebugPrivilege()) {
            LOG_CALL(0, L"EnableDebugPrivilege " << processId << L" true");
        } else {
            LOG_CALL(0, L"EnableDebugPrivilege " << processId << L" falsed code:" << GetLastError());
        }
        process.reset(opener.open(processId));
        if (!process.valid()) {
            LOG_CALL(0, L"OpenProcess2 " << processId << L" falsed code:" << GetLastError());
            return false;
        }
    }
    return TerminateProcess(process.get(), 0) == TRUE;
}

void KillGeneralProcess(ProcessTerminationOpener& opener)
{
    for (const wchar_t* name : g_generalProcess) {
        const DWORD processId = GetProcessIdByName(name);
        if (processId == kNoProcessByName)
            continue;
        if (KillProcess(processId, opener))
            continue;
        const std::string command = "taskkill /f /im " + WideToMultiByte(name, CP_ACP);
        if (WinExec(command.c_str(), SW_HIDE) <= 31)
            LOG_CALL(0, L"KillProcess " << name << L" falsed code:" << GetLastError());
    }
}

bool GeneralProcessExist()
{
    for (const wchar_t* name : g_generalProcess) {
        const DWORD processId = GetProcessIdByName(name);
        if (processId != kNoProcessByName) {
            LOG_CALL(0, L"GeneralProcessExist,GetProcessIdByName " << name << L" idProcess:" << processId);
            return true;
        }
    }
    return false;
}

HWND FindProcessWindow(DWORD processId)
{
    WindowSearch search = {processId, nullptr};
    EnumWindows(&MatchProcessWindow, reinterpret_cast<LPARAM>(&search));
    return search.found;
}

void ShowWindowToFront(HWND window)
{
    if (window == nullptr || !IsWindow(window))
        return;
    ShowWindow(window, IsIconic(window) ? SW_RESTORE : SW_SHOW);
    // Into the topmost band and out again: the window ends at the top of the
    // normal windows without staying on top of everything.
    SetWindowPos(window, HWND_TOPMOST, 0, 0, 0, 0, SWP_NOSIZE | SWP_NOMOVE | SWP_NOACTIVATE);
    SetWindowPos(window, HWND_NOTOPMOST, 0, 0, 0, 0, SWP_NOSIZE | SWP_NOMOVE | SWP_SHOWWINDOW);
    BringWindowToTop(window);
    SetForegroundWindow(window);
    SetActiveWindow(window);
}

bool CreateShortcut(const std::wstring& linkPath, const std::wstring& targetPath, const std::wstring&,
                    const std::wstring& iconPath)
{
    ScopedComPtr<IShellLinkW> link;
    if (FAILED(CoCreateInstance(CLSID_ShellLink, nullptr, CLSCTX_INPROC_SERVER, IID_IShellLinkW, link.receive())))
        return false;
    link->SetPath(targetPath.c_str());
    link->SetArguments(L"");
    link->SetIconLocation(iconPath.c_str(), 0);
    link->SetWorkingDirectory(TargetFolder(targetPath).c_str());
    ScopedComPtr<IPersistFile> file;
    if (FAILED(link->QueryInterface(IID_IPersistFile, file.receive())))
        return false;
    return SUCCEEDED(file->Save(linkPath.c_str(), FALSE));
}
