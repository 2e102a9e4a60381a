#pragma once
// The drop shadow of a skinned window: a layered window of the framework's
// class "ZurezShadowWnd" that stands just behind the window it belongs to,
// follows it, and draws the shadow picture around it with per-pixel alpha.
#include <windows.h>

#include "core/AttributeSyntax.h"

class CShadowUI {
public:
    static constexpr const wchar_t* kClassName = L"ZurezShadowWnd";
    // Once per process, before any skinned window exists.
    static bool RegisterShadowWindowClass(HINSTANCE instance);

    CShadowUI() = default;
    ~CShadowUI();
    CShadowUI(const CShadowUI&) = delete;
    CShadowUI& operator=(const CShadowUI&) = delete;

    // The picture is laid around the window; its corner margins are also
    // how far the shadow reaches beyond the window on each side.
    void Create(HWND parent, const PictureRef& picture, const UIRect& corner);
    // Called with every message the parent receives.
    void OnParentMessage(UINT message, WPARAM wParam, LPARAM lParam);
    HWND GetHWND() const { return m_hWnd; }

private:
    void Sync(bool parentVisible);
    void Paint(POINT at, int width, int height);

    HWND m_hParent = nullptr;
    HWND m_hWnd = nullptr;
    PictureRef m_picture;
    UIRect m_margin;
    SIZE m_painted = {0, 0};
};
