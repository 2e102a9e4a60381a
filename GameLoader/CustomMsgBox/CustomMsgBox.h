#pragma once
// The launcher's skinned modal message box: a title, a warning icon, one
// line of text, OK and close.  Shown only for errors after which the
// launcher ends: both buttons close the owner as well.
#include <windows.h>

#include <string>

#include "win/WindowImplBase_win.h"

class CustomMsgBox : public WindowImplBase {
public:
    CustomMsgBox() = default;

    const wchar_t* GetWindowClassName() const override { return L"CustomMsgBoxClass"; }
    LRESULT HandleMessage(UINT message, WPARAM wParam, LPARAM lParam) override;
    void InitWindow() override;
    void OnClick(TNotifyUI& msg) override;
    // Escape acts as the close button (the base would post WM_CLOSE with
    // IDCANCEL, a result ShowMsgBox does not give); Enter is left alone.
    LRESULT ResponseDefaultKeyEvent(WPARAM key) override;
    std::wstring GetSkinFolder() override { return L""; }
    std::wstring GetSkinFile() override { return L"CustomMsgBox.xml"; }
    UIResourceType GetResourceType() const override { return UIResourceType::ZipResource; }
    UINT GetResourceID() const override { return 130; }

    void SetCloseOwner(bool closeOwner) { m_bCloseOwner = closeOwner; }

private:
    // Closes the box with `result`, then the owner (always after the close
    // button, after OK only with the close-owner flag).
    void CloseWith(WPARAM result, bool closeOwner);

    CControlUI* m_pCloseBtn = nullptr;
    CControlUI* m_pOkBtn = nullptr;
    bool m_bCloseOwner = false;
};

// Results of ShowMsgBox.
constexpr int kMsgBoxOk = 1;
constexpr int kMsgBoxClose = 8;
constexpr int kMsgBoxOther = 0;

// Shows the box modally over `owner` and returns when it is gone: 1 after
// OK, 8 after the close button (or Escape), 0 when it went away any other
// way, a WM_CLOSE with another wParam included.
int ShowMsgBox(HWND owner, const std::wstring& text);
