#include "WebBrowserForwarders_win.h"

#include <exdisp.h>

#include <utility>

#include "ActiveX_win.h"
#include "ComBoundary_win.h"
#include "WebBrowser_win.h"

template <typename Interface>
CWebBrowserForwarder<Interface>::CWebBrowserForwarder(CWebBrowserUI* owner) : m_owner(owner)
{
    CActiveXUI::AdjustHostReferences(1);
}

template <typename Interface>
CWebBrowserForwarder<Interface>::~CWebBrowserForwarder()
{
    CActiveXUI::AdjustHostReferences(-1);
}

template <typename Interface>
STDMETHODIMP CWebBrowserForwarder<Interface>::QueryInterface(REFIID iid, void** out)
{
    if (!out)
        return E_POINTER;
    *out = nullptr;
    if (iid != IID_IUnknown && !AnswersFor(iid))
        return E_NOINTERFACE;
    *out = static_cast<Interface*>(this);
    AddRef();
    return S_OK;
}

template <typename Interface>
STDMETHODIMP_(ULONG) CWebBrowserForwarder<Interface>::AddRef()
{
    return static_cast<ULONG>(InterlockedIncrement(&m_refs));
}

template <typename Interface>
STDMETHODIMP_(ULONG) CWebBrowserForwarder<Interface>::Release()
{
    const LONG refs = InterlockedDecrement(&m_refs);
    if (refs == 0)
        delete this;
    return static_cast<ULONG>(refs);
}

template <typename Interface>
template <typename Call>
HRESULT CWebBrowserForwarder<Interface>::Forward(const char* where, HRESULT detached, Call&& call)
{
    if (!m_owner)
        return detached;
    return GuardedComCall(where, [&]() -> HRESULT { return call(*m_owner); });
}

template class CWebBrowserForwarder<IDocHostUIHandler>;
template class CWebBrowserForwarder<IOleCommandTarget>;
template class CWebBrowserForwarder<IDispatch>;

namespace {

template <typename T>
void Clear(T** out)
{
    if (out)
        *out = nullptr;
}

}  // namespace

// ---------------------------------------------------------------- UI handler
// Once detached, the answers are those of a host that adds nothing: the
// browser's own menus and keys, no external object.

STDMETHODIMP CDocHostUIHandlerForwarder::ShowContextMenu(DWORD id, POINT* point, IUnknown* target, IDispatch* object)
{
    return Forward("CDocHostUIHandlerForwarder::ShowContextMenu", S_FALSE,
                   [&](CWebBrowserUI& owner) { return owner.ShowContextMenu(id, point, target, object); });
}

STDMETHODIMP CDocHostUIHandlerForwarder::GetHostInfo(DOCHOSTUIINFO* info)
{
    return Forward("CDocHostUIHandlerForwarder::GetHostInfo", E_UNEXPECTED, [&](CWebBrowserUI& owner) { return owner.GetHostInfo(info); });
}

STDMETHODIMP CDocHostUIHandlerForwarder::ShowUI(DWORD id, IOleInPlaceActiveObject* active, IOleCommandTarget* target,
                                                IOleInPlaceFrame* frame, IOleInPlaceUIWindow* document)
{
    return Forward("CDocHostUIHandlerForwarder::ShowUI", S_FALSE,
                   [&](CWebBrowserUI& owner) { return owner.ShowUI(id, active, target, frame, document); });
}

STDMETHODIMP CDocHostUIHandlerForwarder::HideUI()
{
    return Forward("CDocHostUIHandlerForwarder::HideUI", S_OK, [&](CWebBrowserUI& owner) { return owner.HideUI(); });
}

STDMETHODIMP CDocHostUIHandlerForwarder::UpdateUI()
{
    return Forward("CDocHostUIHandlerForwarder::UpdateUI", S_OK, [&](CWebBrowserUI& owner) { return owner.UpdateUI(); });
}

STDMETHODIMP CDocHostUIHandlerForwarder::EnableModeless(BOOL enable)
{
    return Forward("CDocHostUIHandlerForwarder::EnableModeless", S_OK, [&](CWebBrowserUI& owner) { return owner.EnableModeless(enable); });
}

STDMETHODIMP CDocHostUIHandlerForwarder::OnDocWindowActivate(BOOL activate)
{
    return Forward("CDocHostUIHandlerForwarder::OnDocWindowActivate", S_OK,
                   [&](CWebBrowserUI& owner) { return owner.OnDocWindowActivate(activate); });
}

STDMETHODIMP CDocHostUIHandlerForwarder::OnFrameWindowActivate(BOOL activate)
{
    return Forward("CDocHostUIHandlerForwarder::OnFrameWindowActivate", S_OK,
                   [&](CWebBrowserUI& owner) { return owner.OnFrameWindowActivate(activate); });
}

STDMETHODIMP CDocHostUIHandlerForwarder::ResizeBorder(LPCRECT border, IOleInPlaceUIWindow* window, BOOL frameWindow)
{
    return Forward("CDocHostUIHandlerForwarder::ResizeBorder", S_OK,
                   [&](CWebBrowserUI& owner) { return owner.ResizeBorder(border, window, frameWindow); });
}

STDMETHODIMP CDocHostUIHandlerForwarder::TranslateAccelerator(LPMSG message, const GUID* group, DWORD command)
{
    return Forward("CDocHostUIHandlerForwarder::TranslateAccelerator", S_FALSE,
                   [&](CWebBrowserUI& owner) { return owner.TranslateAccelerator(message, group, command); });
}

STDMETHODIMP CDocHostUIHandlerForwarder::GetOptionKeyPath(LPOLESTR* key, DWORD reserved)
{
    Clear(key);
    return Forward("CDocHostUIHandlerForwarder::GetOptionKeyPath", E_NOTIMPL,
                   [&](CWebBrowserUI& owner) { return owner.GetOptionKeyPath(key, reserved); });
}

STDMETHODIMP CDocHostUIHandlerForwarder::GetDropTarget(IDropTarget* target, IDropTarget** result)
{
    Clear(result);
    return Forward("CDocHostUIHandlerForwarder::GetDropTarget", E_NOTIMPL,
                   [&](CWebBrowserUI& owner) { return owner.GetDropTarget(target, result); });
}

STDMETHODIMP CDocHostUIHandlerForwarder::GetExternal(IDispatch** dispatch)
{
    if (!dispatch)
        return E_POINTER;
    *dispatch = nullptr;
    return Forward("CDocHostUIHandlerForwarder::GetExternal", S_FALSE, [&](CWebBrowserUI& owner) { return owner.GetExternal(dispatch); });
}

STDMETHODIMP CDocHostUIHandlerForwarder::TranslateUrl(DWORD translate, LPWSTR url, LPWSTR* urlOut)
{
    Clear(urlOut);
    return Forward("CDocHostUIHandlerForwarder::TranslateUrl", S_FALSE,
                   [&](CWebBrowserUI& owner) { return owner.TranslateUrl(translate, url, urlOut); });
}

STDMETHODIMP CDocHostUIHandlerForwarder::FilterDataObject(IDataObject* object, IDataObject** result)
{
    Clear(result);
    return Forward("CDocHostUIHandlerForwarder::FilterDataObject", S_FALSE,
                   [&](CWebBrowserUI& owner) { return owner.FilterDataObject(object, result); });
}

// ------------------------------------------------------------ command target

STDMETHODIMP COleCommandTargetForwarder::QueryStatus(const GUID* group, ULONG count, OLECMD* commands,
                                                     OLECMDTEXT* text)
{
    return Forward("COleCommandTargetForwarder::QueryStatus", OLECMDERR_E_NOTSUPPORTED,
                   [&](CWebBrowserUI& owner) { return owner.QueryStatus(group, count, commands, text); });
}

STDMETHODIMP COleCommandTargetForwarder::Exec(const GUID* group, DWORD command, DWORD options, VARIANT* in,
                                              VARIANT* out)
{
    // Detached, a script error gets the browser's own handling, which for a
    // silent browser shows nothing either.
    return Forward("COleCommandTargetForwarder::Exec", OLECMDERR_E_NOTSUPPORTED,
                   [&](CWebBrowserUI& owner) { return owner.Exec(group, command, options, in, out); });
}

// ------------------------------------------------------------------ dispatch

bool CDispatchForwarder::AnswersFor(REFIID iid) const { return iid == IID_IDispatch || iid == DIID_DWebBrowserEvents2; }

STDMETHODIMP CDispatchForwarder::GetTypeInfoCount(UINT* count)
{
    if (!count)
        return E_POINTER;
    *count = 0;
    return S_OK;
}

STDMETHODIMP CDispatchForwarder::GetTypeInfo(UINT, LCID, ITypeInfo** info)
{
    Clear(info);
    return E_NOTIMPL;
}

STDMETHODIMP CDispatchForwarder::GetIDsOfNames(REFIID iid, LPOLESTR* names, UINT count, LCID locale, DISPID* ids)
{
    if (!ids)
        return E_POINTER;
    for (UINT i = 0; i < count; ++i)
        ids[i] = DISPID_UNKNOWN;
    return Forward("CDispatchForwarder::GetIDsOfNames", DISP_E_UNKNOWNNAME,
                   [&](CWebBrowserUI& owner) { return owner.GetIDsOfNames(iid, names, count, locale, ids); });
}

STDMETHODIMP CDispatchForwarder::Invoke(DISPID id, REFIID iid, LCID locale, WORD flags, DISPPARAMS* params,
                                        VARIANT* result, EXCEPINFO* exception, UINT* argError)
{
    // A page that kept window.external, or a browser still firing while it
    // closes, reaches nothing once the control is gone.
    return Forward("CDispatchForwarder::Invoke", DISP_E_MEMBERNOTFOUND, [&](CWebBrowserUI& owner) {
        return owner.Invoke(id, iid, locale, flags, params, result, exception, argError);
    });
}
