#pragma once
// The engine's Direct3D 11 device as the plug-in uses it: shareable textures
// for the browser process to render into, their shared handles, and the id
// of the adapter behind the device.  Stateless: the device is fetched from
// the engine's interface registry for every call, never kept.
#include <cstdint>

class GraphicsManager {
public:
    // The PCI device id of the engine's adapter; 0 when it cannot be found.
    static uint32_t getGraphicsDeviceId();
    // A shareable BGRA texture of the given pixel size and its
    // shader-resource view; returns the view (holding one reference to itself
    // and one to the texture), or null after logging why.
    static void* createTexture(int32_t widthPixels, int32_t heightPixels);
    // The legacy shared handle of the view's texture, sign-extended; 0 after
    // logging why it could not be had.
    static int64_t getSharedTextureHandle(void* view);
};

class WindowsWebView {
public:
    // Gives up the references that createTexture handed out for this view.
    static void destroyTexture(void* view);
};

// The two device operations a render event needs: GraphicsManager's own,
// unless a test has put others in their place.
struct TextureOperations {
    void* (*createTexture)(int32_t widthPixels, int32_t heightPixels);
    int64_t (*getSharedTextureHandle)(void* view);
};
TextureOperations textureOperations();
void setTextureOperations(const TextureOperations& operations);

// A logical size times the pixel density, in single precision, truncated
// toward zero.  A product that is not a number or beyond 32 bits gives 0,
// which the device refuses like any empty texture.
int32_t pixelSize(int32_t logicalSize, float pixelDensity);
