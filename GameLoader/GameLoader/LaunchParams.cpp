#include "GameLoader/LaunchParams.h"

#include <json/json.h>

#include <exception>

#include "Common/DecimalText.h"
#include "GameLoader/JsonText.h"

namespace {

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
    if (!ParseLauncherJson(narrowText, root))
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
