// Skin markup through the whole builder and what a window then does with the
// tree: layout at the skin's size, hit tests, mouse presses and painting.
// Whatever the bytes: no crash, no overflow, no unbounded recursion, no leak.
#include <cstddef>
#include <cstdint>
#include <string_view>

#include "core/ControlTree.h"
#include "core/DialogBuilder.h"
#include "core/HitTest.h"

namespace {

struct NullHost : IControlHost {
    void Invalidate(const UIRect& rect) override { Measure(rect); }
    void NeedUpdate() override {}
    void SendNotify(CControlUI*, const wchar_t*, uintptr_t, intptr_t) override {}
    static void Measure(const UIRect& rect)
    {
        volatile int extent = rect.Width() + rect.Height() / 2;
        (void)extent;
    }
};

// Measures what it is asked to draw, as the drawing engine would.
struct NullTarget : IRenderTarget {
    void FillColor(const UIRect& rect, uint32_t) override { NullHost::Measure(rect); }
    void DrawPicture(const UIRect& dest, const PictureRef& picture, const UIRect& clip) override
    {
        NullHost::Measure(dest);
        NullHost::Measure(clip);
        NullHost::Measure(picture.corner);
    }
    void DrawText(const UIRect& rect, const std::wstring&, int, uint32_t, TextAlign, TextVAlign) override
    {
        NullHost::Measure(rect);
    }
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
    const SkinWindow& window = skin.window;
    const UIRect client{0, 0, window.size.cx, window.size.cy};
    tree.Layout(client);
    const UIPoint points[] = {{10, 10},
                              {window.size.cx / 2, window.size.cy / 2},
                              {window.size.cx - 1, window.size.cy - 1},
                              {window.caption.left, window.caption.bottom - 1},
                              {-1, -1}};
    for (const UIPoint& point : points) {
        CControlUI* under = tree.FindControlAt(point);
        DecideHitArea(point, window.size, window.sizebox, window.caption, false, under);
        DecideHitArea(point, window.size, window.sizebox, window.caption, true, under);
        tree.OnMouseMove(point);
        tree.OnButtonDown(point);
        tree.OnButtonUp(point);
    }
    tree.OnMouseLeave();
    NullTarget target;
    tree.Paint(target, client);
    return 0;
}
