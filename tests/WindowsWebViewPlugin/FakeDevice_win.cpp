// Plain C vtables: only the methods the plug-in may call are filled in; a
// call to any other slot is a null call and ends the test program.
#define CINTERFACE
#define COBJMACROS
#include "FakeDevice_win.h"

#include <dxgi.h>

#include <deque>

struct FakeTextureObject;

struct FakeShareable {
    IDXGIResource iface;
    FakeTextureObject* owner;
};

struct FakeTextureObject {
    ID3D11Texture2D iface;
    FakeShareable shareable;
    FakeDevice::Impl* device;
    size_t index;
};

struct FakeView {
    ID3D11ShaderResourceView iface;
    FakeTextureObject* texture;
    size_t index;
};

struct FakeDxgiDevice {
    IDXGIDevice iface;
    FakeDevice::Impl* device;
};

struct FakeAdapter {
    IDXGIAdapter iface;
    FakeDevice::Impl* device;
};

struct FakeDevice::Impl {
    ID3D11Device iface;
    FakeDevice* owner;
    FakeDxgiDevice dxgiDevice;
    FakeAdapter adapter;
    std::mutex mutex;
    long extraReferences = 0;                 // guarded by mutex
    std::vector<FakeTexture> textures;        // guarded by mutex
    std::deque<FakeTextureObject> textureObjects;  // stable addresses
    std::deque<FakeView> views;
};

namespace {

using Impl = FakeDevice::Impl;

HRESULT fail(Impl* impl, HRESULT result) {
    if (FAILED(result)) SetLastError(impl->owner->behaviour.lastError);
    return result;
}

void addExtra(Impl* impl, long delta) {
    std::lock_guard<std::mutex> lock(impl->mutex);
    impl->extraReferences += delta;
}

// Texture references, shared by the texture and its IDXGIResource face.
ULONG textureAddRef(FakeTextureObject* texture) {
    std::lock_guard<std::mutex> lock(texture->device->mutex);
    return ++texture->device->textures[texture->index].references;
}
ULONG textureRelease(FakeTextureObject* texture) {
    std::lock_guard<std::mutex> lock(texture->device->mutex);
    return --texture->device->textures[texture->index].references;
}

// Device.
HRESULT STDMETHODCALLTYPE deviceQueryInterface(ID3D11Device* self, REFIID iid, void** out) {
    Impl* impl = reinterpret_cast<Impl*>(self);
    *out = nullptr;
    if (IsEqualGUID(iid, IID_IDXGIDevice)) {
        if (FAILED(impl->owner->behaviour.queryDxgiDevice)) return fail(impl, impl->owner->behaviour.queryDxgiDevice);
        addExtra(impl, 1);
        *out = &impl->dxgiDevice.iface;
        return S_OK;
    }
    if (IsEqualGUID(iid, IID_ID3D11Device) || IsEqualGUID(iid, IID_IUnknown)) {
        addExtra(impl, 1);
        *out = self;
        return S_OK;
    }
    return E_NOINTERFACE;
}
ULONG STDMETHODCALLTYPE deviceAddRef(ID3D11Device* self) {
    addExtra(reinterpret_cast<Impl*>(self), 1);
    return 2;
}
ULONG STDMETHODCALLTYPE deviceRelease(ID3D11Device* self) {
    addExtra(reinterpret_cast<Impl*>(self), -1);
    return 1;
}
HRESULT STDMETHODCALLTYPE deviceCreateTexture2D(ID3D11Device* self, const D3D11_TEXTURE2D_DESC* description,
                                                const D3D11_SUBRESOURCE_DATA* data, ID3D11Texture2D** out);
HRESULT STDMETHODCALLTYPE deviceCreateShaderResourceView(ID3D11Device* self, ID3D11Resource* resource,
                                                         const D3D11_SHADER_RESOURCE_VIEW_DESC* description,
                                                         ID3D11ShaderResourceView** out);

// DXGI device and adapter.
HRESULT STDMETHODCALLTYPE dxgiQueryInterface(IDXGIDevice*, REFIID, void** out) {
    *out = nullptr;
    return E_NOINTERFACE;
}
ULONG STDMETHODCALLTYPE dxgiAddRef(IDXGIDevice* self) {
    addExtra(reinterpret_cast<FakeDxgiDevice*>(self)->device, 1);
    return 2;
}
ULONG STDMETHODCALLTYPE dxgiRelease(IDXGIDevice* self) {
    addExtra(reinterpret_cast<FakeDxgiDevice*>(self)->device, -1);
    return 1;
}
HRESULT STDMETHODCALLTYPE dxgiGetParent(IDXGIDevice* self, REFIID iid, void** out) {
    Impl* impl = reinterpret_cast<FakeDxgiDevice*>(self)->device;
    *out = nullptr;
    if (FAILED(impl->owner->behaviour.getParent)) return fail(impl, impl->owner->behaviour.getParent);
    if (!IsEqualGUID(iid, IID_IDXGIAdapter)) return E_NOINTERFACE;
    addExtra(impl, 1);
    *out = &impl->adapter.iface;
    return S_OK;
}
HRESULT STDMETHODCALLTYPE adapterQueryInterface(IDXGIAdapter*, REFIID, void** out) {
    *out = nullptr;
    return E_NOINTERFACE;
}
ULONG STDMETHODCALLTYPE adapterAddRef(IDXGIAdapter* self) {
    addExtra(reinterpret_cast<FakeAdapter*>(self)->device, 1);
    return 2;
}
ULONG STDMETHODCALLTYPE adapterRelease(IDXGIAdapter* self) {
    addExtra(reinterpret_cast<FakeAdapter*>(self)->device, -1);
    return 1;
}
HRESULT STDMETHODCALLTYPE adapterGetDesc(IDXGIAdapter* self, DXGI_ADAPTER_DESC* description) {
    *description = DXGI_ADAPTER_DESC{};
    description->DeviceId = reinterpret_cast<FakeAdapter*>(self)->device->owner->behaviour.deviceId;
    return S_OK;
}

// Texture.
HRESULT STDMETHODCALLTYPE textureQueryInterface(ID3D11Texture2D* self, REFIID iid, void** out) {
    auto* texture = reinterpret_cast<FakeTextureObject*>(self);
    const FakeDeviceBehaviour& behaviour = texture->device->owner->behaviour;
    *out = nullptr;
    if (IsEqualGUID(iid, IID_ID3D11Texture2D) || IsEqualGUID(iid, IID_ID3D11Resource) ||
        IsEqualGUID(iid, IID_IUnknown)) {
        if (FAILED(behaviour.queryTexture)) return fail(texture->device, behaviour.queryTexture);
        textureAddRef(texture);
        *out = self;
        return S_OK;
    }
    if (IsEqualGUID(iid, IID_IDXGIResource)) {
        if (FAILED(behaviour.queryShareable)) return fail(texture->device, behaviour.queryShareable);
        textureAddRef(texture);
        *out = &texture->shareable.iface;
        return S_OK;
    }
    return E_NOINTERFACE;
}
ULONG STDMETHODCALLTYPE textureAddRefMethod(ID3D11Texture2D* self) {
    return textureAddRef(reinterpret_cast<FakeTextureObject*>(self));
}
ULONG STDMETHODCALLTYPE textureReleaseMethod(ID3D11Texture2D* self) {
    return textureRelease(reinterpret_cast<FakeTextureObject*>(self));
}
void STDMETHODCALLTYPE textureGetDesc(ID3D11Texture2D* self, D3D11_TEXTURE2D_DESC* description) {
    auto* texture = reinterpret_cast<FakeTextureObject*>(self);
    std::lock_guard<std::mutex> lock(texture->device->mutex);
    *description = texture->device->textures[texture->index].description;
}

// The texture's IDXGIResource face.
HRESULT STDMETHODCALLTYPE shareableQueryInterface(IDXGIResource* self, REFIID iid, void** out) {
    return textureQueryInterface(&reinterpret_cast<FakeShareable*>(self)->owner->iface, iid, out);
}
ULONG STDMETHODCALLTYPE shareableAddRef(IDXGIResource* self) {
    return textureAddRef(reinterpret_cast<FakeShareable*>(self)->owner);
}
ULONG STDMETHODCALLTYPE shareableRelease(IDXGIResource* self) {
    return textureRelease(reinterpret_cast<FakeShareable*>(self)->owner);
}
HRESULT STDMETHODCALLTYPE shareableGetSharedHandle(IDXGIResource* self, HANDLE* handle) {
    FakeTextureObject* texture = reinterpret_cast<FakeShareable*>(self)->owner;
    const FakeDeviceBehaviour& behaviour = texture->device->owner->behaviour;
    *handle = nullptr;
    if (FAILED(behaviour.getSharedHandle)) return fail(texture->device, behaviour.getSharedHandle);
    *handle = reinterpret_cast<HANDLE>(behaviour.sharedHandle);
    return S_OK;
}

// View: holds one reference to its texture until its own count drops to 0.
HRESULT STDMETHODCALLTYPE viewQueryInterface(ID3D11ShaderResourceView*, REFIID, void** out) {
    *out = nullptr;
    return E_NOINTERFACE;
}
ULONG STDMETHODCALLTYPE viewAddRef(ID3D11ShaderResourceView* self) {
    auto* view = reinterpret_cast<FakeView*>(self);
    std::lock_guard<std::mutex> lock(view->texture->device->mutex);
    return ++view->texture->device->textures[view->index].viewReferences;
}
ULONG STDMETHODCALLTYPE viewRelease(ID3D11ShaderResourceView* self) {
    auto* view = reinterpret_cast<FakeView*>(self);
    long left;
    {
        std::lock_guard<std::mutex> lock(view->texture->device->mutex);
        left = --view->texture->device->textures[view->index].viewReferences;
    }
    if (left == 0) textureRelease(view->texture);
    return left;
}
void STDMETHODCALLTYPE viewGetResource(ID3D11ShaderResourceView* self, ID3D11Resource** resource) {
    auto* view = reinterpret_cast<FakeView*>(self);
    textureAddRef(view->texture);
    *resource = reinterpret_cast<ID3D11Resource*>(&view->texture->iface);
}

ID3D11DeviceVtbl deviceTable() {
    ID3D11DeviceVtbl table{};
    table.QueryInterface = deviceQueryInterface;
    table.AddRef = deviceAddRef;
    table.Release = deviceRelease;
    table.CreateTexture2D = deviceCreateTexture2D;
    table.CreateShaderResourceView = deviceCreateShaderResourceView;
    return table;
}
ID3D11DeviceVtbl deviceVtbl = deviceTable();

IDXGIDeviceVtbl dxgiTable() {
    IDXGIDeviceVtbl table{};
    table.QueryInterface = dxgiQueryInterface;
    table.AddRef = dxgiAddRef;
    table.Release = dxgiRelease;
    table.GetParent = dxgiGetParent;
    return table;
}
IDXGIDeviceVtbl dxgiVtbl = dxgiTable();

IDXGIAdapterVtbl adapterTable() {
    IDXGIAdapterVtbl table{};
    table.QueryInterface = adapterQueryInterface;
    table.AddRef = adapterAddRef;
    table.Release = adapterRelease;
    table.GetDesc = adapterGetDesc;
    return table;
}
IDXGIAdapterVtbl adapterVtbl = adapterTable();

ID3D11Texture2DVtbl textureTable() {
    ID3D11Texture2DVtbl table{};
    table.QueryInterface = textureQueryInterface;
    table.AddRef = textureAddRefMethod;
    table.Release = textureReleaseMethod;
    table.GetDesc = textureGetDesc;
    return table;
}
ID3D11Texture2DVtbl textureVtbl = textureTable();

IDXGIResourceVtbl shareableTable() {
    IDXGIResourceVtbl table{};
    table.QueryInterface = shareableQueryInterface;
    table.AddRef = shareableAddRef;
    table.Release = shareableRelease;
    table.GetSharedHandle = shareableGetSharedHandle;
    return table;
}
IDXGIResourceVtbl shareableVtbl = shareableTable();

ID3D11ShaderResourceViewVtbl viewTable() {
    ID3D11ShaderResourceViewVtbl table{};
    table.QueryInterface = viewQueryInterface;
    table.AddRef = viewAddRef;
    table.Release = viewRelease;
    table.GetResource = viewGetResource;
    return table;
}
ID3D11ShaderResourceViewVtbl viewVtbl = viewTable();

HRESULT STDMETHODCALLTYPE deviceCreateTexture2D(ID3D11Device* self, const D3D11_TEXTURE2D_DESC* description,
                                                const D3D11_SUBRESOURCE_DATA* data, ID3D11Texture2D** out) {
    Impl* impl = reinterpret_cast<Impl*>(self);
    *out = nullptr;
    std::lock_guard<std::mutex> lock(impl->mutex);
    FakeTexture texture;
    texture.description = *description;
    texture.initialData = data != nullptr;
    if (FAILED(impl->owner->behaviour.createTexture)) {
        impl->textures.push_back(texture);  // recorded, never handed out
        impl->textureObjects.push_back(FakeTextureObject{});
        return fail(impl, impl->owner->behaviour.createTexture);
    }
    texture.references = 1;
    impl->textures.push_back(texture);
    impl->textureObjects.push_back(FakeTextureObject{});
    FakeTextureObject& object = impl->textureObjects.back();
    object.iface.lpVtbl = &textureVtbl;
    object.shareable.iface.lpVtbl = &shareableVtbl;
    object.shareable.owner = &object;
    object.device = impl;
    object.index = impl->textures.size() - 1;
    *out = &object.iface;
    return S_OK;
}

HRESULT STDMETHODCALLTYPE deviceCreateShaderResourceView(ID3D11Device* self, ID3D11Resource* resource,
                                                         const D3D11_SHADER_RESOURCE_VIEW_DESC* description,
                                                         ID3D11ShaderResourceView** out) {
    Impl* impl = reinterpret_cast<Impl*>(self);
    auto* texture = reinterpret_cast<FakeTextureObject*>(resource);
    *out = nullptr;
    {
        std::lock_guard<std::mutex> lock(impl->mutex);
        impl->textures[texture->index].viewDescription = description != nullptr;
    }
    if (FAILED(impl->owner->behaviour.createView)) return fail(impl, impl->owner->behaviour.createView);
    textureAddRef(texture);
    std::lock_guard<std::mutex> lock(impl->mutex);
    impl->views.push_back(FakeView{});
    FakeView& view = impl->views.back();
    view.iface.lpVtbl = &viewVtbl;
    view.texture = texture;
    view.index = texture->index;
    impl->textures[texture->index].viewReferences = 1;
    impl->textures[texture->index].view = &view.iface;
    *out = &view.iface;
    return S_OK;
}

}  // namespace

FakeDevice::FakeDevice() : impl(new Impl) {
    impl->iface.lpVtbl = &deviceVtbl;
    impl->owner = this;
    impl->dxgiDevice.iface.lpVtbl = &dxgiVtbl;
    impl->dxgiDevice.device = impl;
    impl->adapter.iface.lpVtbl = &adapterVtbl;
    impl->adapter.device = impl;
}

FakeDevice::~FakeDevice() { delete impl; }

void* FakeDevice::device() { return &impl->iface; }

std::vector<FakeTexture> FakeDevice::textures() {
    std::lock_guard<std::mutex> lock(impl->mutex);
    return impl->textures;
}

long FakeDevice::extraReferences() {
    std::lock_guard<std::mutex> lock(impl->mutex);
    return impl->extraReferences;
}
