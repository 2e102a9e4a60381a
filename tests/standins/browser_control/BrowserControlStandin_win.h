#pragma once
// A stand-in for the WebBrowser control: an in-process COM object that a
// host creates in place of CLSID_WebBrowser (CoRegisterClassObject inside a
// test program, or TreatAs in a prefix for the DLL build).  It records what
// the host does with it and plays a page against the host the way the
// browser and a script engine would: external object, g_callCppFunc,
// script-error query, and the navigation events through the host's sink by
// dispatch id with by-reference arguments.  UI thread only.
#include <windows.h>
#include <exdisp.h>
#include <mshtmhst.h>
#include <ole2.h>

#include <string>
#include <vector>

namespace browser_standin {

// The command group of the show-script-error query (the tool chain's uuid
// library lacks CGID_DocHostCommandHandler).
constexpr GUID kDocHostCommandGroup = {0xf38bc242, 0xb950, 0x11d1, {0x89, 0x18, 0x00, 0xc0, 0x4f, 0xc2, 0xc8, 0x36}};

// Lines like "Navigate2 <url> flags=null", "put_Silent -1", "DoVerb -5",
// "inplace 0,0,960,620", "SetUIHandler set", "accelerator 256 9", "Close",
// "released": what hosts did, in order.
std::vector<std::wstring>& Record();
// Lines starting with `prefix`.
std::vector<std::wstring> RecordLines(const std::wstring& prefix);

// The page's side, played against the control created last (false / an
// error when there is none).
class Page {
public:
    // Makes `url` the current document (a fresh one) and fires
    // NavigateComplete2.
    static HRESULT NavigateComplete(const std::wstring& url);
    static HRESULT DocumentComplete(const std::wstring& url);
    // NavigateError with a VT_I4 status; `cancel` goes in as the flag and
    // receives what the host left in it.
    static HRESULT NavigateError(const std::wstring& url, const std::wstring& frame, LONG status,
                                 VARIANT_BOOL* cancel = nullptr);
    // NewWindow3 with the flags as `flagsType` (the browser's type library
    // declares them unsigned: VT_UI4) and the address as text, or, with
    // `urlAsText` false, as an empty variant.
    static HRESULT NewWindow3(const std::wstring& url, VARIANT_BOOL* cancel, VARTYPE flagsType = VT_UI4,
                              bool urlAsText = true);
    // Fires `id` with the given arguments as they stand (last first, as in
    // DISPPARAMS) and the given interface id.
    static HRESULT Fire(DISPID id, VARIANT* args, UINT count, REFIID iid = IID_NULL);
    // window.external.g_callCppFunc(args...): the UI handler (the one set on
    // the document, else the client site's) gives the external object; the
    // name is looked up and invoked as a method.  `args` last first.
    static HRESULT CallCppFunc(VARIANT* args, UINT count, VARIANT* result = nullptr);
    static HRESULT CallCppFunc(const std::wstring& text, VARIANT* result = nullptr);
    // The id GetIDsOfNames gave `name` on the external object.
    static HRESULT LookUp(const wchar_t* name, DISPID* id);
    // What a page or the browser may keep for as long as it likes (a new
    // reference each): window.external, the UI handler in force, and the
    // client site's command target.
    static HRESULT External(IDispatch** external);
    static HRESULT UIHandler(IDocHostUIHandler** handler);
    static HRESULT CommandTarget(IOleCommandTarget** target);
    // The host's answer to the show-script-error command (group, command).
    static HRESULT ScriptError(const GUID* group, DWORD command, VARIANT* out);
    static HRESULT QueryStatus(const GUID* group);
    static HRESULT HostInfo(DOCHOSTUIINFO* info);
    static HRESULT ContextMenu();
    // The control's own window, null while it is not active in place.
    static HWND Window();
    static bool Exists();
};

// Registers the stand-in's class object for CLSID_WebBrowser in this
// process (REGCLS_MULTIPLEUSE) until the guard goes away.
class ClassRegistration {
public:
    ClassRegistration();
    ~ClassRegistration();
    ClassRegistration(const ClassRegistration&) = delete;
    ClassRegistration& operator=(const ClassRegistration&) = delete;
    bool registered() const { return m_cookie != 0; }

private:
    DWORD m_cookie = 0;
};

// A control that, like some do, neither tells its in-place site it was
// deactivated nor lets go of the site until its own last reference goes.
// Applies to controls created afterwards; off by default.
void SetKeepsInPlaceSite(bool keeps);

// Called with the address of every Navigate2 (the DLL build starts its
// page script on the launcher's navigation).
using NavigateHook = void (*)(const std::wstring& url);
void SetNavigateHook(NavigateHook hook);
// Appends a line to the record (and to the record file, if one is named).
void Note(const std::wstring& line);

// Stand-in objects alive (controls, documents, class objects in use).
long LiveObjects();

// The class object, for DllGetClassObject of the DLL build.
HRESULT GetClassObject(REFIID iid, void** out);

}  // namespace browser_standin
