#pragma once
// Process-wide state of the plug-in: the bridge instance, the reset, the
// termination watchdog and the two ways of handing a command to the bridge.
#include <chrono>
#include <memory>
#include <string>

#include <rapidjson/document.h>

class PluginToChromiumBridge;

// Creates the one bridge of the process, or returns null after logging why it
// could not.  The DLL installs the Windows bridge; native tests install their
// own bridge over a recording transport.
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

// Marks a termination as pending and arms a fresh watchdog that resets the
// plug-in after `delay` unless a reset happens first.
void startTerminationWatchdog();
void setTerminationWatchdogDelay(std::chrono::milliseconds delay);  // tests only

// The compact text of a command; empty (after logging why) when it holds a
// number that JSON cannot carry.  The senders drop an empty text.
std::string serializeCommand(const rapidjson::Document& command);
void sendCommand(const rapidjson::Document& command);
void sendCommandStartingBrowser(const rapidjson::Document& command);
