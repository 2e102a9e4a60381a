#pragma once
// A skinned window of the tests around the real GameLoader.xml: it creates
// the launcher's browser control for the skin's IeBrowser tag and records
// the page's messages as the main window would receive them.
#include <windows.h>

#include <memory>
#include <string>
#include <vector>

#include "CIeBrowserUI/IeBrowserUI_win.h"
#include "GameLoaderWnd/OpenGameRequests_win.h"
#include "Main/WindowMessages.h"
#include "win/WindowImplBase_win.h"

class PortalPageWindow : public WindowImplBase {
public:
    struct Posted {
        UINT message;
        std::string request;  // WM_OPEN_GAME's text
    };

    const wchar_t* GetWindowClassName() const override { return L"ZelkPortalPageTestWindow"; }
    std::wstring GetSkinFolder() override { return L""; }
    std::wstring GetSkinFile() override { return L"GameLoader.xml"; }
    UIResourceType GetResourceType() const override { return UIResourceType::ZipResource; }
    UINT GetResourceID() const override { return 130; }
    // The bridge hands its open-game requests to the window that keeps them.
    void InitWindow() override { requests.Attach(m_hWnd); }
    CControlUI* CreateControl(const std::wstring& tag) override
    {
        return _wcsicmp(tag.c_str(), L"IeBrowser") == 0 ? new CIeBrowserUI(m_hWnd) : nullptr;
    }
    LRESULT HandleCustomMessage(UINT message, WPARAM wParam, LPARAM, BOOL& handled) override
    {
        if (message < WM_WEB_LOADED || message > WM_WEB_NET_ERROR) {
            handled = FALSE;
            return 0;
        }
        Posted entry{message, {}};
        if (message == WM_OPEN_GAME) {
            if (const std::unique_ptr<std::string> request = requests.Take(wParam))
                entry.request = *request;
        }
        posted.push_back(entry);
        handled = TRUE;
        return 0;
    }
    void OnFinalMessage(HWND window) override
    {
        WindowImplBase::OnFinalMessage(window);
        destroyed = true;
    }

    CIeBrowserUI* Browser() { return dynamic_cast<CIeBrowserUI*>(m_PaintManager.FindControl(L"ie")); }
    template <typename T>
    T* Find(const wchar_t* name)
    {
        return dynamic_cast<T*>(m_PaintManager.FindControl(name));
    }

    OpenGameRequests requests;
    std::vector<Posted> posted;
    bool destroyed = false;
};
