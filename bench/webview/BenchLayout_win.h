#pragma once
// The plug-in as the game installs it, in a fresh folder for one benchmark:
// the DLL in Plugins\, the browser-process stand-in in the folder beside it,
// and the stand-in's script file, unrecorded.
#include <windows.h>

#include <string>

#include "support/Process_win.h"

struct BenchLayout {
    std::wstring dll;
    std::wstring executable;
    std::wstring script;
};

inline BenchLayout makeBenchLayout(const wchar_t* name) {
    const std::wstring root = MakeTempFolder(name);
    const std::wstring plugins = root + L"\\Plugins";
    const std::wstring browserFolder = plugins + L"\\TelvioWebViewChromium";
    CreateDirectoryW(plugins.c_str(), nullptr);
    CreateDirectoryW(browserFolder.c_str(), nullptr);
    BenchLayout layout{plugins + L"\\TelvioWebViewWindows.dll", browserFolder + L"\\Telvio WebView.telvio",
                       root + L"\\script.txt"};
    CopyFileW((TestBinaryDir() + L"\\TelvioWebViewWindows.dll").c_str(), layout.dll.c_str(), FALSE);
    CopyFileW((TestBinaryDir() + L"\\Telvio WebView.telvio").c_str(), layout.executable.c_str(), FALSE);
    SetEnvironmentVariableW(L"STANDIN_SCRIPT", layout.script.c_str());
    SetEnvironmentVariableW(L"STANDIN_RECORD", nullptr);
    return layout;
}
