#include "GameLoader/PlatformNotice.h"

PlatformNoticeRecord MakePlatformNoticeRecord(std::int32_t gameId)
{
    PlatformNoticeRecord record = {};
    record.gameId = gameId;
    record.text[0] = u'1';
    record.flag = 1;
    return record;
}
