// Skins whose numbers are as large as a number in the markup can be: the
// reader holds coordinates and sizes within kMaxCoordinate, and nothing the
// layout or the hit test adds up from them overflows.  Run under
// UndefinedBehaviorSanitizer, an overflow ends the test.
#include <gtest/gtest.h>

#include <climits>
#include <string>
#include <vector>

#include "SkinFixture.h"
#include "core/Container.h"
#include "core/ControlTree.h"
#include "core/HitTest.h"
#include "core/Label.h"

namespace {

constexpr int kMax = kMaxCoordinate;

::testing::AssertionResult SameRect(const UIRect& expected, const UIRect& actual)
{
    if (expected == actual)
        return ::testing::AssertionSuccess();
    return ::testing::AssertionFailure() << "expected {" << expected.left << "," << expected.top << ","
                                         << expected.right << "," << expected.bottom << "}, got {" << actual.left
                                         << "," << actual.top << "," << actual.right << "," << actual.bottom << "}";
}

}  // namespace

TEST(HostileSkin, PositionsAndSizesAreHeldInRangeWhenRead)
{
    struct Case {
        const char* name;
        const char* value;
        UIPoint xy;
        int width, height;
    } const cases[] = {
        {"pos", "-1,0,2147483647,0", {kMax, 0}, kMax, 0},  // r - l overflowed
        {"pos", "-2147483648,-2147483648,2147483647,2147483647", {kMax, kMax}, kMax, kMax},
        {"pos", "2147483647,2147483647,-2147483648,-2147483648", {kMax, kMax}, -kMax, -kMax},
        {"pos", "0,0,99999,100001", {0, 0}, 99999, kMax},
        {"pos", "-100000,0,100000,0", {kMax, 0}, kMax, 0},  // 200000 wide, held
        {"width", "2147483647", {0, 0}, kMax, 0},
        {"width", "-2147483648", {0, 0}, -kMax, 0},
        {"height", "2000000000", {0, 0}, 0, kMax},
    };
    for (const Case& c : cases) {
        CControlUI control;
        control.SetAttribute(c.name, c.value);
        EXPECT_EQ(c.xy.x, control.GetFixedXY().x) << c.name << "=" << c.value;
        EXPECT_EQ(c.xy.y, control.GetFixedXY().y) << c.name << "=" << c.value;
        EXPECT_EQ(c.width, control.GetFixedWidth()) << c.name << "=" << c.value;
        EXPECT_EQ(c.height, control.GetFixedHeight()) << c.name << "=" << c.value;
    }
    // The same holds for a size set by the window's own code.
    CControlUI control;
    control.SetFixedXY(UIPoint{INT_MIN, INT_MAX});
    control.SetFixedWidth(INT_MAX);
    control.SetFixedHeight(INT_MIN);
    EXPECT_EQ(-kMax, control.GetFixedXY().x);
    EXPECT_EQ(kMax, control.GetFixedXY().y);
    EXPECT_EQ(kMax, control.GetFixedWidth());
    EXPECT_EQ(-kMax, control.GetFixedHeight());
}

TEST(HostileSkin, LayoutOfHugeChildrenStaysInRange)
{
    struct Case {
        const char* markup;  // the root's children
        std::vector<UIRect> expected;
    } const cases[] = {
        // Two fixed heights whose sum overflowed, then a child left no room.
        {"<VerticalLayout><Control height=\"2000000000\"/><Control height=\"2000000000\"/><Control/></VerticalLayout>",
         {{0, 0, 960, kMax}, {0, kMax, 960, kMax}, {0, kMax, 960, kMax}}},
        {"<HorizontalLayout><Control width=\"2000000000\"/><Control width=\"2000000000\"/></HorizontalLayout>",
         {{0, 0, kMax, 620}, {kMax, 0, kMax, 620}}},
        // A float whose size, added to its parent's corner, overflowed.
        {"<VerticalLayout><Control height=\"10\"/>"
         "<Container><Label float=\"true\" pos=\"0,0,2147483647,2147483647\"/></Container></VerticalLayout>",
         {{0, 0, 960, 10}, {0, 10, 960, 620}}},
        {"<VerticalLayout><Label float=\"true\" pos=\"-2147483648,0,-2147483648,2147483647\"/></VerticalLayout>",
         {{-kMax, kMax, -kMax, kMax}}},
    };
    for (const Case& c : cases) {
        BuiltSkin skin;
        ASSERT_TRUE(BuildSkin(std::string("<Window>") + c.markup + "</Window>", nullptr, skin)) << c.markup;
        RecordingHost host;
        CControlTree tree;
        tree.SetRoot(std::move(skin.root), &host);
        tree.Layout(UIRect{0, 0, 960, 620});
        auto* root = dynamic_cast<CContainerUI*>(tree.GetRoot());
        ASSERT_EQ(static_cast<int>(c.expected.size()), root->GetCount()) << c.markup;
        for (int i = 0; i < root->GetCount(); ++i)
            EXPECT_TRUE(SameRect(c.expected[static_cast<size_t>(i)], root->GetItemAt(i)->GetPos()))
                << c.markup << " child " << i;
        // The float inside the second child of the third case.
        if (auto* box = dynamic_cast<CContainerUI*>(root->GetItemAt(root->GetCount() - 1)); box && box->GetCount()) {
            EXPECT_TRUE(SameRect(UIRect{0, 10, kMax, kMax}, box->GetItemAt(0)->GetPos())) << c.markup;
        }
        EXPECT_NE(nullptr, tree.FindControlAt(UIPoint{500, 300}));
    }
}

TEST(HostileSkin, ManyFixedSizesAddUpWithoutOverflow)
{
    // 25 000 children of the largest height: 2.5e9 pixels in all.
    std::string markup = "<Window><VerticalLayout>";
    for (int i = 0; i < 25000; ++i)
        markup += "<Control height=\"100000\"/>";
    markup += "<Control/></VerticalLayout></Window>";
    BuiltSkin skin;
    ASSERT_TRUE(BuildSkin(markup, nullptr, skin));
    CControlTree tree;
    RecordingHost host;
    tree.SetRoot(std::move(skin.root), &host);
    tree.Layout(UIRect{0, 0, 960, 620});
    auto* root = dynamic_cast<CContainerUI*>(tree.GetRoot());
    EXPECT_TRUE(SameRect(UIRect{0, 0, 960, kMax}, root->GetItemAt(0)->GetPos()));
    EXPECT_TRUE(SameRect(UIRect{0, kMax, 960, kMax}, root->GetItemAt(25000)->GetPos()));
}

TEST(HostileSkin, WindowAttributesAreHeldInRange)
{
    BuiltSkin skin;
    ASSERT_TRUE(BuildSkin("<Window size=\"2147483647,-2147483648\" sizebox=\"-2147483648,0,2147483647,5\""
                          " caption=\"0,0,-2147483648,2147483647\" mininfo=\"2147483647,1\" maxinfo=\"1,2147483647\""
                          " roundcorner=\"2147483647,2147483647\" shadowcorner=\"2147483647,1,2,-2147483648\""
                          " shadowimage=\"file='shadow.png' corner='2147483647,0,0,0'\">"
                          "<Font name=\"f\" size=\"2147483647\"/></Window>",
                          nullptr, skin));
    EXPECT_EQ(kMax, skin.window.size.cx);
    EXPECT_EQ(-kMax, skin.window.size.cy);
    EXPECT_TRUE(SameRect(UIRect{-kMax, 0, kMax, 5}, skin.window.sizebox));
    EXPECT_TRUE(SameRect(UIRect{0, 0, -kMax, kMax}, skin.window.caption));
    EXPECT_EQ(kMax, skin.window.minInfo.cx);
    EXPECT_EQ(kMax, skin.window.maxInfo.cy);
    EXPECT_EQ(kMax, skin.window.roundCorner.cx);
    EXPECT_TRUE(SameRect(UIRect{kMax, 1, 2, -kMax}, skin.window.shadowCorner));
    EXPECT_EQ(kMax, skin.window.shadowImage.corner.left);
    ASSERT_EQ(1u, skin.fonts.size());
    EXPECT_EQ(kMax, skin.fonts[0].size);
}

TEST(HostileSkin, HitTestAndExtentsCannotOverflow)
{
    // The window's code may hand in any numbers, not only what a skin gives.
    CLabelUI label;
    struct Case {
        UIPoint point;
        UISize client;
        UIRect sizebox, caption;
        HitArea expected;
    } const cases[] = {
        {{100, 100}, {960, 620}, {0, 0, INT_MIN, INT_MIN}, {0, 0, INT_MIN, INT_MAX}, HitArea::Caption},
        {{100, 100}, {INT_MAX, INT_MAX}, {0, 0, -1, -1}, {0, 0, -1, 0}, HitArea::Client},
        {{INT_MAX, 5}, {INT_MIN, 620}, {0, 0, INT_MAX, 0}, {0, 0, 0, 0}, HitArea::Right},
        {{5, 5}, {960, 620}, {INT_MAX, INT_MAX, INT_MAX, INT_MAX}, {}, HitArea::TopLeft},
    };
    for (const Case& c : cases)
        EXPECT_EQ(c.expected, DecideHitArea(c.point, c.client, c.sizebox, c.caption, false, &label))
            << c.point.x << "," << c.point.y;

    struct Extent {
        UIRect rect;
        int width, height;
    } const extents[] = {
        {{INT_MIN, INT_MIN, INT_MAX, INT_MAX}, INT_MAX, INT_MAX},
        {{INT_MAX, INT_MAX, INT_MIN, INT_MIN}, INT_MIN, INT_MIN},
        {{-5, 10, 5, 4}, 10, -6},
    };
    for (const Extent& e : extents) {
        EXPECT_EQ(e.width, e.rect.Width()) << e.rect.left << ".." << e.rect.right;
        EXPECT_EQ(e.height, e.rect.Height()) << e.rect.top << ".." << e.rect.bottom;
    }
}
