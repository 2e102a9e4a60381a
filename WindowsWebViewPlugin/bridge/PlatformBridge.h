#pragma once
// The bridge of this platform: the Windows bridge in the DLL, none natively
// (tests install their own with setBridgeFactory).  Constructs only; the
// caller starts it.
#include <memory>

class BridgeHost;
class PluginToChromiumBridge;

std::shared_ptr<PluginToChromiumBridge> createPlatformBridge(BridgeHost& host);
