#include "engine/GraphicsManager.h"

// Off Windows there is no Direct3D device: no adapter, no textures.  Tests
// of the render path install texture operations of their own.
uint32_t GraphicsManager::getGraphicsDeviceId() { return 0; }
void* GraphicsManager::createTexture(int32_t, int32_t) { return nullptr; }
int64_t GraphicsManager::getSharedTextureHandle(void*) { return 0; }
void WindowsWebView::destroyTexture(void*) {}
