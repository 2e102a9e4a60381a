#include "CIeBrowserUI/BridgeRequest.h"

#include <exception>

#include "GameLoader/JsonText.h"

BridgeCommand ReadBridgeCommand(const std::string& narrowText)
{
    Json::Value root;
    if (!ParseLauncherJson(narrowText, root))
        return BridgeCommand::None;
    std::string command;
    try {
        // A root without members (an array, a number) refuses the lookup.
        static const char kKey[] = "funcation_name";
        const Json::Value* name = root.find(kKey, kKey + sizeof(kKey) - 1);
        if (name != nullptr && name->isString())
            command = name->asString();
    } catch (const std::exception&) {
        return BridgeCommand::None;
    }
    if (command == "min_wnd")
        return BridgeCommand::MinWnd;
    if (command == "close_wnd")
        return BridgeCommand::CloseWnd;
    if (command == "open_game")
        return BridgeCommand::OpenGame;
    if (command == "wnd_mousemove")
        return BridgeCommand::WndMouseMove;
    return BridgeCommand::None;
}
