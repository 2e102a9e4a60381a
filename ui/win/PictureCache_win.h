#pragma once
// Pictures of the skin decoded into 32bpp premultiplied bitmaps, once per
// process and file, when a control first draws them.  UI thread only.
#include <windows.h>

#include <string>
#include <vector>

struct CPicture {
    HBITMAP bitmap = nullptr;  // a DIB section, premultiplied BGRA
    int width = 0;
    int height = 0;
    bool opaque = false;  // every pixel's alpha is 255: drawn with plain blits
    HDC dc = nullptr;     // a memory DC holding the bitmap, kept by the cache
};

// A file of the skin: from the skin archive, or with a `folder` (ending in
// a backslash) the plain file of that name in it.  False: missing, larger
// than an archive entry may be, or a name that leaves the folder.
bool ReadSkinFile(const std::string& fileUtf8, const std::wstring& folder, std::vector<unsigned char>& bytes);

// A 32bpp top-down DIB section of `width` by `height`; `bits` receives its
// pixels.  Null when it cannot be had.
HBITMAP CreateTopDownDib(HDC dc, int width, int height, void** bits);

// The picture `fileUtf8` of the skin archive, or with a `folder`, of the
// plain file of that name in it.  Null when it is missing or cannot be
// decoded; the answer is remembered either way.
const CPicture* GetPicture(const std::string& fileUtf8, const std::wstring& folder = std::wstring());
// The largest side decoded: a 32-bit process must not be talked into
// allocating what a damaged or hostile picture claims.
constexpr unsigned kMaxPictureSide = 4096;
// Decodes PNG or JPEG bytes (WIC); false when they are not a picture or
// are larger than kMaxPictureSide on a side.
bool DecodePicture(const void* bytes, size_t size, CPicture& picture);
// Starts loading the imaging codecs and decoding a test picture of each
// kind on a worker thread, so that the first picture a visible control
// draws finds them ready.  Call it once, early, on the UI thread; the UI
// thread never waits for it.  ReleasePictures ends it.
void PrepareDecodingInBackground();
// Waits for the worker of PrepareDecodingInBackground (bounded) and frees
// every cached bitmap (the process is ending, or a test wants a
// fresh cache).
void ReleasePictures();
