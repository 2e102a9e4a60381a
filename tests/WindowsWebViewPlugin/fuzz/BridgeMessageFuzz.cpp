// libFuzzer target: any text the browser process may send goes through
// handleBridgeMessage, and any webview message text through splitMessage.
// The recording callbacks check that the engine is only ever handed valid
// texts, and only for what the text asked for.
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <string>

#include "exports/Exports.h"
#include "webview/ChromiumWebViewProxy.h"
#include "webview/WebViewMessages.h"

namespace {

void check(bool condition) {
    if (!condition) std::abort();
}

void checkText(const char* text) {
    check(text != nullptr);
    (void)std::strlen(text);
}

void WEBVIEW_STDCALL onTerminated() {}
void WEBVIEW_STDCALL onLog(const char* text) { checkText(text); }
void WEBVIEW_STDCALL onMessage(const char* id, const char* type, const char* data) {
    checkText(id);
    checkText(type);
    checkText(data);
    check(std::strcmp(id, "v") == 0);  // the only registered webview
    check(type[0] != '\0');
    check(std::strcmp(type, "ResizeFinished") != 0);  // never forwarded
}
void WEBVIEW_STDCALL onCookies(const char* id, const char* cookies) {
    checkText(id);
    checkText(cookies);
}
void WEBVIEW_STDCALL onBool(const char* id, int success) {
    checkText(id);
    check(success == 0 || success == 1);
}

void* record = nullptr;

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    if (!record) {
        WebView_initializePlugin(onTerminated, onLog, onLog, onLog, onMessage, onCookies, onBool);
        record = WebView_new("v", 10, 10, 1.0f, "");
    }
    const std::string text(reinterpret_cast<const char*>(data), size);
    handleBridgeMessage(text);

    const auto [type, rest] = splitMessage(text);
    check(type.find(',') == std::string::npos);
    if (!type.empty()) {
        // The data is exactly what follows the type and its comma.
        const size_t at = text.find(type);
        check(at != std::string::npos);
        check(text.find_first_not_of(',') == at);
        const size_t after = at + type.size();
        check(after == text.size() ? rest.empty() : text.substr(after + 1) == rest);
    } else {
        check(rest.empty());
    }
    return 0;
}
