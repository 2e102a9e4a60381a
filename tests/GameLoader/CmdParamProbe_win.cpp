// Prints the command text of its own command line as UTF-8, then "|ok" or
// "|failed" for the result of ParseCmdParam.
#include <windows.h>

#include <cstdio>

#include "Common/Folders.h"
#include "Common/Text.h"
#include "GameLoader/CmdParam.h"
#include "Log/Logger.h"

int WINAPI wWinMain(HINSTANCE, HINSTANCE, LPWSTR, int)
{
    Logger::initializePathDir(WideToMultiByte(GetModuleDir() + L"\\", CP_ACP));
    std::wstring text;
    const bool ok = ParseCmdParam(text);
    const std::string utf8 = WideToMultiByte(text, CP_UTF8) + (ok ? "|ok" : "|failed");
    DWORD written = 0;
    WriteFile(GetStdHandle(STD_OUTPUT_HANDLE), utf8.data(), static_cast<DWORD>(utf8.size()), &written, nullptr);
    return 0;
}
