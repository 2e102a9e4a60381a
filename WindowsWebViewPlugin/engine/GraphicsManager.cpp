#include "engine/GraphicsManager.h"

#include <atomic>

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
