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

void ReleasePictures()
{
    Cache().clear();
    if (IWICImagingFactory*& factory = FactorySlot()) {
        factory->Release();
        factory = nullptr;
    }
}
