#pragma once
// Process-wide state of the plug-in: the bridge instance, the reset, the
// termination watchdog and the two ways of handing a command to the bridge.
#include <atomic>
#include <chrono>
#include <functional>
#include <memory>
#include <string>

#include <rapidjson/document.h>

class PluginToChromiumBridge;
struct BrowserOptions;

// Constructs the one bridge of the process without starting anything: it
// runs under the plug-in's lock, so it writes no log line.  The bridge's
// start() then runs outside the lock.  The DLL installs the Windows bridge;
// native tests install their own bridge over a recording transport.
using BridgeFactory = std::shared_ptr<PluginToChromiumBridge> (*)();
void setBridgeFactory(BridgeFactory factory);

// The bridge instance, or null while no browser process has been started.
// Callers keep the returned reference only for the call they make on it, so
// the instance is freed once the last such call has returned.
std::shared_ptr<PluginToChromiumBridge> bridgeInstance();

// Returns every process-wide state to its initial value; a non-quiet reset
// tells the engine that no browser process runs any more.
void resetPlugin(bool quiet);

// A non-quiet reset made by a bridge about itself ("TerminateProcessFinished",
// a browser process that cannot be started): only while `bridge` is still
// the instance, so a reset that already happened is not repeated.
void resetPluginWhileInstance(const PluginToChromiumBridge* bridge);

// Step 1 of terminate: marks a termination as pending and makes a fresh
// watchdog token the current one, before command 47 can be written, so that
// a "TerminateProcessFinished" that arrives at once resets the plug-in once
// and disarms the watchdog.
std::shared_ptr<std::atomic<bool>> beginTermination();
// Starts the watchdog thread with that token: after the delay it resets the
// plug-in, unless a reset has happened first (which clears the token).
void startTerminationWatchdog(std::shared_ptr<std::atomic<bool>> token);
void setTerminationWatchdogDelay(std::chrono::milliseconds delay);  // tests only

// The bridge's own threads (pipe server, launcher, flush) mark themselves,
// so that a reset running elsewhere, which waits for them, is never waited
// for by them in turn.
void markBridgeThread();
bool isBridgeThread();

// Runs `store` on the process-wide browser options unless a bridge instance
// exists; false when one does.  The instance is created and cleared under the
// same lock, so a setter that succeeds always reaches the next command line.
bool setBrowserOptionsWhileStopped(const std::function<void(BrowserOptions&)>& store);

// The compact text of a command; empty (after logging why) when it holds a
// number that JSON cannot carry.  The senders drop an empty text.
std::string serializeCommand(const rapidjson::Document& command);
void sendCommand(const rapidjson::Document& command);
void sendCommandStartingBrowser(const rapidjson::Document& command);
