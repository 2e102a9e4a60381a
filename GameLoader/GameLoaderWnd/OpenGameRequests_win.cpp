#include "GameLoaderWnd/OpenGameRequests_win.h"

#include <algorithm>
#include <utility>

#include "Log/Log.h"
#include "Main/WindowMessages.h"

namespace {

// The windows that keep requests, with their keepers.  UI thread only.
// Never destroyed: a keeper that outlives the statics still finds it.
std::vector<std::pair<HWND, OpenGameRequests*>>& Keepers()
{
    static auto* keepers = new std::vector<std::pair<HWND, OpenGameRequests*>>();
    return *keepers;
}

}  // namespace

OpenGameRequests::~OpenGameRequests() { Detach(); }

void OpenGameRequests::Attach(HWND window)
{
    Detach();
    m_window = window;
    Keepers().emplace_back(window, this);
}

void OpenGameRequests::Detach()
{
    auto& keepers = Keepers();
    keepers.erase(std::remove_if(keepers.begin(), keepers.end(),
                                 [this](const std::pair<HWND, OpenGameRequests*>& entry) { return entry.second == this; }),
                  keepers.end());
    m_window = nullptr;
    m_pending.clear();
}

bool OpenGameRequests::Post(const std::string& text)
{
    auto request = std::make_unique<std::string>(text);
    const WPARAM address = reinterpret_cast<WPARAM>(request.get());
    m_pending.push_back(std::move(request));
    if (m_window && PostMessageW(m_window, WM_OPEN_GAME, address, 0))
        return true;
    m_pending.pop_back();
    return false;
}

std::unique_ptr<std::string> OpenGameRequests::Take(WPARAM wParam)
{
    const auto found = std::find_if(m_pending.begin(), m_pending.end(), [wParam](const std::unique_ptr<std::string>& kept) {
        return reinterpret_cast<WPARAM>(kept.get()) == wParam;
    });
    if (found == m_pending.end()) {
        unsigned long leftOut = 0;
        if (m_ignoredLines.Admit(GetTickCount64(), leftOut)) {
            if (leftOut > 0)
                LOG_CALL(0, L"WM_OPEN_GAME: " << leftOut << L" more ignored, not logged");
            LOG_CALL(0, L"WM_OPEN_GAME ignored: " << static_cast<unsigned long>(wParam)
                                                  << L" is no request of this launcher");
        }
        return nullptr;
    }
    std::unique_ptr<std::string> request = std::move(*found);
    m_pending.erase(found);
    return request;
}

bool PostOpenGameRequest(HWND window, const std::string& text)
{
    for (const auto& [keptFor, keeper] : Keepers()) {
        if (keptFor == window)
            return keeper->Post(text);
    }
    LOG_CALL(0, L"open_game request dropped: the window keeps no requests");
    return false;
}
