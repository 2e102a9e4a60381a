#include "win/SkinArchive_win.h"

#include <minizip/unzip.h>

#include <cstring>
#include <new>
#include <memory>

namespace {

// The archive's bytes, read in place.
struct MemoryArchive {
    const unsigned char* data = nullptr;
    ZPOS64_T size = 0;
};

// One open stream over the bytes; minizip opens the archive once per
// unzOpen2_64 and keeps the stream until unzClose.
struct MemoryStream {
    const MemoryArchive* archive = nullptr;
    ZPOS64_T position = 0;
};

voidpf ZCALLBACK OpenMemory(voidpf opaque, const void* /*filename*/, int mode)
{
    // The archive is read-only: a caller asking to write gets no stream.
    if ((mode & ZLIB_FILEFUNC_MODE_READWRITEFILTER) != ZLIB_FILEFUNC_MODE_READ)
        return nullptr;
    auto* stream = new (std::nothrow) MemoryStream;
    if (stream)
        stream->archive = static_cast<const MemoryArchive*>(opaque);
    return stream;
}

uLong ZCALLBACK ReadMemory(voidpf /*opaque*/, voidpf handle, void* buffer, uLong size)
{
    auto* stream = static_cast<MemoryStream*>(handle);
    const ZPOS64_T available = stream->archive->size - stream->position;
    const uLong count = static_cast<uLong>(size < available ? size : available);
    std::memcpy(buffer, stream->archive->data + stream->position, count);
    stream->position += count;
    return count;
}

uLong ZCALLBACK WriteMemory(voidpf, voidpf, const void*, uLong) { return 0; }

ZPOS64_T ZCALLBACK TellMemory(voidpf /*opaque*/, voidpf handle)
{
    return static_cast<MemoryStream*>(handle)->position;
}

long ZCALLBACK SeekMemory(voidpf /*opaque*/, voidpf handle, ZPOS64_T offset, int origin)
{
    auto* stream = static_cast<MemoryStream*>(handle);
    ZPOS64_T base = 0;
    switch (origin) {
    case ZLIB_FILEFUNC_SEEK_SET: base = 0; break;
    case ZLIB_FILEFUNC_SEEK_CUR: base = stream->position; break;
    case ZLIB_FILEFUNC_SEEK_END: base = stream->archive->size; break;
    default: return -1;
    }
    // minizip seeks backwards from the end by adding a wrapped-around offset;
    // the unsigned sum lands where it means to, and anything past the bytes fails.
    const ZPOS64_T target = base + offset;
    if (target > stream->archive->size)
        return -1;
    stream->position = target;
    return 0;
}

int ZCALLBACK CloseMemory(voidpf /*opaque*/, voidpf handle)
{
    delete static_cast<MemoryStream*>(handle);
    return 0;
}

int ZCALLBACK ErrorMemory(voidpf, voidpf) { return 0; }

struct UnzCloser {
    void operator()(void* file) const { unzClose(static_cast<unzFile>(file)); }
};

// The process's archive, open for its whole life once opened.
CMemoryZip& TheArchive()
{
    static CMemoryZip archive;
    return archive;
}

} // namespace

// The bytes descriptor must outlive the open archive, whose stream points at it.
struct CMemoryZip::State {
    MemoryArchive bytes;
    std::unique_ptr<void, UnzCloser> file;
};

CMemoryZip::CMemoryZip() : m_state(std::make_unique<State>()) {}
CMemoryZip::~CMemoryZip() = default;

bool CMemoryZip::Open(const char* name, const unsigned char* data, size_t size)
{
    if (m_state->file || !data || size == 0)
        return false;
    m_state->bytes.data = data;
    m_state->bytes.size = size;
    zlib_filefunc64_def functions{};
    functions.zopen64_file = OpenMemory;
    functions.zread_file = ReadMemory;
    functions.zwrite_file = WriteMemory;
    functions.ztell64_file = TellMemory;
    functions.zseek64_file = SeekMemory;
    functions.zclose_file = CloseMemory;
    functions.zerror_file = ErrorMemory;
    functions.opaque = &m_state->bytes;
    unzFile file = unzOpen2_64(name, &functions);
    if (!file) {
        m_state->bytes = MemoryArchive{};
        return false;
    }
    m_state->file.reset(file);
    return true;
}

bool CMemoryZip::IsOpen() const { return m_state->file != nullptr; }

bool CMemoryZip::ReadFile(const std::string& nameUtf8, std::vector<unsigned char>& bytes)
{
    bytes.clear();
    unzFile file = static_cast<unzFile>(m_state->file.get());
    if (!file || nameUtf8.empty())
        return false;
    // 1: the names compare exactly, as the skins spell them.
    if (unzLocateFile(file, nameUtf8.c_str(), 1) != UNZ_OK)
        return false;
    unz_file_info64 info{};
    if (unzGetCurrentFileInfo64(file, &info, nullptr, 0, nullptr, 0, nullptr, 0) != UNZ_OK)
        return false;
    // minizip reads no further than the size the entry declares, so capping
    // the declared size caps what one entry can make us allocate.
    if (info.uncompressed_size > kMaxFileSize)
        return false;
    if (unzOpenCurrentFile(file) != UNZ_OK)
        return false;

    std::vector<unsigned char> content(static_cast<size_t>(info.uncompressed_size));
    size_t filled = 0;
    bool readFailed = false;
    while (filled < content.size()) {
        const int read = unzReadCurrentFile(file, content.data() + filled,
                                            static_cast<unsigned>(content.size() - filled));
        if (read <= 0) {
            readFailed = true;
            break;
        }
        filled += static_cast<size_t>(read);
    }
    // Closing after the whole entry was read is what checks its CRC.
    const int closed = unzCloseCurrentFile(file);
    if (readFailed || closed != UNZ_OK)
        return false;
    bytes.swap(content);
    return true;
}

bool CSkinArchive::OpenFromResource(HINSTANCE instance, UINT id)
{
    CMemoryZip& archive = TheArchive();
    if (archive.IsOpen())
        return true;

    HRSRC resource = FindResourceW(instance, MAKEINTRESOURCEW(id), L"ZIPRES");
    if (!resource)
        return false;
    const DWORD size = SizeofResource(instance, resource);
    HGLOBAL loaded = LoadResource(instance, resource);
    const void* data = loaded ? LockResource(loaded) : nullptr;
    // Resource memory belongs to the module and stays mapped for the life of
    // the process, so the archive reads it in place.
    return archive.Open(kArchiveName, static_cast<const unsigned char*>(data), size);
}

bool CSkinArchive::IsOpen() { return TheArchive().IsOpen(); }

bool CSkinArchive::ReadFile(const std::string& nameUtf8, std::vector<unsigned char>& bytes)
{
    return TheArchive().ReadFile(nameUtf8, bytes);
}
