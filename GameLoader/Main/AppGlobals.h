#pragma once
// Process-wide constants of the launcher.
#include <windows.h>

#include <string>

// The game's process image names.
extern const wchar_t* const g_generalProcess[1];
// The name under which the portal page calls into the launcher.
extern const wchar_t* const g_callCppFunc;

// Held as ANSI text (GBK on the target systems) and widened with the
// system's code page before use, by the window and by a second instance alike.
extern const char* const kMainWindowTitleAnsi;
extern const char* const kSingleInstanceMutexAnsi;

// The instance handle the system passed to the entry.
extern HINSTANCE g_hInstance;

enum ExitCode : int {
    kExitNormal = 0,
    kExitNoPlatformClient = 100,
};
