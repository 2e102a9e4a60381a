#include "CustomMsgBox/CustomMsgBox.h"

#include <memory>
#include <new>

#include "Log/Log.h"

LRESULT CustomMsgBox::HandleMessage(UINT message, WPARAM wParam, LPARAM lParam)
{
    // A double click on the caption does not maximise.
    if (message == WM_NCLBUTTONDBLCLK)
        return 0;
    return WindowImplBase::HandleMessage(message, wParam, lParam);
}

void CustomMsgBox::InitWindow()
{
    m_pCloseBtn = m_PaintManager.FindControl(L"btnClose");
    m_pOkBtn = m_PaintManager.FindControl(L"btnOk");
}

void CustomMsgBox::CloseWith(WPARAM result, bool closeOwner)
{
    HWND owner = GetWindow(m_hWnd, GW_OWNER);
    if (IsWindow(m_hWnd))
        ::PostMessageW(m_hWnd, WM_CLOSE, result, 0);
    if (closeOwner)
        ::PostMessageW(owner, WM_CLOSE, 0, 0);
}

void CustomMsgBox::OnClick(TNotifyUI& msg)
{
    if (msg.pSender && msg.pSender == m_pCloseBtn)
        CloseWith(kMsgBoxClose, true);
    else if (msg.pSender && msg.pSender == m_pOkBtn)
        CloseWith(kMsgBoxOk, m_bCloseOwner);
}

LRESULT CustomMsgBox::ResponseDefaultKeyEvent(WPARAM key)
{
    if (key != VK_ESCAPE)
        return FALSE;
    CloseWith(kMsgBoxClose, true);
    return TRUE;
}

int ShowMsgBox(HWND owner, const std::wstring& text)
{
    std::unique_ptr<CustomMsgBox> box(new (std::nothrow) CustomMsgBox);
    if (!box)
        return kMsgBoxOther;
    box->SetCloseOwner(true);
    box->Create(owner, L"CustomMsgBox", WS_VISIBLE | WS_OVERLAPPEDWINDOW, 0, 0, 0, 0);
    HWND window = box->GetHWND();
    if (!text.empty()) {
        if (CControlUI* tip = box->PaintManager().FindControl(L"labelTip"))
            tip->SetText(text);
    }
    box->CenterWindow();
    box->ShowWindow(true);
    EnableWindow(owner, FALSE);
    ::SendMessageW(owner, WM_UI_MODAL_BOX, 0, reinterpret_cast<LPARAM>(window));

    int result = kMsgBoxOther;
    bool quit = false;
    WPARAM quitCode = 0;
    if (IsWindow(window)) {
        MSG message = {};
        do {
            const BOOL got = GetMessageW(&message, nullptr, 0, 0);
            if (got == 0 || got == -1) {
                quit = got == 0;
                quitCode = message.wParam;
                break;
            }
            if (message.message == WM_CLOSE && message.hwnd == window) {
                // Anyone may post WM_CLOSE to the box; only its buttons give a result.
                result = message.wParam == kMsgBoxOk || message.wParam == kMsgBoxClose ? static_cast<int>(message.wParam)
                                                                                     : kMsgBoxOther;
                EnableWindow(owner, TRUE);
                SetFocus(owner);
            }
            if (!CPaintManagerUI::TranslateMessage(&message)) {
                TranslateMessage(&message);
                DispatchMessageW(&message);
            }
        } while (IsWindow(window));
    }
    EnableWindow(owner, TRUE);
    SetFocus(owner);
    if (quit)
        PostQuitMessage(static_cast<int>(quitCode));
    // The box window is gone (or never was); the object goes with it.
    if (IsWindow(window))
        DestroyWindow(window);
    return result;
}
