// The plug-in DLL in the engine-host stand-in, with the browser-process
// stand-in at the place where the plug-in looks for the browser process.
#include <gtest/gtest.h>


#include <atomic>
#include <chrono>
#include <fstream>
#include <memory>
#include <regex>
#include <sstream>
#include <thread>

#include "PluginRoadFixture_win.h"

namespace {

TEST(PluginExports, EveryNameTheEngineBindsIsExported) {
    EngineHost host(TestBinaryDir() + L"\\TelvioWebViewWindows.dll");
    ASSERT_TRUE(host.loaded());
    EXPECT_EQ(host.missingExports(), std::vector<std::string>{});
    // The undecorated and mingw-style names are not what the engine asks for.
    HMODULE module = GetModuleHandleW(L"TelvioWebViewWindows.dll");
    EXPECT_EQ(GetProcAddress(module, "WebView_new@20"), nullptr);
    EXPECT_EQ(GetProcAddress(module, "UnityPluginLoad@4"), nullptr);
}

TEST_F(PluginRoad, CookieCommandStartsTheBrowserProcessAndAnswersComeBack) {
    start({"init", "waitfor 2",
           R"(send {"type":52,"webViewId":"view-1","message":"HandleInitFinished"})",
           R"(send {"type":52,"webViewId":"view-1","message":"Custom,a,b"})"});
    void* view = host->newWebView("view-1", 640, 480, 1.0f, "");
    EXPECT_FALSE(host->browserProcessIsRunning());
    host->getCookies("https://a.test/", "n", "c1");
    EXPECT_TRUE(host->browserProcessIsRunning());
    EXPECT_FALSE(host->setCachePath("refused"));
    host->setCookie("k=v", "s1");
    ASSERT_TRUE(waitForCalls("message", 3));
    ASSERT_TRUE(waitForCalls("bool", 1));

    const auto calls = EngineHost::calls();
    std::vector<std::vector<std::string>> messages;
    DWORD dispatchThread = 0;
    for (const auto& call : calls) {
        if (call.callback == "message") messages.push_back(call.texts);
        if (call.callback == "cookies") {
            EXPECT_EQ(call.texts, (std::vector<std::string>{"c1", "cookies-for-https://a.test/"}));
        }
        if (call.callback == "bool") {
            EXPECT_EQ(call.texts[0], "s1");
            EXPECT_EQ(call.number, 1);
        }
        if (call.callback == "message" || call.callback == "cookies" || call.callback == "bool") {
            EXPECT_NE(call.thread, GetCurrentThreadId());
            if (!dispatchThread) dispatchThread = call.thread;
            EXPECT_EQ(call.thread, dispatchThread) << "one pipe server thread dispatches everything";
        }
    }
    EXPECT_EQ(countOf(calls, "cookies"), 1u);
    EXPECT_EQ(messages, (std::vector<std::vector<std::string>>{{"view-1", "HandleTextureChanged", "0"},
                                                              {"view-1", "HandleInitFinished", ""},
                                                              {"view-1", "Custom", "a,b"}}));

    const auto cmdline = recordOf("cmdline");
    ASSERT_EQ(cmdline.size(), 1u);
    const std::regex expected("\"" + std::regex_replace(narrow(executable), std::regex(R"([\\.])"), R"(\$&)") +
                              "\" --log-severity=warning --telvio-pipe-name=\\\\\\\\\\.\\\\pipe\\\\com\\.telvio\\.webview\\."
                              "[0-9a-f]{8}-[0-9a-f]{4}-4[0-9a-f]{3}-[89ab][0-9a-f]{3}-[0-9a-f]{12}");
    EXPECT_TRUE(std::regex_match(cmdline[0], expected)) << cmdline[0];
    EXPECT_EQ(recordOf("recv"), (std::vector<std::string>{
                                    R"({"type":14,"url":"https://a.test/","cookieName":"n","resultCallbackId":"c1"})",
                                    R"({"type":35,"serializedCookie":"k=v","resultCallbackId":"s1"})"}));

    HANDLE browser = openBrowserProcess();
    ASSERT_NE(browser, nullptr);
    EXPECT_TRUE(host->terminateBrowserProcess());
    ASSERT_TRUE(waitForCalls("terminated", 1, 3000)) << "the confirmation resets before the watchdog would";
    EXPECT_FALSE(host->browserProcessIsRunning());
    EXPECT_EQ(WaitForSingleObject(browser, 5000), WAIT_OBJECT_0);
    CloseHandle(browser);
    EXPECT_EQ(recordOf("recv").back(), "{\"type\": 47}");
    EXPECT_TRUE(host->setCachePath("open again"));
    host->destroy(view);
}

TEST_F(PluginRoad, FullOptionsMakeTheCommandLineOfTheEditorLayout) {
    start({"init"}, Layout::Editor);
    host->setChromiumLogLevel(3);
    host->setTargetFrameRate(30);
    host->setAutoplayEnabled(true);
    host->setCachePath("C:\\My Data\\cache");
    host->setCameraAndMicrophoneEnabled(true);
    host->globallySetUserAgent("Agent/1 (x)");
    host->enableRemoteDebugging(-1);
    host->setScreenSharingEnabled(true);
    host->setIgnoreCertificateErrors(true);
    host->setCommandLineArguments("--extra=\"a b\"");
    host->getCookies("u", "n", "r");
    ASSERT_TRUE(waitForCalls("cookies", 1));
    const std::string commandLine = recordOf("cmdline").at(0);
    const std::string expectedStart = "\"" + narrow(pluginDir) + "\\..\\TelvioWebViewChromium\\Telvio WebView.telvio\" "
        "--log-severity=error --target-frame-rate=30 --autoplay-policy=no-user-gesture-required "
        "\"--cache-path=C:\\My Data\\cache\" --enable-media-stream \"--user-agent=Agent/1 (x)\" "
        "--remote-debugging-port=-1 --enable-media-stream --use-fake-ui-for-media-stream "
        "--ignore-certificate-errors --extra=\"a b\" --telvio-pipe-name=\\\\.\\pipe\\com.telvio.webview.";
    EXPECT_EQ(commandLine.substr(0, expectedStart.size()), expectedStart);
    EXPECT_EQ(commandLine.size(), expectedStart.size() + 36);
    EXPECT_EQ(countOf(EngineHost::calls(), "error"), 0u) << "candidate 2 is found without a report";
}

// The game goes on when the browser process cannot start: the failure is
// logged and the plug-in resets, so the engine hears that none runs.
TEST_F(PluginRoad, MissingExecutableIsReportedAndThePluginResets) {
    start({}, Layout::NoExecutable);
    host->getCookies("u", "n", "r");
    ASSERT_TRUE(waitForCalls("terminated", 1));
    const auto errors = EngineHost::callsOf("error");
    ASSERT_EQ(errors.size(), 2u);
    const std::string candidate1 = narrow(pluginDir) + "\\TelvioWebViewChromium\\Telvio WebView.telvio";
    const std::string candidate2 = narrow(pluginDir) + "\\..\\TelvioWebViewChromium\\Telvio WebView.telvio";
    EXPECT_EQ(errors[0].texts[0],
              "[WindowsPluginToChromiumBridge] The \"Telvio WebView\" executable isn't in either of the expected "
              "locations that were checked. Expected location for compiled app: \"" + candidate1 +
                  "\" . Expected location for the editor: \"" + candidate2 + "\".");
    EXPECT_EQ(errors[1].texts[0].rfind("[WindowsPluginToChromiumBridge] CreateProcess failed. Last error: ", 0), 0u);
    EXPECT_NE(errors[1].texts[0].find(", command line: \"" + candidate1 + "\" --log-severity=warning"),
              std::string::npos);
    EXPECT_FALSE(host->browserProcessIsRunning());
    EXPECT_TRUE(host->setCachePath("options are open again"));
}

std::string cookieCommand(size_t cookieBytes, const std::string& id) {
    return R"({"type":35,"serializedCookie":")" + std::string(cookieBytes, 'k') + R"(","resultCallbackId":")" + id +
           R"("})";
}

TEST_F(PluginRoad, HeldBackAndLongMessagesArriveWholeAndInOrder) {
    start({"sleep 1500", "init"});
    const size_t overhead = cookieCommand(0, "b").size();
    const size_t exact = 1048576 / 2 - 1 - overhead;  // UTF-16 with terminator: exactly 1 048 576 bytes
    host->getCookies("first", "", "a");
    host->setCookie(std::string(exact, 'k').c_str(), "b");
    host->setCookie(std::string(exact + 1, 'k').c_str(), "c");
    host->setCookie(std::string(2097152, 'k').c_str(), "d");
    ASSERT_TRUE(waitForCalls("bool", 3, 30000));

    const auto received = recordOf("recv");
    ASSERT_EQ(received.size(), 4u);
    EXPECT_EQ(received[0], R"({"type":14,"url":"first","cookieName":"","resultCallbackId":"a"})");
    EXPECT_EQ(received[1], cookieCommand(exact, "b"));
    EXPECT_EQ(received[2], cookieCommand(exact + 1, "c"));
    EXPECT_EQ(received[3], cookieCommand(2097152, "d"));
    const auto packets = recordOf("packet");
    ASSERT_EQ(packets.size(), 7u);
    EXPECT_EQ(packets[0].substr(0, 6), "1 1/2 ");
    EXPECT_EQ(packets[1].substr(0, 6), "1 2/2 ");
    for (int i = 0; i < 4; ++i) EXPECT_EQ(packets[2 + i], "2 " + std::to_string(i + 1) + "/5 442360");
    EXPECT_EQ(packets[6].substr(0, 6), "2 5/5 ");

    // A new browser process after the reset counts its messages from 1.
    EXPECT_TRUE(host->terminateBrowserProcess());
    ASSERT_TRUE(waitForCalls("terminated", 1));
    DeleteFileW(recordPath.c_str());
    host->setCookie(std::string(2097152, 'k').c_str(), "e");
    ASSERT_TRUE(waitForCalls("bool", 4, 30000));
    EXPECT_EQ(recordOf("packet").at(0).substr(0, 6), "1 1/5 ");
}

// Writers on several threads, each with its own overlapped record: every
// command arrives whole, once, and in its thread's order.
TEST_F(PluginRoad, ConcurrentWritersKeepEachThreadsOrder) {
    start({"init", "noanswer"});
    host->getCookies("u", "n", "r");
    ASSERT_TRUE(waitForRecord("recv", 1));
    constexpr int kThreads = 4, kPerThread = 50;
    std::vector<std::thread> writers;
    for (int t = 0; t < kThreads; ++t) {
        writers.emplace_back([this, t] {
            for (int i = 0; i < kPerThread; ++i)
                host->setCookie((std::to_string(t) + ":" + std::to_string(i)).c_str(), std::string(3000, 'p').c_str());
        });
    }
    for (auto& writer : writers) writer.join();
    ASSERT_TRUE(waitForRecord("recv", 1 + kThreads * kPerThread));
    const auto received = recordOf("recv");
    ASSERT_EQ(received.size(), 1u + kThreads * kPerThread);
    std::vector<int> next(kThreads, 0);
    const std::regex command(R"re(\{"type":35,"serializedCookie":"(\d+):(\d+)","resultCallbackId":"p{3000}"\})re");
    for (size_t i = 1; i < received.size(); ++i) {
        std::smatch match;
        ASSERT_TRUE(std::regex_match(received[i], match, command)) << received[i].substr(0, 80);
        const int t = std::stoi(match[1]);
        EXPECT_EQ(std::stoi(match[2]), next[t]++);
    }
}

// Engine threads keep sending while the browser process confirms its end,
// so the bridge is destroyed on its own pipe server thread with writers
// about; the next command starts a new browser process.  Every browser
// process started ends, and nothing crashes.
TEST_F(PluginRoad, TerminationWhileThreadsSendEndsEveryBrowserProcess) {
    start({"init"});
    std::atomic<bool> sending{true};
    std::vector<std::thread> senders;
    for (int t = 0; t < 3; ++t) {
        senders.emplace_back([this, &sending] {
            while (sending) {
                host->setCookie("c", "r");
                Sleep(1);
            }
        });
    }
    // The senders stop also when an assertion below ends the test early.
    struct StopSenders {
        std::atomic<bool>& sending;
        std::vector<std::thread>& senders;
        ~StopSenders() {
            sending = false;
            for (auto& sender : senders)
                if (sender.joinable()) sender.join();
        }
    } stopSenders{sending, senders};
    for (int round = 1; round <= 3; ++round) {
        ASSERT_TRUE(waitForCalls("bool", static_cast<size_t>(round) * 5))
            << "round " << round << ": " << countOf(EngineHost::calls(), "bool") << " answers, "
            << countOf(EngineHost::calls(), "terminated") << " terminations, " << recordOf("connected").size()
            << " browser processes, " << recordOf("recv").size() << " commands received";
        while (!host->terminateBrowserProcess()) Sleep(1);
        ASSERT_TRUE(waitForCalls("terminated", round));
    }
    sending = false;
    for (auto& sender : senders) sender.join();
    host->initialize();  // a quiet reset ends the browser process of the last round
    EXPECT_FALSE(host->browserProcessIsRunning());
    const auto pids = recordOf("connected");
    EXPECT_GE(pids.size(), 3u);
    for (const auto& pid : pids) {
        HANDLE process = OpenProcess(SYNCHRONIZE, FALSE, std::stoul(pid));
        if (!process) continue;  // gone already
        EXPECT_EQ(WaitForSingleObject(process, 5000), WAIT_OBJECT_0) << pid;
        CloseHandle(process);
    }
}

TEST_F(PluginRoad, TerminateBeforeInitializedResetsThroughTheWatchdog) {
    start({"sleep 20000"});
    host->getCookies("u", "n", "r");
    HANDLE browser = openBrowserProcess();
    ASSERT_NE(browser, nullptr);
    const auto begin = std::chrono::steady_clock::now();
    EXPECT_TRUE(host->terminateBrowserProcess());
    ASSERT_TRUE(waitForCalls("terminated", 1, 10000));
    const auto waited =
        std::chrono::duration_cast<std::chrono::milliseconds>(std::chrono::steady_clock::now() - begin).count();
    EXPECT_GE(waited, 3900);
    EXPECT_FALSE(host->browserProcessIsRunning());
    EXPECT_EQ(WaitForSingleObject(browser, 5000), WAIT_OBJECT_0);
    CloseHandle(browser);
    EXPECT_TRUE(recordOf("recv").empty()) << "the terminate request never reaches the pipe";
}

// Issue 12, fault 3: a browser process that went away used to end the
// reader silently; the bridge stayed and nothing was read again.  Now the
// disconnect is logged once, the plug-in resets as after a termination, and
// the next command starts a fresh browser process.
TEST_F(PluginRoad, DisconnectIsLoggedOnceAndThePluginResets) {
    start({"init", "waitfor 1", "disconnect"});
    host->getCookies("u", "n", "r");
    ASSERT_TRUE(waitForCalls("terminated", 1));
    EXPECT_FALSE(host->browserProcessIsRunning());
    size_t disconnects = 0;
    for (const auto& call : EngineHost::callsOf("error")) disconnects += call.texts[0] == "Pipe client disconnected.";
    EXPECT_EQ(disconnects, 1u);
    EXPECT_TRUE(host->setCachePath("options are open again"));

    std::ofstream(scriptPath.c_str(), std::ios::binary) << "init\n";
    host->getCookies("u", "n", "again");
    ASSERT_TRUE(waitForCalls("cookies", 2));
    EXPECT_EQ(recordOf("connected").size(), 2u);
}

// Issue 12, fault 3: the same for a browser process that crashes mid-run.
TEST_F(PluginRoad, ACrashedBrowserProcessIsHeardOfAndReplaced) {
    start({"init", "waitfor 1", "crash"});
    host->getCookies("u", "n", "r");
    ASSERT_TRUE(waitForCalls("terminated", 1));
    EXPECT_FALSE(host->browserProcessIsRunning());
    EXPECT_TRUE(hasLine(EngineHost::calls(), "error", "Pipe client disconnected.") ||
                hasLine(EngineHost::calls(), "error", "Pipe ReadFile failed."));
    std::ofstream(scriptPath.c_str(), std::ios::binary) << "init\n";
    host->getCookies("u", "n", "again");
    ASSERT_TRUE(waitForCalls("cookies", 2));
}

// Issue 12, fault 1: half a million "[" ended the reader (its parser used up
// the stack).  Now the text is an unrecognized message and reading goes on.
TEST_F(PluginRoad, ADeeplyNestedMessageIsUnrecognizedAndReadingGoesOn) {
    start({"init", "nest 500000", R"(send {"type":51,"success":true,"resultCallbackId":"after"})"});
    host->getCookies("u", "n", "r");
    ASSERT_TRUE(EngineHost::waitFor([](const std::vector<HostCall>& calls) {
        for (const auto& call : calls)
            if (call.callback == "bool" && call.texts[0] == "after") return true;
        return false;
    }));
    const auto errors = EngineHost::callsOf("error");
    ASSERT_EQ(errors.size(), 1u);
    EXPECT_EQ(errors[0].texts[0], "[ChromiumWebViewProxy] Unrecognized bridge message: " + std::string(500000, '['));
    EXPECT_TRUE(host->browserProcessIsRunning());
}

// Issue 12, fault 4: a browser process that answers on the thread that
// reads, and a long held-back list: with the flush on the plug-in's reading
// thread both sides waited on full pipes for ever.  Every answer arrives.
TEST_F(PluginRoad, ABrowserProcessThatAnswersOnItsReadingThreadGetsEveryHeldBackCommand) {
    start({"answerinline", "sleep 1000", "init"});
    constexpr int kCommands = 1000;
    const std::string url(2048, 'u');  // 2 MiB of commands out, 2 MiB of answers back
    for (int i = 0; i < kCommands; ++i) host->getCookies(url.c_str(), "n", std::to_string(i).c_str());
    ASSERT_TRUE(waitForCalls("cookies", kCommands, 120000)) << countOf(EngineHost::calls(), "cookies") << " answers";
    const auto answers = EngineHost::callsOf("cookies");
    for (int i = 0; i < kCommands; ++i) EXPECT_EQ(answers[i].texts[0], std::to_string(i));
}

// Issue 12, fault 12: whoever connected first got every command.  A client
// that is not the browser process is refused and logged; the browser
// process then connects and is served as before.
TEST_F(PluginRoad, OnlyTheBrowserProcessIsAcceptedOnThePipe) {
    SetEnvironmentVariableW(L"STANDIN_CONNECT_DELAY_MS", L"3000");
    start({"init"});
    host->getCookies("u", "n", "r");
    ASSERT_TRUE(waitForRecord("cmdline", 1));
    SetEnvironmentVariableW(L"STANDIN_CONNECT_DELAY_MS", nullptr);
    const std::string commandLine = recordOf("cmdline").at(0);
    const std::string key = "--telvio-pipe-name=";
    const std::string name = commandLine.substr(commandLine.find(key) + key.size(), 36 + 28);
    const std::wstring wideName(name.begin(), name.end());
    HANDLE intruder = INVALID_HANDLE_VALUE;
    DWORD error = 0;
    for (int attempt = 0; attempt < 200 && intruder == INVALID_HANDLE_VALUE; ++attempt) {
        intruder = CreateFileW(wideName.c_str(), GENERIC_READ | GENERIC_WRITE, 0, nullptr, OPEN_EXISTING, 0, nullptr);
        error = GetLastError();
        if (intruder == INVALID_HANDLE_VALUE) Sleep(10);
    }
    ASSERT_NE(intruder, INVALID_HANDLE_VALUE) << name << " error " << error;
    const std::string refused = "[WindowsPluginToChromiumBridge] A pipe client that is not the browser process was "
                                "refused; process id " + std::to_string(GetCurrentProcessId());
    ASSERT_TRUE(EngineHost::waitFor([&](const std::vector<HostCall>& calls) { return hasLine(calls, "error", refused); },
                                    5000));
    ASSERT_TRUE(waitForCalls("cookies", 1));
    char byte = 0;
    DWORD read = 0;
    EXPECT_FALSE(ReadFile(intruder, &byte, 1, &read, nullptr)) << "the intruder still reads the pipe";
    CloseHandle(intruder);
}

TEST_F(PluginRoad, OutputIsRelayedInChunksOfAtMost4096Bytes) {
    start({"stdout 10000"});
    host->getCookies("u", "n", "r");
    const std::string prefix = "[Chromium stdout] : ";
    const auto relayed = [&](const std::vector<HostCall>& calls) {
        size_t bytes = 0;
        for (const auto& call : calls)
            if (call.callback == "info" && call.texts[0].rfind(prefix, 0) == 0) bytes += call.texts[0].size() - prefix.size();
        return bytes;
    };
    ASSERT_TRUE(EngineHost::waitFor([&](const std::vector<HostCall>& calls) { return relayed(calls) >= 10000; }));
    size_t lines = 0;
    for (const auto& call : EngineHost::callsOf("info")) {
        if (call.texts[0].rfind(prefix, 0) != 0) continue;
        ++lines;
        EXPECT_LE(call.texts[0].size() - prefix.size(), 4096u);
        EXPECT_EQ(call.texts[0].find_first_not_of('o', prefix.size()), std::string::npos);
    }
    EXPECT_GE(lines, 3u);
    EXPECT_EQ(relayed(EngineHost::calls()), 10000u);
}

// Issue 12, fault 2: a message over the 2 MiB read buffer ended the reader
// ("Pipe ReadFile failed.").  Now that message alone is read to its end and
// dropped with an error line, and the next one is handled.
TEST_F(PluginRoad, AMessageLongerThanTheReadBufferIsDroppedAndReadingGoesOn) {
    start({"init", "oversize", R"(send {"type":51,"success":true,"resultCallbackId":"after"})"});
    host->getCookies("u", "n", "r");
    ASSERT_TRUE(EngineHost::waitFor([](const std::vector<HostCall>& calls) {
        for (const auto& call : calls)
            if (call.callback == "bool" && call.texts[0] == "after") return true;
        return false;
    }));
    EXPECT_TRUE(hasLine(EngineHost::calls(), "error",
                        "[WindowsPluginToChromiumBridge] An incoming message of 2097156 bytes is longer than the read "
                        "buffer of 2097152 bytes and was dropped."));
    EXPECT_FALSE(hasLine(EngineHost::calls(), "error", "Pipe ReadFile failed."));
    EXPECT_TRUE(host->browserProcessIsRunning());
}

// When the game dies without terminating the browser process, the job that
// holds the browser process (and what it started) ends them.
TEST_F(PluginRoad, KilledHostLeavesNoBrowserProcessBehind) {
    placeExecutable(Layout::BuiltApplication);
    std::ofstream(scriptPath.c_str(), std::ios::binary) << "init\nspawn\n";
    PROCESS_INFORMATION hostProcess =
        StartProcess(L"\"" + TestBinaryDir() + L"\\engine_host.exe\" \"" + dllPath + L"\" hold");
    ASSERT_NE(hostProcess.hProcess, nullptr);
    ASSERT_TRUE(waitForRecord("spawned", 1));
    HANDLE browser = OpenProcess(SYNCHRONIZE, FALSE, std::stoul(recordOf("connected").at(0)));
    HANDLE child = OpenProcess(SYNCHRONIZE, FALSE, std::stoul(recordOf("spawned").at(0)));
    ASSERT_NE(browser, nullptr);
    ASSERT_NE(child, nullptr);

    TerminateProcess(hostProcess.hProcess, 9);
    WaitForSingleObject(hostProcess.hProcess, 5000);
    EXPECT_EQ(WaitForSingleObject(browser, 10000), WAIT_OBJECT_0);
    EXPECT_EQ(WaitForSingleObject(child, 10000), WAIT_OBJECT_0);
    // Whatever the test could not see ends here, so nothing is left running.
    TerminateProcess(browser, 0);
    TerminateProcess(child, 0);
    for (HANDLE handle : {browser, child, hostProcess.hProcess, hostProcess.hThread}) CloseHandle(handle);
}

// The pipe's name, as the browser process got it on its command line.
std::wstring pipeNameOf(const std::string& commandLine) {
    const std::string key = "--telvio-pipe-name=";
    const std::string name = commandLine.substr(commandLine.find(key) + key.size(), 36 + 28);
    return std::wstring(name.begin(), name.end());
}

// Issue 17, fault 5: the pipe allowed unlimited instances, so another
// process of the same user could add one of its own after ours, where a
// browser process might connect.  Now the name holds one instance only.
TEST_F(PluginRoad, NobodyCanAddASecondInstanceOfThePipe) {
    start({"init"});
    host->getCookies("u", "n", "r");
    ASSERT_TRUE(waitForCalls("cookies", 1));
    const std::wstring name = pipeNameOf(recordOf("cmdline").at(0));
    for (const DWORD instances : {DWORD{PIPE_UNLIMITED_INSTANCES}, DWORD{1}}) {
        HANDLE second = CreateNamedPipeW(name.c_str(), PIPE_ACCESS_DUPLEX | FILE_FLAG_OVERLAPPED,
                                         PIPE_TYPE_MESSAGE | PIPE_READMODE_MESSAGE | PIPE_WAIT, instances, 1048576,
                                         1048576, 0, nullptr);
        EXPECT_EQ(second, INVALID_HANDLE_VALUE) << "a second instance with " << instances << " instances was created";
        if (second != INVALID_HANDLE_VALUE) CloseHandle(second);
    }
}

// Issue 17, fault 5: a client that kept connecting was logged once per
// attempt.  Now the first refusal is logged and the rest counted in one line
// once the browser process is connected.
TEST_F(PluginRoad, AClientThatKeepsConnectingIsLoggedOnce) {
    SetEnvironmentVariableW(L"STANDIN_CONNECT_DELAY_MS", L"4000");
    start({"init"});
    host->getCookies("u", "n", "r");
    ASSERT_TRUE(waitForRecord("cmdline", 1));
    SetEnvironmentVariableW(L"STANDIN_CONNECT_DELAY_MS", nullptr);
    const std::wstring name = pipeNameOf(recordOf("cmdline").at(0));
    constexpr int kAttempts = 10;
    int refused = 0;
    for (int attempt = 0; attempt < 400 && refused < kAttempts; ++attempt) {
        HANDLE intruder = CreateFileW(name.c_str(), GENERIC_READ | GENERIC_WRITE, 0, nullptr, OPEN_EXISTING, 0, nullptr);
        if (intruder == INVALID_HANDLE_VALUE) {
            Sleep(5);
            continue;
        }
        char byte = 0;
        DWORD read = 0;
        if (!ReadFile(intruder, &byte, 1, &read, nullptr)) ++refused;  // returns once it is dropped
        CloseHandle(intruder);
    }
    ASSERT_EQ(refused, kAttempts);
    ASSERT_TRUE(waitForCalls("cookies", 1));
    size_t lines = 0;
    for (const auto& call : EngineHost::callsOf("error"))
        lines += call.texts[0].find("were refused") != std::string::npos ||
                 call.texts[0].find("was refused") != std::string::npos;
    EXPECT_EQ(lines, 2u) << "one line for the first refusal and one for the rest";
    EXPECT_TRUE(hasLine(EngineHost::calls(), "error",
                        "[WindowsPluginToChromiumBridge] " + std::to_string(kAttempts - 1) +
                            " more pipe clients that were not the browser process were refused"));
}

// Runs the engine-host program with the plug-in in `mode`; its exit code, or
// STILL_ACTIVE after ending it when it has not ended within `timeoutMs`.
DWORD runHostProgram(const std::wstring& dllPath, const wchar_t* mode, DWORD timeoutMs) {
    PROCESS_INFORMATION process =
        StartProcess(L"\"" + TestBinaryDir() + L"\\engine_host.exe\" \"" + dllPath + L"\" " + mode);
    if (!process.hProcess) return static_cast<DWORD>(-1);
    DWORD code = STILL_ACTIVE;
    if (WaitForSingleObject(process.hProcess, timeoutMs) == WAIT_OBJECT_0)
        GetExitCodeProcess(process.hProcess, &code);
    else
        TerminateProcess(process.hProcess, 9);
    WaitForSingleObject(process.hProcess, 5000);
    CloseHandle(process.hProcess);
    CloseHandle(process.hThread);
    return code;
}

// Issue 17, fault 3: the bridge instance was destroyed by a static
// destructor at unload, under the loader lock, joining threads that need
// that lock to end: FreeLibrary never returned.  The detached heartbeat and
// watchdog threads would have run code of the freed library.  Unloading with
// a browser process running and a watchdog armed, and ending the game with a
// browser process running, now neither hang nor crash, and the browser
// process ends with the game.
TEST_F(PluginRoad, UnloadAndExitWithABrowserProcessRunningNeitherHangNorCrash) {
    placeExecutable(Layout::BuiltApplication);
    for (const wchar_t* mode : {L"unload", L"exit"}) {
        DeleteFileW(recordPath.c_str());
        std::ofstream(scriptPath.c_str(), std::ios::binary) << "init\nsilent\n";
        EXPECT_EQ(runHostProgram(dllPath, mode, 30000), 0u) << "engine_host " << narrow(mode);
        const auto pids = recordOf("connected");
        ASSERT_EQ(pids.size(), 1u) << narrow(mode);
        HANDLE browser = OpenProcess(SYNCHRONIZE, FALSE, std::stoul(pids[0]));
        if (!browser) continue;  // gone already
        EXPECT_EQ(WaitForSingleObject(browser, 10000), WAIT_OBJECT_0) << "the browser process outlived the game";
        TerminateProcess(browser, 0);
        CloseHandle(browser);
    }
}

}  // namespace
