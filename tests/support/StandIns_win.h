#pragma once
// Helpers for tests that run the launcher against the stand-in programs
// (Korvane.exe, zelk.exe), which the build copies next to the test.
#include <windows.h>

#include <string>

// A started process that is terminated, if still running, when the owner
// goes away: no stand-in outlives its test.
class RunningProcess {
public:
    RunningProcess() = default;
    explicit RunningProcess(const std::wstring& commandLine);
    ~RunningProcess();
    RunningProcess(const RunningProcess&) = delete;
    RunningProcess& operator=(const RunningProcess&) = delete;

    bool started() const { return m_info.hProcess != nullptr; }
    DWORD id() const { return m_info.dwProcessId; }
    HANDLE handle() const { return m_info.hProcess; }
    // True when the process ended within `timeoutMs`; `exitCode` then holds its code.
    bool waitForExit(DWORD timeoutMs, DWORD* exitCode = nullptr) const;
    void terminate();

private:
    PROCESS_INFORMATION m_info = {};
};

// The first top-level window of `processId` with the title `title`,
// waiting up to `timeoutMs` for it to appear.
HWND WaitForProcessWindow(DWORD processId, const wchar_t* title, DWORD timeoutMs);
// True when `condition` holds within `timeoutMs`.
template <typename Condition>
bool WaitUntil(DWORD timeoutMs, Condition condition)
{
    const DWORD start = GetTickCount();
    do {
        if (condition())
            return true;
        Sleep(20);
    } while (GetTickCount() - start < timeoutMs);
    return condition();
}

std::wstring QuotedStandIn(const wchar_t* exeName);  // "<test dir>\<exeName>"
std::string ReadFileBytes(const std::wstring& path);
void WriteFileBytes(const std::wstring& path, const std::string& bytes);
bool FileExists(const std::wstring& path);

// This test process's own log: no folder is set, so it is written to the
// working folder under the executable's name and today's date.
std::wstring TestLogFile();
// The launcher's log of today, below the platform client's folder.
std::wstring LauncherLogFile();

// Keeps the launcher's settings file as it was before the test: its bytes
// are put back (or the file removed) on destruction.
class SettingsFileGuard {
public:
    SettingsFileGuard();
    ~SettingsFileGuard();
    SettingsFileGuard(const SettingsFileGuard&) = delete;
    SettingsFileGuard& operator=(const SettingsFileGuard&) = delete;
    const std::wstring& path() const { return m_path; }

private:
    std::wstring m_path;
    bool m_existed = false;
    std::string m_bytes;
};

// The platform-client stand-in (Korvane.exe) with its window titled `title`
// and a record file of its own in a fresh temporary folder.
class PlatformClientStandIn {
public:
    explicit PlatformClientStandIn(const std::wstring& title = L"Korvane");
    HWND window() const { return m_window; }
    // The window handle as decimal text, as the launcher's switches carry it.
    std::wstring id() const;
    const std::wstring& recordPath() const { return m_record; }
    std::string record() const;
    // How often `what` stands in the record.
    int count(const std::string& what) const;

private:
    std::wstring m_record;
    RunningProcess m_process;
    HWND m_window = nullptr;
};

// Closes the game stand-in's windows (titled "zelk"), which ends it.
void CloseGameStandIn();
