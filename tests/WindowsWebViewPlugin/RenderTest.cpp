// Render events, pointer slots and the texture handshake, with texture
// operations of the test's own and a bridge that records what it writes.
#include <gtest/gtest.h>

#include <atomic>
#include <climits>
#include <cstdint>
#include <limits>
#include <deque>
#include <map>
#include <mutex>
#include <random>
#include <thread>

#include <rapidjson/document.h>

#include "PluginFixture.h"
#include "engine/GraphicsManager.h"
#include "exports/RenderExports.h"
#include "webview/ChromiumWebViewProxy.h"
#include "webview/PointerTable.h"

namespace {

struct Texture {
    int32_t width, height;
};

std::mutex texturesMutex;
std::deque<Texture> textures;  // guarded by texturesMutex; addresses stay put
std::atomic<int64_t> nextSharedHandle{0};

void* createTexture(int32_t width, int32_t height) {
    if (width <= 0 || height <= 0) return nullptr;  // as the device refuses them
    std::lock_guard<std::mutex> lock(texturesMutex);
    textures.push_back({width, height});
    return &textures.back();
}

int64_t sharedHandle(void*) { return nextSharedHandle; }

class Render : public PluginTest {
protected:
    void SetUp() override {
        PluginTest::SetUp();
        setTextureOperations({&createTexture, &sharedHandle});
        nextSharedHandle = 0;
        std::lock_guard<std::mutex> lock(texturesMutex);
        textures.clear();
    }

    static WindowsChromiumWebViewProxy* newView(const char* id, int32_t width, int32_t height, float density,
                                                const char* popupId = "") {
        return static_cast<WindowsChromiumWebViewProxy*>(WebView_new(id, width, height, density, popupId));
    }

    // One render event for the record, as the engine issues it.
    static void render(void* record) { WebView_getRenderFunction()(WebView_depositPointer(record)); }

    // The commands written after "ProcessInitialized", heartbeats left out.
    static std::vector<std::string> commands() {
        std::vector<std::string> result;
        if (auto bridge = RecordingBridges::current())
            for (auto& text : bridge->written())
                if (text != "Heartbeat") result.push_back(text);
        return result;
    }

    static void initialiseBrowserProcess() {
        auto bridge = RecordingBridges::current();
        ASSERT_TRUE(bridge);
        bridge->handleIncomingMessage("ProcessInitialized");
        ASSERT_TRUE(bridge->waitForInitialized());  // the flush runs on a thread of its own
    }

    static void arrive(const std::string& webViewId, const std::string& message) {
        handleBridgeMessage(R"({"type":52,"webViewId":")" + webViewId + R"(","message":")" + message + "\"}");
    }
};

TEST_F(Render, KeysRiseSkipKeysInUseAndWrapAtThirtyTwoBits) {
    PointerTable table;
    int a, b, c;
    EXPECT_EQ(table.deposit(&a), 0);
    EXPECT_EQ(table.deposit(&b), 1);
    EXPECT_EQ(table.deposit(&c), 2);
    void* taken = nullptr;
    ASSERT_TRUE(table.take(1, taken));
    EXPECT_EQ(taken, &b);
    EXPECT_EQ(table.deposit(&b), 3) << "a consumed key is not handed out again before the wrap";
    EXPECT_FALSE(table.take(1, taken)) << "keys are one-shot";
    EXPECT_FALSE(table.take(99, taken));

    table.setNextPointerKey(INT_MAX);
    EXPECT_EQ(table.deposit(&a), INT_MAX);
    EXPECT_EQ(table.deposit(&a), INT_MIN);
    table.setNextPointerKey(2);  // 2 and 3 are still in the table
    EXPECT_EQ(table.deposit(&c), 4);

    // Issue 12, fault 11: the export's failure answer is a key that no
    // deposit ever hands out, so it can never name another record's entry.
    table.setNextPointerKey(kNeverLivePointerKey);
    EXPECT_EQ(table.deposit(&a), 1) << "-1 is never handed out; 0 is in the table, 1 was consumed";
    EXPECT_FALSE(table.take(kNeverLivePointerKey, taken));

    // A pointer deposited twice: one removal withdraws one key only.
    const int32_t first = WebView_depositPointer(&a);
    const int32_t second = WebView_depositPointer(&a);
    WebView_removePointer(&a);
    const bool firstLeft = pointerTable().take(first, taken);
    const bool secondLeft = pointerTable().take(second, taken);
    EXPECT_NE(firstLeft, secondLeft);
    EXPECT_EQ(taken, &a);
    WebView_removePointer(&b);  // absent: nothing happens
}

TEST_F(Render, UnknownConsumedOrNullKeysDoNothing) {
    auto* view = newView("v", 10, 10, 1.0f);
    const int32_t key = WebView_depositPointer(view);
    onRenderEvent(key);
    onRenderEvent(key);
    onRenderEvent(key + 1000);
    onRenderEvent(WebView_depositPointer(nullptr));
    EXPECT_EQ(RecordingBridges::current()->writtenCount(), 0u) << "held back until the browser process is ready";
    initialiseBrowserProcess();
    EXPECT_EQ(commands().size(), 1u) << "one create command, nothing for the other events";

    // A withdrawn key no longer reaches the record.
    view->resize(20, 20, 1.0f);
    const int32_t withdrawn = WebView_depositPointer(view);
    WebView_removePointer(view);
    onRenderEvent(withdrawn);
    EXPECT_EQ(commands().size(), 1u);
    EXPECT_TRUE(view->resizePending);
    WebView_destroy(view);
}

TEST_F(Render, FirstEventMakesTheTextureAndSendsTheCreateCommand) {
    struct Case {
        int32_t width, height;
        float density;
        int64_t handle;
        Texture texture;
        std::string command;
    };
    const Case cases[] = {
        {800, 600, 1.5f, 4660, {1200, 900},
         R"({"type":8,"webViewId":"v","textureHandle":4660,"width":800,"height":600,"pixelDensity":1.5,"popupId":"p"})"},
        {801, 601, 1.25f, -2147478988, {1001, 751},
         R"({"type":8,"webViewId":"v","textureHandle":-2147478988,"width":801,"height":601,"pixelDensity":1.25,"popupId":"p"})"},
        {640, 480, 1.0f, 7, {640, 480},
         R"({"type":8,"webViewId":"v","textureHandle":7,"width":640,"height":480,"pixelDensity":1.0,"popupId":"p"})"},
        // A side of 0 pixels: no texture, the command still goes out with handle 0.
        {0, 480, 1.0f, 7, {0, 0},
         R"({"type":8,"webViewId":"v","textureHandle":0,"width":0,"height":480,"pixelDensity":1.0,"popupId":"p"})"},
        {3, 480, 0.25f, 7, {0, 0},
         R"({"type":8,"webViewId":"v","textureHandle":0,"width":3,"height":480,"pixelDensity":0.25,"popupId":"p"})"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.command);
        resetPlugin(true);
        textures.clear();
        nextSharedHandle = c.handle;
        auto* view = newView("v", c.width, c.height, c.density, "p");
        render(view);
        initialiseBrowserProcess();
        ASSERT_EQ(commands(), std::vector<std::string>{c.command});
        EXPECT_TRUE(view->textureCreated);
        if (c.texture.width) {
            ASSERT_EQ(textures.size(), 1u);
            EXPECT_EQ(view->textureView.load(), &textures[0]);
            EXPECT_EQ(textures[0].width, c.texture.width);
            EXPECT_EQ(textures[0].height, c.texture.height);
        } else {
            EXPECT_EQ(view->textureView.load(), nullptr);
        }
        render(view);  // a failed first texture is not tried again
        EXPECT_EQ(commands().size(), 1u);
        WebView_destroy(view);
    }
}

TEST_F(Render, HandshakeAndResizesFollowTheBrowserProcessAnswers) {
    auto* view = newView("v", 800, 600, 1.0f);
    nextSharedHandle = 11;
    // Before the first event: the stored size serves command 8, and command
    // 27 follows at once, each with a texture of its own.
    view->resize(400, 300, 2.0f);
    render(view);
    initialiseBrowserProcess();
    ASSERT_EQ(commands(), (std::vector<std::string>{
                              R"({"type":8,"webViewId":"v","textureHandle":11,"width":400,"height":300,"pixelDensity":2.0,"popupId":""})",
                              R"({"type":27,"webViewId":"v","textureHandle":11,"width":400,"height":300,"pixelDensity":2.0})"}));
    ASSERT_EQ(textures.size(), 2u);
    EXPECT_EQ(view->textureView.load(), &textures[1]);
    EXPECT_TRUE(view->awaitingTexture);

    arrive("v", "HandleInitFinished");
    const std::string secondView = textureViewText(&textures[1]);
    // Two resizes while one is awaited: nothing until "ResizeFinished", then
    // one command with the later size.
    view->resize(500, 400, 1.0f);
    render(view);
    view->resize(501, 401, 1.5f);
    render(view);
    EXPECT_EQ(commands().size(), 2u);
    arrive("v", "ResizeFinished");
    EXPECT_FALSE(view->awaitingTexture);
    render(view);
    render(view);
    const auto sent = commands();
    ASSERT_EQ(sent.size(), 3u);
    EXPECT_EQ(sent[2], R"({"type":27,"webViewId":"v","textureHandle":11,"width":501,"height":401,"pixelDensity":1.5})");
    ASSERT_EQ(textures.size(), 3u);
    EXPECT_EQ(textures[2].width, 751);
    EXPECT_EQ(textures[2].height, 601);
    arrive("v", "ResizeFinished");

    std::vector<std::vector<std::string>> heard;
    for (auto& call : EngineRecorder::instance().callsOf("message")) heard.push_back(call.texts);
    EXPECT_EQ(heard, (std::vector<std::vector<std::string>>{{"v", "HandleTextureChanged", secondView},
                                                           {"v", "HandleInitFinished", ""},
                                                           {"v", "HandleTextureChanged", secondView},
                                                           {"v", "HandleTextureChanged", textureViewText(&textures[2])}}));
    WebView_destroy(view);
}

// NaN or infinity cannot be written as JSON: such a command is refused whole,
// and a refused resize leaves nothing to wait for.
TEST_F(Render, DensitiesJsonCannotCarryNeverLeaveHalfACommand) {
    WebView_getCookies("u", "", "start");
    initialiseBrowserProcess();
    auto* view = newView("n", 100, 100, std::numeric_limits<float>::quiet_NaN());
    render(view);
    view->resize(100, 100, std::numeric_limits<float>::infinity());
    render(view);
    EXPECT_FALSE(view->awaitingTexture);
    EXPECT_FALSE(view->resizePending);
    view->resize(100, 50, 2.0f);
    render(view);
    EXPECT_EQ(commands(), (std::vector<std::string>{
                              R"({"type":14,"url":"u","cookieName":"","resultCallbackId":"start"})",
                              R"({"type":27,"webViewId":"n","textureHandle":0,"width":100,"height":50,"pixelDensity":2.0})"}));
    std::vector<std::string> errors;
    for (auto& call : EngineRecorder::instance().callsOf("error")) errors.push_back(call.texts[0]);
    EXPECT_EQ(errors, (std::vector<std::string>{
                          "[ChromiumWebViewProxy] A command holds a number that JSON cannot carry and is not sent; type 8",
                          "[WindowsChromiumWebViewProxy] A resize with a pixel density that is not finite is ignored"}));
    WebView_destroy(view);
}

// The engine's calling thread resizes, the render thread runs events and the
// pipe server thread answers every resize command, all at once.  Each view
// must end with one texture of the last size it asked for, every command 27
// must be answered once, and no view may stay waiting.
// The render thread reads the record on every frame; the pipe server thread
// writes the reference count twice for every message it hands the record.
// They must not meet on one cache line: the render thread's fields share one
// line, and the base part (vtable pointer, webViewId, reference count) ends
// before it.  Records made by WebView_new, as the engine gets them.
TEST_F(Render, TheRenderThreadsFieldsShareOneCacheLineWithoutTheReferenceCount) {
    auto* view = newView("v", 100, 100, 1.0f);
    const auto line = [](const void* field) { return reinterpret_cast<uintptr_t>(field) / kCacheLineBytes; };
    const uintptr_t renderLine = line(&view->textureCreated);
    for (const void* field : {static_cast<const void*>(&view->resizePending),
                              static_cast<const void*>(&view->awaitingTexture), static_cast<const void*>(&view->width),
                              static_cast<const void*>(&view->height), static_cast<const void*>(&view->pixelDensity),
                              static_cast<const void*>(&view->textureView)})
        EXPECT_EQ(line(field), renderLine);
    const auto* base = static_cast<const ChromiumWebViewProxy*>(view);
    EXPECT_LE(reinterpret_cast<uintptr_t>(base) + sizeof(ChromiumWebViewProxy), renderLine * kCacheLineBytes);
    WebView_destroy(view);
}

TEST_F(Render, ResizesRenderEventsAndAnswersMeetWithoutLosingAResize) {
    constexpr int kViews = 8, kResizes = 3000;
    std::vector<WindowsChromiumWebViewProxy*> views;
    for (int i = 0; i < kViews; ++i) views.push_back(newView(("v" + std::to_string(i)).c_str(), 100, 100, 1.0f));
    for (auto* view : views) render(view);
    initialiseBrowserProcess();

    std::atomic<bool> stop{false};
    std::thread renderThread([&] {
        while (!stop)
            for (auto* view : views) render(view);
    });
    // Plays the pipe server thread: answers each command 27 once, in order.
    std::thread serverThread([&] {
        size_t seen = 0;
        while (!stop) {
            auto bridge = RecordingBridges::current();
            bridge->waitForWritten(seen + 1, 10);
            const auto written = bridge->written();
            for (; seen < written.size(); ++seen) {
                rapidjson::Document command;
                command.Parse(written[seen].c_str());
                if (command.IsObject() && command["type"].GetInt() == Resize)
                    arrive(command["webViewId"].GetString(), "ResizeFinished");
            }
        }
    });
    std::mt19937 random(7);
    for (int r = 0; r < kResizes; ++r) {
        auto* view = views[random() % kViews];
        view->resize(100 + static_cast<int32_t>(random() % 400), 100 + static_cast<int32_t>(random() % 400), 1.0f);
        if (r % 8 == 0) std::this_thread::sleep_for(std::chrono::microseconds(50));
    }
    // Quiet down: every view gets events until nothing is pending or awaited.
    bool settled = false;
    for (int wait = 0; wait < 5000 && !settled; ++wait) {
        settled = true;
        for (auto* view : views) settled = settled && !view->resizePending && !view->awaitingTexture;
        if (!settled) std::this_thread::sleep_for(std::chrono::milliseconds(1));
    }
    stop = true;
    renderThread.join();
    serverThread.join();
    ASSERT_TRUE(settled) << "a view stayed waiting or kept a resize";

    std::map<std::string, std::string> lastResize;
    std::map<std::string, int> resizeCommands;
    for (auto& text : commands()) {
        rapidjson::Document command;
        command.Parse(text.c_str());
        if (!command.IsObject() || command["type"].GetInt() != Resize) continue;
        const std::string id = command["webViewId"].GetString();
        ++resizeCommands[id];
        lastResize[id] = std::to_string(command["width"].GetInt()) + "x" + std::to_string(command["height"].GetInt());
    }
    std::map<std::string, int> changes;
    for (auto& call : EngineRecorder::instance().callsOf("message")) {
        EXPECT_EQ(call.texts[1], "HandleTextureChanged");
        ++changes[call.texts[0]];
    }
    for (auto* view : views) {
        const auto* texture = static_cast<const Texture*>(view->textureView.load());
        const std::string asked = std::to_string(view->width) + "x" + std::to_string(view->height);
        SCOPED_TRACE(view->webViewId);
        if (resizeCommands[view->webViewId] == 0) continue;  // never resized
        EXPECT_EQ(lastResize[view->webViewId], asked);
        EXPECT_EQ(std::to_string(texture->width) + "x" + std::to_string(texture->height), asked);
        EXPECT_EQ(changes[view->webViewId], resizeCommands[view->webViewId]) << "each command 27 answered once";
    }
    for (auto* view : views) WebView_destroy(view);
}

}  // namespace
