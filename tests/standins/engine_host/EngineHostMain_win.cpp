// engine_host.exe DLL hold   start the browser process with a cookie command,
//                            then wait to be killed
// engine_host.exe DLL unload start the browser process, ask it to end (the
//                            stand-in may stay silent), unload the plug-in
//                            and go on running for 6 s: exit code 0 unless
//                            something waited or crashed
// engine_host.exe DLL exit   start the browser process and end the program
//                            while it runs
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

// The size of the texture behind a view address the engine was told of.
std::string textureSize(const std::string& viewAddress) {
    const D3D11_TEXTURE2D_DESC description = EngineHost::describeTexture(EngineHost::textureViewAt(viewAddress));
    return std::to_string(description.Width) + " x " + std::to_string(description.Height);
}

std::string lastTextureView() {
    std::string view;
    for (const auto& call : EngineHost::callsOf("message"))
        if (call.texts[1] == "HandleTextureChanged") view = call.texts[2];
    return view;
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
    if (mode == L"unload" || mode == L"exit") {
        host.initialize();
        host.getCookies("https://example.test/", "", "up");
        if (!waitForCount("cookies", 1)) {
            std::fprintf(stderr, "the browser process did not answer\n");
            return 3;
        }
        if (mode == L"exit") return 0;  // the plug-in's threads and the browser process still run
        host.terminateBrowserProcess();  // a watchdog and a bridge that nobody resets
        host.unload();
        std::printf("unloaded\n");
        std::fflush(stdout);
        Sleep(6000);  // past the watchdog's 4 s: its thread must not run freed code
        return 0;
    }

    long deviceResult = 0;
    auto* device = static_cast<ID3D11Device*>(EngineHost::createHardwareDevice(&deviceResult));
    if (!device) {
        std::fprintf(stderr, "no Direct3D 11 device (0x%08lx); the demo needs a display\n",
                     static_cast<unsigned long>(deviceResult));
        return 1;
    }
    EngineHost::setDevice(device);

    EngineHost::setObserver(print);
    step("load and initialise");
    host.initialize();
    step("options (refused once the browser process runs)");
    std::printf("setChromiumLogLevel(1) -> %d, setCachePath -> %d, setTargetFrameRate(30) -> %d\n",
                host.setChromiumLogLevel(1), host.setCachePath("C:\\My Data\\cache"), host.setTargetFrameRate(30));
    void* view = host.newWebView("demo-view", 800, 600, 1.5f, "");
    step("first render event: a texture on the engine's device, the create command starts the browser process");
    host.renderEvent(host.depositPointer(view));
    waitForCount("message", 2);
    const std::string firstView = lastTextureView();
    std::printf("browserProcessIsRunning -> %d, setCachePath now -> %d; texture %s behind view %s\n",
                host.browserProcessIsRunning(), host.setCachePath("elsewhere"), textureSize(firstView).c_str(),
                firstView.c_str());
    step("resize: stored, the next render event makes the new texture, the answer switches the engine to it");
    host.resizeWithPixelDensity(view, 1024, 768, 1.25f);
    host.renderEvent(host.depositPointer(view));
    waitForCount("message", 3);
    const std::string secondView = lastTextureView();
    std::printf("texture %s behind view %s; the engine lets go of view %s\n", textureSize(secondView).c_str(),
                secondView.c_str(), firstView.c_str());
    host.destroyTexture(EngineHost::textureViewAt(firstView), 0);
    step("per-webview commands (see the browser process's record below)");
    host.loadUrl(view, "https://example.test/");
    host.click(view, 100, 200);
    host.scroll(view, 0, -120);
    host.executeJavaScript(view, "document.title", "title-1");
    host.setZoomLevel(view, 1.5f);
    host.setDownloadsEnabled(view, "C:/Games/Downloads");
    step("cookie commands; their answers come back");
    host.getCookies("https://example.test/", "session", "cookies-1");
    waitForCount("cookies", 1);
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
    host.destroyTexture(EngineHost::textureViewAt(secondView), 0);
    host.destroy(view);
    std::printf("terminateBrowserProcess -> %d\n", host.terminateBrowserProcess());
    waitForCount("terminated", 2);
    EngineHost::setDevice(nullptr);
    device->Release();
    step("done");
    return 0;
}
