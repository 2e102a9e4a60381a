#include "webview/PointerTable.h"

int32_t PointerTable::deposit(void* pointer) {
    std::lock_guard<std::mutex> lock(mutex);
    uint32_t key = nextPointerKey;
    while (static_cast<int32_t>(key) == kNeverLivePointerKey || pointers.count(static_cast<int32_t>(key))) ++key;
    nextPointerKey = key + 1;
    pointers.emplace(static_cast<int32_t>(key), pointer);
    return static_cast<int32_t>(key);
}

void PointerTable::remove(void* pointer) {
    std::lock_guard<std::mutex> lock(mutex);
    for (auto entry = pointers.begin(); entry != pointers.end(); ++entry) {
        if (entry->second == pointer) {
            pointers.erase(entry);
            return;
        }
    }
}

bool PointerTable::take(int32_t key, void*& pointer) {
    std::lock_guard<std::mutex> lock(mutex);
    const auto entry = pointers.find(key);
    if (entry == pointers.end()) return false;
    pointer = entry->second;
    pointers.erase(entry);
    return true;
}

void PointerTable::setNextPointerKey(int32_t key) {
    std::lock_guard<std::mutex> lock(mutex);
    nextPointerKey = static_cast<uint32_t>(key);
}

PointerTable& pointerTable() {
    // Never destroyed: the engine may still issue events while the process ends.
    static PointerTable* table = new PointerTable;
    return *table;
}
