#include "GameLoader/LaunchParams.h"

#include <json/json.h>

#include <exception>

#include "Common/DecimalText.h"

namespace {

bool ParseJson(const std::string& text, Json::Value& root)
{
#if defined(__GNUC__)
#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Wdeprecated-declarations"
#endif
    // The reader's default features: comments allowed, any value at the root.
    // The reader throws, rather than fails, on values nested beyond its
    // depth limit; for the launcher that text is simply not JSON it can read.
    try {
        Json::Reader reader;
        return reader.parse(text, root, false);
    } catch (const std::exception&) {
        return false;
    }
#if defined(__GNUC__)
#pragma GCC diagnostic pop
#endif
}

std::wstring* TextField(LaunchParams& params, const std::string& key)
{
    if (key == "winid") return &params.winid;
    if (key == "source") return &params.source;
    if (key == "tokenLogin") return &params.tokenLogin;
    if (key == "token") return &params.token;
    if (key == "kvext") return &params.kvext;
    if (key == "gameMgrId") return &params.gameMgrId;
    if (key == "typeMode") return &params.typeMode;
    if (key == "instGamePath") return &params.instGamePath;
    if (key == "cacheGamePath") return &params.cacheGamePath;
    return nullptr;
}

}  // namespace

CmdJsonReading ReadCmdJson(const std::string& narrowText, LaunchParams& params, const ToWideText& toWide)
{
    CmdJsonReading reading;
    Json::Value root;
    if (!ParseJson(narrowText, root))
        return reading;
    reading.parsed = true;
    // A number, string, boolean or array at the root has no members: the
    // member lookup refuses it, and the record keeps its defaults.
    try {
        for (const LaunchSwitch& entry : kLaunchSwitches) {
            const Json::Value* member = root.find(entry.key, entry.key + std::char_traits<char>::length(entry.key));
            if (member == nullptr || !member->isString())
                continue;
            const std::string value = member->asString();
            if (std::wstring* field = TextField(params, entry.key)) {
                *field = toWide(value);
                if (field == &params.winid)
                    reading.winidStored = true;
            } else {
                params.installed = DecimalTextToInt(value);
            }
        }
    } catch (const std::exception&) {
    }
    return reading;
}
