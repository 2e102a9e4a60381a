#include "support/StandIns_win.h"

#include <vector>

#include "Common/Folders.h"
#include "Settings/LocalSettings.h"
#include "support/Process_win.h"

RunningProcess::RunningProcess(const std::wstring& commandLine) : m_info(StartProcess(commandLine)) {}

RunningProcess::~RunningProcess() { terminate(); }

bool RunningProcess::waitForExit(DWORD timeoutMs, DWORD* exitCode) const
{
    if (!started() || WaitForSingleObject(m_info.hProcess, timeoutMs) != WAIT_OBJECT_0)
        return false;
    if (exitCode)
        GetExitCodeProcess(m_info.hProcess, exitCode);
    return true;
}

void RunningProcess::terminate()
{
    if (!started())
        return;
    if (WaitForSingleObject(m_info.hProcess, 0) != WAIT_OBJECT_0) {
        TerminateProcess(m_info.hProcess, 99);
        WaitForSingleObject(m_info.hProcess, 10000);
    }
    CloseHandle(m_info.hThread);
    CloseHandle(m_info.hProcess);
    m_info = PROCESS_INFORMATION{};
}

namespace {

struct TitleSearch {
    DWORD processId;
    const wchar_t* title;
    HWND found;
};

BOOL CALLBACK MatchTitle(HWND window, LPARAM lParam)
{
    auto* search = reinterpret_cast<TitleSearch*>(lParam);
    DWORD owner = 0;
    GetWindowThreadProcessId(window, &owner);
    wchar_t title[256] = {};
    GetWindowTextW(window, title, 256);
    if (owner == search->processId && lstrcmpW(title, search->title) == 0) {
        search->found = window;
        return FALSE;
    }
    return TRUE;
}

}  // namespace

HWND WaitForProcessWindow(DWORD processId, const wchar_t* title, DWORD timeoutMs)
{
    TitleSearch search = {processId, title, nullptr};
    WaitUntil(timeoutMs, [&] {
        EnumWindows(&MatchTitle, reinterpret_cast<LPARAM>(&search));
        return search.found != nullptr;
    });
    return search.found;
}

std::wstring QuotedStandIn(const wchar_t* exeName) { return L"\"" + TestBinaryDir() + L"\\" + exeName + L"\""; }

std::string ReadFileBytes(const std::wstring& path)
{
    std::string bytes;
    HANDLE file = CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                              nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE)
        return bytes;
    char buffer[4096];
    DWORD read = 0;
    while (ReadFile(file, buffer, sizeof buffer, &read, nullptr) && read > 0)
        bytes.append(buffer, read);
    CloseHandle(file);
    return bytes;
}

void WriteFileBytes(const std::wstring& path, const std::string& bytes)
{
    HANDLE file = CreateFileW(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE)
        return;
    DWORD written = 0;
    WriteFile(file, bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr);
    CloseHandle(file);
}

bool FileExists(const std::wstring& path) { return GetFileAttributesW(path.c_str()) != INVALID_FILE_ATTRIBUTES; }

namespace {
std::wstring DatedLogName(const std::wstring& module)
{
    SYSTEMTIME now;
    GetLocalTime(&now);
    return module + L"_" + std::to_wstring(now.wYear) + L"_" + std::to_wstring(now.wMonth) + L"_" +
           std::to_wstring(now.wDay) + L".log";
}
}  // namespace

std::wstring TestLogFile()
{
    wchar_t folder[MAX_PATH] = {};
    GetCurrentDirectoryW(MAX_PATH, folder);
    wchar_t module[MAX_PATH] = {};
    GetModuleFileNameW(nullptr, module, MAX_PATH);
    std::wstring name = module;
    return std::wstring(folder) + L"\\" + DatedLogName(name.substr(name.rfind(L'\\') + 1));
}

std::wstring LauncherLogFile() { return GetLocalAppDataPath() + L"\\Korvane\\Log\\" + DatedLogName(L"zelk_main.exe"); }

SettingsFileGuard::SettingsFileGuard() : m_path(GetSettingPath()), m_existed(FileExists(m_path))
{
    if (m_existed)
        m_bytes = ReadFileBytes(m_path);
    DeleteFileW(m_path.c_str());
}

SettingsFileGuard::~SettingsFileGuard()
{
    if (m_existed)
        WriteFileBytes(m_path, m_bytes);
    else
        DeleteFileW(m_path.c_str());
}

PlatformClientStandIn::PlatformClientStandIn(const std::wstring& title)
    : m_record(MakeTempFolder(L"platform") + L"\\record.txt"),
      m_process(QuotedStandIn(L"Korvane.exe") + L" \"" + m_record + L"\" " + title)
{
    m_window = WaitForProcessWindow(m_process.id(), title.c_str(), 20000);
}

std::wstring PlatformClientStandIn::id() const { return std::to_wstring(reinterpret_cast<uintptr_t>(m_window)); }

std::string PlatformClientStandIn::record() const { return FileExists(m_record) ? ReadFileBytes(m_record) : std::string(); }

int PlatformClientStandIn::count(const std::string& what) const
{
    const std::string text = record();
    int found = 0;
    for (size_t at = text.find(what); at != std::string::npos; at = text.find(what, at + 1))
        ++found;
    return found;
}

void CloseGameStandIn()
{
    for (int i = 0; i < 50; ++i) {
        HWND game = FindWindowW(nullptr, L"zelk");
        if (!game)
            return;
        PostMessageW(game, WM_CLOSE, 0, 0);
        Sleep(100);
    }
}
