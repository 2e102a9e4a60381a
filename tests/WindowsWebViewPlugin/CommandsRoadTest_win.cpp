// The per-webview command exports end to end: called through the engine's
// decorated names in the engine-host stand-in, read back by the
// browser-process stand-in from the pipe.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "PluginRoadFixture_win.h"

namespace {

struct RoadCommand {
    void (*call)(EngineHost& host, void* view);
    const char* expected;  // as the browser process receives it; null when nothing is sent
};

// One row per export.  Booleans go as whole 32-bit slots (0x100 is false,
// 2 is true), floats through the standard-call stack, texts through UTF-16.
const RoadCommand kRoadCommands[] = {
    {[](EngineHost& h, void* v) { h.cancelAuth(v); }, R"({"type":0,"webViewId":"view-1"})"},
    {[](EngineHost& h, void* v) { h.cancelFileSelection(v); }, R"({"type":1,"webViewId":"view-1"})"},
    {[](EngineHost& h, void* v) { h.canGoBack(v); }, R"({"type":2,"webViewId":"view-1"})"},
    {[](EngineHost& h, void* v) { h.canGoForward(v); }, R"({"type":3,"webViewId":"view-1"})"},
    {[](EngineHost& h, void* v) { h.click(v, 10, -20); }, R"({"type":4,"webViewId":"view-1","x":10,"y":-20})"},
    {[](EngineHost& h, void* v) { h.continueAuth(v, "user", nullptr); },
     R"({"type":5,"webViewId":"view-1","username":"user","password":""})"},
    {[](EngineHost& h, void* v) { h.continueFileSelection(v, R"(["C:\\a.txt"])"); },
     R"({"type":6,"webViewId":"view-1","serializedFilePaths":"[\"C:\\\\a.txt\"]"})"},
    {[](EngineHost& h, void* v) { h.copy(v); }, R"({"type":7,"webViewId":"view-1"})"},
    {[](EngineHost& h, void* v) { h.cut(v); }, R"({"type":9,"webViewId":"view-1"})"},
    {[](EngineHost& h, void* v) { h.executeJavaScript(v, "go(1);", nullptr); },
     R"({"type":12,"webViewId":"view-1","javaScript":"go(1);"})"},
    {[](EngineHost& h, void* v) { h.scroll(v, -10, -120); },
     R"({"type":12,"webViewId":"view-1","javaScript":"window.scrollBy(-10, -120);"})"},
    {[](EngineHost& h, void* v) { h.executeJavaScript(v, "1+1", ""); },
     R"({"type":13,"webViewId":"view-1","javaScript":"1+1","resultCallbackId":""})"},
    {[](EngineHost& h, void* v) { h.goBack(v); }, R"({"type":15,"webViewId":"view-1"})"},
    {[](EngineHost& h, void* v) { h.goForward(v); }, R"({"type":16,"webViewId":"view-1"})"},
    {[](EngineHost& h, void* v) { h.keyDown(v, "a", 2); }, R"({"type":17,"webViewId":"view-1","key":"a","modifiers":2})"},
    {[](EngineHost& h, void* v) { h.keyUp(v, nullptr, -1); }, R"({"type":18,"webViewId":"view-1","key":"","modifiers":-1})"},
    {[](EngineHost& h, void* v) { h.loadHtml(v, "<p class=\"x\">\n</p>"); },
     R"({"type":19,"webViewId":"view-1","html":"<p class=\"x\">\n</p>"})"},
    {[](EngineHost& h, void* v) { h.loadUrl(v, nullptr); }, R"({"type":20,"webViewId":"view-1","url":""})"},
    {[](EngineHost& h, void* v) { h.loadUrlWithHeaders(v, "https://a.test/", "A: 1\r\nB: 2"); },
     R"({"type":21,"webViewId":"view-1","url":"https://a.test/","headers":"A: 1\r\nB: 2"})"},
    {[](EngineHost& h, void* v) { h.movePointer(v, 3, 4); }, R"({"type":22,"webViewId":"view-1","x":3,"y":4})"},
    {[](EngineHost& h, void* v) { h.paste(v); }, R"({"type":23,"webViewId":"view-1"})"},
    {[](EngineHost& h, void* v) { h.pointerDown(v, 1, 2, 0, 2); },
     R"({"type":24,"webViewId":"view-1","x":1,"y":2,"mouseButton":0,"clickCount":2})"},
    {[](EngineHost& h, void* v) { h.pointerUp(v, 3, 4, 2, 1); },
     R"({"type":25,"webViewId":"view-1","x":3,"y":4,"mouseButton":2,"clickCount":1})"},
    {[](EngineHost& h, void* v) { h.reload(v); }, R"({"type":26,"webViewId":"view-1"})"},
    // Stored for the next render event; nothing leaves.
    {[](EngineHost& h, void* v) { h.resizeWithPixelDensity(v, 800, 600, 2.0f); }, nullptr},
    {[](EngineHost& h, void* v) { h.scrollAtPoint(v, 0, -120, 300, 40); },
     R"({"type":28,"webViewId":"view-1","deltaX":0,"deltaY":-120,"mouseX":300,"mouseY":40})"},
    {[](EngineHost& h, void* v) { h.selectAll(v); }, R"({"type":29,"webViewId":"view-1"})"},
    {[](EngineHost& h, void* v) { h.sendKey(v, "\xE4\xB8\xAD"); },
     "{\"type\":30,\"webViewId\":\"view-1\",\"key\":\"\xE4\xB8\xAD\"}"},
    {[](EngineHost& h, void* v) { h.sendTouchEvent(v, 7, 1, 10.5f, 20.0f, 1.0f, -2.25f, 0.0f, 0.5f); },
     R"({"type":31,"webViewId":"view-1","id":7,"touchEventType":1,"pointX":10.5,"pointY":20.0,"radiusX":1.0,)"
     R"("radiusY":-2.25,"rotationAngle":0.0,"pressure":0.5})"},
    {[](EngineHost& h, void* v) { h.setAudioMuted(v, 0x100); }, R"({"type":32,"webViewId":"view-1","value":false})"},
    {[](EngineHost& h, void* v) { h.setAuthEnabled(v, 2); }, R"({"type":33,"webViewId":"view-1","value":true})"},
    {[](EngineHost& h, void* v) { h.setConsoleMessageEventsEnabled(v, 1); },
     R"({"type":34,"webViewId":"view-1","value":true})"},
    {[](EngineHost& h, void* v) { h.setCursorTypeEventsEnabled(v, 0); },
     R"({"type":36,"webViewId":"view-1","value":false})"},
    {[](EngineHost& h, void* v) { h.setDownloadsEnabled(v, "C:/Games/Downloads"); },
     R"({"type":37,"webViewId":"view-1","downloadsDirectoryPath":"C:\\Games\\Downloads"})"},
    {[](EngineHost& h, void* v) { h.setFileSelectionEnabled(v, 0x101); },
     R"({"type":38,"webViewId":"view-1","value":true})"},
    {[](EngineHost& h, void* v) { h.setFocused(v, 1); }, R"({"type":39,"webViewId":"view-1","value":true})"},
    {[](EngineHost& h, void* v) { h.setFocusedInputFieldEventsEnabled(v, 0xFFFFFF00u); },
     R"({"type":40,"webViewId":"view-1","value":false})"},
    {[](EngineHost& h, void* v) { h.setNativeFileDialogEnabled(v, 1); },
     R"({"type":41,"webViewId":"view-1","value":true})"},
    {[](EngineHost& h, void* v) { h.setNativeScriptDialogEnabled(v, 0); },
     R"({"type":42,"webViewId":"view-1","value":false})"},
    {[](EngineHost& h, void* v) { h.setPopupMode(v, 2); }, R"({"type":43,"webViewId":"view-1","value":2})"},
    {[](EngineHost& h, void* v) { h.setRenderingEnabled(v, 1); }, R"({"type":44,"webViewId":"view-1","value":true})"},
    {[](EngineHost& h, void* v) { h.setZoomLevel(v, 1.5f); }, R"({"type":45,"webViewId":"view-1","value":1.5})"},
    {[](EngineHost& h, void* v) { h.setZoomLevel(v, 1.0f); }, R"({"type":45,"webViewId":"view-1","value":1.0})"},
    {[](EngineHost& h, void* v) { h.stopLoad(v); }, R"({"type":46,"webViewId":"view-1"})"},
    {[](EngineHost& h, void* v) { h.zoomIn(v); }, R"({"type":48,"webViewId":"view-1"})"},
    {[](EngineHost& h, void* v) { h.zoomOut(v); }, R"({"type":49,"webViewId":"view-1"})"},
};

using CommandsRoad = PluginRoad;

TEST_F(CommandsRoad, EveryCommandArrivesAsTheExportBuiltIt) {
    start({"init"});
    void* view = host->newWebView("view-1", 640, 480, 1.0f, "");
    ASSERT_NE(view, nullptr);
    // No browser process yet: dropped, and none is started.
    host->click(view, 1, 1);
    host->setZoomLevel(view, 3.0f);
    EXPECT_FALSE(host->browserProcessIsRunning());

    host->getCookies("https://a.test/", "n", "c1");
    std::vector<std::string> expected = {
        R"({"type":14,"url":"https://a.test/","cookieName":"n","resultCallbackId":"c1"})"};
    for (const auto& command : kRoadCommands) {
        command.call(*host, view);
        if (command.expected) expected.push_back(command.expected);
    }
    ASSERT_TRUE(waitForRecord("recv", expected.size())) << recordOf("recv").size() << " of " << expected.size();
    host->destroy(view);
    ASSERT_TRUE(waitForRecord("recv", expected.size() + 1));
    expected.push_back(R"({"type":11,"webViewId":"view-1"})");
    EXPECT_EQ(recordOf("recv"), expected);
    EXPECT_TRUE(EngineHost::callsOf("error").empty());
}

}  // namespace
