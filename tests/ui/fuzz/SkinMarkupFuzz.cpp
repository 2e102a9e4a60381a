// Skin markup through the whole builder: whatever the bytes, no crash, no
// unbounded recursion, no leak.
#include <cstddef>
#include <cstdint>
#include <string_view>

#include "core/ControlTree.h"
#include "core/DialogBuilder.h"

namespace {
struct NullHost : IControlHost {
    void Invalidate(const UIRect&) override {}
    void NeedUpdate() override {}
    void SendNotify(CControlUI*, const wchar_t*, uintptr_t, intptr_t) override {}
};
}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    BuiltSkin skin;
    if (!BuildSkin(std::string_view(reinterpret_cast<const char*>(data), size), nullptr, skin))
        return 0;
    NullHost host;
    CControlTree tree;
    tree.SetRoot(std::move(skin.root), &host);
    tree.Layout(UIRect{0, 0, skin.window.size.cx % 4096, skin.window.size.cy % 4096});
    tree.FindControlAt(UIPoint{10, 10});
    return 0;
}
