#pragma once
// Turns the engine's 32-bit render event ids into webview records.  The
// engine deposits a record's address and gets a key; the render event for
// that key takes the record out again.  Keys are one-shot.
#include <cstdint>
#include <mutex>
#include <unordered_map>

// The one key that is never handed out, so it can never name a live entry:
// WebView_depositPointer answers it when the table cannot be used.
constexpr int32_t kNeverLivePointerKey = -1;

class PointerTable {
public:
    // The first key from nextPointerKey on that is not in use, wrapping at
    // 32 bits; keys come out in rising order.  kNeverLivePointerKey is passed
    // over.
    int32_t deposit(void* pointer);
    // Removes one key under which `pointer` was deposited, if any.
    void remove(void* pointer);
    // Takes the pointer stored under `key` out of the table; false when the
    // key is not there (never handed out, or consumed before).
    bool take(int32_t key, void*& pointer);

    void setNextPointerKey(int32_t key);  // tests only

private:
    std::mutex mutex;
    std::unordered_map<int32_t, void*> pointers;  // guarded by mutex
    uint32_t nextPointerKey = 0;                  // guarded by mutex; unsigned, so it wraps
};

PointerTable& pointerTable();
