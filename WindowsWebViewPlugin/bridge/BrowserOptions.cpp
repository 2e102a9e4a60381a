#include "bridge/BrowserOptions.h"

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

std::vector<std::string> browserSwitches(const BrowserOptions& options, bool quote) {
    const auto quoted = [quote](const std::string& element) { return quote ? "\"" + element + "\"" : element; };
    static const std::string targetFrameRateKey = "target-frame-rate";
    static const std::string cachePathKey = "cache-path";

    std::vector<std::string> arguments;
    arguments.push_back("--log-severity=" + options.logSeverity);
    if (options.targetFrameRate != 60)
        arguments.push_back("--" + targetFrameRateKey + "=" + std::to_string(options.targetFrameRate));
    if (options.autoplayEnabled) arguments.push_back("--autoplay-policy=no-user-gesture-required");
    if (!options.cachePath.empty()) arguments.push_back(quoted("--" + cachePathKey + "=" + options.cachePath));
    if (options.cameraAndMicrophoneEnabled) arguments.push_back("--enable-media-stream");
    if (!options.userAgent.empty()) arguments.push_back(quoted("--user-agent=" + options.userAgent));
    if (options.remoteDebuggingPort != 0)
        arguments.push_back("--remote-debugging-port=" + std::to_string(options.remoteDebuggingPort));
    if (options.screenSharingEnabled)
        arguments.push_back("--enable-media-stream --use-fake-ui-for-media-stream");
    if (options.ignoreCertificateErrors) arguments.push_back("--ignore-certificate-errors");
    if (!options.commandLineArguments.empty()) arguments.push_back(options.commandLineArguments);
    return arguments;
}
