#pragma once
// What the bridge needs from the plug-in around it, passed in when the
// bridge is made, so that the bridge reaches neither the exports, the
// registry nor the dispatch of incoming messages by name.  The plug-in's one
// host lives as long as the process.
#include <atomic>
#include <memory>
#include <string>

class PluginToChromiumBridge;

class BridgeHost {
public:
    virtual ~BridgeHost() = default;

    // The pipe server thread: an incoming text that is not one of the
    // built-in ones.
    virtual void handleIncomingText(const std::string& text) = 0;

    // "TerminateProcessFinished" arrived, the reader ended, the browser
    // process could not be started or did not report itself ready in time:
    // reset the plug-in non-quietly, while `bridge` is still the instance.
    // May destroy `bridge`.
    virtual void terminationFinished(const PluginToChromiumBridge* bridge) = 0;

    // The bridge instance now (the heartbeat writes to whichever it is).
    virtual std::shared_ptr<PluginToChromiumBridge> currentBridge() = 0;

    // The termination watchdog.  beginTermination runs before command 47 is
    // queued: it empties the registry and, while `bridge` is the instance and
    // no reset is under way, marks the termination pending and makes a fresh
    // watchdog token current; otherwise it returns null (the reset that
    // runs ends the browser process, and must leave no watchdog behind).
    // startTerminationWatchdog then runs the watchdog with that token.
    virtual std::shared_ptr<std::atomic<bool>> beginTermination(const PluginToChromiumBridge* bridge) = 0;
    virtual void startTerminationWatchdog(std::shared_ptr<std::atomic<bool>> token) = 0;

    // A thread of the bridge's own (pipe server, launcher, writer) says so
    // once at its start: a reset that waits for it is never waited for by it.
    virtual void markBridgeThread() = 0;
};
