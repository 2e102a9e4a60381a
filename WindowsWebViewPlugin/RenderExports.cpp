#include "RenderExports.h"

#include <atomic>

#include "ChromiumWebViewProxy.h"
#include "ExportGuard.h"
#include "GraphicsManager.h"
#include "PointerTable.h"

namespace {

std::atomic<void* (*)(int32_t, int32_t)> createTextureOperation{&GraphicsManager::createTexture};
std::atomic<int64_t (*)(void*)> sharedHandleOperation{&GraphicsManager::getSharedTextureHandle};

}  // namespace

TextureOperations textureOperations() { return {createTextureOperation.load(), sharedHandleOperation.load()}; }

void setTextureOperations(const TextureOperations& operations) {
    createTextureOperation = operations.createTexture;
    sharedHandleOperation = operations.getSharedTextureHandle;
}

int32_t pixelSize(int32_t logicalSize, float pixelDensity) {
    const float product = static_cast<float>(logicalSize) * pixelDensity;
    // 2^31 is exactly representable; anything from there on does not fit.
    if (!(product > -2147483648.0f && product < 2147483648.0f)) return 0;
    return static_cast<int32_t>(product);
}

extern "C" void WEBVIEW_STDCALL onRenderEvent(int32_t eventId) {
    guardedVoid("onRenderEvent", [&] {
        void* pointer = nullptr;
        if (!pointerTable().take(eventId, pointer) || !pointer) return;
        static_cast<WindowsChromiumWebViewProxy*>(pointer)->onRenderEvent();
    });
}

extern "C" RenderEventFunction WEBVIEW_STDCALL WebView_getRenderFunction() { return &onRenderEvent; }

extern "C" int32_t WEBVIEW_STDCALL WebView_depositPointer(void* pointer) {
    return guarded("WebView_depositPointer", int32_t{0}, [&] { return pointerTable().deposit(pointer); });
}

extern "C" void WEBVIEW_STDCALL WebView_removePointer(void* pointer) {
    guardedVoid("WebView_removePointer", [&] { pointerTable().remove(pointer); });
}

extern "C" void WEBVIEW_STDCALL WebView_destroyTexture(void* textureView, int32_t) {
    guardedVoid("WebView_destroyTexture", [&] { WindowsWebView::destroyTexture(textureView); });
}
