#include "engine/EngineCallbacks.h"

#include "text/Utf.h"

EngineCallbacks& engineCallbacks() {
    static EngineCallbacks callbacks;
    return callbacks;
}

namespace {

void logTo(std::atomic<LogCallback>& slot, const std::string& text) {
    const LogCallback callback = slot.load();
    if (!callback) return;
    // The round trip through UTF-16 turns every invalid sequence into U+FFFD,
    // so the engine only ever sees valid UTF-8.
    const std::string line = sanitizeUtf8(text);
    callback(line.c_str());
}

}  // namespace

void logInfo(const std::string& text) { logTo(engineCallbacks().logInfo, text); }
void logWarning(const std::string& text) { logTo(engineCallbacks().logWarning, text); }
void logError(const std::string& text) { logTo(engineCallbacks().logError, text); }
