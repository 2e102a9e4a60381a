#include "bridge/PlatformBridge.h"

#include "bridge/PluginToChromiumBridge.h"

// Off Windows there is no browser process to start; tests install a bridge
// of their own with setBridgeFactory.
std::shared_ptr<PluginToChromiumBridge> createPlatformBridge(BridgeHost&) { return nullptr; }
