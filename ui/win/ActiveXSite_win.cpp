#include "ActiveXSite_win.h"

#include "ActiveX_win.h"
#include "ComBoundary_win.h"

CActiveXSite::CActiveXSite(CActiveXUI* owner) : m_owner(owner) { CActiveXUI::AdjustHostReferences(1); }

CActiveXSite::~CActiveXSite() { CActiveXUI::AdjustHostReferences(-1); }

void CActiveXSite::Detach()
{
    m_owner = nullptr;
    m_bInPlaceActive = false;
    m_inPlaceObject.reset();
}

STDMETHODIMP CActiveXSite::QueryInterface(REFIID iid, void** out)
{
    return GuardedComCall("CActiveXSite::QueryInterface", [&]() -> HRESULT {
        if (!out)
            return E_POINTER;
        *out = nullptr;
        if (iid == IID_IUnknown || iid == IID_IOleClientSite)
            *out = static_cast<IOleClientSite*>(this);
        else if (iid == IID_IOleInPlaceSite || iid == IID_IOleWindow)
            *out = static_cast<IOleInPlaceSite*>(this);
        else if (iid == IID_IOleInPlaceFrame || iid == IID_IOleInPlaceUIWindow)
            *out = static_cast<IOleInPlaceFrame*>(this);
        else if (m_owner)
            return m_owner->QueryHostInterface(iid, out);
        if (!*out)
            return E_NOINTERFACE;
        AddRef();
        return S_OK;
    });
}

STDMETHODIMP_(ULONG) CActiveXSite::AddRef() { return static_cast<ULONG>(++m_refs); }

STDMETHODIMP_(ULONG) CActiveXSite::Release()
{
    const long refs = --m_refs;
    if (refs == 0)
        delete this;
    return static_cast<ULONG>(refs);
}

STDMETHODIMP CActiveXSite::GetMoniker(DWORD, DWORD, IMoniker** moniker)
{
    if (moniker)
        *moniker = nullptr;
    return E_NOTIMPL;
}

STDMETHODIMP CActiveXSite::GetContainer(IOleContainer** container)
{
    if (container)
        *container = nullptr;
    return E_NOINTERFACE;
}

STDMETHODIMP CActiveXSite::GetWindow(HWND* window)
{
    if (!window)
        return E_POINTER;
    *window = m_owner ? m_owner->HostWindow() : nullptr;
    return *window ? S_OK : E_FAIL;
}

STDMETHODIMP CActiveXSite::OnInPlaceActivate()
{
    return GuardedComCall("CActiveXSite::OnInPlaceActivate", [&]() -> HRESULT {
        if (!m_owner)
            return E_UNEXPECTED;
        m_bInPlaceActive = true;
        m_owner->GetControl(IID_IOleInPlaceObject, m_inPlaceObject.receive());
        return S_OK;
    });
}

STDMETHODIMP CActiveXSite::GetWindowContext(IOleInPlaceFrame** frame, IOleInPlaceUIWindow** document,
                                            LPRECT position, LPRECT clip, LPOLEINPLACEFRAMEINFO frameInfo)
{
    return GuardedComCall("CActiveXSite::GetWindowContext", [&]() -> HRESULT {
        if (!frame || !document || !position || !clip)
            return E_POINTER;
        *document = nullptr;
        *frame = static_cast<IOleInPlaceFrame*>(this);
        AddRef();
        const RECT rect = m_owner ? m_owner->ItemRect() : RECT{};
        *position = rect;
        *clip = rect;
        if (frameInfo) {
            frameInfo->fMDIApp = FALSE;
            frameInfo->hwndFrame = m_owner ? m_owner->HostWindow() : nullptr;
            frameInfo->haccel = nullptr;
            frameInfo->cAccelEntries = 0;
        }
        return S_OK;
    });
}

STDMETHODIMP CActiveXSite::OnInPlaceDeactivate()
{
    m_bInPlaceActive = false;
    m_inPlaceObject.reset();
    return S_OK;
}

STDMETHODIMP CActiveXSite::OnPosRectChange(LPCRECT position)
{
    if (position && m_inPlaceObject)
        m_inPlaceObject->SetObjectRects(position, position);
    return S_OK;
}
