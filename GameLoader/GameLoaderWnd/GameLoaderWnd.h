#pragma once
// The launcher's main window.  For now a plain top-level window of the
// launcher's class; the skinned window around the portal page replaces its
// inside, keeping this surface for the entry.
#include <windows.h>

#include <string>

#include "GameLoader/LaunchParams.h"

class GameLoaderWnd {
public:
    explicit GameLoaderWnd(std::wstring commandText);
    ~GameLoaderWnd();
    GameLoaderWnd(const GameLoaderWnd&) = delete;
    GameLoaderWnd& operator=(const GameLoaderWnd&) = delete;

    static constexpr const wchar_t* kClassName = L"GameLoaderResClass";

    HWND Create(HWND parent, const std::wstring& title, DWORD style, DWORD exStyle, int x, int y, int width,
                int height);
    void CenterWindow();
    void ShowWindow(bool show);
    HWND GetHWND() const { return m_hMainWnd; }
    const std::wstring& CommandText() const { return m_launchParams.cmdJson; }
    const LaunchParams& GetLaunchParams() const { return m_launchParams; }

    // Reads the command text into the launch parameters (see ParseCmdJson.h).
    bool ParseCmdJson();
    // The game's uninstall entry and desktop shortcut after a successful
    // unpack (see InstallRegistration.h).
    void RegisterInstall();

private:
    static LRESULT CALLBACK WindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
    LRESULT HandleMessage(UINT message, WPARAM wParam, LPARAM lParam);
    void TopMainWnd();

    LaunchParams m_launchParams;
    HWND m_hMainWnd = nullptr;
};
