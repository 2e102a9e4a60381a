// The texture handshake through the DLL: the engine host hands out the real
// Direct3D 11 device (Wine's, on Mesa) or the tests' own device, issues
// render events on its render thread, and the browser-process stand-in
// records the commands and answers them.
#include <gtest/gtest.h>

#include <d3d11.h>
#include <dxgi.h>

#include <map>

#include "FakeDevice_win.h"
#include "PluginRoadFixture_win.h"

namespace {

D3D11_TEXTURE2D_DESC describeView(const std::string& viewAddress) {
    return EngineHost::describeTexture(EngineHost::textureViewAt(viewAddress));
}

UINT adapterDeviceId(ID3D11Device* device) {
    IDXGIDevice* dxgi = nullptr;
    IDXGIAdapter* adapter = nullptr;
    DXGI_ADAPTER_DESC description{};
    if (SUCCEEDED(device->QueryInterface(__uuidof(IDXGIDevice), reinterpret_cast<void**>(&dxgi)))) {
        if (SUCCEEDED(dxgi->GetParent(__uuidof(IDXGIAdapter), reinterpret_cast<void**>(&adapter)))) {
            adapter->GetDesc(&description);
            adapter->Release();
        }
        dxgi->Release();
    }
    return description.DeviceId;
}

std::vector<std::string> errors() {
    std::vector<std::string> lines;
    for (const auto& call : EngineHost::callsOf("error")) lines.push_back(call.texts[0]);
    return lines;
}

class TextureRoad : public PluginRoad {
protected:
    void TearDown() override {
        PluginRoad::TearDown();
        EngineHost::setDevice(nullptr);
        if (realDevice) realDevice->Release();
    }

    ID3D11Device* useRealDevice() {
        long result = 0;
        realDevice = static_cast<ID3D11Device*>(EngineHost::createHardwareDevice(&result));
        EXPECT_NE(realDevice, nullptr) << "D3D11CreateDevice: " << std::hex << result;
        EngineHost::setDevice(realDevice);
        return realDevice;
    }

    void render(void* view) { host->renderEvent(host->depositPointer(view)); }

    ID3D11Device* realDevice = nullptr;
};

TEST_F(TextureRoad, FirstRenderEventOnTheRealDeviceRunsTheWholeHandshake) {
    ID3D11Device* device = useRealDevice();
    ASSERT_NE(device, nullptr);
    start({"init", "waitfor 1", R"(send {"type":52,"webViewId":"tex-1","message":"HandleInitFinished"})"});
    void* view = host->newWebView("tex-1", 800, 600, 1.5f, "popup-7");
    render(view);
    EXPECT_TRUE(host->browserProcessIsRunning()) << "the create command starts the browser process";
    ASSERT_TRUE(waitForCalls("message", 2));

    // Wine has no shared handles: the command carries 0, the failure is logged.
    EXPECT_EQ(recordOf("recv").at(0),
              R"({"type":8,"webViewId":"tex-1","textureHandle":0,"width":800,"height":600,"pixelDensity":1.5,"popupId":"popup-7"})");
    EXPECT_EQ(errors(), std::vector<std::string>{"Creating the shared texture handle failed with error code: 2147500033"});
    for (const auto& call : EngineHost::callsOf("error")) EXPECT_EQ(call.thread, host->renderThreadId());

    const auto messages = EngineHost::callsOf("message");
    ASSERT_EQ(messages.size(), 2u);
    EXPECT_EQ(messages[0].texts[0], "tex-1");
    EXPECT_EQ(messages[0].texts[1], "HandleTextureChanged");
    EXPECT_EQ(messages[1].texts, (std::vector<std::string>{"tex-1", "HandleInitFinished", ""}));
    const D3D11_TEXTURE2D_DESC texture = describeView(messages[0].texts[2]);
    EXPECT_EQ(texture.Width, 1200u);
    EXPECT_EQ(texture.Height, 900u);
    EXPECT_EQ(texture.Format, DXGI_FORMAT_B8G8R8A8_UNORM);
    EXPECT_EQ(texture.MiscFlags, static_cast<UINT>(D3D11_RESOURCE_MISC_SHARED));

    // The adapter id travels on the command line when the device names one.
    const UINT deviceId = adapterDeviceId(device);
    const std::string commandLine = recordOf("cmdline").at(0);
    const std::string element = " --telvio-graphics-device-id=";
    if (deviceId)
        EXPECT_EQ(commandLine.substr(commandLine.size() - element.size() - std::to_string(deviceId).size()),
                  element + std::to_string(deviceId));
    else
        EXPECT_EQ(commandLine.find(element), std::string::npos);

    render(view);  // nothing pending: no command, no new texture
    host->destroyTexture(EngineHost::textureViewAt(messages[0].texts[2]), 0);
    host->destroy(view);
    host->getCookies("u", "", "sync");
    ASSERT_TRUE(waitForCalls("cookies", 1));
    const auto received = recordOf("recv");
    ASSERT_EQ(received.size(), 3u);
    EXPECT_EQ(received[1], R"({"type":11,"webViewId":"tex-1"})");
}

// A resize stored before the first event, then two more while that one is
// awaited: the browser process sees 8, 27, and after "ResizeFinished" one
// 27 with the later size; the engine hears of each new texture.
TEST_F(TextureRoad, ResizesWaitForTheBrowserProcessAndTheLastSizeWins) {
    ASSERT_NE(useRealDevice(), nullptr);
    start({"init", "waitfor 3", R"(send {"type":52,"webViewId":"r","message":"HandleInitFinished"})",
           R"(send {"type":52,"webViewId":"r","message":"ResizeFinished"})", "waitfor 4",
           R"(send {"type":52,"webViewId":"r","message":"ResizeFinished"})"});
    void* view = host->newWebView("r", 400, 300, 1.0f, "");
    host->resizeWithPixelDensity(view, 800, 600, 1.5f);
    render(view);
    host->resizeWithPixelDensity(view, 500, 400, 1.0f);
    render(view);
    host->resizeWithPixelDensity(view, 801, 601, 1.25f);
    render(view);
    host->reload(view);  // tells the script that both resizes have been made
    ASSERT_TRUE(waitForCalls("message", 3));
    render(view);
    ASSERT_TRUE(waitForCalls("message", 4));

    EXPECT_EQ(recordOf("recv"), (std::vector<std::string>{
        R"({"type":8,"webViewId":"r","textureHandle":0,"width":800,"height":600,"pixelDensity":1.5,"popupId":""})",
        R"({"type":27,"webViewId":"r","textureHandle":0,"width":800,"height":600,"pixelDensity":1.5})",
        R"({"type":26,"webViewId":"r"})",
        R"({"type":27,"webViewId":"r","textureHandle":0,"width":801,"height":601,"pixelDensity":1.25})"}));
    const auto messages = EngineHost::callsOf("message");
    ASSERT_EQ(messages.size(), 4u);
    std::vector<std::string> types;
    for (const auto& call : messages) types.push_back(call.texts[1]);
    EXPECT_EQ(types, (std::vector<std::string>{"HandleTextureChanged", "HandleInitFinished", "HandleTextureChanged",
                                               "HandleTextureChanged"}));
    EXPECT_EQ(messages[0].texts[2], messages[2].texts[2]) << "the texture of the first resize";
    EXPECT_EQ(describeView(messages[0].texts[2]).Width, 1200u);
    EXPECT_EQ(describeView(messages[0].texts[2]).Height, 900u);
    EXPECT_EQ(describeView(messages[3].texts[2]).Width, 1001u);
    EXPECT_EQ(describeView(messages[3].texts[2]).Height, 751u);
    EXPECT_EQ(EngineHost::callsOf("error").size(), 3u) << "one shared-handle failure per texture";

    // The engine lets go of the views it has switched away from.
    host->destroyTexture(EngineHost::textureViewAt(messages[0].texts[2]), 0);
    host->destroyTexture(EngineHost::textureViewAt(messages[3].texts[2]), 0);
    host->destroy(view);
}

// Many webviews resized from the engine's thread while its render thread
// issues events and the browser process answers each resize: every view ends
// with a texture of the last size it asked for, each command 27 is answered
// once, and no view is left waiting.
TEST_F(TextureRoad, ManyViewsResizingWhileEventsAndAnswersRunEndConsistent) {
    ASSERT_NE(useRealDevice(), nullptr);
    start({"answertextures", "init"});
    constexpr int kViews = 6, kResizes = 200;
    std::vector<void*> views;
    for (int i = 0; i < kViews; ++i) views.push_back(host->newWebView(("m" + std::to_string(i)).c_str(), 64, 64, 1.0f, ""));
    for (void* view : views) host->queueRenderEvent(host->depositPointer(view));
    std::vector<std::pair<int, int>> asked(kViews, {64, 64});
    unsigned seed = 11;
    for (int r = 0; r < kResizes; ++r) {
        seed = seed * 1103515245u + 12345u;
        const int i = static_cast<int>((seed >> 8) % kViews);
        asked[i] = {32 + static_cast<int>((seed >> 12) % 200), 32 + static_cast<int>((seed >> 20) % 200)};
        host->resizeWithPixelDensity(views[i], asked[i].first, asked[i].second, 1.0f);
        for (void* view : views) host->queueRenderEvent(host->depositPointer(view));
        Sleep(3);
    }
    // Events go on until every view's last texture has the size it asked for.
    std::map<std::string, std::string> lastView;
    const auto settled = [&] {
        lastView.clear();
        for (const auto& call : EngineHost::callsOf("message"))
            if (call.texts[1] == "HandleTextureChanged") lastView[call.texts[0]] = call.texts[2];
        for (int i = 0; i < kViews; ++i) {
            const auto found = lastView.find("m" + std::to_string(i));
            if (found == lastView.end()) return false;
            const D3D11_TEXTURE2D_DESC d = describeView(found->second);
            if (static_cast<int>(d.Width) != asked[i].first || static_cast<int>(d.Height) != asked[i].second) return false;
        }
        return true;
    };
    bool done = false;
    for (int round = 0; round < 400 && !done; ++round) {
        for (void* view : views) host->queueRenderEvent(host->depositPointer(view));
        host->flushRenderEvents();
        Sleep(25);
        done = settled();
    }
    ASSERT_TRUE(done) << "a view stayed waiting or lost its last resize";
    Sleep(300);  // answers still on their way would show up as extra texture changes

    std::map<std::string, int> resizeCommands, changes;
    for (const auto& text : recordOf("recv"))
        if (text.rfind(R"({"type":27,"webViewId":")", 0) == 0) ++resizeCommands[text.substr(24, text.find('"', 24) - 24)];
    for (const auto& call : EngineHost::callsOf("message"))
        if (call.texts[1] == "HandleTextureChanged") ++changes[call.texts[0]];
    for (int i = 0; i < kViews; ++i) {
        const std::string id = "m" + std::to_string(i);
        SCOPED_TRACE(id);
        // One change for "HandleInitFinished", one per answered command 27.
        EXPECT_EQ(changes[id], resizeCommands[id] + 1);
    }
    for (void* view : views) host->destroy(view);
}

// Through the engine's names: keys rise, a consumed key is not handed out
// again, and events for consumed or withdrawn keys do nothing.
TEST_F(TextureRoad, KeysRiseAndEventsForSpentKeysDoNothing) {
    ASSERT_NE(useRealDevice(), nullptr);
    start({"init"});
    void* view = host->newWebView("keys", 16, 16, 1.0f, "");
    render(view);
    const int32_t key = host->depositPointer(view);
    EXPECT_EQ(host->depositPointer(view), key + 1);
    EXPECT_EQ(host->depositPointer(view), key + 2);
    host->renderEvent(key + 1);
    EXPECT_EQ(host->depositPointer(view), key + 3);
    host->resizeWithPixelDensity(view, 32, 32, 1.0f);
    host->renderEvent(key + 1);   // consumed
    host->renderEvent(key + 100); // never handed out
    for (int i = 0; i < 3; ++i) host->removePointer(view);
    host->renderEvent(key);  // withdrawn
    host->renderEvent(key + 3);
    host->reload(view);
    ASSERT_TRUE(waitForRecord("recv", 2));
    EXPECT_EQ(recordOf("recv"), (std::vector<std::string>{
        R"({"type":8,"webViewId":"keys","textureHandle":0,"width":16,"height":16,"pixelDensity":1.0,"popupId":""})",
        R"({"type":26,"webViewId":"keys"})"})) << "no event reached the record after its first";
    host->destroy(view);
}

TEST_F(TextureRoad, AWidthOfZeroIsRefusedByTheDeviceAndTheCommandStillGoesOut) {
    ASSERT_NE(useRealDevice(), nullptr);
    start({"init"});
    void* view = host->newWebView("empty", 0, 600, 1.0f, "");
    render(view);
    ASSERT_TRUE(waitForRecord("recv", 1));
    EXPECT_EQ(recordOf("recv").at(0),
              R"({"type":8,"webViewId":"empty","textureHandle":0,"width":0,"height":600,"pixelDensity":1.0,"popupId":""})");
    EXPECT_EQ(errors(), std::vector<std::string>{"Texture creation failed with code: 2147942487"});
    host->destroy(view);
}

TEST_F(TextureRoad, SharedHandlesTravelSignExtendedAndTexturesAreMadeAsDescribed) {
    FakeDevice fake;
    EngineHost::setDevice(fake.device());
    start({"init"});
    fake.behaviour.sharedHandle = 0x1234;
    void* first = host->newWebView("low", 801, 601, 1.25f, "");
    render(first);
    fake.behaviour.sharedHandle = 0x80001234;
    void* second = host->newWebView("high", 800, 600, 1.5f, "");
    render(second);
    ASSERT_TRUE(waitForRecord("recv", 2));
    EXPECT_EQ(recordOf("recv"), (std::vector<std::string>{
        R"({"type":8,"webViewId":"low","textureHandle":4660,"width":801,"height":601,"pixelDensity":1.25,"popupId":""})",
        R"({"type":8,"webViewId":"high","textureHandle":-2147478988,"width":800,"height":600,"pixelDensity":1.5,"popupId":""})"}));
    EXPECT_NE(recordOf("cmdline").at(0).find(" --telvio-graphics-device-id=7815"), std::string::npos);
    EXPECT_EQ(errors(), std::vector<std::string>{});

    const auto textures = fake.textures();
    ASSERT_EQ(textures.size(), 2u);
    const D3D11_TEXTURE2D_DESC& d = textures[0].description;
    EXPECT_EQ(d.Width, 1001u);
    EXPECT_EQ(d.Height, 751u);
    EXPECT_EQ(textures[1].description.Width, 1200u);
    EXPECT_EQ(textures[1].description.Height, 900u);
    EXPECT_EQ(d.MipLevels, 1u);
    EXPECT_EQ(d.ArraySize, 1u);
    EXPECT_EQ(d.Format, 87);
    EXPECT_EQ(d.SampleDesc.Count, 1u);
    EXPECT_EQ(d.SampleDesc.Quality, 0u);
    EXPECT_EQ(d.Usage, D3D11_USAGE_DEFAULT);
    EXPECT_EQ(d.BindFlags, 0x28u);
    EXPECT_EQ(d.CPUAccessFlags, 0u);
    EXPECT_EQ(d.MiscFlags, 0x2u);
    EXPECT_FALSE(textures[0].initialData);
    EXPECT_FALSE(textures[0].viewDescription);
    // The plug-in keeps one reference to the view and, through it, the
    // texture; every other reference it took is given back.
    EXPECT_EQ(textures[0].viewReferences, 1);
    EXPECT_EQ(textures[0].references, 2);
    EXPECT_EQ(fake.extraReferences(), 0);

    host->destroyTexture(textures[0].view, 12345);
    EXPECT_EQ(fake.textures()[0].viewReferences, 0);
    EXPECT_EQ(fake.textures()[0].references, 0);
    EXPECT_EQ(fake.textures()[1].references, 2) << "another view is not touched";
    host->destroy(first);
    host->destroy(second);
}

TEST_F(TextureRoad, EveryFailingDeviceCallIsLoggedAndGivesHandleZero) {
    FakeDevice fake;
    EngineHost::setDevice(fake.device());
    start({"init"});
    struct Case {
        HRESULT FakeDeviceBehaviour::*call;
        HRESULT result;
        std::string error;
        long textureReferences;  // what is left of the texture afterwards
    };
    const Case cases[] = {
        {&FakeDeviceBehaviour::createTexture, E_INVALIDARG, "Texture creation failed with code: 2147942487", -1},
        {&FakeDeviceBehaviour::createView, E_OUTOFMEMORY, "Shader resource creation failed with code: 2147942414", 0},
        {&FakeDeviceBehaviour::queryTexture, E_NOINTERFACE, "Getting the texture failed with error code: 2147500034", 2},
        {&FakeDeviceBehaviour::queryShareable, E_NOINTERFACE,
         "Getting the shareable texture resource failed with error code: 2147500034", 2},
        {&FakeDeviceBehaviour::getSharedHandle, E_NOTIMPL,
         "Creating the shared texture handle failed with error code: 2147500033", 2},
    };
    int n = 0;
    size_t sent = 0;  // commands the stand-in has to have heard, the destroys included
    for (const Case& c : cases) {
        SCOPED_TRACE(c.error);
        fake.behaviour = FakeDeviceBehaviour{};
        fake.behaviour.*c.call = c.result;
        EngineHost::clearCalls();
        const std::string id = "failing-" + std::to_string(n++);
        void* view = host->newWebView(id.c_str(), 64, 32, 1.0f, "");
        render(view);
        ASSERT_TRUE(waitForRecord("recv", ++sent));
        EXPECT_EQ(recordOf("recv").back(), R"({"type":8,"webViewId":")" + id +
                                               R"(","textureHandle":0,"width":64,"height":32,"pixelDensity":1.0,"popupId":""})");
        EXPECT_EQ(errors(), std::vector<std::string>{c.error});
        if (c.textureReferences >= 0) {
            EXPECT_EQ(fake.textures().back().references, c.textureReferences);
        }
        host->destroy(view);
        ++sent;
    }
    EXPECT_EQ(fake.extraReferences(), 0);

    // A view whose resource is not a 2D texture: logged with the last error, nothing released.
    fake.behaviour = FakeDeviceBehaviour{};
    void* view = host->newWebView("kept", 8, 8, 1.0f, "");
    render(view);
    ASSERT_TRUE(waitForRecord("recv", ++sent));
    EngineHost::clearCalls();
    fake.behaviour.queryTexture = E_NOINTERFACE;
    fake.behaviour.lastError = 6;
    host->destroyTexture(fake.textures().back().view, 0);
    EXPECT_EQ(errors(), std::vector<std::string>{"[WindowsWebView::destroyTexture] QueryInterface failed with error code: 6"});
    EXPECT_EQ(fake.textures().back().viewReferences, 1);
    EXPECT_EQ(fake.textures().back().references, 2);
    host->destroy(view);
}

TEST_F(TextureRoad, WithoutAnAdapterIdTheBrowserProcessStartsWithoutTheElement) {
    FakeDevice fake;
    EngineHost::setDevice(fake.device());
    struct Case {
        HRESULT FakeDeviceBehaviour::*call;
        std::string error;
    };
    const Case cases[] = {
        {&FakeDeviceBehaviour::queryDxgiDevice, "[GraphicsManager] failed to get the IDXGIDevice. Last error: 5"},
        {&FakeDeviceBehaviour::getParent, "[GraphicsManager] failed to get the IDXGIAdapter. Last error: 4294967295"},
    };
    start({"init"});
    size_t browsers = 0;
    for (const Case& c : cases) {
        SCOPED_TRACE(c.error);
        fake.behaviour = FakeDeviceBehaviour{};
        fake.behaviour.*c.call = E_FAIL;
        fake.behaviour.lastError = c.call == &FakeDeviceBehaviour::queryDxgiDevice ? 5 : 0xFFFFFFFF;
        host->initialize();  // a fresh start: the next command starts a new browser process
        EngineHost::clearCalls();
        host->getCookies("u", "", "c");
        ASSERT_TRUE(waitForCalls("cookies", 1));
        ASSERT_EQ(recordOf("cmdline").size(), ++browsers);
        EXPECT_EQ(recordOf("cmdline").back().find("--telvio-graphics-device-id"), std::string::npos);
        EXPECT_EQ(errors(), std::vector<std::string>{c.error});
    }
    EXPECT_EQ(fake.extraReferences(), 0);
}

}  // namespace
