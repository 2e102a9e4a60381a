#pragma once
// The render-thread side of the interface: the event function the engine
// calls on its render thread, the pointer slots that name a webview in an
// event, and the release of textures the engine no longer shows.
#include <cstdint>

#include "engine/EngineCallbacks.h"

using RenderEventFunction = void(WEBVIEW_STDCALL*)(int32_t eventId);

extern "C" void WEBVIEW_STDCALL onRenderEvent(int32_t eventId);

extern "C" RenderEventFunction WEBVIEW_STDCALL WebView_getRenderFunction();
extern "C" int32_t WEBVIEW_STDCALL WebView_depositPointer(void* pointer);
extern "C" void WEBVIEW_STDCALL WebView_removePointer(void* pointer);
// `ignored`: the engine passes a second value that means nothing here.
extern "C" void WEBVIEW_STDCALL WebView_destroyTexture(void* textureView, int32_t ignored);
