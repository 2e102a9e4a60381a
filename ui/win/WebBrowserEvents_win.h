#pragma once
// The browser's DWebBrowserEvents2 events as the launcher sees them: one
// do-nothing operation per event on a handler, and the dispatch that routes
// an event by its dispatch id after checking its shape.  UI thread only.
#include <windows.h>
#include <oaidl.h>

#include <functional>

// One do-nothing operation per browser event; the launcher overrides the
// ones it acts on.  By-reference arguments arrive as the pointers they hold
// and stay valid during the call only.
class CWebBrowserEventHandler {
public:
    virtual ~CWebBrowserEventHandler() = default;
    virtual void BeforeNavigate2(IDispatch*, VARIANT* /*url*/, VARIANT* /*flags*/, VARIANT* /*targetFrame*/,
                                 VARIANT* /*postData*/, VARIANT* /*headers*/, VARIANT_BOOL* /*cancel*/)
    {
    }
    virtual void NavigateError(IDispatch*, VARIANT* /*url*/, VARIANT* /*targetFrame*/, VARIANT* /*statusCode*/,
                               VARIANT_BOOL* /*cancel*/)
    {
    }
    virtual void NavigateComplete2(IDispatch*, VARIANT* /*url*/) {}
    virtual void DocumentComplete(IDispatch*, VARIANT* /*url*/) {}
    // `urlContext` and `url` are null when the browser sent them as
    // something other than text.
    virtual void NewWindow3(IDispatch** /*browser*/, VARIANT_BOOL* /*cancel*/, DWORD /*flags*/,
                            BSTR /*urlContext*/, BSTR /*url*/)
    {
    }
    virtual void CommandStateChange(long /*command*/, VARIANT_BOOL /*enable*/) {}
};

// Routes the event `id` to `handler` (null drops it).  An event whose
// arguments are not of the shape a browser sends is refused with
// DISP_E_BADPARAMCOUNT before any argument is read; unknown events answer
// DISP_E_MEMBERNOTFOUND.  `onNavigateComplete` runs for a well-formed
// NavigateComplete2 before the handler hears of it.
HRESULT DispatchWebBrowserEvent(DISPID id, DISPPARAMS* params, CWebBrowserEventHandler* handler,
                                const std::function<void()>& onNavigateComplete);
