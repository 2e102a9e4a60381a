// The per-webview command exports: the exact text each one hands the bridge.
#include <gtest/gtest.h>

#include <cmath>
#include <limits>

#include "PluginFixture.h"
#include "webview/ChromiumWebViewProxy.h"

namespace {

struct CommandCase {
    const char* name;
    void (*call)(void* handle);
    const char* expected;  // the written text; null when nothing is sent
};

// Every command type a webview export produces, with arguments that show
// the encodings: signed integers, floats widened (1 is 1.0), booleans read
// from the low byte only, null texts as "", texts escaped but otherwise as given.
const CommandCase kCommands[] = {
    {"cancelAuth", [](void* h) { WebView_cancelAuth(h); }, R"({"type":0,"webViewId":"v"})"},
    {"cancelFileSelection", [](void* h) { WebView_cancelFileSelection(h); }, R"({"type":1,"webViewId":"v"})"},
    {"canGoBack", [](void* h) { WebView_canGoBack(h); }, R"({"type":2,"webViewId":"v"})"},
    {"canGoForward", [](void* h) { WebView_canGoForward(h); }, R"({"type":3,"webViewId":"v"})"},
    {"click", [](void* h) { WebView_click(h, 10, -20); }, R"({"type":4,"webViewId":"v","x":10,"y":-20})"},
    {"continueAuth", [](void* h) { WebView_continueAuth(h, "user", "p\"w"); },
     R"({"type":5,"webViewId":"v","username":"user","password":"p\"w"})"},
    {"continueAuth nulls", [](void* h) { WebView_continueAuth(h, nullptr, nullptr); },
     R"({"type":5,"webViewId":"v","username":"","password":""})"},
    {"continueFileSelection", [](void* h) { WebView_continueFileSelection(h, R"(["C:\\a.txt"])"); },
     R"({"type":6,"webViewId":"v","serializedFilePaths":"[\"C:\\\\a.txt\"]"})"},
    {"copy", [](void* h) { WebView_copy(h); }, R"({"type":7,"webViewId":"v"})"},
    {"cut", [](void* h) { WebView_cut(h); }, R"({"type":9,"webViewId":"v"})"},
    {"executeJavaScript without id", [](void* h) { WebView_executeJavaScript(h, "f(\"x\")", nullptr); },
     R"j({"type":12,"webViewId":"v","javaScript":"f(\"x\")"})j"},
    {"scroll", [](void* h) { WebView_scroll(h, 0, -120); },
     R"({"type":12,"webViewId":"v","javaScript":"window.scrollBy(0, -120);"})"},
    {"scroll negative", [](void* h) { WebView_scroll(h, -10, -120); },
     R"({"type":12,"webViewId":"v","javaScript":"window.scrollBy(-10, -120);"})"},
    {"executeJavaScript with id", [](void* h) { WebView_executeJavaScript(h, "1+1", "r7"); },
     R"({"type":13,"webViewId":"v","javaScript":"1+1","resultCallbackId":"r7"})"},
    {"executeJavaScript empty id", [](void* h) { WebView_executeJavaScript(h, "1+1", ""); },
     R"({"type":13,"webViewId":"v","javaScript":"1+1","resultCallbackId":""})"},
    {"executeJavaScript null script", [](void* h) { WebView_executeJavaScript(h, nullptr, "r"); },
     R"({"type":13,"webViewId":"v","javaScript":"","resultCallbackId":"r"})"},
    {"goBack", [](void* h) { WebView_goBack(h); }, R"({"type":15,"webViewId":"v"})"},
    {"goForward", [](void* h) { WebView_goForward(h); }, R"({"type":16,"webViewId":"v"})"},
    {"keyDown", [](void* h) { WebView_keyDown(h, "ArrowLeft", 3); },
     R"({"type":17,"webViewId":"v","key":"ArrowLeft","modifiers":3})"},
    {"keyUp", [](void* h) { WebView_keyUp(h, nullptr, -1); }, R"({"type":18,"webViewId":"v","key":"","modifiers":-1})"},
    {"loadHtml", [](void* h) { WebView_loadHtml(h, "<p class=\"a\">\n\xC3\xA9\t</p>"); },
     "{\"type\":19,\"webViewId\":\"v\",\"html\":\"<p class=\\\"a\\\">\\n\xC3\xA9\\t</p>\"}"},
    {"loadUrl", [](void* h) { WebView_loadUrl(h, "https://a.test/?q=1&r=2"); },
     R"({"type":20,"webViewId":"v","url":"https://a.test/?q=1&r=2"})"},
    {"loadUrl null", [](void* h) { WebView_loadUrl(h, nullptr); }, R"({"type":20,"webViewId":"v","url":""})"},
    {"loadUrlWithHeaders", [](void* h) { WebView_loadUrlWithHeaders(h, "https://a.test/", "A: 1\r\nB: 2"); },
     R"({"type":21,"webViewId":"v","url":"https://a.test/","headers":"A: 1\r\nB: 2"})"},
    {"movePointer", [](void* h) { WebView_movePointer(h, -5, 2147483647); },
     R"({"type":22,"webViewId":"v","x":-5,"y":2147483647})"},
    {"paste", [](void* h) { WebView_paste(h); }, R"({"type":23,"webViewId":"v"})"},
    {"pointerDown", [](void* h) { WebView_pointerDown(h, 1, 2, 0, 2); },
     R"({"type":24,"webViewId":"v","x":1,"y":2,"mouseButton":0,"clickCount":2})"},
    {"pointerUp", [](void* h) { WebView_pointerUp(h, 3, 4, 2, 1); },
     R"({"type":25,"webViewId":"v","x":3,"y":4,"mouseButton":2,"clickCount":1})"},
    {"reload", [](void* h) { WebView_reload(h); }, R"({"type":26,"webViewId":"v"})"},
    {"scrollAtPoint", [](void* h) { WebView_scrollAtPoint(h, 0, -120, 300, -2147483647 - 1); },
     R"({"type":28,"webViewId":"v","deltaX":0,"deltaY":-120,"mouseX":300,"mouseY":-2147483648})"},
    {"selectAll", [](void* h) { WebView_selectAll(h); }, R"({"type":29,"webViewId":"v"})"},
    {"sendKey", [](void* h) { WebView_sendKey(h, "\xE4\xB8\xAD"); },
     "{\"type\":30,\"webViewId\":\"v\",\"key\":\"\xE4\xB8\xAD\"}"},
    {"sendTouchEvent", [](void* h) { WebView_sendTouchEvent(h, 7, 1, 10.5f, 20.0f, 1.0f, -2.25f, 0.0f, 0.5f); },
     R"({"type":31,"webViewId":"v","id":7,"touchEventType":1,"pointX":10.5,"pointY":20.0,"radiusX":1.0,)"
     R"("radiusY":-2.25,"rotationAngle":0.0,"pressure":0.5})"},
    {"setAudioMuted", [](void* h) { WebView_setAudioMuted(h, 1); }, R"({"type":32,"webViewId":"v","value":true})"},
    {"setAuthEnabled", [](void* h) { WebView_setAuthEnabled(h, 0); }, R"({"type":33,"webViewId":"v","value":false})"},
    {"setConsoleMessageEventsEnabled", [](void* h) { WebView_setConsoleMessageEventsEnabled(h, 1); },
     R"({"type":34,"webViewId":"v","value":true})"},
    {"setCursorTypeEventsEnabled", [](void* h) { WebView_setCursorTypeEventsEnabled(h, 1); },
     R"({"type":36,"webViewId":"v","value":true})"},
    {"setDownloadsEnabled", [](void* h) { WebView_setDownloadsEnabled(h, "C:/Games/Downloads"); },
     R"({"type":37,"webViewId":"v","downloadsDirectoryPath":"C:\\Games\\Downloads"})"},
    {"setDownloadsEnabled null", [](void* h) { WebView_setDownloadsEnabled(h, nullptr); },
     R"({"type":37,"webViewId":"v","downloadsDirectoryPath":""})"},
    {"setFileSelectionEnabled", [](void* h) { WebView_setFileSelectionEnabled(h, 1); },
     R"({"type":38,"webViewId":"v","value":true})"},
    {"setFocused", [](void* h) { WebView_setFocused(h, 1); }, R"({"type":39,"webViewId":"v","value":true})"},
    {"setFocusedInputFieldEventsEnabled", [](void* h) { WebView_setFocusedInputFieldEventsEnabled(h, 1); },
     R"({"type":40,"webViewId":"v","value":true})"},
    {"setNativeFileDialogEnabled", [](void* h) { WebView_setNativeFileDialogEnabled(h, 0); },
     R"({"type":41,"webViewId":"v","value":false})"},
    {"setNativeScriptDialogEnabled", [](void* h) { WebView_setNativeScriptDialogEnabled(h, 1); },
     R"({"type":42,"webViewId":"v","value":true})"},
    {"setPopupMode", [](void* h) { WebView_setPopupMode(h, 2); }, R"({"type":43,"webViewId":"v","value":2})"},
    {"setRenderingEnabled", [](void* h) { WebView_setRenderingEnabled(h, 0); },
     R"({"type":44,"webViewId":"v","value":false})"},
    {"setZoomLevel 1.5", [](void* h) { WebView_setZoomLevel(h, 1.5f); }, R"({"type":45,"webViewId":"v","value":1.5})"},
    {"setZoomLevel 1", [](void* h) { WebView_setZoomLevel(h, 1.0f); }, R"({"type":45,"webViewId":"v","value":1.0})"},
    {"setZoomLevel 0.1", [](void* h) { WebView_setZoomLevel(h, 0.1f); },
     R"({"type":45,"webViewId":"v","value":0.10000000149011612})"},
    {"stopLoad", [](void* h) { WebView_stopLoad(h); }, R"({"type":46,"webViewId":"v"})"},
    {"zoomIn", [](void* h) { WebView_zoomIn(h); }, R"({"type":48,"webViewId":"v"})"},
    {"zoomOut", [](void* h) { WebView_zoomOut(h); }, R"({"type":49,"webViewId":"v"})"},
    // Only stores the size: the render event sends it.
    {"resizeWithPixelDensity", [](void* h) { WebView_resizeWithPixelDensity(h, 800, 600, 2.0f); }, nullptr},
};

class Commands : public PluginTest {
protected:
    // A webview "v" and a browser process that has reported it is ready.
    void SetUp() override {
        PluginTest::SetUp();
        handle = WebView_new("v", 640, 480, 1.0f, "");
        WebView_getCookies("u", "n", "r");
        bridge = RecordingBridges::current();
        bridge->handleIncomingMessage("ProcessInitialized");
        ASSERT_TRUE(bridge->waitForInitialized());  // the writer writes on a thread of its own
        ASSERT_EQ(bridge->writtenCount(), 1u);
    }
    void TearDown() override {
        WebView_destroy(handle);
        bridge.reset();
        PluginTest::TearDown();
    }

    // The texts written by `call`, in order.
    template <typename Call>
    std::vector<std::string> sentBy(Call call) {
        const size_t before = bridge->writtenCount();
        call();
        const auto written = bridge->written();
        return std::vector<std::string>(written.begin() + before, written.end());
    }

    void* handle = nullptr;
    std::shared_ptr<RecordingBridge> bridge;
};

TEST_F(Commands, EachExportSendsItsCommandText) {
    for (const auto& c : kCommands) {
        const auto sent = sentBy([&] { c.call(handle); });
        if (c.expected)
            EXPECT_EQ(sent, std::vector<std::string>{c.expected}) << c.name;
        else
            EXPECT_TRUE(sent.empty()) << c.name;
    }
    EXPECT_TRUE(EngineRecorder::instance().calls().empty());
}

TEST_F(Commands, NullHandleDoesNothing) {
    for (const auto& c : kCommands) EXPECT_TRUE(sentBy([&] { c.call(nullptr); }).empty()) << c.name;
    EXPECT_TRUE(EngineRecorder::instance().calls().empty());
}

// The engine sets only the low byte of a boolean's 32-bit slot.
TEST_F(Commands, BooleansReadOnlyTheLowByte) {
    const struct {
        WebViewBool slot;
        const char* value;
    } cases[] = {{0, "false"}, {1, "true"}, {2, "true"}, {0x100, "false"}, {0x7FFFFF00, "false"}, {-1, "true"}};
    for (const auto& c : cases) {
        const std::string expected = std::string(R"({"type":39,"webViewId":"v","value":)") + c.value + "}";
        EXPECT_EQ(sentBy([&] { WebView_setFocused(handle, c.slot); }), std::vector<std::string>{expected}) << c.slot;
    }
}

// JSON has no NaN or infinity: a command that would carry one is refused
// with an error line instead of leaving as a truncated text.
TEST_F(Commands, NonFiniteNumbersRefuseTheCommand) {
    const float nan = std::numeric_limits<float>::quiet_NaN();
    const float infinity = std::numeric_limits<float>::infinity();
    EXPECT_TRUE(sentBy([&] { WebView_setZoomLevel(handle, nan); }).empty());
    EXPECT_TRUE(sentBy([&] { WebView_sendTouchEvent(handle, 1, 0, 1.0f, -infinity, 0, 0, 0, 0); }).empty());
    const auto errors = EngineRecorder::instance().callsOf("error");
    ASSERT_EQ(errors.size(), 2u);
    EXPECT_EQ(errors[0].texts[0], "[WebView_setZoomLevel] \"value\" is not a finite number; the command is not sent");
    EXPECT_EQ(errors[1].texts[0],
              "[WebView_sendTouchEvent] \"pointY\" is not a finite number; the command is not sent");
    // The next command leaves as usual.
    EXPECT_EQ(sentBy([&] { WebView_setZoomLevel(handle, 2.0f); }).size(), 1u);
}

TEST_F(Commands, ResizesOnlyStoreTheLastSize) {
    EXPECT_TRUE(sentBy([&] {
        WebView_resizeWithPixelDensity(handle, 800, 600, 2.0f);
        WebView_resizeWithPixelDensity(handle, 1024, 768, 1.5f);
    }).empty());
    auto* record = static_cast<WindowsChromiumWebViewProxy*>(handle);
    EXPECT_TRUE(record->resizePending);
    EXPECT_EQ(record->width, 1024);
    EXPECT_EQ(record->height, 768);
    EXPECT_EQ(record->pixelDensity, 1.5f);
}

using CommandsWithoutBrowserProcess = PluginTest;

// Per-webview commands never start a browser process: without one they are
// dropped without a trace.
TEST_F(CommandsWithoutBrowserProcess, AreDroppedSilently) {
    void* handle = WebView_new("v", 1, 1, 1.0f, "");
    const int bridgesBefore = RecordingBridges::created();
    for (const auto& c : kCommands) c.call(handle);
    EXPECT_FALSE(WebView_browserProcessIsRunning());
    EXPECT_EQ(RecordingBridges::created(), bridgesBefore);
    EXPECT_TRUE(EngineRecorder::instance().calls().empty());

    // A browser process started afterwards gets only what is sent from then on.
    WebView_getCookies("u", "n", "r");
    WebView_click(handle, 1, 2);
    auto bridge = RecordingBridges::current();
    bridge->handleIncomingMessage("ProcessInitialized");
    ASSERT_TRUE(bridge->waitForInitialized());  // the writer writes on a thread of its own
    EXPECT_EQ(bridge->written(), (std::vector<std::string>{R"({"type":14,"url":"u","cookieName":"n","resultCallbackId":"r"})",
                                                          R"({"type":4,"webViewId":"v","x":1,"y":2})"}));
    WebView_destroy(handle);
}

}  // namespace
