#pragma once
// The page's open-game requests on their way to the main window.  The
// bridge runs inside the browser's call and must not start the game there,
// so it keeps the request here and posts WM_OPEN_GAME with the kept text's
// address as wParam; the window takes it back when the message comes.
//
// Any process on the desktop can post WM_OPEN_GAME with any number, so the
// address is only ever compared with the ones kept here, never followed:
// a number that is not one of them is ignored with a log line.  UI thread
// only.
#include <windows.h>

#include <memory>
#include <string>
#include <vector>

#include "CIeBrowserUI/RefusalLog.h"

class OpenGameRequests {
public:
    OpenGameRequests() = default;
    // Requests still kept (their message never came, or came after the
    // window was gone) are freed here.
    ~OpenGameRequests();
    OpenGameRequests(const OpenGameRequests&) = delete;
    OpenGameRequests& operator=(const OpenGameRequests&) = delete;

    // From now on the bridge's requests for `window` are kept here.
    void Attach(HWND window);
    // No more requests are kept for the window, and the pending ones are freed.
    void Detach();

    // Keeps `text` and posts WM_OPEN_GAME with its address to the window.
    // False, keeping nothing, when the post fails.
    bool Post(const std::string& text);
    // The request whose address is `wParam`, no longer kept; null (and a log
    // line, at most a few per second however often it comes) for any other
    // number.
    std::unique_ptr<std::string> Take(WPARAM wParam);
    std::size_t Pending() const { return m_pending.size(); }

private:
    HWND m_window = nullptr;
    std::vector<std::unique_ptr<std::string>> m_pending;
    RefusalLog m_ignoredLines;
};

// The bridge's side: hands `text` to the requests attached to `window`.  A
// window that keeps none (it is gone, or it is not the main window) gets no
// message; that is logged and false.
bool PostOpenGameRequest(HWND window, const std::string& text);
