#include "ActiveX_win.h"

#include <exdispid.h>

#include <atomic>
#include <string>

#include "UILog.h"
#include "common/win/BoundaryGuard.h"

namespace {

std::atomic<long> g_hostReferences{0};

// Not in the import libraries of every tool chain.
const IID kIID_ICustomDoc = {0x3050f3f0, 0x98b5, 0x11cf, {0xbb, 0x82, 0x00, 0xaa, 0x00, 0xbd, 0xce, 0x0b}};

void LogEscape(const char* where, const char* what)
{
    UILog(0, std::wstring(where, where + strlen(where)) + L": " + std::wstring(what, what + strlen(what)));
}

template <typename Body>
HRESULT Guarded(const char* where, Body&& body) noexcept
{
    return GuardBoundary<HRESULT>(E_UNEXPECTED, [where](const char* what) { LogEscape(where, what); },
                                  std::forward<Body>(body));
}

}  // namespace

// Declared by <mshtmhst.h> but missing from the tool chain's uuid library.
extern "C" const GUID CGID_DocHostCommandHandler = {
    0xf38bc242, 0xb950, 0x11d1, {0x89, 0x18, 0x00, 0xc0, 0x4f, 0xc2, 0xc8, 0x36}};

// The host side the hosted control talks to: client site, in-place site
// and frame.  Reference counted on its own, because the control may keep
// it past our Close; once the owner is gone it answers without it.
class CActiveXSite : public IOleClientSite, public IOleInPlaceSite, public IOleInPlaceFrame {
public:
    explicit CActiveXSite(CActiveXUI* owner) : m_owner(owner) { CActiveXUI::AdjustHostReferences(1); }
    virtual ~CActiveXSite() { CActiveXUI::AdjustHostReferences(-1); }
    CActiveXSite(const CActiveXSite&) = delete;
    CActiveXSite& operator=(const CActiveXSite&) = delete;

    void Detach() { m_owner = nullptr; }
    bool InPlaceActive() const { return m_bInPlaceActive; }
    IOleInPlaceObject* InPlaceObject() const { return m_inPlaceObject.get(); }

    // IUnknown
    STDMETHODIMP QueryInterface(REFIID iid, void** out) override
    {
        return Guarded("CActiveXSite::QueryInterface", [&]() -> HRESULT {
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
    STDMETHODIMP_(ULONG) AddRef() override { return static_cast<ULONG>(++m_refs); }
    STDMETHODIMP_(ULONG) Release() override
    {
        const long refs = --m_refs;
        if (refs == 0)
            delete this;
        return static_cast<ULONG>(refs);
    }

    // IOleClientSite
    STDMETHODIMP SaveObject() override { return E_NOTIMPL; }
    STDMETHODIMP GetMoniker(DWORD, DWORD, IMoniker** moniker) override
    {
        if (moniker)
            *moniker = nullptr;
        return E_NOTIMPL;
    }
    STDMETHODIMP GetContainer(IOleContainer** container) override
    {
        if (container)
            *container = nullptr;
        return E_NOINTERFACE;
    }
    STDMETHODIMP ShowObject() override { return S_OK; }
    STDMETHODIMP OnShowWindow(BOOL) override { return S_OK; }
    STDMETHODIMP RequestNewObjectLayout() override { return E_NOTIMPL; }

    // IOleWindow
    STDMETHODIMP GetWindow(HWND* window) override
    {
        if (!window)
            return E_POINTER;
        *window = m_owner ? m_owner->HostWindow() : nullptr;
        return *window ? S_OK : E_FAIL;
    }
    STDMETHODIMP ContextSensitiveHelp(BOOL) override { return S_OK; }

    // IOleInPlaceSite
    STDMETHODIMP CanInPlaceActivate() override { return m_owner ? S_OK : S_FALSE; }
    STDMETHODIMP OnInPlaceActivate() override
    {
        return Guarded("CActiveXSite::OnInPlaceActivate", [&]() -> HRESULT {
            m_bInPlaceActive = true;
            if (m_owner)
                m_owner->GetControl(IID_IOleInPlaceObject, m_inPlaceObject.receive());
            return S_OK;
        });
    }
    STDMETHODIMP OnUIActivate() override { return S_OK; }
    STDMETHODIMP GetWindowContext(IOleInPlaceFrame** frame, IOleInPlaceUIWindow** document, LPRECT position,
                                  LPRECT clip, LPOLEINPLACEFRAMEINFO frameInfo) override
    {
        return Guarded("CActiveXSite::GetWindowContext", [&]() -> HRESULT {
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
    STDMETHODIMP Scroll(SIZE) override { return E_NOTIMPL; }
    STDMETHODIMP OnUIDeactivate(BOOL) override { return S_OK; }
    STDMETHODIMP OnInPlaceDeactivate() override
    {
        m_bInPlaceActive = false;
        m_inPlaceObject.reset();
        return S_OK;
    }
    STDMETHODIMP DiscardUndoState() override { return S_OK; }
    STDMETHODIMP DeactivateAndUndo() override { return S_OK; }
    STDMETHODIMP OnPosRectChange(LPCRECT position) override
    {
        if (position && m_inPlaceObject)
            m_inPlaceObject->SetObjectRects(position, position);
        return S_OK;
    }

    // IOleInPlaceUIWindow
    STDMETHODIMP GetBorder(LPRECT) override { return INPLACE_E_NOTOOLSPACE; }
    STDMETHODIMP RequestBorderSpace(LPCBORDERWIDTHS) override { return INPLACE_E_NOTOOLSPACE; }
    STDMETHODIMP SetBorderSpace(LPCBORDERWIDTHS) override { return S_OK; }
    STDMETHODIMP SetActiveObject(IOleInPlaceActiveObject*, LPCOLESTR) override { return S_OK; }

    // IOleInPlaceFrame
    STDMETHODIMP InsertMenus(HMENU, LPOLEMENUGROUPWIDTHS) override { return S_OK; }
    STDMETHODIMP SetMenu(HMENU, HOLEMENU, HWND) override { return S_OK; }
    STDMETHODIMP RemoveMenus(HMENU) override { return S_OK; }
    STDMETHODIMP SetStatusText(LPCOLESTR) override { return S_OK; }
    STDMETHODIMP EnableModeless(BOOL) override { return S_OK; }
    STDMETHODIMP TranslateAccelerator(LPMSG, WORD) override { return S_FALSE; }

private:
    CActiveXUI* m_owner;
    long m_refs = 1;
    bool m_bInPlaceActive = false;
    ScopedComPtr<IOleInPlaceObject> m_inPlaceObject;
};

// ---------------------------------------------------------------- CActiveXUI

CActiveXUI::CActiveXUI() = default;

CActiveXUI::~CActiveXUI() { ReleaseControl(); }

long CActiveXUI::OutstandingHostReferences() { return g_hostReferences.load(); }

void CActiveXUI::AdjustHostReferences(long delta) { g_hostReferences += delta; }

void CActiveXUI::SetAttribute(std::string_view name, std::string_view value)
{
    if (name == "clsid") {
        CLSID clsid;
        const std::wstring text = Utf8ToWide(value);
        if (SUCCEEDED(CLSIDFromString(text.c_str(), &clsid)))
            m_clsid = clsid;
    } else if (name == "delaycreate") {
        bool delay;
        if (ParseBool(value, delay))
            m_bDelayCreate = delay;
    } else {
        CControlUI::SetAttribute(name, value);
    }
}

CPaintManagerUI* CActiveXUI::Manager() const { return dynamic_cast<CPaintManagerUI*>(GetHost()); }

HWND CActiveXUI::HostWindow() const
{
    CPaintManagerUI* manager = Manager();
    return manager ? manager->GetPaintWindow() : nullptr;
}

RECT CActiveXUI::ItemRect() const { return RECT{m_rcItem.left, m_rcItem.top, m_rcItem.right, m_rcItem.bottom}; }

void CActiveXUI::SetHost(IControlHost* host, CControlUI* parent)
{
    if (host != GetHost() && m_bTranslatorAdded) {
        if (CPaintManagerUI* old = Manager())
            old->RemoveTranslateAccelerator(this);
        m_bTranslatorAdded = false;
    }
    CControlUI::SetHost(host, parent);
    if (CPaintManagerUI* manager = Manager()) {
        if (!m_bTranslatorAdded) {
            manager->AddTranslateAccelerator(this);
            m_bTranslatorAdded = true;
        }
        if (!m_bDelayCreate && !IsCreated() && manager->GetPaintWindow())
            CreateControl();
    }
}

bool CActiveXUI::CreateControl()
{
    if (IsCreated())
        return true;
    const HWND window = HostWindow();
    if (m_bCreateFailed || !window || m_clsid == CLSID_NULL)
        return false;
    m_bCreateFailed = true;
    ScopedComPtr<IOleObject> object;
    HRESULT result = CoCreateInstance(m_clsid, nullptr, CLSCTX_INPROC_SERVER | CLSCTX_LOCAL_SERVER,
                                      IID_IOleObject, object.receive());
    if (FAILED(result)) {
        UILog(0, L"CActiveXUI: CoCreateInstance failed 0x" + std::to_wstring(static_cast<unsigned long>(result)));
        return false;
    }
    m_pSite = new CActiveXSite(this);
    m_object = std::move(object);
    // The site goes first: a browser reads its host's settings while it
    // initialises.
    m_object->SetClientSite(static_cast<IOleClientSite*>(m_pSite));
    ScopedComPtr<IPersistStreamInit> persist;
    if (SUCCEEDED(m_object->QueryInterface(IID_IPersistStreamInit, persist.receive())))
        persist->InitNew();
    RECT rect = ItemRect();
    result = m_object->DoVerb(OLEIVERB_INPLACEACTIVATE, nullptr, static_cast<IOleClientSite*>(m_pSite), 0, window,
                              &rect);
    if (FAILED(result)) {
        UILog(0, L"CActiveXUI: in-place activation failed 0x" + std::to_wstring(static_cast<unsigned long>(result)));
        ReleaseControl();
        return false;
    }
    m_bCreateFailed = false;
    ShowControlWindow();
    OnControlCreated();
    return true;
}

void CActiveXUI::ReleaseControl()
{
    if (m_bTranslatorAdded) {
        if (CPaintManagerUI* manager = Manager())
            manager->RemoveTranslateAccelerator(this);
        m_bTranslatorAdded = false;
    }
    if (m_object) {
        OnControlReleasing();
        if (m_pSite && m_pSite->InPlaceObject())
            m_pSite->InPlaceObject()->InPlaceDeactivate();
        m_object->Close(OLECLOSE_NOSAVE);
        m_object->SetClientSite(nullptr);
        m_object.reset();
    }
    if (m_pSite) {
        m_pSite->Detach();
        m_pSite->Release();
        m_pSite = nullptr;
    }
}

HRESULT CActiveXUI::GetControl(REFIID iid, void** out) const
{
    if (!out)
        return E_POINTER;
    *out = nullptr;
    return m_object ? m_object->QueryInterface(iid, out) : E_NOINTERFACE;
}

HWND CActiveXUI::GetControlWindow() const
{
    ScopedComPtr<IOleInPlaceObject> inPlace;
    if (FAILED(GetControl(IID_IOleInPlaceObject, inPlace.receive())) || !inPlace)
        return nullptr;
    HWND window = nullptr;
    return SUCCEEDED(inPlace->GetWindow(&window)) ? window : nullptr;
}

void CActiveXUI::ShowControlWindow()
{
    if (HWND window = GetControlWindow())
        ::ShowWindow(window, IsVisible() ? SW_SHOWNA : SW_HIDE);
}

void CActiveXUI::SetPos(const UIRect& rect)
{
    CControlUI::SetPos(rect);
    if (!IsCreated() && m_bDelayCreate && !m_rcItem.IsEmpty())
        CreateControl();
    if (!IsCreated() || !m_pSite || !m_pSite->InPlaceObject())
        return;
    const RECT position = ItemRect();
    m_pSite->InPlaceObject()->SetObjectRects(&position, &position);
}

void CActiveXUI::SetVisible(bool visible)
{
    CControlUI::SetVisible(visible);
    ShowControlWindow();
}

void CActiveXUI::SetInternVisible(bool visible)
{
    CControlUI::SetInternVisible(visible);
    ShowControlWindow();
}

bool CActiveXUI::TranslateAccelerator(MSG* message)
{
    if (!message || message->message < WM_KEYFIRST || message->message > WM_KEYLAST)
        return false;
    const HWND controlWindow = GetControlWindow();
    const HWND focus = GetFocus();
    if (!controlWindow || !focus || (focus != controlWindow && !IsChild(controlWindow, focus)))
        return false;
    ScopedComPtr<IOleInPlaceActiveObject> active;
    if (FAILED(GetControl(IID_IOleInPlaceActiveObject, active.receive())) || !active)
        return false;
    return active->TranslateAccelerator(message) == S_OK;
}

// ------------------------------------------------------------- CWebBrowserUI

CWebBrowserUI::CWebBrowserUI() { SetCLSID(CLSID_WebBrowser); }

CWebBrowserUI::~CWebBrowserUI()
{
    // The browser gives back what it holds on us while it is closed here,
    // not in ~CActiveXUI, when this part of the object is gone.
    ReleaseControl();
    if (m_dwRef != 0)
        UILog(0, L"CWebBrowserUI: " + std::to_wstring(m_dwRef) + L" references still held at destruction");
}

void CWebBrowserUI::SetAttribute(std::string_view name, std::string_view value)
{
    if (name == "homepage") {
        m_sHomePage = Utf8ToWide(value);
    } else if (name == "autonavi") {
        bool autoNavigate;
        if (ParseBool(value, autoNavigate))
            m_bAutoNavi = autoNavigate;
    } else {
        CActiveXUI::SetAttribute(name, value);
    }
}

IWebBrowser2* CWebBrowserUI::GetWebBrowser2() const
{
    if (!m_webBrowser)
        return nullptr;
    m_webBrowser->AddRef();
    return m_webBrowser.get();
}

bool CWebBrowserUI::Navigate2(const std::wstring& url)
{
    if (!m_webBrowser)
        return false;
    VARIANT target;
    VariantInit(&target);
    target.vt = VT_BSTR;
    target.bstrVal = SysAllocStringLen(url.data(), static_cast<UINT>(url.size()));
    const HRESULT result = m_webBrowser->Navigate2(&target, nullptr, nullptr, nullptr, nullptr);
    VariantClear(&target);
    if (FAILED(result))
        UILog(0, L"CWebBrowserUI: Navigate2 failed 0x" + std::to_wstring(static_cast<unsigned long>(result)));
    return SUCCEEDED(result);
}

std::wstring CWebBrowserUI::GetLocationURL() const
{
    BSTR location = nullptr;
    if (!m_webBrowser || FAILED(m_webBrowser->get_LocationURL(&location)) || !location)
        return std::wstring();
    std::wstring text(location, SysStringLen(location));
    SysFreeString(location);
    return text;
}

void CWebBrowserUI::OnControlCreated()
{
    GetControl(IID_IWebBrowser2, m_webBrowser.receive());
    Advise();
    if (m_bAutoNavi && !m_sHomePage.empty())
        Navigate2(m_sHomePage);
}

void CWebBrowserUI::OnControlReleasing()
{
    Unadvise();
    m_webBrowser.reset();
}

void CWebBrowserUI::Advise()
{
    ScopedComPtr<IConnectionPointContainer> container;
    if (FAILED(GetControl(IID_IConnectionPointContainer, container.receive())) || !container)
        return;
    if (FAILED(container->FindConnectionPoint(DIID_DWebBrowserEvents2, m_eventPoint.receiveTyped())) ||
        !m_eventPoint)
        return;
    if (FAILED(m_eventPoint->Advise(static_cast<IDispatch*>(this), &m_dwCookie))) {
        UILog(0, L"CWebBrowserUI: the browser's events cannot be received");
        m_eventPoint.reset();
        m_dwCookie = 0;
    }
}

void CWebBrowserUI::Unadvise()
{
    if (m_eventPoint && m_dwCookie != 0)
        m_eventPoint->Unadvise(m_dwCookie);
    m_eventPoint.reset();
    m_dwCookie = 0;
}

void CWebBrowserUI::InstallUIHandlerOnDocument()
{
    if (!m_webBrowser)
        return;
    ScopedComPtr<IDispatch> document;
    if (FAILED(m_webBrowser->get_Document(document.receiveTyped())) || !document)
        return;
    ScopedComPtr<ICustomDoc> custom;
    if (SUCCEEDED(document->QueryInterface(kIID_ICustomDoc, custom.receive())) && custom)
        custom->SetUIHandler(static_cast<IDocHostUIHandler*>(this));
}

HRESULT CWebBrowserUI::QueryHostInterface(REFIID iid, void** out)
{
    if (iid == IID_IDocHostUIHandler || iid == IID_IOleCommandTarget || iid == IID_IDispatch)
        return QueryInterface(iid, out);
    *out = nullptr;
    return E_NOINTERFACE;
}

STDMETHODIMP CWebBrowserUI::QueryInterface(REFIID iid, void** out)
{
    if (!out)
        return E_POINTER;
    *out = nullptr;
    if (iid == IID_IUnknown || iid == IID_IDocHostUIHandler)
        *out = static_cast<IDocHostUIHandler*>(this);
    else if (iid == IID_IOleCommandTarget)
        *out = static_cast<IOleCommandTarget*>(this);
    else if (iid == IID_IDispatch || iid == DIID_DWebBrowserEvents2)
        *out = static_cast<IDispatch*>(this);
    else
        return E_NOINTERFACE;
    AddRef();
    return S_OK;
}

STDMETHODIMP_(ULONG) CWebBrowserUI::AddRef()
{
    AdjustHostReferences(1);
    return static_cast<ULONG>(++m_dwRef);
}

STDMETHODIMP_(ULONG) CWebBrowserUI::Release()
{
    AdjustHostReferences(-1);
    return static_cast<ULONG>(--m_dwRef);
}

// The browser shows its own context menus.
STDMETHODIMP CWebBrowserUI::ShowContextMenu(DWORD, POINT*, IUnknown*, IDispatch*) { return S_FALSE; }

STDMETHODIMP CWebBrowserUI::GetHostInfo(DOCHOSTUIINFO* info)
{
    if (!info)
        return E_POINTER;
    info->dwFlags = DOCHOSTUIFLAG_DIALOG | DOCHOSTUIFLAG_NO3DBORDER | DOCHOSTUIFLAG_NO3DOUTERBORDER;
    info->dwDoubleClick = DOCHOSTUIDBLCLK_DEFAULT;
    return S_OK;
}

STDMETHODIMP CWebBrowserUI::ShowUI(DWORD, IOleInPlaceActiveObject*, IOleCommandTarget*, IOleInPlaceFrame*,
                                   IOleInPlaceUIWindow*)
{
    return S_FALSE;
}
STDMETHODIMP CWebBrowserUI::HideUI() { return S_OK; }
STDMETHODIMP CWebBrowserUI::UpdateUI() { return S_OK; }
STDMETHODIMP CWebBrowserUI::EnableModeless(BOOL) { return S_OK; }
STDMETHODIMP CWebBrowserUI::OnDocWindowActivate(BOOL) { return S_OK; }
STDMETHODIMP CWebBrowserUI::OnFrameWindowActivate(BOOL) { return S_OK; }
STDMETHODIMP CWebBrowserUI::ResizeBorder(LPCRECT, IOleInPlaceUIWindow*, BOOL) { return S_OK; }
STDMETHODIMP CWebBrowserUI::TranslateAccelerator(LPMSG, const GUID*, DWORD) { return S_FALSE; }

STDMETHODIMP CWebBrowserUI::GetOptionKeyPath(LPOLESTR* key, DWORD)
{
    if (key)
        *key = nullptr;
    return E_NOTIMPL;
}

STDMETHODIMP CWebBrowserUI::GetDropTarget(IDropTarget*, IDropTarget** target)
{
    if (target)
        *target = nullptr;
    return E_NOTIMPL;
}

STDMETHODIMP CWebBrowserUI::GetExternal(IDispatch** dispatch)
{
    if (!dispatch)
        return E_POINTER;
    *dispatch = nullptr;
    return S_FALSE;
}

STDMETHODIMP CWebBrowserUI::TranslateUrl(DWORD, LPWSTR, LPWSTR* urlOut)
{
    if (urlOut)
        *urlOut = nullptr;
    return S_FALSE;
}

STDMETHODIMP CWebBrowserUI::FilterDataObject(IDataObject*, IDataObject** result)
{
    if (result)
        *result = nullptr;
    return S_FALSE;
}

STDMETHODIMP CWebBrowserUI::QueryStatus(const GUID*, ULONG, OLECMD*, OLECMDTEXT*) { return OLECMDERR_E_NOTSUPPORTED; }

STDMETHODIMP CWebBrowserUI::Exec(const GUID* group, DWORD command, DWORD, VARIANT*, VARIANT* out)
{
    if (!group || *group != CGID_DocHostCommandHandler)
        return OLECMDERR_E_UNKNOWNGROUP;
    if (command != OLECMDID_SHOWSCRIPTERROR)
        return OLECMDERR_E_NOTSUPPORTED;
    // Go on running the page's scripts, and show no dialog.
    if (out) {
        VariantClear(out);
        out->vt = VT_BOOL;
        out->boolVal = VARIANT_TRUE;
    }
    return S_OK;
}

STDMETHODIMP CWebBrowserUI::GetTypeInfoCount(UINT* count)
{
    if (!count)
        return E_POINTER;
    *count = 0;
    return S_OK;
}

STDMETHODIMP CWebBrowserUI::GetTypeInfo(UINT, LCID, ITypeInfo** info)
{
    if (info)
        *info = nullptr;
    return E_NOTIMPL;
}

STDMETHODIMP CWebBrowserUI::GetIDsOfNames(REFIID, LPOLESTR*, UINT count, LCID, DISPID* ids)
{
    if (!ids)
        return E_POINTER;
    for (UINT i = 0; i < count; ++i)
        ids[i] = DISPID_UNKNOWN;
    return DISP_E_UNKNOWNNAME;
}

STDMETHODIMP CWebBrowserUI::Invoke(DISPID id, REFIID iid, LCID, WORD, DISPPARAMS* params, VARIANT*, EXCEPINFO*,
                                   UINT*)
{
    if (iid != IID_NULL)
        return E_INVALIDARG;
    return Guarded("CWebBrowserUI::Invoke", [&]() { return DispatchEvent(id, params); });
}

namespace {

// The event's arguments in the order of its signature (the array holds them
// last first).  A by-reference argument yields the pointer it holds; an
// argument of another type than the browser sends yields null.
class EventArguments {
public:
    explicit EventArguments(DISPPARAMS* params) : m_params(params) {}
    bool Count(UINT count) const { return m_params && m_params->rgvarg && m_params->cArgs == count; }
    VARIANT& At(UINT index) const { return m_params->rgvarg[m_params->cArgs - 1 - index]; }
    VARIANT* VariantRef(UINT index) const
    {
        VARIANT& arg = At(index);
        return arg.vt == (VT_VARIANT | VT_BYREF) ? arg.pvarVal : nullptr;
    }
    VARIANT_BOOL* BoolRef(UINT index) const
    {
        VARIANT& arg = At(index);
        return arg.vt == (VT_BOOL | VT_BYREF) ? arg.pboolVal : nullptr;
    }
    IDispatch* Dispatch(UINT index) const
    {
        VARIANT& arg = At(index);
        return arg.vt == VT_DISPATCH ? arg.pdispVal : nullptr;
    }
    IDispatch** DispatchRef(UINT index) const
    {
        VARIANT& arg = At(index);
        return arg.vt == (VT_DISPATCH | VT_BYREF) ? arg.ppdispVal : nullptr;
    }
    bool Has(UINT index, VARTYPE type) const { return At(index).vt == type; }

private:
    DISPPARAMS* m_params;
};

}  // namespace

HRESULT CWebBrowserUI::DispatchEvent(DISPID id, DISPPARAMS* params)
{
    const EventArguments args(params);
    CWebBrowserEventHandler* handler = m_pWebBrowserEventHandler;
    // A browser sends every event in one shape; anything else is not its
    // event and is dropped before an argument is touched.
    switch (id) {
    case DISPID_STATUSTEXTCHANGE:
        return S_OK;
    case DISPID_COMMANDSTATECHANGE:
        if (!args.Count(2) || !args.Has(0, VT_I4) || !args.Has(1, VT_BOOL))
            return DISP_E_BADPARAMCOUNT;
        if (handler)
            handler->CommandStateChange(args.At(0).lVal, args.At(1).boolVal);
        return S_OK;
    case DISPID_BEFORENAVIGATE2:
        if (!args.Count(7) || !args.VariantRef(1) || !args.BoolRef(6))
            return DISP_E_BADPARAMCOUNT;
        if (handler)
            handler->BeforeNavigate2(args.Dispatch(0), args.VariantRef(1), args.VariantRef(2), args.VariantRef(3),
                                     args.VariantRef(4), args.VariantRef(5), args.BoolRef(6));
        return S_OK;
    case DISPID_NAVIGATECOMPLETE2:
        if (!args.Count(2) || !args.VariantRef(1))
            return DISP_E_BADPARAMCOUNT;
        // Every document gets our UI handler, so that the external object
        // answers for each page the control shows.
        InstallUIHandlerOnDocument();
        if (handler)
            handler->NavigateComplete2(args.Dispatch(0), args.VariantRef(1));
        return S_OK;
    case DISPID_DOCUMENTCOMPLETE:
        if (!args.Count(2) || !args.VariantRef(1))
            return DISP_E_BADPARAMCOUNT;
        if (handler)
            handler->DocumentComplete(args.Dispatch(0), args.VariantRef(1));
        return S_OK;
    case DISPID_NAVIGATEERROR:
        if (!args.Count(5) || !args.VariantRef(1) || !args.VariantRef(3) || !args.BoolRef(4))
            return DISP_E_BADPARAMCOUNT;
        if (handler)
            handler->NavigateError(args.Dispatch(0), args.VariantRef(1), args.VariantRef(2), args.VariantRef(3),
                                   args.BoolRef(4));
        return S_OK;
    case DISPID_NEWWINDOW3:
        if (!args.Count(5) || !args.BoolRef(1) || !args.Has(2, VT_I4) || !args.Has(3, VT_BSTR) ||
            !args.Has(4, VT_BSTR))
            return DISP_E_BADPARAMCOUNT;
        if (handler)
            handler->NewWindow3(args.DispatchRef(0), args.BoolRef(1), static_cast<DWORD>(args.At(2).lVal),
                                args.At(3).bstrVal, args.At(4).bstrVal);
        return S_OK;
    default:
        return DISP_E_MEMBERNOTFOUND;
    }
}
