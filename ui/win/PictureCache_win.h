#pragma once
// Pictures of the skin archive decoded into 32bpp premultiplied bitmaps,
// once per process and file.  UI thread only.
#include <windows.h>

#include <string>

struct CPicture {
    HBITMAP bitmap = nullptr;  // a DIB section, premultiplied BGRA
    int width = 0;
    int height = 0;
    bool opaque = false;  // every pixel's alpha is 255: drawn with plain blits
    HDC dc = nullptr;     // a memory DC holding the bitmap, kept by the cache
};

// A 32bpp top-down DIB section of `width` by `height`; `bits` receives its
// pixels.  Null when it cannot be had.
HBITMAP CreateTopDownDib(HDC dc, int width, int height, void** bits);

// Null when the file is not in the archive or cannot be decoded; the
// answer is remembered either way.
const CPicture* GetPicture(const std::string& fileUtf8);
// Decodes PNG or JPEG bytes (WIC); false when they are not a picture.
bool DecodePicture(const void* bytes, size_t size, CPicture& picture);
// Frees every cached bitmap (the process is ending, or a test wants a
// fresh cache).
void ReleasePictures();
