#include "CIeBrowserUI/BridgeRequest.h"

#include <exception>

#include "GameLoader/JsonText.h"

bool IsBridgeRequestWithinLimits(const std::string& narrowText)
{
    if (narrowText.size() > kMaxBridgeRequestBytes)
        return false;
    // Strings and comments are skipped byte by byte exactly as the JSON
    // reader skips them (a backslash escapes the next byte, whatever code
    // page the text is in), so that the brackets counted are the ones the
    // reader will nest.
    const size_t size = narrowText.size();
    int depth = 0;
    for (size_t i = 0; i < size; ++i) {
        const char c = narrowText[i];
        if (c == '"') {
            for (++i; i < size && narrowText[i] != '"'; ++i)
                if (narrowText[i] == '\\')
                    ++i;
        } else if (c == '/' && i + 1 < size && narrowText[i + 1] == '*') {
            const size_t close = narrowText.find("*/", i + 2);
            i = close == std::string::npos ? size : close + 1;
        } else if (c == '/' && i + 1 < size && narrowText[i + 1] == '/') {
            while (i < size && narrowText[i] != '\n' && narrowText[i] != '\r')
                ++i;
        } else if (c == '[' || c == '{') {
            if (++depth > kMaxBridgeRequestNesting)
                return false;
        } else if (c == ']' || c == '}') {
            --depth;
        }
    }
    return true;
}

BridgeCommand ReadBridgeCommand(const std::string& narrowText)
{
    if (!IsBridgeRequestWithinLimits(narrowText))
        return BridgeCommand::None;
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
