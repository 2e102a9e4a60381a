#include "webview/CommandSending.h"

#include <utility>

#include "bridge/PluginToChromiumBridge.h"
#include "engine/EngineCallbacks.h"
#include "text/JsonWriter.h"
#include "webview/Plugin.h"

namespace {

// About the length of the command's text, so that it is written with one
// allocation: the texts as they are, and room for the names, the numbers
// and the punctuation.  A text that needs escapes grows the string once more.
size_t expectedLength(const rapidjson::Value& value) {
    if (value.IsString()) return value.GetStringLength() + 2;
    if (value.IsObject()) {
        size_t length = 2;
        for (const auto& member : value.GetObject())
            length += member.name.GetStringLength() + 4 + expectedLength(member.value);
        return length;
    }
    if (value.IsArray()) {
        size_t length = 2;
        for (const auto& element : value.GetArray()) length += expectedLength(element) + 1;
        return length;
    }
    return 24;  // a number, true, false or null
}

}  // namespace

std::string serializeCommand(const rapidjson::Document& command) {
    std::string text;
    text.reserve(expectedLength(command));
    StringOutput output(text);
    BasicJsonWriter<StringOutput> writer(output);
    // The writer stops at a number JSON cannot hold (NaN, infinity); half a
    // command must never reach the browser process.
    if (!command.Accept(writer)) {
        const auto type = command.FindMember("type");
        logError("[ChromiumWebViewProxy] A command holds a number that JSON cannot carry and is not sent; type " +
                 std::to_string(type != command.MemberEnd() && type->value.IsInt() ? type->value.GetInt() : -1));
        return {};
    }
    return text;
}

void sendCommand(const rapidjson::Document& command) {
    std::string text = serializeCommand(command);
    if (text.empty()) return;
    if (const auto bridge = bridgeInstance()) bridge->sendMessage(std::move(text));
}

void sendCommandStartingBrowser(const rapidjson::Document& command) {
    std::string text = serializeCommand(command);
    if (text.empty()) return;
    std::shared_ptr<PluginToChromiumBridge> created;
    bool droppedDuringReset = false;
    const std::shared_ptr<PluginToChromiumBridge> bridge = bridgeInstanceOrNew(created, droppedDuringReset);
    if (droppedDuringReset) {
        // Sent from an engine callback on one of the bridge's own threads
        // while the plug-in resets: that thread cannot wait for the reset.
        const auto type = command.FindMember("type");
        logError("[ChromiumWebViewProxy] A command sent while the plug-in resets was dropped; type " +
                 std::to_string(type != command.MemberEnd() && type->value.IsInt() ? type->value.GetInt() : -1));
        return;
    }
    if (!bridge) return;
    // Held back in the new bridge before its threads start.
    bridge->sendMessage(std::move(text));
    if (created) startNewBridge(created);
}
