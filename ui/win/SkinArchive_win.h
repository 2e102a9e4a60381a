#pragma once
// The skin archive: the zip of skins and pictures that the program carries as
// a resource.
#include <windows.h>

#include <cstddef>
#include <memory>
#include <string>
#include <vector>

// A zip archive read in place from bytes that outlive it (the skin archive's
// are the program's resource memory).  The process archive below is one of
// these; tests open their own over damaged copies.
class CMemoryZip {
public:
    // The most one file may expand to: the skins and pictures are a few
    // kilobytes each, and a damaged entry must not claim gigabytes.
    static constexpr unsigned long long kMaxFileSize = 64ull * 1024 * 1024;

    CMemoryZip();
    ~CMemoryZip();
    CMemoryZip(const CMemoryZip&) = delete;
    CMemoryZip& operator=(const CMemoryZip&) = delete;

    // False: no bytes, or not a zip.  `name` names the archive for minizip.
    bool Open(const char* name, const unsigned char* data, size_t size);
    bool IsOpen() const;
    // False: not open, no such file (names compare exactly), larger than
    // kMaxFileSize, damaged, or failing its CRC check; `bytes` is then empty.
    bool ReadFile(const std::string& nameUtf8, std::vector<unsigned char>& bytes);

private:
    struct State;
    std::unique_ptr<State> m_state;
};

// The process's skin archive: a zip opened from resource memory, once.  UI thread only.
class CSkinArchive {
public:
    static constexpr const char* kArchiveName = "membuffer";
    // Opens resource `id` of type "ZIPRES" of `instance` unless the archive named
    // "membuffer" is already open (then true at once). False: resource missing or empty,
    // or not a zip (nothing reported).
    static bool OpenFromResource(HINSTANCE instance, UINT id);
    static bool IsOpen();
    // One file of the open archive, by its name inside the archive. False: no archive open,
    // no such file, or the file fails its CRC check.
    static bool ReadFile(const std::string& nameUtf8, std::vector<unsigned char>& bytes);
};
