// The launcher's main road with the portal page played by the stand-in
// browser control: the platform client's start, the portal address, the
// page loading and showing the window, then the page asking for the game
// (first run) or for the close (second run).  Runs from the launcher tests'
// folder, where zelk_main.exe, the stand-ins and the stand-in control's DLL
// stand together.  Meets scripts/demo for the screenshot through marker
// files in the folder given as the only argument.
#include <windows.h>

#include <cstdio>
#include <string>

#include "Common/Text.h"
#include "demo/DemoOutput_win.h"
#include "support/Process_win.h"
#include "support/StandIns_win.h"

namespace {

std::string Utf8(const std::wstring& text) { return WideToMultiByte(text, CP_UTF8); }

// Registered for this run, as regsvr32 would, and taken away afterwards.
struct StandInControl {
    using Entry = HRESULT(STDAPICALLTYPE*)();
    StandInControl() : module(LoadLibraryW((TestBinaryDir() + L"\\zelk_browser_control.dll").c_str()))
    {
        registered = Call("DllRegisterServer") == S_OK;
    }
    ~StandInControl()
    {
        Call("DllUnregisterServer");
        if (module)
            FreeLibrary(module);
    }
    HRESULT Call(const char* name)
    {
        auto entry = module ? reinterpret_cast<Entry>(GetProcAddress(module, name)) : nullptr;
        return entry ? entry() : E_FAIL;
    }
    HMODULE module;
    bool registered = false;
};

void WriteScript(const std::wstring& path, const std::string& lastStep)
{
    WriteFileBytes(path, "navigate-complete\ndocument-complete\nwait 2500\n" + lastStep + "\n");
}

}  // namespace

int wmain(int argc, wchar_t** argv)
{
    const std::wstring marks = argc > 1 ? argv[1] : L".";
    StandInControl control;
    std::printf("   stand-in browser control registered in place of the WebBrowser class: %s\n",
                control.registered ? "yes" : "NO");
    const std::wstring work = MakeTempFolder(L"demo-page");
    const std::wstring platformRecord = work + L"\\platform.txt";
    RunningProcess platform(QuotedStandIn(L"Korvane.exe") + L" \"" + platformRecord + L"\" Korvane");
    HWND platformWindow = WaitForProcessWindow(platform.id(), L"Korvane", 20000);
    const std::wstring id = std::to_wstring(reinterpret_cast<uintptr_t>(platformWindow));
    const std::wstring launcher = L"\"" + TestBinaryDir() + L"\\zelk_main.exe\" --source=KV --token=abc --winid=" + id;

    for (int run = 1; run <= 2; ++run) {
        const std::wstring script = work + L"\\script" + std::to_wstring(run) + L".txt";
        const std::wstring record = work + L"\\control" + std::to_wstring(run) + L".txt";
        const std::wstring game = work + L"\\game" + std::to_wstring(run) + L".txt";
        WriteScript(script, run == 1 ? "call {\"funcation_name\":\"open_game\",\"token\":\"fresh-token\"}"
                                     : "call {\"funcation_name\":\"close_wnd\"}");
        SetEnvironmentVariableW(L"ZELK_BROWSER_CONTROL_SCRIPT", script.c_str());
        SetEnvironmentVariableW(L"ZELK_BROWSER_CONTROL_RECORD", record.c_str());
        SetEnvironmentVariableW(L"ZELK_GAME_RECORD", game.c_str());
        std::printf("%d. the platform client starts zelk_main.exe --source=KV --token=abc --winid=%s; the page "
                    "then calls %s\n",
                    run, Utf8(id).c_str(), run == 1 ? "open_game with a fresh token" : "close_wnd");
        RunningProcess process(launcher);
        HWND window = WaitForProcessWindow(process.id(), L"Zelkmar", 20000);
        const bool shown = WaitUntil(20000, [&] { return window && IsWindowVisible(window); });
        std::printf("   the control was sent to:\n");
        PrintFileLines(record, "Navigate2", "     ", 200);
        std::printf("   page loaded, window shown: %s\n", shown ? "yes" : "no");
        if (run == 1 && shown) {
            WriteFileBytes(marks + L"\\page-ready", "");
            WaitUntil(30000, [&] { return FileExists(marks + L"\\page-shot"); });
        }
        DWORD exitCode = 0;
        const bool ended = process.waitForExit(60000, &exitCode);
        std::printf("   launcher %s (code %lu)\n", ended ? "ended" : "still runs", exitCode);
        std::printf("   the page's call:\n");
        PrintFileLines(record, "step call", "     ", 200);
        if (run == 1) {
            std::printf("   the game was started with:\n");
            PrintFileLines(game, "", "     ", 200);
            CloseGameStandIn();
        } else {
            std::printf("   the platform client received:\n");
            PrintFileLines(platformRecord, "copydata", "     ", 200);
        }
    }
    return 0;
}
