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

// Pictures larger than this are refused rather than allocated.
constexpr UINT kMaxPictureSide = 8192;

}  // namespace

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
    ScopedComPtr<IWICImagingFactory> factory;
    if (FAILED(CoCreateInstance(CLSID_WICImagingFactory, nullptr, CLSCTX_INPROC_SERVER, IID_IWICImagingFactory,
                                factory.receive())))
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
    if (FAILED(decoder->GetFrame(0, frame.receiveTyped())))
        return false;
    ScopedComPtr<IWICFormatConverter> converter;
    if (FAILED(factory->CreateFormatConverter(converter.receiveTyped())) ||
        FAILED(converter->Initialize(frame.get(), GUID_WICPixelFormat32bppPBGRA, WICBitmapDitherTypeNone, nullptr, 0.0,
                                     WICBitmapPaletteTypeCustom)))
        return false;
    UINT width = 0;
    UINT height = 0;
    if (FAILED(converter->GetSize(&width, &height)) || width == 0 || height == 0 || width > kMaxPictureSide ||
        height > kMaxPictureSide)
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

const CPicture* GetPicture(const std::string& fileUtf8)
{
    auto& cache = Cache();
    const auto found = cache.find(fileUtf8);
    if (found != cache.end())
        return found->second ? &found->second->picture : nullptr;
    std::unique_ptr<CachedPicture> entry;
    std::vector<unsigned char> bytes;
    CPicture picture;
    if (CSkinArchive::ReadFile(fileUtf8, bytes) && DecodePicture(bytes.data(), bytes.size(), picture)) {
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
    cache.emplace(fileUtf8, std::move(entry));
    return result;
}

void ReleasePictures() { Cache().clear(); }
