#include "webview/WebViewMessages.h"

#include <rapidjson/document.h>

#include "engine/EngineCallbacks.h"
#include "webview/ChromiumWebViewProxy.h"
#include "webview/WebViewRegistry.h"

namespace {

// A member that is present and a string; anything else leaves `out` alone.
bool readText(const rapidjson::Value& object, const char* name, std::string& out) {
    const auto member = object.FindMember(name);
    if (member == object.MemberEnd() || !member->value.IsString()) return false;
    out.assign(member->value.GetString(), member->value.GetStringLength());
    return true;
}

void reportUnrecognized(const std::string& text) {
    logError("[ChromiumWebViewProxy] Unrecognized bridge message: " + text);
}

// Whether the arrays and objects of `text` nest deeper than `limit`, counted
// outside strings.  A message of the browser process nests two levels; a text
// of half a million "[" would otherwise cost the parser that many levels.
bool nestsDeeperThan(const std::string& text, int limit) {
    int depth = 0;
    bool inString = false;
    for (size_t i = 0; i < text.size(); ++i) {
        const char c = text[i];
        if (inString) {
            if (c == '\\') ++i;
            else if (c == '"') inString = false;
        } else if (c == '"') {
            inString = true;
        } else if (c == '[' || c == '{') {
            if (++depth > limit) return true;
        } else if (c == ']' || c == '}') {
            --depth;
        }
    }
    return false;
}

}  // namespace

void handleBridgeMessage(const std::string& text) {
    rapidjson::Document document;
    // Too deep is reported like any text that is not a message.  The parser
    // runs iteratively as well, so no text can use up the reader's stack.
    if (nestsDeeperThan(text, kMaxIncomingDepth)) {
        reportUnrecognized(text);
        return;
    }
    document.Parse<rapidjson::kParseIterativeFlag>(text.data(), text.size());

    // Not JSON, or JSON that is not an object: no member can be read.
    if (document.HasParseError() || !document.IsObject()) {
        reportUnrecognized(text);
        return;
    }
    int type = 0;
    const auto typeMember = document.FindMember("type");
    if (typeMember != document.MemberEnd() && typeMember->value.IsInt()) type = typeMember->value.GetInt();

    // A message whose texts are missing or not strings is reported like an
    // unknown one rather than handed to the engine with made-up texts.
    std::string resultCallbackId;
    switch (type) {
        case CookiesResult: {
            std::string serializedCookies;
            if (!readText(document, "serializedCookies", serializedCookies) ||
                !readText(document, "resultCallbackId", resultCallbackId))
                break;
            if (const auto callback = engineCallbacks().cookiesResult.load())
                callback(resultCallbackId.c_str(), serializedCookies.c_str());
            return;
        }
        case SuccessResult: {
            if (!readText(document, "resultCallbackId", resultCallbackId)) break;
            const auto success = document.FindMember("success");
            const int value = success != document.MemberEnd() && success->value.IsTrue() ? 1 : 0;
            if (const auto callback = engineCallbacks().boolResult.load())
                callback(resultCallbackId.c_str(), value);
            return;
        }
        case WebViewMessage: {
            std::string webViewId;
            std::string message;
            if (!readText(document, "webViewId", webViewId)) break;
            const WebViewReference record = lookupWebView(webViewId);
            if (!record) return;
            if (!readText(document, "message", message)) break;
            auto [messageType, data] = splitMessage(message);
            if (messageType.empty()) break;  // empty or only commas: no type
            record->handleMessage(messageType, data);
            return;
        }
        default:
            break;
    }
    reportUnrecognized(text);
}

std::pair<std::string, std::string> splitMessage(const std::string& text) {
    const size_t start = text.find_first_not_of(',');
    if (start == std::string::npos) return {};
    const size_t comma = text.find(',', start);
    if (comma == std::string::npos) return {text.substr(start), std::string()};
    return {text.substr(start, comma - start), text.substr(comma + 1)};
}
