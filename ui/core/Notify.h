#pragma once
// Notifications from controls to their window, and the notification map
// that routes them by type.
#include <cstdint>
#include <functional>
#include <string>
#include <utility>
#include <vector>

class CControlUI;

struct TNotifyUI {
    std::wstring sType;  // "click", ...
    CControlUI* pSender = nullptr;
    uintptr_t wParam = 0;
    intptr_t lParam = 0;
};

class INotifyUI {
public:
    virtual ~INotifyUI() = default;
    virtual void Notify(TNotifyUI& msg) = 0;
};

// Routes a notification to the handler registered for its type.
class CNotifyPump {
public:
    virtual ~CNotifyPump() = default;
    // True when a handler took it.
    bool LoopDispatch(TNotifyUI& msg)
    {
        for (auto& entry : m_handlers) {
            if (entry.first == msg.sType) {
                entry.second(msg);
                return true;
            }
        }
        return false;
    }

protected:
    void AddNotifyHandler(std::wstring type, std::function<void(TNotifyUI&)> handler)
    {
        m_handlers.emplace_back(std::move(type), std::move(handler));
    }

private:
    std::vector<std::pair<std::wstring, std::function<void(TNotifyUI&)>>> m_handlers;
};
