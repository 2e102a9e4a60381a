#pragma once
// The launcher's main window.  For now a plain top-level window of the
// launcher's class; the skinned window around the portal page replaces its
// inside, keeping this surface for the entry.
#include <windows.h>

#include <string>

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
    const std::wstring& CommandText() const { return m_strCmdJson; }

private:
    static LRESULT CALLBACK WindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
    LRESULT HandleMessage(UINT message, WPARAM wParam, LPARAM lParam);
    void TopMainWnd();

    std::wstring m_strCmdJson;
    HWND m_hMainWnd = nullptr;
};
