#pragma once
// Cutting a bridge message that is too long for one pipe message into
// "MultiPartMessage" packets.
#include <cstdint>
#include <functional>
#include <string>
#include <string_view>
#include <vector>

constexpr size_t kMaxPipeMessageBytes = 1048576;  // terminator included
constexpr char kMultiPartPrefix[] = "MultiPartMessage";

// Every packet of message `messageId`, prefix included, in packet order.
// Each packet's UTF-16 form with its terminator fits kMaxPipeMessageBytes,
// and every cut falls on a UTF-8 character boundary, so each packet's data is
// valid on its own.  Joining the "data" members gives `text` byte for byte.
std::vector<std::string> buildMultiPartPackets(uint64_t messageId, const std::string& text);

// The same packets handed to `packet` one at a time, in packet order, each
// built in one buffer that is reused for the next; the view is valid only
// during the call.  Stops early when `packet` returns false.
void forEachMultiPartPacket(uint64_t messageId, const std::string& text,
                            const std::function<bool(std::string_view)>& packet);
