#pragma once
// A skinned window of the tests: loads a skin of the real archive (the test
// links the program's resource objects) and stands a plain control in for
// the browser tag.
#include <string>

#include "win/WindowImplBase_win.h"

class TestSkinWindow : public WindowImplBase {
public:
    explicit TestSkinWindow(std::wstring skinFile, UINT resourceId = 130)
        : m_skinFile(std::move(skinFile)), m_resourceId(resourceId)
    {
    }
    const wchar_t* GetWindowClassName() const override { return L"ZelkTestSkinWindow"; }
    std::wstring GetSkinFolder() override { return L""; }
    std::wstring GetSkinFile() override { return m_skinFile; }
    UIResourceType GetResourceType() const override { return UIResourceType::ZipResource; }
    UINT GetResourceID() const override { return m_resourceId; }
    CControlUI* CreateControl(const std::wstring& tag) override
    {
        return _wcsicmp(tag.c_str(), L"IeBrowser") == 0 ? new CControlUI : nullptr;
    }
    void InitWindow() override { ++initCalls; }
    void OnClick(TNotifyUI& msg) override { clicked.push_back(msg.pSender ? msg.pSender->GetName() : L""); }

    template <typename T>
    T* Find(const wchar_t* name)
    {
        return dynamic_cast<T*>(m_PaintManager.FindControl(name));
    }

    int initCalls = 0;
    std::vector<std::wstring> clicked;

private:
    std::wstring m_skinFile;
    UINT m_resourceId;
};
