#pragma once
// The drop shadow of a skinned window: a layered window of the framework's
// class "ZurezShadowWnd" that stands just behind the window it belongs to,
// follows it, and draws the shadow picture around it with per-pixel alpha.
#include <windows.h>

#include <string>

#include "core/AttributeSyntax.h"

class CShadowUI {
public:
    static constexpr const wchar_t* kClassName = L"ZurezShadowWnd";
    // The most a shadow may measure on a side, as any window (GDI's limit).
    static constexpr long long kMaxSide = 32767;
    // Once per process, before any skinned window exists.
    static bool RegisterShadowWindowClass(HINSTANCE instance);

    // Where the shadow of a window standing at `window` lies, its margins
    // (negative ones count as 0) reaching out on each side.  False when it
    // would be larger than kMaxSide or leave the coordinate range.
    static bool Geometry(const RECT& window, const UIRect& margin, RECT& shadow);

    CShadowUI() = default;
    ~CShadowUI();
    CShadowUI(const CShadowUI&) = delete;
    CShadowUI& operator=(const CShadowUI&) = delete;

    // The picture is laid around the window; its corner margins are also
    // how far the shadow reaches beyond the window on each side.  The
    // shadow's window is made, filled and shown when the parent is first
    // shown; `folder` holds the picture as a plain file (empty: the archive).
    void Create(HWND parent, const PictureRef& picture, const UIRect& corner, const std::wstring& folder);
    // Called with every message the parent receives.
    void OnParentMessage(UINT message, WPARAM wParam, LPARAM lParam);
    HWND GetHWND() const { return m_hWnd; }

private:
    bool MakeWindow();
    void Sync(bool parentVisible, bool restack);
    // Draws the margins into a bitmap of the shadow's size and hands it to
    // the layered window; false when that cannot be done.
    bool Fill(POINT at, SIZE size);

    HWND m_hParent = nullptr;
    HWND m_hWnd = nullptr;
    PictureRef m_picture;
    std::wstring m_folder;
    UIRect m_margin;
    RECT m_placed = {0, 0, 0, 0};  // where the shadow stands, once shown
    SIZE m_painted = {0, 0};       // the size its content was drawn for
    // A size that could not be drawn is not tried again at every move (each
    // try allocates and logs); a new size is.
    SIZE m_failed = {0, 0};
};
