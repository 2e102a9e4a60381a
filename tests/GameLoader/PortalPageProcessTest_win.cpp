// The stand-in browser control as a launcher process meets it: registered as
// an in-process server in place of CLSID_WebBrowser (TreatAs), driven by its
// page script, in a probe process of the launcher's window and page code.
#include <gtest/gtest.h>

#include <string>

#include "support/Process_win.h"
#include "support/StandIns_win.h"

namespace {

// Registers the DLL the way `regsvr32` does, and takes it away again.
class StandInServer {
public:
    StandInServer() : m_module(LoadLibraryW((TestBinaryDir() + L"\\zelk_browser_control.dll").c_str()))
    {
        m_registered = Call("DllRegisterServer") == S_OK;
    }
    ~StandInServer()
    {
        Call("DllUnregisterServer");
        if (m_module)
            FreeLibrary(m_module);
    }
    bool registered() const { return m_registered; }

private:
    HRESULT Call(const char* name)
    {
        using Entry = HRESULT(__stdcall*)();
        auto entry = m_module ? reinterpret_cast<Entry>(GetProcAddress(m_module, name)) : nullptr;
        return entry ? entry() : E_FAIL;
    }
    HMODULE m_module;
    bool m_registered = false;
};

struct ProbeRun {
    std::string output;
    std::string record;
};

ProbeRun RunProbe(const std::string& script, const std::wstring& token)
{
    const std::wstring folder = MakeTempFolder(L"zelk_portal_probe");
    const std::wstring scriptFile = folder + L"\\page.txt";
    const std::wstring recordFile = folder + L"\\record.txt";
    WriteFileBytes(scriptFile, script);
    SetEnvironmentVariableW(L"ZELK_BROWSER_CONTROL_SCRIPT", scriptFile.c_str());
    SetEnvironmentVariableW(L"ZELK_BROWSER_CONTROL_RECORD", recordFile.c_str());
    const ProcessResult result =
        RunProcess(L"\"" + TestBinaryDir() + L"\\portal_page_probe.exe\" " + token, 40000);
    SetEnvironmentVariableW(L"ZELK_BROWSER_CONTROL_SCRIPT", nullptr);
    SetEnvironmentVariableW(L"ZELK_BROWSER_CONTROL_RECORD", nullptr);
    EXPECT_TRUE(result.started);
    EXPECT_EQ(0u, result.exitCode);
    std::string output;  // the probe's standard output is in text mode
    for (char c : result.output)
        if (c != '\r')
            output += c;
    return ProbeRun{output, ReadFileBytes(recordFile)};
}

bool Has(const std::string& text, const std::string& part) { return text.find(part) != std::string::npos; }

}  // namespace

TEST(PortalPageProcess, ScriptedPageLoadsAndOpensTheGame)
{
    StandInServer server;
    ASSERT_TRUE(server.registered());
    const ProbeRun run = RunProbe(
        "navigate-complete\n"
        "document-complete\n"
        "script-error\n"
        "call {\"funcation_name\":\"open_game\",\"token\":\"fresh\"}\n",
        L"abc");
    EXPECT_TRUE(Has(run.record, "put_Silent -1")) << run.record;
    EXPECT_TRUE(Has(run.record, "/client/index/zelk?fileparam=&token=abc flags=null")) << run.record;
    EXPECT_TRUE(Has(run.record, "SetUIHandler set")) << run.record;
    EXPECT_TRUE(Has(run.record, "script-error vt 11 value -1")) << run.record;
    EXPECT_TRUE(Has(run.record, "released")) << run.record;
    EXPECT_EQ("message 1128\nopen_game {\"funcation_name\":\"open_game\",\"token\":\"fresh\"}\n", run.output);
}

TEST(PortalPageProcess, UnreachablePortalEndsWithOneNetworkError)
{
    StandInServer server;
    ASSERT_TRUE(server.registered());
    const ProbeRun run = RunProbe("navigate-error 800C0005 frame\nnavigate-error 800C0005\ndocument-complete\n", L"");
    EXPECT_EQ("message 1137\n", run.output) << run.record;
}
