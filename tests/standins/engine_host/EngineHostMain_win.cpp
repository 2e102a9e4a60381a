// engine_host.exe DLL hold   start the browser process with a cookie command,
//                            then wait to be killed
// engine_host.exe DLL demo   the whole plug-in road, printing what the
//                            engine hears
#include <cstdio>
#include <string>

#include "EngineHost_win.h"

namespace {

void print(const HostCall& call) {
    std::string line = "[engine] " + call.callback + " (thread " + std::to_string(call.thread) + ")";
    for (const std::string& text : call.texts)
        line += " | " + (text.size() > 160 ? text.substr(0, 160) + "... (" + std::to_string(text.size()) + " bytes)" : text);
    if (call.callback == "bool") line += " | " + std::to_string(call.number);
    std::printf("%s\n", line.c_str());
    std::fflush(stdout);
}

bool waitForCount(const char* callback, size_t count) {
    return EngineHost::waitFor([&](const std::vector<HostCall>& calls) {
        size_t n = 0;
        for (const auto& call : calls) n += call.callback == callback;
        return n >= count;
    });
}

void step(const char* what) {
    std::printf("\n== %s\n", what);
    std::fflush(stdout);
}

}  // namespace

int wmain(int argc, wchar_t** argv) {
    if (argc < 3) {
        std::fprintf(stderr, "usage: engine_host DLL hold|demo\n");
        return 2;
    }
    EngineHost host(argv[1]);
    if (!host.loaded() || !host.missingExports().empty()) {
        std::fprintf(stderr, "cannot bind the plug-in (%zu exports missing)\n", host.missingExports().size());
        return 1;
    }
    const std::wstring mode = argv[2];
    if (mode == L"hold") {
        host.initialize();
        host.getCookies("https://example.test/", "", "hold");
        Sleep(INFINITE);
    }

    EngineHost::setObserver(print);
    step("load and initialise");
    host.initialize();
    step("options (refused once the browser process runs)");
    std::printf("setChromiumLogLevel(1) -> %d, setCachePath -> %d, setTargetFrameRate(30) -> %d\n",
                host.setChromiumLogLevel(1), host.setCachePath("C:\\My Data\\cache"), host.setTargetFrameRate(30));
    void* view = host.newWebView("demo-view", 800, 600, 1.0f, "");
    step("a cookie command starts the browser process; its answer comes back");
    host.getCookies("https://example.test/", "session", "cookies-1");
    waitForCount("cookies", 1);
    std::printf("browserProcessIsRunning -> %d, setCachePath now -> %d\n", host.browserProcessIsRunning(),
                host.setCachePath("elsewhere"));
    host.setCookie("{\"name\":\"a\",\"value\":\"b\"}", "set-1");
    waitForCount("bool", 1);
    step("a long message travels in packets and is joined by the browser process");
    host.setCookie(std::string(2 * 1048576, 'x').c_str(), "long-1");
    waitForCount("bool", 2);
    step("terminate; the browser process confirms and the plug-in resets");
    std::printf("terminateBrowserProcess -> %d\n", host.terminateBrowserProcess());
    waitForCount("terminated", 1);
    std::printf("browserProcessIsRunning -> %d\n", host.browserProcessIsRunning());
    step("the next cookie command starts a new browser process");
    host.deleteCookies("https://example.test/", "session", "delete-1");
    waitForCount("bool", 3);
    host.destroy(view);
    std::printf("terminateBrowserProcess -> %d\n", host.terminateBrowserProcess());
    waitForCount("terminated", 2);
    step("done");
    return 0;
}
