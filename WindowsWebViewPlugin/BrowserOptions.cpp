#include "BrowserOptions.h"

BrowserOptions& browserOptions() {
    static BrowserOptions options;
    return options;
}

std::mutex& browserOptionsMutex() {
    static std::mutex mutex;
    return mutex;
}

std::string logSeverityForLevel(int32_t level) {
    switch (level) {
        case 0: return "verbose";
        case 1: return "info";
        case 2: return "warning";
        case 3: return "error";
        case 4: return "fatal";
        case 5: return "disable";
        default: return "warning";
    }
}

std::string mobileUserAgent() {
    const std::string version = std::to_string(100) + "." + std::to_string(0) + "." +
                                std::to_string(4896) + "." + std::to_string(127);
    return "Mozilla/5.0 (Linux; Android 8.0.0; SM-G950U) AppleWebKit/537.36 (KHTML, like Gecko) Chrome/" +
           version + " Mobile Safari/537.36";
}
