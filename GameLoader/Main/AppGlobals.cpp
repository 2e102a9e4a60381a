#include "Main/AppGlobals.h"

const wchar_t* const g_generalProcess[1] = {L"zelk.exe"};
const wchar_t* const g_callCppFunc = L"g_callCppFunc";
const char* const kMainWindowTitleAnsi = "Zelkmar";
const char* const kSingleInstanceMutexAnsi = "zelk_main.exe";
HINSTANCE g_hInstance = nullptr;
