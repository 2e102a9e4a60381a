#include "bridge/MultiPartMessage.h"

#include <rapidjson/document.h>
#include <rapidjson/stringbuffer.h>
#include <rapidjson/writer.h>

#include "text/JsonWriter.h"
#include "text/Utf.h"

namespace {

constexpr size_t kCuttingBudget = kMaxPipeMessageBytes - 1 - (sizeof(kMultiPartPrefix) - 1);
constexpr int kPlaceholder = 2147483647;

struct PacketObject {
    rapidjson::Document document;

    explicit PacketObject(const std::string& messageId) {
        document.SetObject();
        auto& allocator = document.GetAllocator();
        document.AddMember("messageId", rapidjson::Value(messageId.c_str(), allocator), allocator);
        document.AddMember("numberOfPackets", kPlaceholder, allocator);
        document.AddMember("packetNumber", kPlaceholder, allocator);
        document.AddMember("data", rapidjson::Value(rapidjson::kStringType), allocator);
    }

    void setData(const char* data, size_t length) {
        // Not copied: the text outlives every serialisation made with it.
        document["data"].SetString(rapidjson::StringRef(data, length));
    }

    // The packet, prefix included, written over what `buffer` held.
    std::string_view packetIn(rapidjson::StringBuffer& buffer) const {
        buffer.Clear();
        for (const char* c = kMultiPartPrefix; *c; ++c) buffer.Put(*c);
        JsonWriter writer(buffer);
        document.Accept(writer);
        return {buffer.GetString(), buffer.GetSize()};
    }

    std::string packet() const {
        rapidjson::StringBuffer buffer;
        return std::string(packetIn(buffer));
    }
};

bool isContinuationByte(char c) { return (static_cast<unsigned char>(c) & 0xC0) == 0x80; }

// Moves a cut at `end` back to the start of the UTF-8 sequence it would split.
size_t characterBoundary(const std::string& text, size_t begin, size_t end) {
    if (end >= text.size()) return end;
    size_t cut = end;
    for (int step = 0; step < 3 && cut > begin && isContinuationByte(text[cut]); ++step) --cut;
    // Bytes that are not UTF-8 at all have no boundary to respect.
    return cut > begin && !isContinuationByte(text[cut]) ? cut : end;
}

}  // namespace

void forEachMultiPartPacket(uint64_t messageId, const std::string& text,
                            const std::function<bool(std::string_view)>& packet) {
    PacketObject object(std::to_string(messageId));

    // The size test is made on the complete packet, prefix included, with
    // the two placeholders, which are at least as long as any real packet
    // number: a packet that passes it also fits once the numbers are set.
    std::vector<std::pair<size_t, size_t>> chunks;  // offset, length
    object.setData("", 0);
    const size_t overheadUnits = utf16Length(object.packet());
    const auto fits = [](size_t units) { return units * 2 + 2 <= kMaxPipeMessageBytes; };
    const std::string_view view(text);
    size_t offset = 0;
    while (offset < text.size()) {
        // The lengths the shrinking limit allows, largest first.
        std::vector<size_t> candidates;
        size_t limit = kCuttingBudget;
        for (;;) {
            limit = static_cast<size_t>(static_cast<double>(limit) * 0.75);
            if (limit == 0) limit = 1;
            const size_t length =
                characterBoundary(text, offset, offset + std::min(limit, text.size() - offset)) - offset;
            if (candidates.empty() || length < candidates.back()) candidates.push_back(length);
            if (length <= 1 || limit == 1) break;
        }
        // The first candidate whose packet fits is the largest that fits,
        // because a longer prefix never escapes to fewer units.  The packet's
        // size is counted, not serialised: the escaped data in UTF-16 units
        // plus the rest of the packet, which does not change with the data.
        // Counting from the smallest candidate up reads each byte once.
        size_t chosen = candidates.back();
        size_t units = overheadUnits;
        size_t counted = 0;
        for (auto candidate = candidates.rbegin(); candidate != candidates.rend(); ++candidate) {
            units += jsonStringUtf16Length(view.substr(offset + counted, *candidate - counted));
            counted = *candidate;
            if (!fits(units)) break;
            chosen = *candidate;
        }
        chunks.emplace_back(offset, chosen);
        offset += chosen;
    }

    rapidjson::StringBuffer buffer;
    object.document["numberOfPackets"].SetUint(static_cast<unsigned>(chunks.size()));
    for (size_t i = 0; i < chunks.size(); ++i) {
        object.document["packetNumber"].SetUint(static_cast<unsigned>(i + 1));
        object.setData(text.data() + chunks[i].first, chunks[i].second);
        if (!packet(object.packetIn(buffer))) return;
    }
}

std::vector<std::string> buildMultiPartPackets(uint64_t messageId, const std::string& text) {
    std::vector<std::string> packets;
    forEachMultiPartPacket(messageId, text, [&](std::string_view packet) {
        packets.emplace_back(packet);
        return true;
    });
    return packets;
}
