// Reads its own command line the way the launcher does (ParseCmdParam, then
// the main window's ParseCmdJson) and prints the record as UTF-8 lines
// "name=value", after a first line "result=<0|1>".
#include <windows.h>

#include <string>

#include "Common/Folders.h"
#include "Common/Text.h"
#include "GameLoader/CmdParam.h"
#include "GameLoaderWnd/GameLoaderWnd.h"
#include "Log/Logger.h"

int WINAPI wWinMain(HINSTANCE, HINSTANCE, LPWSTR, int)
{
    Logger::initializePathDir(WideToMultiByte(GetModuleDir() + L"\\", CP_ACP));
    std::wstring text;
    if (!ParseCmdParam(text))
        return 1;
    GameLoaderWnd window(text);
    const bool read = window.ParseCmdJson();
    const LaunchParams& params = window.GetLaunchParams();
    const std::wstring report = L"result=" + std::to_wstring(read ? 1 : 0) + L"\nwinid=" + params.winid +
                                L"\nsource=" + params.source + L"\ntokenLogin=" + params.tokenLogin +
                                L"\ntoken=" + params.token + L"\nkvext=" + params.kvext +
                                L"\ninstalled=" + std::to_wstring(params.installed) + L"\ngameMgrId=" +
                                params.gameMgrId + L"\ntypeMode=" + params.typeMode + L"\ninstGamePath=" +
                                params.instGamePath + L"\ncacheGamePath=" + params.cacheGamePath + L"\n";
    const std::string utf8 = WideToMultiByte(report, CP_UTF8);
    DWORD written = 0;
    WriteFile(GetStdHandle(STD_OUTPUT_HANDLE), utf8.data(), static_cast<DWORD>(utf8.size()), &written, nullptr);
    return 0;
}
