#pragma once
// The record the launcher hands to the platform client's window as the data
// block of WM_COPYDATA (dwData 1): on closing, and to report that the game
// has ended.  Little-endian, 528 bytes, no padding.
#include <cstddef>
#include <cstdint>

struct PlatformNoticeRecord {
    std::int32_t gameId;
    char16_t text[260];  // UTF-16, zero-padded
    std::int32_t flag;
};

static_assert(sizeof(PlatformNoticeRecord) == 528, "the platform client reads exactly 528 bytes");
static_assert(offsetof(PlatformNoticeRecord, text) == 4 && offsetof(PlatformNoticeRecord, flag) == 524,
              "field offsets are fixed by the platform client");

constexpr std::uintptr_t kPlatformNoticeDataId = 1;  // COPYDATASTRUCT::dwData

// Game id `gameId`, text "1", flag 1.
PlatformNoticeRecord MakePlatformNoticeRecord(std::int32_t gameId);
