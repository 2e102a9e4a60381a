#include "engine/GraphicsManager.h"

#include <windows.h>

#include <d3d11.h>
#include <dxgi.h>

#include <string>

#include "engine/EngineCallbacks.h"
#include "engine/UnityInterface.h"

namespace {

// Releases a COM reference when it goes out of scope.
template <typename Interface>
class Reference {
public:
    Reference() = default;
    Reference(const Reference&) = delete;
    Reference& operator=(const Reference&) = delete;
    ~Reference() {
        if (pointer) pointer->Release();
    }
    Interface** out() { return &pointer; }
    void** outVoid() { return reinterpret_cast<void**>(&pointer); }
    Interface* operator->() const { return pointer; }
    Interface* get() const { return pointer; }
    explicit operator bool() const { return pointer != nullptr; }

private:
    Interface* pointer = nullptr;
};

std::string unsignedCode(HRESULT result) { return std::to_string(static_cast<uint32_t>(result)); }
std::string lastError() { return std::to_string(static_cast<uint32_t>(GetLastError())); }

// The engine's device, borrowed (the engine keeps its reference), or null
// when the engine renders without Direct3D 11.
ID3D11Device* engineDevice() {
    IUnityInterfaces* interfaces = unityInterfaces();
    if (!interfaces || !interfaces->GetInterface) return nullptr;
    auto* graphics = static_cast<IUnityGraphicsD3D11*>(interfaces->GetInterface(kUnityGraphicsD3D11Guid));
    if (!graphics || !graphics->GetDevice) return nullptr;
    return static_cast<ID3D11Device*>(graphics->GetDevice());
}

ID3D11Device* engineDeviceOrLog() {
    ID3D11Device* device = engineDevice();
    if (!device) logError("[GraphicsManager] the engine offers no Direct3D 11 device");
    return device;
}

}  // namespace

uint32_t GraphicsManager::getGraphicsDeviceId() {
    // Without a device the browser process simply starts without an adapter.
    ID3D11Device* device = engineDevice();
    if (!device) return 0;
    Reference<IDXGIDevice> dxgiDevice;
    if (FAILED(device->QueryInterface(__uuidof(IDXGIDevice), dxgiDevice.outVoid()))) {
        logError("[GraphicsManager] failed to get the IDXGIDevice. Last error: " + lastError());
        return 0;
    }
    Reference<IDXGIAdapter> adapter;
    if (FAILED(dxgiDevice->GetParent(__uuidof(IDXGIAdapter), adapter.outVoid()))) {
        logError("[GraphicsManager] failed to get the IDXGIAdapter. Last error: " + lastError());
        return 0;
    }
    DXGI_ADAPTER_DESC description{};
    if (FAILED(adapter->GetDesc(&description))) return 0;
    return description.DeviceId;
}

void* GraphicsManager::createTexture(int32_t widthPixels, int32_t heightPixels) {
    ID3D11Device* device = engineDeviceOrLog();
    if (!device) return nullptr;
    D3D11_TEXTURE2D_DESC description{};
    description.Width = static_cast<UINT>(widthPixels);
    description.Height = static_cast<UINT>(heightPixels);
    description.MipLevels = 1;
    description.ArraySize = 1;
    description.Format = DXGI_FORMAT_B8G8R8A8_UNORM;
    description.SampleDesc.Count = 1;
    description.SampleDesc.Quality = 0;
    description.Usage = D3D11_USAGE_DEFAULT;
    description.BindFlags = D3D11_BIND_SHADER_RESOURCE | D3D11_BIND_RENDER_TARGET;
    description.CPUAccessFlags = 0;
    description.MiscFlags = D3D11_RESOURCE_MISC_SHARED;

    ID3D11Texture2D* texture = nullptr;
    HRESULT result = device->CreateTexture2D(&description, nullptr, &texture);
    if (result != S_OK) {
        logError("Texture creation failed with code: " + unsignedCode(result));
        return nullptr;
    }
    ID3D11ShaderResourceView* view = nullptr;
    result = device->CreateShaderResourceView(texture, nullptr, &view);
    if (result != S_OK) {
        logError("Shader resource creation failed with code: " + unsignedCode(result));
        texture->Release();
        return nullptr;
    }
    // The texture's own reference stays with the view until destroyTexture.
    return view;
}

int64_t GraphicsManager::getSharedTextureHandle(void* viewPointer) {
    auto* view = static_cast<ID3D11ShaderResourceView*>(viewPointer);
    if (!view) return 0;
    Reference<ID3D11Resource> resource;
    view->GetResource(resource.out());
    if (!resource) return 0;
    Reference<ID3D11Texture2D> texture;
    HRESULT result = resource->QueryInterface(__uuidof(ID3D11Texture2D), texture.outVoid());
    if (result != S_OK) {
        logError("Getting the texture failed with error code: " + unsignedCode(result));
        return 0;
    }
    Reference<IDXGIResource> shareable;
    result = texture->QueryInterface(__uuidof(IDXGIResource), shareable.outVoid());
    if (result != S_OK) {
        logError("Getting the shareable texture resource failed with error code: " + unsignedCode(result));
        return 0;
    }
    HANDLE handle = nullptr;
    result = shareable->GetSharedHandle(&handle);
    if (result != S_OK) {
        logError("Creating the shared texture handle failed with error code: " + unsignedCode(result));
        return 0;
    }
    // Handles are 32-bit values that the browser process reads as signed.
    return static_cast<int64_t>(static_cast<int32_t>(reinterpret_cast<uintptr_t>(handle)));
}

void WindowsWebView::destroyTexture(void* viewPointer) {
    auto* view = static_cast<ID3D11ShaderResourceView*>(viewPointer);
    if (!view) return;
    Reference<ID3D11Resource> resource;
    view->GetResource(resource.out());
    if (!resource) return;
    ID3D11Texture2D* texture = nullptr;
    if (FAILED(resource->QueryInterface(__uuidof(ID3D11Texture2D), reinterpret_cast<void**>(&texture)))) {
        logError("[WindowsWebView::destroyTexture] QueryInterface failed with error code: " + lastError());
        return;
    }
    texture->Release();  // the query's reference
    texture->Release();  // the one createTexture kept for the view
    view->Release();
}
