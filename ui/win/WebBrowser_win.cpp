#include "WebBrowser_win.h"

#include <string>

#include "UILog.h"

namespace {

// Not in the import libraries of every tool chain.
const IID kIID_ICustomDoc = {0x3050f3f0, 0x98b5, 0x11cf, {0xbb, 0x82, 0x00, 0xaa, 0x00, 0xbd, 0xce, 0x0b}};

}  // namespace

// Declared by <mshtmhst.h> but missing from the tool chain's uuid library.
extern "C" const GUID CGID_DocHostCommandHandler = {
    0xf38bc242, 0xb950, 0x11d1, {0x89, 0x18, 0x00, 0xc0, 0x4f, 0xc2, 0xc8, 0x36}};

CWebBrowserUI::CWebBrowserUI()
    : m_uiHandler(new CDocHostUIHandlerForwarder(this)),
      m_commandTarget(new COleCommandTargetForwarder(this)),
      m_dispatch(new CDispatchForwarder(this))
{
    SetCLSID(CLSID_WebBrowser);
}

CWebBrowserUI::~CWebBrowserUI()
{
    // The browser gives back what it holds while it is closed here, not in
    // ~CActiveXUI, when this part of the object is gone; whatever it or a
    // page keeps after that meets detached forwarders.
    ReleaseControl();
    m_uiHandler->Detach();
    m_commandTarget->Detach();
    m_dispatch->Detach();
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

IDispatch* CWebBrowserUI::GetDispatch() const
{
    m_dispatch->AddRef();
    return m_dispatch.get();
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
    if (FAILED(m_eventPoint->Advise(m_dispatch.get(), &m_dwCookie))) {
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
        custom->SetUIHandler(m_uiHandler.get());
}

HRESULT CWebBrowserUI::QueryHostInterface(REFIID iid, void** out)
{
    *out = nullptr;
    if (iid == IID_IDocHostUIHandler)
        return m_uiHandler->QueryInterface(iid, out);
    if (iid == IID_IOleCommandTarget)
        return m_commandTarget->QueryInterface(iid, out);
    if (iid == IID_IDispatch)
        return m_dispatch->QueryInterface(iid, out);
    return E_NOINTERFACE;
}

// The browser shows its own context menus.
HRESULT CWebBrowserUI::ShowContextMenu(DWORD, POINT*, IUnknown*, IDispatch*) { return S_FALSE; }

HRESULT CWebBrowserUI::GetHostInfo(DOCHOSTUIINFO* info)
{
    if (!info)
        return E_POINTER;
    info->dwFlags = DOCHOSTUIFLAG_DIALOG | DOCHOSTUIFLAG_NO3DBORDER | DOCHOSTUIFLAG_NO3DOUTERBORDER;
    info->dwDoubleClick = DOCHOSTUIDBLCLK_DEFAULT;
    return S_OK;
}

HRESULT CWebBrowserUI::ShowUI(DWORD, IOleInPlaceActiveObject*, IOleCommandTarget*, IOleInPlaceFrame*,
                              IOleInPlaceUIWindow*)
{
    return S_FALSE;
}
HRESULT CWebBrowserUI::HideUI() { return S_OK; }
HRESULT CWebBrowserUI::UpdateUI() { return S_OK; }
HRESULT CWebBrowserUI::EnableModeless(BOOL) { return S_OK; }
HRESULT CWebBrowserUI::OnDocWindowActivate(BOOL) { return S_OK; }
HRESULT CWebBrowserUI::OnFrameWindowActivate(BOOL) { return S_OK; }
HRESULT CWebBrowserUI::ResizeBorder(LPCRECT, IOleInPlaceUIWindow*, BOOL) { return S_OK; }
HRESULT CWebBrowserUI::TranslateAccelerator(LPMSG, const GUID*, DWORD) { return S_FALSE; }

HRESULT CWebBrowserUI::GetOptionKeyPath(LPOLESTR* key, DWORD)
{
    if (key)
        *key = nullptr;
    return E_NOTIMPL;
}

HRESULT CWebBrowserUI::GetDropTarget(IDropTarget*, IDropTarget** target)
{
    if (target)
        *target = nullptr;
    return E_NOTIMPL;
}

HRESULT CWebBrowserUI::GetExternal(IDispatch** dispatch)
{
    if (!dispatch)
        return E_POINTER;
    *dispatch = nullptr;
    return S_FALSE;
}

HRESULT CWebBrowserUI::TranslateUrl(DWORD, LPWSTR, LPWSTR* urlOut)
{
    if (urlOut)
        *urlOut = nullptr;
    return S_FALSE;
}

HRESULT CWebBrowserUI::FilterDataObject(IDataObject*, IDataObject** result)
{
    if (result)
        *result = nullptr;
    return S_FALSE;
}

HRESULT CWebBrowserUI::QueryStatus(const GUID*, ULONG, OLECMD*, OLECMDTEXT*) { return OLECMDERR_E_NOTSUPPORTED; }

HRESULT CWebBrowserUI::Exec(const GUID* group, DWORD command, DWORD, VARIANT*, VARIANT* out)
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

HRESULT CWebBrowserUI::GetIDsOfNames(REFIID, LPOLESTR*, UINT count, LCID, DISPID* ids)
{
    if (!ids)
        return E_POINTER;
    for (UINT i = 0; i < count; ++i)
        ids[i] = DISPID_UNKNOWN;
    return DISP_E_UNKNOWNNAME;
}

HRESULT CWebBrowserUI::Invoke(DISPID id, REFIID iid, LCID, WORD, DISPPARAMS* params, VARIANT*, EXCEPINFO*, UINT*)
{
    if (iid != IID_NULL)
        return E_INVALIDARG;
    return DispatchEvent(id, params);
}

HRESULT CWebBrowserUI::DispatchEvent(DISPID id, DISPPARAMS* params)
{
    // Every document gets our UI handler, so that the external object
    // answers for each page the control shows.
    return DispatchWebBrowserEvent(id, params, m_pWebBrowserEventHandler, [this]() { InstallUIHandlerOnDocument(); });
}
