#include "GameLoader/ExitNotice.h"

#include <json/json.h>

#include <exception>

namespace {

std::int32_t IntegerMember(const Json::Value& root, const char* name)
{
    const Json::Value& member = root[name];
    return member.isInt() ? member.asInt() : 0;
}

}  // namespace

ExitNotice ReadExitNotice(const std::string& narrowText)
{
    ExitNotice notice;
    try {
#if defined(__GNUC__)
#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Wdeprecated-declarations"
#endif
        Json::Reader reader;
        Json::Value root;
        notice.parsed = reader.parse(narrowText, root, false);
#if defined(__GNUC__)
#pragma GCC diagnostic pop
#endif
        if (!notice.parsed) {
            notice.isNotice = narrowText == "type:1" || narrowText == "{type:1}";
            return notice;
        }
        // A root that is not an object refuses the member lookup.
        const Json::Value& constRoot = root;
        if (IntegerMember(constRoot, "type") != 1)
            return notice;
        notice.gameId = IntegerMember(constRoot, "game_id");
        notice.isNotice = true;
    } catch (const std::exception&) {
        notice.isNotice = false;
        notice.gameId = 0;
    }
    return notice;
}
