#pragma once
// Process-wide state of the plug-in: the bridge instance, its host, the
// reset and the termination watchdog.  The two ways of handing a command to
// the bridge are in CommandSending.h.
#include <atomic>
#include <chrono>
#include <functional>
#include <memory>
#include <string>


class BridgeHost;
class PluginToChromiumBridge;
struct BrowserOptions;

// Constructs the one bridge of the process without starting anything: it
// runs under the plug-in's lock, so it writes no log line.  The bridge's
// start() then runs outside the lock.  The DLL installs the Windows bridge;
// native tests install their own bridge over a recording transport.
using BridgeFactory = std::shared_ptr<PluginToChromiumBridge> (*)(BridgeHost& host);
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

void setTerminationWatchdogDelay(std::chrono::milliseconds delay);  // tests only

// Tests only: the one reset a test fixture needs between tests.  A quiet
// resetPlugin, then every process-wide seam a test may change back to what the
// DLL starts with: the platform's bridge factory, the termination watchdog's
// delay, the bridge's start-up limit and GraphicsManager's texture operations.  The engine's callbacks
// stay (WebView_initializePlugin sets them), as do the Windows launch calls,
// which live in the Windows edge below this layer's reach.
void restorePluginDefaults();

// The plug-in's host for its bridges (BridgeHost.h).
BridgeHost& bridgeHost();

// Runs `store` on the process-wide browser options unless a bridge instance
// exists; false when one does.  The instance is created and cleared under the
// same lock, so a setter that succeeds always reaches the next command line.
bool setBrowserOptionsWhileStopped(const std::function<void(BrowserOptions&)>& store);

// For sendCommandStartingBrowser: the bridge instance, or a new one made
// (not yet started) and stored as the instance, which `created` then names
// as well; null when this platform has no bridge (after a non-quiet reset),
// or, with `droppedDuringReset` set, when a bridge thread sends while a
// reset runs (it cannot wait for the reset, which waits for it).
std::shared_ptr<PluginToChromiumBridge> bridgeInstanceOrNew(std::shared_ptr<PluginToChromiumBridge>& created,
                                                            bool& droppedDuringReset);
// Starts a new bridge's threads outside every lock; a bridge that cannot
// start resets the plug-in.
void startNewBridge(const std::shared_ptr<PluginToChromiumBridge>& bridge);
