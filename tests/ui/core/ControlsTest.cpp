#include <gtest/gtest.h>

#include <memory>

#include "SkinFixture.h"
#include "core/Container.h"
#include "core/ControlTree.h"
#include "core/Label.h"

namespace {

struct RecordingTarget : IRenderTarget {
    struct Picture {
        UIRect dest;
        std::string file;
        UIRect clip;
    };
    void FillColor(const UIRect&, uint32_t) override {}
    void DrawPicture(const UIRect& dest, const PictureRef& picture, const UIRect& clip) override
    {
        pictures.push_back({dest, picture.file, clip});
    }
    void DrawText(const UIRect&, const std::wstring& text, int, uint32_t, TextAlign, TextVAlign) override
    {
        texts.push_back(text);
    }
    std::vector<Picture> pictures;
    std::vector<std::wstring> texts;
};

std::unique_ptr<CProgressUI> Bar(int min, int max, int value)
{
    auto bar = std::make_unique<CProgressUI>();
    bar->SetAttribute("bkimage", "file='gprogress_bk.png' corner='3,3,3,3'");
    bar->SetAttribute("foreimage", "file='gprogress_fore.png' corner='3,3,3,3'");
    bar->SetMinValue(min);
    bar->SetMaxValue(max);
    bar->SetAttribute("value", std::to_string(value));
    bar->SetPos(UIRect{320, 320, 850, 333});
    return bar;
}

}  // namespace

TEST(Progress, SetValueRules)
{
    struct Case {
        int min, max, start, set, expected;
    } const cases[] = {
        {0, 100, 60, 100, 100},
        {0, 100, 60, 60, 60},    // equal: ignored
        {0, 100, 60, 101, 60},   // outside: ignored
        {0, 100, 60, -1, 60},
        {0, 100, 60, 0, 0},
        {10, 10, 10, 11, 10},    // max not above min: nothing is in range but min
    };
    for (const Case& c : cases) {
        auto bar = Bar(c.min, c.max, c.start);
        bar->SetValue(c.set);
        EXPECT_EQ(c.expected, bar->GetValue()) << c.min << ".." << c.max << " " << c.start << "->" << c.set;
    }
}

TEST(Progress, ForePictureIsCutToTheValue)
{
    struct Case {
        int min, max, value, right;
    } const cases[] = {
        {0, 100, 50, 585},   // 530 pixels wide: the left half
        {0, 100, 0, 320},
        {0, 100, 100, 850},
        {0, 100, 250, 850},  // held within the range
        {0, 100, -5, 320},
        {5, 5, 5, 320},      // max raised to min + 1
        {5, 5, 9, 850},
        {-2147483647 - 1, 2147483647, 2147483647, 850},
    };
    for (const Case& c : cases) {
        auto bar = Bar(c.min, c.max, c.value);
        EXPECT_TRUE((bar->ForeRect() == UIRect{320, 320, c.right, 333})) << c.value << " -> " << bar->ForeRect().right;
    }
    auto half = Bar(0, 100, 50);
    RecordingTarget target;
    half->DoPaint(target, UIRect{0, 0, 960, 620});
    ASSERT_EQ(2u, target.pictures.size());
    EXPECT_EQ("gprogress_bk.png", target.pictures[0].file);
    EXPECT_EQ("gprogress_fore.png", target.pictures[1].file);
    // Laid over the whole bar, drawn only over the left half.
    EXPECT_TRUE((target.pictures[1].dest == UIRect{320, 320, 850, 333}));
    EXPECT_TRUE((target.pictures[1].clip == UIRect{320, 320, 585, 333}));
}

TEST(Controls, PositionAttributes)
{
    struct Case {
        const char* pos;
        UIPoint xy;
        int width, height;
    } const cases[] = {
        {"902,6,926,30", {902, 6}, 24, 24},
        {"320,320,0,0", {320, 320}, -320, -320},
        {"-10,5,20,30", {20, 30}, 30, 25},   // a negative l or t takes r, b as the position
        {"10,-5,20,30", {20, 30}, 10, 35},
    };
    for (const Case& c : cases) {
        CControlUI control;
        control.SetAttribute("pos", c.pos);
        EXPECT_EQ(c.xy.x, control.GetFixedXY().x) << c.pos;
        EXPECT_EQ(c.xy.y, control.GetFixedXY().y) << c.pos;
        EXPECT_EQ(c.width, control.GetFixedWidth()) << c.pos;
        EXPECT_EQ(c.height, control.GetFixedHeight()) << c.pos;
    }
    // A float with a size left negative takes no room rather than a reversed one.
    CVerticalLayoutUI parent;
    auto child = std::make_unique<CControlUI>();
    child->SetAttribute("float", "true");
    child->SetAttribute("pos", "320,320,0,0");
    CControlUI* placed = child.get();
    parent.Add(std::move(child));
    parent.SetPos(UIRect{10, 20, 970, 640});
    EXPECT_TRUE((placed->GetPos() == UIRect{330, 340, 330, 340}));
}

TEST(Controls, SharedHeightIsDividedAndNeverNegative)
{
    CVerticalLayoutUI column;
    CControlUI* parts[4];
    for (int i = 0; i < 4; ++i) {
        auto child = std::make_unique<CControlUI>();
        parts[i] = child.get();
        column.Add(std::move(child));
    }
    parts[0]->SetFixedHeight(10);
    column.SetPos(UIRect{0, 0, 100, 111});
    // 101 pixels for three: 33 each, the remainder left empty at the bottom.
    EXPECT_TRUE((parts[1]->GetPos() == UIRect{0, 10, 100, 43}));
    EXPECT_TRUE((parts[3]->GetPos() == UIRect{0, 76, 100, 109}));
    parts[0]->SetFixedHeight(500);
    column.SetPos(UIRect{0, 0, 100, 111});
    EXPECT_EQ(0, parts[2]->GetPos().Height());
    parts[2]->SetVisible(false);
    parts[0]->SetFixedHeight(0);
    column.SetPos(UIRect{0, 0, 100, 90});
    EXPECT_TRUE((parts[3]->GetPos() == UIRect{0, 60, 100, 90}));
}

TEST(Controls, ButtonClicksOnlyWhenReleasedOverIt)
{
    RecordingHost host;
    auto root = std::make_unique<CVerticalLayoutUI>();
    auto button = std::make_unique<CButtonUI>();
    button->SetAttribute("name", "btnOk");
    button->SetAttribute("float", "true");
    button->SetAttribute("pos", "10,10,50,30");
    CButtonUI* ok = button.get();
    root->Add(std::move(button));
    CControlTree tree;
    tree.SetRoot(std::move(root), &host);
    tree.Layout(UIRect{0, 0, 200, 100});

    tree.OnMouseMove({20, 20});
    EXPECT_TRUE(ok->IsHot());
    EXPECT_TRUE(tree.OnButtonDown({20, 20}));
    EXPECT_TRUE(ok->IsPushed());
    tree.OnButtonUp({20, 20});
    ASSERT_EQ(1u, host.notifications.size());
    EXPECT_EQ(L"click", host.notifications[0].type);
    EXPECT_EQ(ok, host.notifications[0].sender);

    // Pressed, dragged off and released elsewhere: no click.
    tree.OnButtonDown({20, 20});
    tree.OnMouseMove({150, 80});
    EXPECT_FALSE(ok->IsHot());
    tree.OnButtonUp({150, 80});
    EXPECT_EQ(1u, host.notifications.size());
    tree.OnMouseLeave();
    EXPECT_EQ(nullptr, tree.GetHot());

    // The picture follows the state.
    RecordingTarget target;
    ok->SetAttribute("normalimage", "n.png");
    ok->SetAttribute("hotimage", "h.png");
    tree.Paint(target, UIRect{0, 0, 200, 100});
    tree.OnMouseMove({20, 20});
    tree.Paint(target, UIRect{0, 0, 200, 100});
    ASSERT_EQ(2u, target.pictures.size());
    EXPECT_EQ("n.png", target.pictures[0].file);
    EXPECT_EQ("h.png", target.pictures[1].file);
}

TEST(Controls, SetTextRedrawsOnlyOnChange)
{
    RecordingHost host;
    CLabelUI label;
    label.SetHost(&host, nullptr);
    label.SetPos(UIRect{0, 0, 10, 10});
    const int before = host.invalidations;
    label.SetText(L"x");
    label.SetText(L"x");
    EXPECT_EQ(before + 1, host.invalidations);
}

TEST(Controls, UnknownTagsGoToTheCallbackAndBadSkinsAreRefused)
{
    PlaceholderCallback callback;
    BuiltSkin skin;
    ASSERT_TRUE(BuildSkin("<Window><VerticalLayout><IeBrowser name=\"ie\"/><Mystery/></VerticalLayout></Window>",
                          &callback, skin));
    ASSERT_EQ(2u, callback.tags.size());
    EXPECT_EQ(L"IeBrowser", callback.tags[0]);
    EXPECT_EQ(L"ie", dynamic_cast<CContainerUI*>(skin.root.get())->GetItemAt(0)->GetName());
    // Without a callback an unknown tag is left out.
    ASSERT_TRUE(BuildSkin("<Window><VerticalLayout><Mystery/></VerticalLayout></Window>", nullptr, skin));
    EXPECT_EQ(0, dynamic_cast<CContainerUI*>(skin.root.get())->GetCount());
    EXPECT_FALSE(BuildSkin("<Window><VerticalLayout></Window></VerticalLayout>", nullptr, skin));
    EXPECT_FALSE(BuildSkin("<Dialog/>", nullptr, skin));
}
