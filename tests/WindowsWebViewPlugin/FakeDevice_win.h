#pragma once
// A Direct3D 11 device of the tests' own, for what the real one cannot show
// under Wine: shared handles, failing device calls, exact texture
// descriptions and the references the plug-in keeps or gives back.
#include <windows.h>

#include <d3d11.h>

#include <cstdint>
#include <mutex>
#include <vector>

struct FakeDeviceBehaviour {
    HRESULT queryDxgiDevice = S_OK;  // device -> IDXGIDevice
    HRESULT getParent = S_OK;        // IDXGIDevice -> IDXGIAdapter
    UINT deviceId = 7815;            // the adapter's PCI device id
    HRESULT createTexture = S_OK;
    HRESULT createView = S_OK;
    HRESULT queryTexture = S_OK;     // resource -> ID3D11Texture2D
    HRESULT queryShareable = S_OK;   // texture -> IDXGIResource
    HRESULT getSharedHandle = S_OK;
    uintptr_t sharedHandle = 0x1234;
    DWORD lastError = 0;             // the thread's last error after a failing call
};

struct FakeTexture {
    D3D11_TEXTURE2D_DESC description{};
    bool initialData = false;      // CreateTexture2D was given data
    bool viewDescription = false;  // CreateShaderResourceView was given a description
    long references = 0;           // held by anyone, the views' included
    long viewReferences = 0;       // of its one view; 0 once released or never made
    void* view = nullptr;          // the ID3D11ShaderResourceView* made for it
};

class FakeDevice {
public:
    FakeDevice();
    ~FakeDevice();
    FakeDevice(const FakeDevice&) = delete;
    FakeDevice& operator=(const FakeDevice&) = delete;

    void* device();  // the ID3D11Device*
    FakeDeviceBehaviour behaviour;

    // Every texture created so far, in order.
    std::vector<FakeTexture> textures();
    // References to the device, its DXGI device and adapter beyond the
    // ones it started with: 0 when every one taken was given back.
    long extraReferences();

    struct Impl;

private:
    Impl* impl;
};
