#pragma once
// Incoming texts from the browser process, other than the built-in ones.
#include <string>
#include <utility>

// The deepest nesting of arrays and objects that an incoming text may have;
// a deeper one is an unrecognized message.
constexpr int kMaxIncomingDepth = 64;

// The pipe server thread: decodes one text and calls the engine (a result
// callback, or the webview's record).
void handleBridgeMessage(const std::string& text);

// Message type and data of a webview message text: leading commas are passed
// over, the type runs to the next comma, the data is everything after it.
std::pair<std::string, std::string> splitMessage(const std::string& text);
