#pragma once
// Process-wide browser options.  They become switches of the browser
// process's command line and can change only while no browser process runs.
#include <cstdint>
#include <mutex>
#include <string>
#include <vector>

struct BrowserOptions {
    std::string logSeverity = "warning";
    uint64_t targetFrameRate = 60;
    bool autoplayEnabled = false;
    std::string cachePath;
    bool cameraAndMicrophoneEnabled = false;
    std::string userAgent;
    int32_t remoteDebuggingPort = 0;
    bool screenSharingEnabled = false;
    bool ignoreCertificateErrors = false;
    std::string commandLineArguments;
};

// Written by the setters on the engine's thread while no bridge instance
// exists, reset by whichever thread resets the plug-in (the pipe server or
// watchdog thread among them), read by the launcher thread: every access
// holds browserOptionsMutex().
BrowserOptions& browserOptions();
std::mutex& browserOptionsMutex();

// Elements 2 to 11 of the browser process's command line, in
// their order; `quote` wraps the cache path and user agent elements whole.
std::vector<std::string> browserSwitches(const BrowserOptions& options, bool quote);

std::string logSeverityForLevel(int32_t level);
std::string mobileUserAgent();
