// Issue 12, fault 10: the results of the job and resume calls of the
// browser process's start, with failing calls put in their place.  The real
// Windows bridge starts the browser-process stand-in placed beside this
// test program, where the bridge looks for it.
#include <gtest/gtest.h>

#include <windows.h>

#include <fstream>
#include <stdexcept>
#include <string>

#include "PluginFixture.h"
#include "bridge/PlatformBridge.h"
#include "win/WindowsPluginToChromiumBridge_win.h"

namespace {

std::wstring programFolder() {
    wchar_t path[MAX_PATH] = {};
    const DWORD length = GetModuleFileNameW(nullptr, path, MAX_PATH);
    std::wstring folder(path, length);
    return folder.substr(0, folder.rfind(L'\\') + 1);
}

DWORD WINAPI failingResume(HANDLE) {
    SetLastError(ERROR_ACCESS_DENIED);
    return static_cast<DWORD>(-1);
}

BOOL WINAPI failingAssign(HANDLE, HANDLE) {
    SetLastError(ERROR_ACCESS_DENIED);
    return FALSE;
}

BOOL WINAPI throwingCreateProcess(LPCWSTR, LPWSTR, LPSECURITY_ATTRIBUTES, LPSECURITY_ATTRIBUTES, BOOL, DWORD, LPVOID,
                                  LPCWSTR, LPSTARTUPINFOW, LPPROCESS_INFORMATION) {
    throw std::runtime_error("no process today");
}

bool hasError(const std::string& start) {
    for (const auto& call : EngineRecorder::instance().callsOf("error"))
        if (call.texts[0].rfind(start, 0) == 0) return true;
    return false;
}

class Launch : public PluginTest {
protected:
    void SetUp() override {
        const std::wstring folder = programFolder() + L"TelvioWebViewChromium";
        CreateDirectoryW(folder.c_str(), nullptr);
        ASSERT_TRUE(CopyFileW((programFolder() + L"Telvio WebView.telvio").c_str(),
                              (folder + L"\\Telvio WebView.telvio").c_str(), FALSE));
        script = programFolder() + L"launch_test_script_" + std::to_wstring(GetCurrentProcessId()) + L".txt";
        std::ofstream(script.c_str(), std::ios::binary) << "init\n";
        SetEnvironmentVariableW(L"STANDIN_SCRIPT", script.c_str());
        SetEnvironmentVariableW(L"STANDIN_RECORD", nullptr);
        PluginTest::SetUp();
        setBridgeFactory(&createPlatformBridge);
    }
    void TearDown() override {
        PluginTest::TearDown();
        setProcessLaunchCalls({&CreateProcessW, &AssignProcessToJobObject, &ResumeThread});
        DeleteFileW(script.c_str());
    }
    std::wstring script;
};

// A resume that fails used to leave a suspended browser process and every
// message held back for ever; now the start fails as a missing executable
// does, and the engine hears that nothing runs.
TEST_F(Launch, AFailedResumeFailsTheStart) {
    setProcessLaunchCalls({&CreateProcessW, &AssignProcessToJobObject, &failingResume});
    WebView_getCookies("u", "n", "r");
    ASSERT_TRUE(EngineRecorder::instance().waitFor([](const std::vector<EngineCall>& calls) {
        for (const auto& call : calls)
            if (call.callback == "terminated") return true;
        return false;
    }, 20000));
    EXPECT_TRUE(hasError("[WindowsPluginToChromiumBridge] ResumeThread failed: 5, command line: \""));
    EXPECT_FALSE(WebView_browserProcessIsRunning());
}

// A process that cannot join the job runs without it.
TEST_F(Launch, AProcessThatCannotJoinTheJobRunsWithoutIt) {
    setProcessLaunchCalls({&CreateProcessW, &failingAssign, &ResumeThread});
    WebView_getCookies("u", "n", "r");
    ASSERT_TRUE(EngineRecorder::instance().waitFor([](const std::vector<EngineCall>& calls) {
        for (const auto& call : calls)
            if (call.callback == "cookies") return true;
        return false;
    }, 20000));
    EXPECT_TRUE(hasError("[WindowsPluginToChromiumBridge] AssignProcessToJobObject failed: 5; the browser process "
                         "runs without a job"));
    EXPECT_TRUE(WebView_browserProcessIsRunning());
}

bool heardOfTermination() {
    return EngineRecorder::instance().waitFor([](const std::vector<EngineCall>& calls) {
        for (const auto& call : calls)
            if (call.callback == "terminated") return true;
        return false;
    }, 20000);
}

// Issue 17, fault 5: a launcher thread that failed with an exception logged
// it and left every message held back for ever.  Now the plug-in resets, as
// after a start that fails, and the engine hears of it.
TEST_F(Launch, ALauncherThreadThatFailsResetsThePlugin) {
    setProcessLaunchCalls({&throwingCreateProcess, &AssignProcessToJobObject, &ResumeThread});
    WebView_getCookies("u", "n", "r");
    ASSERT_TRUE(heardOfTermination());
    EXPECT_TRUE(hasError("[WindowsPluginToChromiumBridge] The launcher thread failed: no process today"));
    EXPECT_FALSE(WebView_browserProcessIsRunning());
}

// Issue 17, fault 4: a browser process that never reports itself ready is
// ended after the start-up limit, and the plug-in resets.
TEST_F(Launch, ABrowserProcessThatNeverReportsReadyIsEnded) {
    std::ofstream(script.c_str(), std::ios::binary) << "sleep 60000\n";
    const std::wstring record = programFolder() + L"launch_test_record_" + std::to_wstring(GetCurrentProcessId()) + L".txt";
    DeleteFileW(record.c_str());
    SetEnvironmentVariableW(L"STANDIN_RECORD", record.c_str());
    PluginToChromiumBridge::setStartupLimit(std::chrono::milliseconds(1500));
    WebView_getCookies("u", "n", "r");
    ASSERT_TRUE(heardOfTermination());
    SetEnvironmentVariableW(L"STANDIN_RECORD", nullptr);
    EXPECT_TRUE(hasError("[WindowsPluginToChromiumBridge] The browser process did not report itself initialized "
                         "within 1500 ms of its launch; it is ended and 1 held-back messages were dropped"));
    EXPECT_FALSE(WebView_browserProcessIsRunning());
    std::ifstream in(record.c_str(), std::ios::binary);
    std::string line;
    DWORD pid = 0;
    while (std::getline(in, line))
        if (line.rfind("connected ", 0) == 0) pid = std::stoul(line.substr(10));
    in.close();
    DeleteFileW(record.c_str());
    ASSERT_NE(pid, 0u) << "the browser process never connected";
    HANDLE browser = OpenProcess(SYNCHRONIZE, FALSE, pid);
    if (browser) {
        EXPECT_EQ(WaitForSingleObject(browser, 5000), WAIT_OBJECT_0) << "the browser process still runs";
        TerminateProcess(browser, 0);
        CloseHandle(browser);
    }
}

}  // namespace
