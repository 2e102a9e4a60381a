#pragma once
// Finding, testing and ending processes, finding and raising a process's
// main window, and writing shell shortcuts.  No state between calls; any
// thread.
#include <windows.h>

#include <string>

constexpr DWORD kNoProcessByName = static_cast<DWORD>(-1);  // GetProcessIdByName
constexpr DWORD kNoProcessByPath = 0;                        // GetProcessIdByPath

// The first process whose image name equals `imageName` exactly (case
// matters); every entry up to the match is logged.  kNoProcessByName when
// none does or the name is empty.
DWORD GetProcessIdByName(const std::wstring& imageName);
// The first process whose full image path equals `fullPath` without regard
// to case; processes that cannot be opened are skipped.  kNoProcessByPath
// when none does.
DWORD GetProcessIdByPath(const std::wstring& fullPath);

// The one call of KillProcess that a test must be able to refuse: a process
// of another user cannot be made under Wine.
class ProcessTerminationOpener {
public:
    virtual ~ProcessTerminationOpener() = default;
    // OpenProcess(PROCESS_TERMINATE); null with the thread's last error set
    // when it fails.
    virtual HANDLE open(DWORD processId) = 0;
};
ProcessTerminationOpener& SystemProcessOpener();

// Terminates the process with exit code 0.  When it cannot be opened, the
// debug privilege is enabled and the open tried once more.
bool KillProcess(DWORD processId, ProcessTerminationOpener& opener = SystemProcessOpener());
// Ends every game process by name; falls back to "taskkill /f /im" when
// KillProcess fails.  Does not wait for the processes to end.
void KillGeneralProcess(ProcessTerminationOpener& opener = SystemProcessOpener());
// True when a game process runs.
bool GeneralProcessExist();

// The first visible, unowned top-level window of the process in Z order;
// null when the process has none.
HWND FindProcessWindow(DWORD processId);
// Restores or shows the window, lifts it to the top of the normal windows
// and gives it the foreground.
void ShowWindowToFront(HWND window);

// Saves a shell link at `linkPath` to `targetPath` with no arguments, the
// target's folder as working directory and `iconPath`, icon 0.  The third
// argument is accepted and ignored.  COM must be initialised on the thread.
bool CreateShortcut(const std::wstring& linkPath, const std::wstring& targetPath, const std::wstring& unused,
                    const std::wstring& iconPath);
