#include "support/FreedMemoryTrap_win.h"

#include <windows.h>

#include <atomic>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <new>

namespace {

struct Block {
    void* base = nullptr;
    std::size_t bytes = 0;
    bool freed = false;
};

constexpr int kMaxBlocks = 512;  // address space: 64 KiB each, never given back
Block g_blocks[kMaxBlocks];
int g_blockCount = 0;
std::atomic<std::size_t> g_watched{0};
// Guards the table; operator new may run on any thread.
std::atomic_flag g_lock = ATOMIC_FLAG_INIT;
PVOID g_handler = nullptr;

struct TableLock {
    TableLock()
    {
        while (g_lock.test_and_set(std::memory_order_acquire))
            SwitchToThread();
    }
    ~TableLock() { g_lock.clear(std::memory_order_release); }
};

LONG CALLBACK ReportFreedTouch(EXCEPTION_POINTERS* exception)
{
    const EXCEPTION_RECORD* record = exception->ExceptionRecord;
    if (record->ExceptionCode != EXCEPTION_ACCESS_VIOLATION || record->NumberParameters < 2)
        return EXCEPTION_CONTINUE_SEARCH;
    const auto address = static_cast<std::uintptr_t>(record->ExceptionInformation[1]);
    for (int i = 0; i < g_blockCount; ++i) {
        const auto base = reinterpret_cast<std::uintptr_t>(g_blocks[i].base);
        if (g_blocks[i].freed && address >= base && address < base + g_blocks[i].bytes) {
            std::fprintf(stderr, "use after free: %s at offset %u of a freed %u-byte block, from code at %p\n",
                         record->ExceptionInformation[0] ? "write" : "read", static_cast<unsigned>(address - base),
                         static_cast<unsigned>(g_blocks[i].bytes), record->ExceptionAddress);
            std::fflush(stderr);
            TerminateProcess(GetCurrentProcess(), 3);
        }
    }
    return EXCEPTION_CONTINUE_SEARCH;
}

void* Allocate(std::size_t size)
{
    if (size == 0)
        size = 1;
    if (size == g_watched.load(std::memory_order_relaxed)) {
        TableLock lock;
        if (g_blockCount < kMaxBlocks) {
            if (void* base = VirtualAlloc(nullptr, size, MEM_RESERVE | MEM_COMMIT, PAGE_READWRITE)) {
                g_blocks[g_blockCount++] = Block{base, size, false};
                return base;
            }
        }
    }
    return std::malloc(size);
}

void Free(void* pointer)
{
    if (!pointer)
        return;
    {
        TableLock lock;
        for (int i = 0; i < g_blockCount; ++i) {
            if (g_blocks[i].base == pointer && !g_blocks[i].freed) {
                DWORD old = 0;
                VirtualProtect(pointer, g_blocks[i].bytes, PAGE_NOACCESS, &old);
                g_blocks[i].freed = true;
                return;
            }
        }
    }
    std::free(pointer);
}

}  // namespace

namespace freed_memory_trap {

void Watch(std::size_t size)
{
    if (!g_handler)
        g_handler = AddVectoredExceptionHandler(1, &ReportFreedTouch);
    g_watched = size;
}

int LiveBlocks(std::size_t size)
{
    TableLock lock;
    int live = 0;
    for (int i = 0; i < g_blockCount; ++i)
        live += !g_blocks[i].freed && g_blocks[i].bytes == size ? 1 : 0;
    return live;
}

}  // namespace freed_memory_trap

void* operator new(std::size_t size)
{
    if (void* block = Allocate(size))
        return block;
    throw std::bad_alloc();
}
void* operator new[](std::size_t size) { return operator new(size); }
void* operator new(std::size_t size, const std::nothrow_t&) noexcept { return Allocate(size); }
void* operator new[](std::size_t size, const std::nothrow_t&) noexcept { return Allocate(size); }
void operator delete(void* pointer) noexcept { Free(pointer); }
void operator delete[](void* pointer) noexcept { Free(pointer); }
void operator delete(void* pointer, std::size_t) noexcept { Free(pointer); }
void operator delete[](void* pointer, std::size_t) noexcept { Free(pointer); }
void operator delete(void* pointer, const std::nothrow_t&) noexcept { Free(pointer); }
void operator delete[](void* pointer, const std::nothrow_t&) noexcept { Free(pointer); }
