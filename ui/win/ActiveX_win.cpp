#include "ActiveX_win.h"

#include <atomic>
#include <string>

#include "ActiveXSite_win.h"
#include "UILog.h"

namespace {

std::atomic<long> g_hostReferences{0};

}  // namespace

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
