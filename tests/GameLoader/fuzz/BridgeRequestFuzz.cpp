// The page's bridge requests are whatever a page sends: any bytes must give
// a command or none, without a crash, a leak or unbounded recursion, and
// nothing beyond the request limits is read.
#include <cstddef>
#include <cstdint>
#include <string>

#include "CIeBrowserUI/BridgeRequest.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    const std::string text(reinterpret_cast<const char*>(data), size);
    const BridgeCommand command = ReadBridgeCommand(text);
    if (command != BridgeCommand::None &&
        (text.find("funcation_name") == std::string::npos || !IsBridgeRequestWithinLimits(text)))
        __builtin_trap();
    return 0;
}
