#pragma once
// What a web browser control hands to the browser and to the page: its UI
// handler, its command target and its dispatch (the event sink, and the
// page's external object in derived controls).  The browser, a document or
// a page script may hold them for as long as it likes, longer than the
// control lives; so each is a small reference-counted object of its own
// that forwards to the control while it is attached and answers on its own,
// touching nothing of the control, once the control detached it on its way
// out.  UI thread only.
#include <windows.h>
#include <docobj.h>
#include <mshtmhst.h>
#include <oaidl.h>

class CWebBrowserUI;

// Counting, identity and detaching, shared by the three.
template <typename Interface>
class CWebBrowserForwarder : public Interface {
public:
    explicit CWebBrowserForwarder(CWebBrowserUI* owner);
    virtual ~CWebBrowserForwarder();
    CWebBrowserForwarder(const CWebBrowserForwarder&) = delete;
    CWebBrowserForwarder& operator=(const CWebBrowserForwarder&) = delete;

    // The control is going: from now on calls are answered without it.
    void Detach() { m_owner = nullptr; }

    STDMETHODIMP QueryInterface(REFIID iid, void** out) override;
    STDMETHODIMP_(ULONG) AddRef() override;
    STDMETHODIMP_(ULONG) Release() override;

protected:
    // Runs `call` with the control, or answers `detached` once it is gone.
    // No exception gets out.
    template <typename Call>
    HRESULT Forward(const char* where, HRESULT detached, Call&& call);
    // The interface ids QueryInterface answers besides IUnknown.
    virtual bool AnswersFor(REFIID iid) const = 0;

private:
    CWebBrowserUI* m_owner;
    LONG m_refs = 1;
};

class CDocHostUIHandlerForwarder : public CWebBrowserForwarder<IDocHostUIHandler> {
public:
    using CWebBrowserForwarder::CWebBrowserForwarder;

    STDMETHODIMP ShowContextMenu(DWORD id, POINT* point, IUnknown* target, IDispatch* object) override;
    STDMETHODIMP GetHostInfo(DOCHOSTUIINFO* info) override;
    STDMETHODIMP ShowUI(DWORD id, IOleInPlaceActiveObject* active, IOleCommandTarget* target,
                        IOleInPlaceFrame* frame, IOleInPlaceUIWindow* document) override;
    STDMETHODIMP HideUI() override;
    STDMETHODIMP UpdateUI() override;
    STDMETHODIMP EnableModeless(BOOL enable) override;
    STDMETHODIMP OnDocWindowActivate(BOOL activate) override;
    STDMETHODIMP OnFrameWindowActivate(BOOL activate) override;
    STDMETHODIMP ResizeBorder(LPCRECT border, IOleInPlaceUIWindow* window, BOOL frameWindow) override;
    STDMETHODIMP TranslateAccelerator(LPMSG message, const GUID* group, DWORD command) override;
    STDMETHODIMP GetOptionKeyPath(LPOLESTR* key, DWORD reserved) override;
    STDMETHODIMP GetDropTarget(IDropTarget* target, IDropTarget** result) override;
    STDMETHODIMP GetExternal(IDispatch** dispatch) override;
    STDMETHODIMP TranslateUrl(DWORD translate, LPWSTR url, LPWSTR* urlOut) override;
    STDMETHODIMP FilterDataObject(IDataObject* object, IDataObject** result) override;

protected:
    bool AnswersFor(REFIID iid) const override { return iid == IID_IDocHostUIHandler; }
};

class COleCommandTargetForwarder : public CWebBrowserForwarder<IOleCommandTarget> {
public:
    using CWebBrowserForwarder::CWebBrowserForwarder;

    STDMETHODIMP QueryStatus(const GUID* group, ULONG count, OLECMD* commands, OLECMDTEXT* text) override;
    STDMETHODIMP Exec(const GUID* group, DWORD command, DWORD options, VARIANT* in, VARIANT* out) override;

protected:
    bool AnswersFor(REFIID iid) const override { return iid == IID_IOleCommandTarget; }
};

class CDispatchForwarder : public CWebBrowserForwarder<IDispatch> {
public:
    using CWebBrowserForwarder::CWebBrowserForwarder;

    STDMETHODIMP GetTypeInfoCount(UINT* count) override;
    STDMETHODIMP GetTypeInfo(UINT, LCID, ITypeInfo** info) override;
    STDMETHODIMP GetIDsOfNames(REFIID iid, LPOLESTR* names, UINT count, LCID locale, DISPID* ids) override;
    STDMETHODIMP Invoke(DISPID id, REFIID iid, LCID locale, WORD flags, DISPPARAMS* params, VARIANT* result,
                        EXCEPINFO* exception, UINT* argError) override;

protected:
    // The browser asks its event sink for the event interface.
    bool AnswersFor(REFIID iid) const override;
};
