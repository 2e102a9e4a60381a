#include "BrowserControlStandin_win.h"

#include <exdispid.h>
#include <olectl.h>

#include "MockPortalPage_win.h"
#include "common/win/ScopedHandles.h"

namespace browser_standin {

namespace {

const IID kIID_ICustomDoc = {0x3050f3f0, 0x98b5, 0x11cf, {0xbb, 0x82, 0x00, 0xaa, 0x00, 0xbd, 0xce, 0x0b}};
const wchar_t kWindowClass[] = L"ZelkStandInBrowserWnd";

long g_liveObjects = 0;
NavigateHook g_navigateHook = nullptr;
bool g_keepsInPlaceSite = false;

// A document: it takes the host's UI handler as a real one does.
class Document : public IDispatch, public ICustomDoc {
public:
    Document() { ++g_liveObjects; }
    virtual ~Document() { --g_liveObjects; }

    IDocHostUIHandler* Handler() const { return m_handler.get(); }

    STDMETHODIMP QueryInterface(REFIID iid, void** out) override
    {
        if (!out)
            return E_POINTER;
        *out = nullptr;
        if (iid == IID_IUnknown || iid == IID_IDispatch)
            *out = static_cast<IDispatch*>(this);
        else if (iid == kIID_ICustomDoc)
            *out = static_cast<ICustomDoc*>(this);
        else
            return E_NOINTERFACE;
        AddRef();
        return S_OK;
    }
    STDMETHODIMP_(ULONG) AddRef() override { return ++m_refs; }
    STDMETHODIMP_(ULONG) Release() override
    {
        const ULONG refs = --m_refs;
        if (refs == 0)
            delete this;
        return refs;
    }
    STDMETHODIMP GetTypeInfoCount(UINT* count) override
    {
        *count = 0;
        return S_OK;
    }
    STDMETHODIMP GetTypeInfo(UINT, LCID, ITypeInfo**) override { return E_NOTIMPL; }
    STDMETHODIMP GetIDsOfNames(REFIID, LPOLESTR*, UINT, LCID, DISPID*) override { return DISP_E_UNKNOWNNAME; }
    STDMETHODIMP Invoke(DISPID, REFIID, LCID, WORD, DISPPARAMS*, VARIANT*, EXCEPINFO*, UINT*) override
    {
        return DISP_E_MEMBERNOTFOUND;
    }
    STDMETHODIMP SetUIHandler(IDocHostUIHandler* handler) override
    {
        if (handler)
            handler->AddRef();
        m_handler.reset(handler);
        Note(handler ? L"SetUIHandler set" : L"SetUIHandler null");
        return S_OK;
    }
    // The handler refers back to the host; a closing browser lets go of it.
    void Drop() { m_handler.reset(); }

private:
    ULONG m_refs = 1;
    ScopedComPtr<IDocHostUIHandler> m_handler;
};

class Control;
Control* g_current = nullptr;

class Control : public IWebBrowser2,
                public IOleObject,
                public IOleInPlaceObject,
                public IOleInPlaceActiveObject,
                public IConnectionPointContainer,
                public IConnectionPoint {
public:
    Control()
    {
        ++g_liveObjects;
        g_current = this;
        Note(L"created");
    }
    virtual ~Control()
    {
        DestroyOwnWindow();
        if (g_current == this)
            g_current = nullptr;
        --g_liveObjects;
        Note(L"released");
    }

    // -- what Page plays
    HRESULT Fire(DISPID id, VARIANT* args, UINT count, REFIID iid)
    {
        if (!m_sink)
            return E_UNEXPECTED;
        DISPPARAMS params = {args, nullptr, count, 0};
        // The sink may let go of us while it handles the event.
        AddRef();
        const HRESULT result =
            m_sink->Invoke(id, iid, LOCALE_USER_DEFAULT, DISPATCH_METHOD, &params, nullptr, nullptr, nullptr);
        Release();
        return result;
    }
    void SetDocument(const std::wstring& url)
    {
        if (m_document)
            m_document->Drop();
        m_document.reset(new Document);
        m_location = url;
        if (m_window)
            InvalidateRect(m_window, nullptr, TRUE);
    }
    // A web document shows the mock portal page; about:blank stays white.
    bool ShowsPage() const { return m_document && m_location.compare(0, 8, L"https://") == 0; }
    IDocHostUIHandler* UIHandler()
    {
        if (m_document && m_document->Handler()) {
            m_document->Handler()->AddRef();
            return m_document->Handler();
        }
        IDocHostUIHandler* handler = nullptr;
        if (m_site)
            m_site->QueryInterface(IID_IDocHostUIHandler, reinterpret_cast<void**>(&handler));
        return handler;
    }
    IOleClientSite* Site() const { return m_site.get(); }
    HWND Window() const { return m_window; }

    // -- IUnknown
    STDMETHODIMP QueryInterface(REFIID iid, void** out) override
    {
        if (!out)
            return E_POINTER;
        *out = nullptr;
        if (iid == IID_IUnknown || iid == IID_IDispatch || iid == IID_IWebBrowser2 || iid == IID_IWebBrowser ||
            iid == IID_IWebBrowserApp)
            *out = static_cast<IWebBrowser2*>(this);
        else if (iid == IID_IOleObject)
            *out = static_cast<IOleObject*>(this);
        else if (iid == IID_IOleInPlaceObject || iid == IID_IOleWindow)
            *out = static_cast<IOleInPlaceObject*>(this);
        else if (iid == IID_IOleInPlaceActiveObject)
            *out = static_cast<IOleInPlaceActiveObject*>(this);
        else if (iid == IID_IConnectionPointContainer)
            *out = static_cast<IConnectionPointContainer*>(this);
        else if (iid == IID_IConnectionPoint)
            *out = static_cast<IConnectionPoint*>(this);
        else
            return E_NOINTERFACE;
        AddRef();
        return S_OK;
    }
    STDMETHODIMP_(ULONG) AddRef() override { return ++m_refs; }
    STDMETHODIMP_(ULONG) Release() override
    {
        const ULONG refs = --m_refs;
        if (refs == 0)
            delete this;
        return refs;
    }

    // -- IDispatch of the browser
    STDMETHODIMP GetTypeInfoCount(UINT* count) override
    {
        *count = 0;
        return S_OK;
    }
    STDMETHODIMP GetTypeInfo(UINT, LCID, ITypeInfo**) override { return E_NOTIMPL; }
    STDMETHODIMP GetIDsOfNames(REFIID, LPOLESTR*, UINT, LCID, DISPID*) override { return DISP_E_UNKNOWNNAME; }
    STDMETHODIMP Invoke(DISPID, REFIID, LCID, WORD, DISPPARAMS*, VARIANT*, EXCEPINFO*, UINT*) override
    {
        return DISP_E_MEMBERNOTFOUND;
    }

    // -- IWebBrowser2
    STDMETHODIMP Navigate2(VARIANT* url, VARIANT* flags, VARIANT* target, VARIANT* postData,
                           VARIANT* headers) override
    {
        std::wstring line = L"Navigate2 ";
        if (url && url->vt == VT_BSTR && url->bstrVal)
            line += std::wstring(url->bstrVal, SysStringLen(url->bstrVal));
        else
            line += L"<vt " + std::to_wstring(url ? url->vt : -1) + L">";
        const auto optional = [](VARIANT* value) {
            return value == nullptr ? std::wstring(L"null") : L"vt" + std::to_wstring(value->vt);
        };
        line += L" flags=" + optional(flags) + L" target=" + optional(target) + L" post=" + optional(postData) +
                L" headers=" + optional(headers);
        Note(line);
        if (g_navigateHook && url && url->vt == VT_BSTR && url->bstrVal)
            g_navigateHook(std::wstring(url->bstrVal, SysStringLen(url->bstrVal)));
        return S_OK;
    }
    STDMETHODIMP get_Document(IDispatch** document) override
    {
        if (!document)
            return E_POINTER;
        *document = m_document.get();
        if (*document)
            (*document)->AddRef();
        return *document ? S_OK : S_FALSE;
    }
    STDMETHODIMP get_LocationURL(BSTR* location) override
    {
        if (!location)
            return E_POINTER;
        *location = SysAllocStringLen(m_location.data(), static_cast<UINT>(m_location.size()));
        return S_OK;
    }
    STDMETHODIMP put_Silent(VARIANT_BOOL silent) override
    {
        m_silent = silent;
        Note(L"put_Silent " + std::to_wstring(silent));
        return S_OK;
    }
    STDMETHODIMP get_Silent(VARIANT_BOOL* silent) override
    {
        *silent = m_silent;
        return S_OK;
    }
#include "WebBrowserUnused.inc"

    // -- IOleObject
    STDMETHODIMP SetClientSite(IOleClientSite* site) override
    {
        if (site)
            site->AddRef();
        m_site.reset(site);
        Note(site ? L"SetClientSite set" : L"SetClientSite null");
        return S_OK;
    }
    STDMETHODIMP GetClientSite(IOleClientSite** site) override
    {
        *site = m_site.get();
        if (*site)
            (*site)->AddRef();
        return S_OK;
    }
    STDMETHODIMP SetHostNames(LPCOLESTR, LPCOLESTR) override { return S_OK; }
    STDMETHODIMP Close(DWORD) override
    {
        Note(L"Close");
        InPlaceDeactivate();
        if (m_document)
            m_document->Drop();
        m_document.reset();
        return S_OK;
    }
    STDMETHODIMP SetMoniker(DWORD, IMoniker*) override { return E_NOTIMPL; }
    STDMETHODIMP GetMoniker(DWORD, DWORD, IMoniker**) override { return E_NOTIMPL; }
    STDMETHODIMP InitFromData(IDataObject*, BOOL, DWORD) override { return E_NOTIMPL; }
    STDMETHODIMP GetClipboardData(DWORD, IDataObject**) override { return E_NOTIMPL; }
    STDMETHODIMP DoVerb(LONG verb, LPMSG, IOleClientSite* site, LONG, HWND parent, LPCRECT rect) override
    {
        Note(L"DoVerb " + std::to_wstring(verb));
        if (verb != OLEIVERB_INPLACEACTIVATE && verb != OLEIVERB_SHOW && verb != OLEIVERB_UIACTIVATE)
            return E_NOTIMPL;
        if (m_window)
            return S_OK;
        ScopedComPtr<IOleInPlaceSite> inPlace;
        IOleClientSite* from = site ? site : m_site.get();
        if (!from || FAILED(from->QueryInterface(IID_IOleInPlaceSite, inPlace.receive())))
            return E_NOINTERFACE;
        if (inPlace->CanInPlaceActivate() != S_OK)
            return E_FAIL;
        inPlace->OnInPlaceActivate();
        ScopedComPtr<IOleInPlaceFrame> frame;
        ScopedComPtr<IOleInPlaceUIWindow> document;
        RECT position = rect ? *rect : RECT{};
        RECT clip = position;
        OLEINPLACEFRAMEINFO info = {};
        info.cb = sizeof(info);
        if (FAILED(inPlace->GetWindowContext(frame.receiveTyped(), document.receiveTyped(), &position, &clip,
                                             &info)))
            return E_FAIL;
        RegisterWindowClass();
        m_window = CreateWindowExW(0, kWindowClass, L"", WS_CHILD | WS_VISIBLE | WS_CLIPSIBLINGS, position.left,
                                   position.top, position.right - position.left, position.bottom - position.top,
                                   parent, nullptr, GetModuleHandleW(nullptr), this);
        m_inPlaceSite = std::move(inPlace);
        Note(L"inplace " + std::to_wstring(position.left) + L"," + std::to_wstring(position.top) + L"," +
             std::to_wstring(position.right) + L"," + std::to_wstring(position.bottom) +
             (info.hwndFrame == parent ? L" frame=parent" : L" frame=other"));
        return m_window ? S_OK : E_FAIL;
    }
    STDMETHODIMP EnumVerbs(IEnumOLEVERB**) override { return E_NOTIMPL; }
    STDMETHODIMP Update() override { return S_OK; }
    STDMETHODIMP IsUpToDate() override { return S_OK; }
    STDMETHODIMP GetUserClassID(CLSID* clsid) override
    {
        *clsid = CLSID_WebBrowser;
        return S_OK;
    }
    STDMETHODIMP GetUserType(DWORD, LPOLESTR*) override { return E_NOTIMPL; }
    STDMETHODIMP SetExtent(DWORD, SIZEL*) override { return S_OK; }
    STDMETHODIMP GetExtent(DWORD, SIZEL*) override { return E_NOTIMPL; }
    STDMETHODIMP Advise(IAdviseSink*, DWORD*) override { return E_NOTIMPL; }
    STDMETHODIMP Unadvise(DWORD cookie) override
    {
        if (cookie != kCookie || !m_sink)
            return CONNECT_E_NOCONNECTION;
        m_sink.reset();
        Note(L"Unadvise");
        return S_OK;
    }
    STDMETHODIMP EnumAdvise(IEnumSTATDATA**) override { return E_NOTIMPL; }
    STDMETHODIMP GetMiscStatus(DWORD, DWORD* status) override
    {
        *status = OLEMISC_SETCLIENTSITEFIRST | OLEMISC_ACTIVATEWHENVISIBLE | OLEMISC_INSIDEOUT;
        return S_OK;
    }
    STDMETHODIMP SetColorScheme(LOGPALETTE*) override { return E_NOTIMPL; }

    // -- IOleWindow, IOleInPlaceObject, IOleInPlaceActiveObject
    STDMETHODIMP GetWindow(HWND* window) override
    {
        *window = m_window;
        return m_window ? S_OK : E_FAIL;
    }
    STDMETHODIMP ContextSensitiveHelp(BOOL) override { return E_NOTIMPL; }
    STDMETHODIMP InPlaceDeactivate() override
    {
        if (!m_inPlaceSite || m_deactivated)
            return S_OK;
        Note(L"InPlaceDeactivate");
        DestroyOwnWindow();
        if (m_keepsInPlaceSite) {
            // Kept until the last reference goes, and not told.
            m_deactivated = true;
            return S_OK;
        }
        ScopedComPtr<IOleInPlaceSite> site(m_inPlaceSite.release());
        site->OnInPlaceDeactivate();
        return S_OK;
    }
    STDMETHODIMP UIDeactivate() override { return S_OK; }
    STDMETHODIMP SetObjectRects(LPCRECT position, LPCRECT) override
    {
        if (!position)
            return E_POINTER;
        if (m_window)
            MoveWindow(m_window, position->left, position->top, position->right - position->left,
                       position->bottom - position->top, TRUE);
        Note(L"SetObjectRects " + std::to_wstring(position->left) + L"," + std::to_wstring(position->top) + L"," +
             std::to_wstring(position->right) + L"," + std::to_wstring(position->bottom));
        return S_OK;
    }
    STDMETHODIMP ReactivateAndUndo() override { return E_NOTIMPL; }
    STDMETHODIMP TranslateAccelerator(LPMSG message) override
    {
        if (!message)
            return E_POINTER;
        Note(L"accelerator " + std::to_wstring(message->message) + L" " + std::to_wstring(message->wParam));
        return S_OK;
    }
    STDMETHODIMP OnFrameWindowActivate(BOOL) override { return S_OK; }
    STDMETHODIMP OnDocWindowActivate(BOOL) override { return S_OK; }
    STDMETHODIMP ResizeBorder(LPCRECT, IOleInPlaceUIWindow*, BOOL) override { return S_OK; }
    STDMETHODIMP EnableModeless(BOOL) override { return S_OK; }

    // -- IConnectionPointContainer, IConnectionPoint (DWebBrowserEvents2 only)
    STDMETHODIMP EnumConnectionPoints(IEnumConnectionPoints**) override { return E_NOTIMPL; }
    STDMETHODIMP FindConnectionPoint(REFIID iid, IConnectionPoint** point) override
    {
        if (!point)
            return E_POINTER;
        *point = nullptr;
        if (iid != DIID_DWebBrowserEvents2)
            return CONNECT_E_NOCONNECTION;
        *point = static_cast<IConnectionPoint*>(this);
        AddRef();
        return S_OK;
    }
    STDMETHODIMP GetConnectionInterface(IID* iid) override
    {
        *iid = DIID_DWebBrowserEvents2;
        return S_OK;
    }
    STDMETHODIMP GetConnectionPointContainer(IConnectionPointContainer** container) override
    {
        *container = static_cast<IConnectionPointContainer*>(this);
        AddRef();
        return S_OK;
    }
    STDMETHODIMP Advise(IUnknown* sink, DWORD* cookie) override
    {
        if (!sink || !cookie)
            return E_POINTER;
        if (m_sink)
            return CONNECT_E_ADVISELIMIT;
        // As the browser: the sink must answer for the event interface.
        if (FAILED(sink->QueryInterface(DIID_DWebBrowserEvents2, m_sink.receive())))
            return CONNECT_E_CANNOTCONNECT;
        *cookie = kCookie;
        Note(L"Advise");
        return S_OK;
    }
    STDMETHODIMP EnumConnections(IEnumConnections**) override { return E_NOTIMPL; }

private:
    static constexpr DWORD kCookie = 0x5EED;

    static LRESULT CALLBACK WindowProcedure(HWND window, UINT message, WPARAM wParam, LPARAM lParam)
    {
        if (message == WM_NCCREATE) {
            const auto* create = reinterpret_cast<CREATESTRUCTW*>(lParam);
            SetWindowLongPtrW(window, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(create->lpCreateParams));
        }
        if (message == WM_PAINT) {
            const auto* control = reinterpret_cast<const Control*>(GetWindowLongPtrW(window, GWLP_USERDATA));
            PAINTSTRUCT paint;
            HDC dc = BeginPaint(window, &paint);
            RECT area;
            GetClientRect(window, &area);
            if (control && control->ShowsPage())
                PaintMockPortalPage(dc, area);
            else
                FillRect(dc, &area, static_cast<HBRUSH>(GetStockObject(WHITE_BRUSH)));
            EndPaint(window, &paint);
            return 0;
        }
        return DefWindowProcW(window, message, wParam, lParam);
    }
    static void RegisterWindowClass()
    {
        WNDCLASSW windowClass = {};
        windowClass.lpfnWndProc = WindowProcedure;
        windowClass.hInstance = GetModuleHandleW(nullptr);
        windowClass.lpszClassName = kWindowClass;
        windowClass.hbrBackground = static_cast<HBRUSH>(GetStockObject(WHITE_BRUSH));
        RegisterClassW(&windowClass);
    }
    void DestroyOwnWindow()
    {
        if (m_window && IsWindow(m_window)) {
            SetWindowLongPtrW(m_window, GWLP_USERDATA, 0);
            DestroyWindow(m_window);
        }
        m_window = nullptr;
    }

    const bool m_keepsInPlaceSite = g_keepsInPlaceSite;
    bool m_deactivated = false;
    ULONG m_refs = 1;
    ScopedComPtr<IOleClientSite> m_site;
    ScopedComPtr<IOleInPlaceSite> m_inPlaceSite;
    ScopedComPtr<IDispatch> m_sink;
    ScopedComPtr<Document> m_document;
    std::wstring m_location;
    VARIANT_BOOL m_silent = VARIANT_FALSE;
    HWND m_window = nullptr;
};

class ClassFactory : public IClassFactory {
public:
    STDMETHODIMP QueryInterface(REFIID iid, void** out) override
    {
        if (!out)
            return E_POINTER;
        *out = nullptr;
        if (iid != IID_IUnknown && iid != IID_IClassFactory)
            return E_NOINTERFACE;
        *out = static_cast<IClassFactory*>(this);
        AddRef();
        return S_OK;
    }
    // One static instance: counting only.
    STDMETHODIMP_(ULONG) AddRef() override { return 2; }
    STDMETHODIMP_(ULONG) Release() override { return 1; }
    STDMETHODIMP CreateInstance(IUnknown* outer, REFIID iid, void** out) override
    {
        if (!out)
            return E_POINTER;
        *out = nullptr;
        if (outer)
            return CLASS_E_NOAGGREGATION;
        Control* control = new Control;
        const HRESULT result = control->QueryInterface(iid, out);
        control->Release();
        return result;
    }
    STDMETHODIMP LockServer(BOOL) override { return S_OK; }
};

ClassFactory g_factory;

std::wstring RecordFilePath()
{
    wchar_t path[MAX_PATH] = {};
    const DWORD length = GetEnvironmentVariableW(L"ZELK_BROWSER_CONTROL_RECORD", path, MAX_PATH);
    return length > 0 && length < MAX_PATH ? std::wstring(path, length) : std::wstring();
}

}  // namespace

void SetNavigateHook(NavigateHook hook) { g_navigateHook = hook; }

void SetKeepsInPlaceSite(bool keeps) { g_keepsInPlaceSite = keeps; }

void Note(const std::wstring& line)
{
    Record().push_back(line);
    // A launcher process under test writes its record where the test reads it.
    static const std::wstring file = RecordFilePath();
    if (file.empty())
        return;
    const std::wstring withEnd = line + L"\n";
    const int size = WideCharToMultiByte(CP_UTF8, 0, withEnd.c_str(), static_cast<int>(withEnd.size()), nullptr, 0,
                                         nullptr, nullptr);
    std::string bytes(static_cast<size_t>(size > 0 ? size : 0), '\0');
    WideCharToMultiByte(CP_UTF8, 0, withEnd.c_str(), static_cast<int>(withEnd.size()), bytes.data(), size, nullptr,
                        nullptr);
    ScopedFile handle(CreateFileW(file.c_str(), FILE_APPEND_DATA, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                                  OPEN_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr));
    DWORD written = 0;
    if (handle.valid())
        WriteFile(handle.get(), bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr);
}

namespace {

HRESULT FireWithUrl(DISPID id, const std::wstring& url)
{
    if (!g_current)
        return E_UNEXPECTED;
    VARIANT urlValue;
    VariantInit(&urlValue);
    urlValue.vt = VT_BSTR;
    urlValue.bstrVal = SysAllocStringLen(url.data(), static_cast<UINT>(url.size()));
    VARIANT args[2];
    args[0].vt = VT_VARIANT | VT_BYREF;
    args[0].pvarVal = &urlValue;
    args[1].vt = VT_DISPATCH;
    args[1].pdispVal = static_cast<IWebBrowser2*>(g_current);
    const HRESULT result = g_current->Fire(id, args, 2, IID_NULL);
    VariantClear(&urlValue);
    return result;
}

}  // namespace

std::vector<std::wstring>& Record()
{
    static std::vector<std::wstring> record;
    return record;
}

std::vector<std::wstring> RecordLines(const std::wstring& prefix)
{
    std::vector<std::wstring> lines;
    for (const std::wstring& line : Record())
        if (line.compare(0, prefix.size(), prefix) == 0)
            lines.push_back(line);
    return lines;
}

long LiveObjects() { return g_liveObjects; }

bool Page::Exists() { return g_current != nullptr; }

HWND Page::Window() { return g_current ? g_current->Window() : nullptr; }

HRESULT Page::NavigateComplete(const std::wstring& url)
{
    if (!g_current)
        return E_UNEXPECTED;
    g_current->SetDocument(url);
    return FireWithUrl(DISPID_NAVIGATECOMPLETE2, url);
}

HRESULT Page::DocumentComplete(const std::wstring& url) { return FireWithUrl(DISPID_DOCUMENTCOMPLETE, url); }

HRESULT Page::NavigateError(const std::wstring& url, const std::wstring& frame, LONG status, VARIANT_BOOL* cancel)
{
    if (!g_current)
        return E_UNEXPECTED;
    VARIANT urlValue, frameValue, statusValue;
    VariantInit(&urlValue);
    VariantInit(&frameValue);
    VariantInit(&statusValue);
    urlValue.vt = VT_BSTR;
    urlValue.bstrVal = SysAllocString(url.c_str());
    frameValue.vt = VT_BSTR;
    frameValue.bstrVal = SysAllocString(frame.c_str());
    statusValue.vt = VT_I4;
    statusValue.lVal = status;
    VARIANT_BOOL cancelFlag = cancel ? *cancel : VARIANT_FALSE;
    VARIANT args[5];
    args[4].vt = VT_DISPATCH;
    args[4].pdispVal = static_cast<IWebBrowser2*>(g_current);
    args[3].vt = VT_VARIANT | VT_BYREF;
    args[3].pvarVal = &urlValue;
    args[2].vt = VT_VARIANT | VT_BYREF;
    args[2].pvarVal = &frameValue;
    args[1].vt = VT_VARIANT | VT_BYREF;
    args[1].pvarVal = &statusValue;
    args[0].vt = VT_BOOL | VT_BYREF;
    args[0].pboolVal = &cancelFlag;
    const HRESULT result = g_current->Fire(DISPID_NAVIGATEERROR, args, 5, IID_NULL);
    VariantClear(&urlValue);
    VariantClear(&frameValue);
    if (cancel)
        *cancel = cancelFlag;
    return result;
}

HRESULT Page::NewWindow3(const std::wstring& url, VARIANT_BOOL* cancel, VARTYPE flagsType, bool urlAsText)
{
    if (!g_current)
        return E_UNEXPECTED;
    IDispatch* newBrowser = nullptr;
    VARIANT_BOOL cancelFlag = VARIANT_FALSE;
    VARIANT args[5];
    args[4].vt = VT_DISPATCH | VT_BYREF;
    args[4].ppdispVal = &newBrowser;
    args[3].vt = VT_BOOL | VT_BYREF;
    args[3].pboolVal = &cancelFlag;
    VariantInit(&args[2]);
    args[2].vt = flagsType;
    args[2].ulVal = 0x6;  // NWMF_USERINITED | NWMF_FIRST
    args[1].vt = VT_BSTR;
    args[1].bstrVal = SysAllocString(L"https://context.test/");
    VariantInit(&args[0]);
    if (urlAsText) {
        args[0].vt = VT_BSTR;
        args[0].bstrVal = SysAllocStringLen(url.data(), static_cast<UINT>(url.size()));
    }
    const HRESULT result = g_current->Fire(DISPID_NEWWINDOW3, args, 5, IID_NULL);
    SysFreeString(args[1].bstrVal);
    VariantClear(&args[0]);
    if (newBrowser) {
        Note(L"NewWindow3 gave a browser");
        newBrowser->Release();
    }
    if (cancel)
        *cancel = cancelFlag;
    return result;
}

HRESULT Page::Fire(DISPID id, VARIANT* args, UINT count, REFIID iid)
{
    return g_current ? g_current->Fire(id, args, count, iid) : E_UNEXPECTED;
}

HRESULT Page::External(IDispatch** external)
{
    *external = nullptr;
    if (!g_current)
        return E_UNEXPECTED;
    ScopedComPtr<IDocHostUIHandler> handler(g_current->UIHandler());
    if (!handler)
        return E_NOINTERFACE;
    const HRESULT result = handler->GetExternal(external);
    return SUCCEEDED(result) && !*external ? E_NOINTERFACE : result;
}

HRESULT Page::UIHandler(IDocHostUIHandler** handler)
{
    *handler = g_current ? g_current->UIHandler() : nullptr;
    return *handler ? S_OK : E_NOINTERFACE;
}

HRESULT Page::CommandTarget(IOleCommandTarget** target)
{
    *target = nullptr;
    if (!g_current || !g_current->Site())
        return E_UNEXPECTED;
    return g_current->Site()->QueryInterface(IID_IOleCommandTarget, reinterpret_cast<void**>(target));
}

HRESULT Page::LookUp(const wchar_t* name, DISPID* id)
{
    ScopedComPtr<IDispatch> external;
    const HRESULT result = External(external.receiveTyped());
    if (FAILED(result))
        return result;
    LPOLESTR names[1] = {const_cast<LPOLESTR>(name)};
    return external->GetIDsOfNames(IID_NULL, names, 1, LOCALE_USER_DEFAULT, id);
}

HRESULT Page::CallCppFunc(VARIANT* args, UINT count, VARIANT* result)
{
    ScopedComPtr<IDispatch> external;
    HRESULT status = External(external.receiveTyped());
    if (FAILED(status))
        return status;
    LPOLESTR names[1] = {const_cast<LPOLESTR>(L"g_callCppFunc")};
    DISPID id = DISPID_UNKNOWN;
    status = external->GetIDsOfNames(IID_NULL, names, 1, LOCALE_USER_DEFAULT, &id);
    if (FAILED(status))
        return status;
    DISPPARAMS params = {args, nullptr, count, 0};
    EXCEPINFO exception = {};
    UINT argError = 0;
    VARIANT ignored;
    VariantInit(&ignored);
    status = external->Invoke(id, IID_NULL, LOCALE_USER_DEFAULT, DISPATCH_METHOD, &params,
                              result ? result : &ignored, &exception, &argError);
    VariantClear(&ignored);
    SysFreeString(exception.bstrSource);
    SysFreeString(exception.bstrDescription);
    SysFreeString(exception.bstrHelpFile);
    return status;
}

HRESULT Page::CallCppFunc(const std::wstring& text, VARIANT* result)
{
    VARIANT arg;
    VariantInit(&arg);
    arg.vt = VT_BSTR;
    arg.bstrVal = SysAllocStringLen(text.data(), static_cast<UINT>(text.size()));
    const HRESULT status = CallCppFunc(&arg, 1, result);
    VariantClear(&arg);
    return status;
}

HRESULT Page::ScriptError(const GUID* group, DWORD command, VARIANT* out)
{
    if (!g_current || !g_current->Site())
        return E_UNEXPECTED;
    ScopedComPtr<IOleCommandTarget> target;
    const HRESULT result = g_current->Site()->QueryInterface(IID_IOleCommandTarget, target.receive());
    if (FAILED(result))
        return result;
    // The browser passes the error's details in; the host only answers.
    VARIANT in;
    VariantInit(&in);
    return target->Exec(group, command, OLECMDEXECOPT_DODEFAULT, &in, out);
}

HRESULT Page::QueryStatus(const GUID* group)
{
    if (!g_current || !g_current->Site())
        return E_UNEXPECTED;
    ScopedComPtr<IOleCommandTarget> target;
    const HRESULT result = g_current->Site()->QueryInterface(IID_IOleCommandTarget, target.receive());
    if (FAILED(result))
        return result;
    OLECMD command = {OLECMDID_SHOWSCRIPTERROR, 0};
    return target->QueryStatus(group, 1, &command, nullptr);
}

HRESULT Page::HostInfo(DOCHOSTUIINFO* info)
{
    if (!g_current)
        return E_UNEXPECTED;
    ScopedComPtr<IDocHostUIHandler> handler(g_current->UIHandler());
    return handler ? handler->GetHostInfo(info) : E_NOINTERFACE;
}

HRESULT Page::ContextMenu()
{
    if (!g_current)
        return E_UNEXPECTED;
    ScopedComPtr<IDocHostUIHandler> handler(g_current->UIHandler());
    POINT point = {10, 10};
    return handler ? handler->ShowContextMenu(CONTEXT_MENU_DEFAULT, &point, nullptr, nullptr) : E_NOINTERFACE;
}

ClassRegistration::ClassRegistration()
{
    if (FAILED(CoRegisterClassObject(CLSID_WebBrowser, &g_factory, CLSCTX_INPROC_SERVER, REGCLS_MULTIPLEUSE,
                                     &m_cookie)))
        m_cookie = 0;
}

ClassRegistration::~ClassRegistration()
{
    if (m_cookie != 0)
        CoRevokeClassObject(m_cookie);
}

HRESULT GetClassObject(REFIID iid, void** out) { return g_factory.QueryInterface(iid, out); }

}  // namespace browser_standin
