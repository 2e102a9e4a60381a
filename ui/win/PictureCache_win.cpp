#include "PictureCache_win.h"

#include <wincodec.h>

#include <algorithm>
#include <cstdint>
#include <map>
#include <memory>
#include <vector>

#include "SkinArchive_win.h"
#include "UILog.h"
#include "core/AttributeSyntax.h"
#include "common/win/ScopedHandles.h"

namespace {

struct CachedPicture {
    ~CachedPicture()
    {
        if (dc && previous)
            SelectObject(dc.get(), previous);
    }
    ScopedBitmap bitmap;
    ScopedMemoryDc dc;
    HGDIOBJ previous = nullptr;
    CPicture picture;
};

std::map<std::string, std::unique_ptr<CachedPicture>>& Cache()
{
    static std::map<std::string, std::unique_ptr<CachedPicture>> cache;
    return cache;
}

// One factory, made with the first picture: making one loads the codecs,
// which costs more than decoding a small picture.  Deliberately not an
// owner with a static destructor: at process exit COM may already have
// unloaded the codecs its Release would call into.  ReleasePictures gives
// it back.
IWICImagingFactory*& FactorySlot()
{
    static IWICImagingFactory* factory = nullptr;
    return factory;
}

IWICImagingFactory* Factory()
{
    IWICImagingFactory*& factory = FactorySlot();
    if (!factory && FAILED(CoCreateInstance(CLSID_WICImagingFactory, nullptr, CLSCTX_INPROC_SERVER,
                                            IID_IWICImagingFactory, reinterpret_cast<void**>(&factory))))
        factory = nullptr;
    return factory;
}

// What the first picture of a process would otherwise pay on the UI thread,
// done at start-up on a worker of its own: loading the imaging codecs and the
// first decode of each kind.  The worker makes and drops a factory of its own
// in its own apartment, so nothing it makes is ever shared; what it leaves
// behind is the codec module, kept loaded, and the codecs made ready.
const unsigned char kWhitePixelPng[] = {
    0x89, 0x50, 0x4E, 0x47, 0x0D, 0x0A, 0x1A, 0x0A, 0x00, 0x00, 0x00, 0x0D, 0x49, 0x48, 0x44, 0x52, 0x00,
    0x00, 0x00, 0x01, 0x00, 0x00, 0x00, 0x01, 0x08, 0x06, 0x00, 0x00, 0x00, 0x1F, 0x15, 0xC4, 0x89, 0x00,
    0x00, 0x00, 0x0B, 0x49, 0x44, 0x41, 0x54, 0x08, 0xD7, 0x63, 0xF8, 0x0F, 0x04, 0x00, 0x09, 0xFB, 0x03,
    0xFD, 0x63, 0x26, 0xC5, 0x8F, 0x00, 0x00, 0x00, 0x00, 0x49, 0x45, 0x4E, 0x44, 0xAE, 0x42, 0x60, 0x82};
const unsigned char kGreyBlockJpeg[] = {
    0xFF, 0xD8, 0xFF, 0xE0, 0x00, 0x10, 0x4A, 0x46, 0x49, 0x46, 0x00, 0x01, 0x01, 0x00, 0x00, 0x01, 0x00, 0x01,
    0x00, 0x00, 0xFF, 0xDB, 0x00, 0x43, 0x00, 0x10, 0x0B, 0x0C, 0x0E, 0x0C, 0x0A, 0x10, 0x0E, 0x0D, 0x0E, 0x12,
    0x11, 0x10, 0x13, 0x18, 0x28, 0x1A, 0x18, 0x16, 0x16, 0x18, 0x31, 0x23, 0x25, 0x1D, 0x28, 0x3A, 0x33, 0x3D,
    0x3C, 0x39, 0x33, 0x38, 0x37, 0x40, 0x48, 0x5C, 0x4E, 0x40, 0x44, 0x57, 0x45, 0x37, 0x38, 0x50, 0x6D, 0x51,
    0x57, 0x5F, 0x62, 0x67, 0x68, 0x67, 0x3E, 0x4D, 0x71, 0x79, 0x70, 0x64, 0x78, 0x5C, 0x65, 0x67, 0x63, 0xFF,
    0xC0, 0x00, 0x0B, 0x08, 0x00, 0x08, 0x00, 0x08, 0x01, 0x01, 0x11, 0x00, 0xFF, 0xC4, 0x00, 0x14, 0x00, 0x01,
    0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x01,
    0xFF, 0xC4, 0x00, 0x14, 0x10, 0x01, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00,
    0x00, 0x00, 0x00, 0x00, 0xFF, 0xDA, 0x00, 0x08, 0x01, 0x01, 0x00, 0x00, 0x3F, 0x00, 0x1F, 0xFF, 0xD9};

struct DecodingWarmUp {
    ScopedHandle thread;
    HMODULE codecs = nullptr;  // loaded by the worker, freed by ReleasePictures once it has ended
};

DecodingWarmUp& WarmUp()
{
    static DecodingWarmUp warmUp;
    return warmUp;
}

// True when the little picture went all the way through the codec.
bool WarmDecode(IWICImagingFactory* factory, const unsigned char* bytes, DWORD size)
{
    ScopedComPtr<IWICStream> stream;
    ScopedComPtr<IWICBitmapDecoder> decoder;
    ScopedComPtr<IWICBitmapFrameDecode> frame;
    ScopedComPtr<IWICFormatConverter> converter;
    // One pixel is enough to run the codec; the rectangle keeps the copy to it.
    const WICRect onePixel = {0, 0, 1, 1};
    uint32_t pixel = 0;
    return SUCCEEDED(factory->CreateStream(stream.receiveTyped())) &&
           SUCCEEDED(stream->InitializeFromMemory(const_cast<BYTE*>(bytes), size)) &&
           SUCCEEDED(factory->CreateDecoderFromStream(stream.get(), nullptr, WICDecodeMetadataCacheOnDemand,
                                                      decoder.receiveTyped())) &&
           SUCCEEDED(decoder->GetFrame(0, frame.receiveTyped())) &&
           SUCCEEDED(factory->CreateFormatConverter(converter.receiveTyped())) &&
           SUCCEEDED(converter->Initialize(frame.get(), GUID_WICPixelFormat32bppPBGRA, WICBitmapDitherTypeNone,
                                           nullptr, 0.0, WICBitmapPaletteTypeCustom)) &&
           SUCCEEDED(converter->CopyPixels(&onePixel, 4, 4, reinterpret_cast<BYTE*>(&pixel)));
}

DWORD WINAPI WarmUpDecoding(void*)
try {
    // Held until ReleasePictures, which reads it only after this thread has
    // ended, so that the module outlives the worker's apartment whatever COM
    // does when that apartment ends.
    WarmUp().codecs = LoadLibraryW(L"windowscodecs.dll");
    if (FAILED(CoInitializeEx(nullptr, COINIT_MULTITHREADED))) {
        UILog(0, L"picture decoding not prepared: CoInitializeEx failed");
        return 1;
    }
    bool warmed = false;
    {
        ScopedComPtr<IWICImagingFactory> factory;
        if (SUCCEEDED(CoCreateInstance(CLSID_WICImagingFactory, nullptr, CLSCTX_INPROC_SERVER,
                                       IID_IWICImagingFactory, factory.receive())))
            warmed = WarmDecode(factory.get(), kWhitePixelPng, sizeof kWhitePixelPng) &&
                     WarmDecode(factory.get(), kGreyBlockJpeg, sizeof kGreyBlockJpeg);
    }
    CoUninitialize();
    // Not a failure of the program: the UI thread decodes as it always would.
    if (!warmed) {
        UILog(0, L"picture decoding not prepared: the codecs refused a test picture");
        return 1;
    }
    UILog(2, L"picture decoding prepared");
    return 0;
} catch (...) {
    UILog(0, L"picture decoding not prepared: the worker ended by an exception");
    return 1;
}

bool ReadPlainFile(const std::wstring& path, std::vector<unsigned char>& bytes)
{
    bytes.clear();
    ScopedFile file(CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                                FILE_ATTRIBUTE_NORMAL, nullptr));
    LARGE_INTEGER size = {};
    if (!file.valid() || !GetFileSizeEx(file.get(), &size) || size.QuadPart <= 0 ||
        size.QuadPart > static_cast<LONGLONG>(CMemoryZip::kMaxFileSize))
        return false;
    bytes.resize(static_cast<size_t>(size.QuadPart));
    DWORD read = 0;
    if (!::ReadFile(file.get(), bytes.data(), static_cast<DWORD>(bytes.size()), &read, nullptr) ||
        read != bytes.size()) {
        bytes.clear();
        return false;
    }
    return true;
}

}  // namespace

bool ReadSkinFile(const std::string& fileUtf8, const std::wstring& folder, std::vector<unsigned char>& bytes)
{
    if (folder.empty())
        return CSkinArchive::ReadFile(fileUtf8, bytes);
    // Plain files stand in the folder itself, never above it.
    const std::wstring name = Utf8ToWide(fileUtf8);
    if (name.empty() || name.find(L"..") != std::wstring::npos || name.find(L':') != std::wstring::npos ||
        name[0] == L'\\' || name[0] == L'/') {
        bytes.clear();
        return false;
    }
    return ReadPlainFile(folder + name, bytes);
}

HBITMAP CreateTopDownDib(HDC dc, int width, int height, void** bits)
{
    BITMAPINFO info = {};
    info.bmiHeader.biSize = sizeof info.bmiHeader;
    info.bmiHeader.biWidth = width;
    info.bmiHeader.biHeight = -height;
    info.bmiHeader.biPlanes = 1;
    info.bmiHeader.biBitCount = 32;
    info.bmiHeader.biCompression = BI_RGB;
    return CreateDIBSection(dc, &info, DIB_RGB_COLORS, bits, nullptr, 0);
}

bool DecodePicture(const void* bytes, size_t size, CPicture& picture)
{
    if (!bytes || size == 0 || size > 0x7FFFFFFF)
        return false;
    IWICImagingFactory* factory = Factory();
    if (!factory)
        return false;
    ScopedComPtr<IWICStream> stream;
    if (FAILED(factory->CreateStream(stream.receiveTyped())) ||
        FAILED(stream->InitializeFromMemory(static_cast<BYTE*>(const_cast<void*>(bytes)), static_cast<DWORD>(size))))
        return false;
    ScopedComPtr<IWICBitmapDecoder> decoder;
    if (FAILED(factory->CreateDecoderFromStream(stream.get(), nullptr, WICDecodeMetadataCacheOnDemand,
                                                decoder.receiveTyped())))
        return false;
    ScopedComPtr<IWICBitmapFrameDecode> frame;
    UINT width = 0;
    UINT height = 0;
    // The size is checked before anything of that size is made.
    if (FAILED(decoder->GetFrame(0, frame.receiveTyped())) || FAILED(frame->GetSize(&width, &height)) ||
        width == 0 || height == 0 || width > kMaxPictureSide || height > kMaxPictureSide)
        return false;
    ScopedComPtr<IWICFormatConverter> converter;
    if (FAILED(factory->CreateFormatConverter(converter.receiveTyped())) ||
        FAILED(converter->Initialize(frame.get(), GUID_WICPixelFormat32bppPBGRA, WICBitmapDitherTypeNone, nullptr, 0.0,
                                     WICBitmapPaletteTypeCustom)))
        return false;
    UINT convertedWidth = 0;
    UINT convertedHeight = 0;
    if (FAILED(converter->GetSize(&convertedWidth, &convertedHeight)) || convertedWidth != width ||
        convertedHeight != height)
        return false;

    void* bits = nullptr;
    ScopedBitmap bitmap(CreateTopDownDib(nullptr, static_cast<int>(width), static_cast<int>(height), &bits));
    if (!bitmap || !bits)
        return false;
    const UINT stride = width * 4;
    if (FAILED(converter->CopyPixels(nullptr, stride, stride * height, static_cast<BYTE*>(bits))))
        return false;
    GdiFlush();
    const auto* pixels = static_cast<const uint32_t*>(bits);
    picture.opaque = std::all_of(pixels, pixels + static_cast<size_t>(width) * height,
                                 [](uint32_t pixel) { return (pixel >> 24) == 0xFF; });
    picture.bitmap = bitmap.release();
    picture.width = static_cast<int>(width);
    picture.height = static_cast<int>(height);
    return true;
}

const CPicture* GetPicture(const std::string& fileUtf8, const std::wstring& folder)
{
    auto& cache = Cache();
    // A plain file is known by its folder as well; archive names start with no folder.
    const std::string key = folder.empty() ? fileUtf8 : WideToUtf8(folder) + "|" + fileUtf8;
    const auto found = cache.find(key);
    if (found != cache.end())
        return found->second ? &found->second->picture : nullptr;
    std::unique_ptr<CachedPicture> entry;
    std::vector<unsigned char> bytes;
    CPicture picture;
    if (ReadSkinFile(fileUtf8, folder, bytes) && DecodePicture(bytes.data(), bytes.size(), picture)) {
        entry = std::make_unique<CachedPicture>();
        entry->bitmap.reset(picture.bitmap);
        // Drawn from many times per paint: the DC that holds it is kept.
        entry->dc.reset(CreateCompatibleDC(nullptr));
        if (entry->dc) {
            entry->previous = SelectObject(entry->dc.get(), picture.bitmap);
            picture.dc = entry->dc.get();
        }
        entry->picture = picture;
    } else {
        UILog(0, L"picture not drawn: " + Utf8ToWide(fileUtf8));
    }
    const CPicture* result = entry ? &entry->picture : nullptr;
    cache.emplace(key, std::move(entry));
    return result;
}

void PrepareDecodingInBackground()
{
    DecodingWarmUp& warmUp = WarmUp();
    if (warmUp.thread.valid())
        return;
    warmUp.thread.reset(CreateThread(nullptr, 0, &WarmUpDecoding, nullptr, 0, nullptr));
    if (!warmUp.thread.valid())
        UILog(0, L"picture decoding not prepared: CreateThread failed " + std::to_wstring(GetLastError()));
}

void ReleasePictures()
{
    DecodingWarmUp& warmUp = WarmUp();
    if (warmUp.thread.valid()) {
        // Two small decodes: seconds mean the codecs are stuck, and then the
        // process had better not unload them under the worker.
        if (WaitForSingleObject(warmUp.thread.get(), 10000) == WAIT_OBJECT_0) {
            warmUp.thread.reset();
            if (warmUp.codecs) {
                FreeLibrary(warmUp.codecs);
                warmUp.codecs = nullptr;
            }
        } else {
            UILog(0, L"picture decoding worker still running after 10 s; its codecs stay loaded");
        }
    }
    Cache().clear();
    if (IWICImagingFactory*& factory = FactorySlot()) {
        factory->Release();
        factory = nullptr;
    }
}
