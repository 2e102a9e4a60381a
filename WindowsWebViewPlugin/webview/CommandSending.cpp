#include "webview/CommandSending.h"

#include <rapidjson/stringbuffer.h>
#include <rapidjson/writer.h>

#include <utility>

#include "bridge/PluginToChromiumBridge.h"
#include "engine/EngineCallbacks.h"
#include "text/JsonWriter.h"
#include "webview/Plugin.h"

std::string serializeCommand(const rapidjson::Document& command) {
    rapidjson::StringBuffer buffer;
    JsonWriter writer(buffer);
    // The writer stops at a number JSON cannot hold (NaN, infinity); half a
    // command must never reach the browser process.
    if (!command.Accept(writer)) {
        const auto type = command.FindMember("type");
        logError("[ChromiumWebViewProxy] A command holds a number that JSON cannot carry and is not sent; type " +
                 std::to_string(type != command.MemberEnd() && type->value.IsInt() ? type->value.GetInt() : -1));
        return {};
    }
    return std::string(buffer.GetString(), buffer.GetSize());
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
