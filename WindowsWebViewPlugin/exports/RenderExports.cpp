#include "exports/RenderExports.h"

#include "engine/GraphicsManager.h"
#include "exports/ExportGuard.h"
#include "webview/ChromiumWebViewProxy.h"
#include "webview/PointerTable.h"

extern "C" void WEBVIEW_STDCALL onRenderEvent(int32_t eventId) {
    guardedVoid("onRenderEvent", [&] {
        void* pointer = nullptr;
        if (!pointerTable().take(eventId, pointer) || !pointer) return;
        static_cast<WindowsChromiumWebViewProxy*>(pointer)->onRenderEvent();
    });
}

extern "C" RenderEventFunction WEBVIEW_STDCALL WebView_getRenderFunction() { return &onRenderEvent; }

extern "C" int32_t WEBVIEW_STDCALL WebView_depositPointer(void* pointer) {
    // A key that no entry can have: 0 could be another record's live key.
    return guarded("WebView_depositPointer", kNeverLivePointerKey, [&] { return pointerTable().deposit(pointer); });
}

extern "C" void WEBVIEW_STDCALL WebView_removePointer(void* pointer) {
    guardedVoid("WebView_removePointer", [&] { pointerTable().remove(pointer); });
}

extern "C" void WEBVIEW_STDCALL WebView_destroyTexture(void* textureView, int32_t) {
    guardedVoid("WebView_destroyTexture", [&] { WindowsWebView::destroyTexture(textureView); });
}
