#pragma once
// The real skins of the launcher, read from the source tree, built with a
// host that records what the controls ask of their window.
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "core/DialogBuilder.h"

struct RecordingHost : IControlHost {
    void Invalidate(const UIRect&) override { ++invalidations; }
    void NeedUpdate() override { ++updates; }
    void SendNotify(CControlUI* sender, const wchar_t* type, uintptr_t, intptr_t) override
    {
        notifications.push_back({type, sender});
    }
    struct Sent {
        std::wstring type;
        CControlUI* sender;
    };
    int invalidations = 0;
    int updates = 0;
    std::vector<Sent> notifications;
};

// Stands in for the window's own controls (the browser control).
struct PlaceholderCallback : IDialogBuilderCallback {
    CControlUI* CreateControl(const std::wstring& tag) override
    {
        tags.push_back(tag);
        return new CControlUI;
    }
    std::vector<std::wstring> tags;
};

inline std::string ReadSkin(const char* name)
{
    std::ifstream file(std::string(ZELK_SKIN_DIR) + "/" + name, std::ios::binary);
    std::ostringstream bytes;
    bytes << file.rdbuf();
    return bytes.str();
}
