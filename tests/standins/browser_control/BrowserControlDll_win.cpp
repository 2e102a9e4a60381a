// The stand-in browser control as an in-process server, for launcher
// processes: `wine regsvr32 zelk_browser_control.dll` registers it under
// HKLM (32-bit view) and points CLSID_WebBrowser's TreatAs at it;
// `regsvr32 /u` takes both away.  It records into the file named by
// ZELK_BROWSER_CONTROL_RECORD and, once the host navigates to an https
// address, plays the script named by ZELK_BROWSER_CONTROL_SCRIPT on the UI
// thread, one line a step:
//   navigate-complete [URL]    NavigateComplete2 (default: the last https address)
//   document-complete [URL]    DocumentComplete (same default)
//   navigate-error HEX [FRAME] NavigateError with that status
//   new-window URL             NewWindow3
//   call TEXT                  window.external.g_callCppFunc(TEXT)
//   script-error               the show-script-error query
//   wait MS                    the next step after MS milliseconds
// Each step's answer goes to the record: "step <line> -> 0x<result>".
#include <windows.h>

#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "BrowserControlStandin_win.h"

namespace {

// {6D1D3C5E-2B1A-4E43-9C55-3A8F0E7B2C11}
const CLSID kStandInClsid = {0x6d1d3c5e, 0x2b1a, 0x4e43, {0x9c, 0x55, 0x3a, 0x8f, 0x0e, 0x7b, 0x2c, 0x11}};
const wchar_t kStandInClsidText[] = L"{6D1D3C5E-2B1A-4E43-9C55-3A8F0E7B2C11}";
const wchar_t kWebBrowserClsidText[] = L"{8856F961-340A-11D0-A96B-00C04FD705A2}";

HMODULE g_module = nullptr;
std::vector<std::wstring> g_steps;
size_t g_nextStep = 0;
bool g_started = false;
std::wstring g_lastUrl;
UINT_PTR g_timer = 0;

std::wstring Environment(const wchar_t* name)
{
    wchar_t value[MAX_PATH] = {};
    const DWORD length = GetEnvironmentVariableW(name, value, MAX_PATH);
    return length > 0 && length < MAX_PATH ? std::wstring(value, length) : std::wstring();
}

std::vector<std::wstring> ReadScript(const std::wstring& path)
{
    std::vector<std::wstring> lines;
    std::ifstream file(path.c_str(), std::ios::binary);
    std::string line;
    while (std::getline(file, line)) {
        if (!line.empty() && line.back() == '\r')
            line.pop_back();
        if (line.empty())
            continue;
        const int size = MultiByteToWideChar(CP_UTF8, 0, line.data(), static_cast<int>(line.size()), nullptr, 0);
        std::wstring wide(static_cast<size_t>(size), L'\0');
        MultiByteToWideChar(CP_UTF8, 0, line.data(), static_cast<int>(line.size()), wide.data(), size);
        lines.push_back(wide);
    }
    return lines;
}

void Schedule(UINT milliseconds);

HRESULT RunStep(const std::wstring& step, UINT& delay)
{
    using browser_standin::Page;
    const size_t space = step.find(L' ');
    const std::wstring verb = step.substr(0, space);
    const std::wstring rest = space == std::wstring::npos ? std::wstring() : step.substr(space + 1);
    const std::wstring url = rest.empty() ? g_lastUrl : rest;
    if (verb == L"navigate-complete")
        return Page::NavigateComplete(url);
    if (verb == L"document-complete")
        return Page::DocumentComplete(url);
    if (verb == L"navigate-error") {
        const size_t frameAt = rest.find(L' ');
        const LONG status = static_cast<LONG>(wcstoul(rest.substr(0, frameAt).c_str(), nullptr, 16));
        return Page::NavigateError(g_lastUrl, frameAt == std::wstring::npos ? L"" : rest.substr(frameAt + 1), status);
    }
    if (verb == L"new-window") {
        VARIANT_BOOL cancel = VARIANT_FALSE;
        const HRESULT result = Page::NewWindow3(rest, &cancel);
        browser_standin::Note(L"new-window cancel " + std::to_wstring(cancel));
        return result;
    }
    if (verb == L"call")
        return Page::CallCppFunc(rest);
    if (verb == L"script-error") {
        VARIANT out;
        VariantInit(&out);
        const HRESULT result = Page::ScriptError(&browser_standin::kDocHostCommandGroup, OLECMDID_SHOWSCRIPTERROR, &out);
        browser_standin::Note(L"script-error vt " + std::to_wstring(out.vt) + L" value " +
                              std::to_wstring(out.boolVal));
        return result;
    }
    if (verb == L"wait") {
        delay = static_cast<UINT>(wcstoul(rest.c_str(), nullptr, 10));
        return S_OK;
    }
    return E_INVALIDARG;
}

void CALLBACK OnStep(HWND, UINT, UINT_PTR, DWORD)
{
    KillTimer(nullptr, g_timer);
    g_timer = 0;
    if (g_nextStep >= g_steps.size())
        return;
    const std::wstring step = g_steps[g_nextStep++];
    UINT delay = 50;
    const HRESULT result = RunStep(step, delay);
    std::wostringstream line;
    line << L"step " << step.substr(0, 200) << L" -> 0x" << std::hex << static_cast<unsigned long>(result);
    browser_standin::Note(line.str());
    Schedule(delay);
}

void Schedule(UINT milliseconds)
{
    if (g_nextStep < g_steps.size())
        g_timer = SetTimer(nullptr, 0, milliseconds, OnStep);
}

void OnNavigate(const std::wstring& url)
{
    if (url.compare(0, 8, L"https://") != 0)
        return;
    g_lastUrl = url;
    if (g_started)
        return;
    g_started = true;
    g_steps = ReadScript(Environment(L"ZELK_BROWSER_CONTROL_SCRIPT"));
    Schedule(100);
}

bool SetKey(const std::wstring& key, const wchar_t* name, const std::wstring& value)
{
    HKEY handle = nullptr;
    if (RegCreateKeyExW(HKEY_LOCAL_MACHINE, key.c_str(), 0, nullptr, 0, KEY_WRITE, nullptr, &handle, nullptr) !=
        ERROR_SUCCESS)
        return false;
    const LONG result = RegSetValueExW(handle, name, 0, REG_SZ, reinterpret_cast<const BYTE*>(value.c_str()),
                                       static_cast<DWORD>((value.size() + 1) * sizeof(wchar_t)));
    RegCloseKey(handle);
    return result == ERROR_SUCCESS;
}

}  // namespace

extern "C" BOOL WINAPI DllMain(HINSTANCE instance, DWORD reason, LPVOID)
{
    if (reason == DLL_PROCESS_ATTACH) {
        g_module = instance;
        browser_standin::SetNavigateHook(OnNavigate);
    }
    return TRUE;
}

extern "C" HRESULT __stdcall DllGetClassObject(REFCLSID clsid, REFIID iid, void** out)
{
    if (!out)
        return E_POINTER;
    *out = nullptr;
    if (clsid != kStandInClsid && clsid != CLSID_WebBrowser)
        return CLASS_E_CLASSNOTAVAILABLE;
    return browser_standin::GetClassObject(iid, out);
}

extern "C" HRESULT __stdcall DllCanUnloadNow() { return S_FALSE; }

extern "C" HRESULT __stdcall DllRegisterServer()
{
    wchar_t path[MAX_PATH] = {};
    if (GetModuleFileNameW(g_module, path, MAX_PATH) == 0)
        return E_FAIL;
    const std::wstring server = std::wstring(L"Software\\Classes\\CLSID\\") + kStandInClsidText + L"\\InprocServer32";
    const std::wstring treatAs = std::wstring(L"Software\\Classes\\CLSID\\") + kWebBrowserClsidText + L"\\TreatAs";
    const bool ok = SetKey(server, nullptr, path) && SetKey(server, L"ThreadingModel", L"Apartment") &&
                    SetKey(treatAs, nullptr, kStandInClsidText);
    return ok ? S_OK : E_FAIL;
}

extern "C" HRESULT __stdcall DllUnregisterServer()
{
    RegDeleteTreeW(HKEY_LOCAL_MACHINE,
                   (std::wstring(L"Software\\Classes\\CLSID\\") + kWebBrowserClsidText + L"\\TreatAs").c_str());
    RegDeleteTreeW(HKEY_LOCAL_MACHINE, (std::wstring(L"Software\\Classes\\CLSID\\") + kStandInClsidText).c_str());
    return S_OK;
}
