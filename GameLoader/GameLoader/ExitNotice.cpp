#include "GameLoader/ExitNotice.h"

#include <exception>

#include "GameLoader/JsonText.h"

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
    Json::Value root;
    notice.parsed = ParseLauncherJson(narrowText, root);
    if (!notice.parsed) {
        notice.isNotice = narrowText == "type:1" || narrowText == "{type:1}";
        return notice;
    }
    try {
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
