// The two skins laid out, looked up and hit-tested as their windows use them.
#include <gtest/gtest.h>

#include "SkinFixture.h"
#include "core/Container.h"
#include "core/ControlTree.h"
#include "core/HitTest.h"
#include "core/Label.h"

namespace {

class Skin : public ::testing::Test {
protected:
    void Build(const char* file)
    {
        const std::string markup = ReadSkin(file);
        ASSERT_FALSE(markup.empty()) << file;
        std::string error;
        ASSERT_TRUE(BuildSkin(markup, &callback, skin, &error)) << error;
        tree.SetRoot(std::move(skin.root), &host);
        tree.Layout(UIRect{0, 0, skin.window.size.cx, skin.window.size.cy});
    }
    UIRect Pos(const wchar_t* name) const
    {
        const CControlUI* control = tree.FindControl(name);
        return control ? control->GetPos() : UIRect{-1, -1, -1, -1};
    }

    RecordingHost host;
    PlaceholderCallback callback;
    BuiltSkin skin;
    CControlTree tree;
};

}  // namespace

TEST_F(Skin, MainWindowLayout)
{
    Build("GameLoader.xml");
    EXPECT_EQ(960, skin.window.size.cx);
    EXPECT_EQ(620, skin.window.size.cy);
    EXPECT_TRUE((skin.window.caption == UIRect{0, 0, 0, 340}));
    EXPECT_TRUE(skin.window.showShadow);
    EXPECT_EQ("shadow.png", skin.window.shadowImage.file);
    ASSERT_EQ(7u, skin.fonts.size());
    EXPECT_EQ(0, skin.defaultFont);
    EXPECT_TRUE(skin.fonts[1].underline);
    EXPECT_EQ(28, skin.fonts[6].size);
    ASSERT_EQ(1u, callback.tags.size());
    EXPECT_EQ(L"IeBrowser", callback.tags[0]);

    EXPECT_TRUE((Pos(L"verLayout") == UIRect{0, 0, 960, 620}));
    EXPECT_TRUE((Pos(L"wizardTab") == UIRect{0, 0, 960, 620}));
    EXPECT_TRUE((Pos(L"ie") == UIRect{0, 0, 960, 620}));
    // Page 1 is laid out only once it is selected.
    auto* tab = dynamic_cast<CTabLayoutUI*>(tree.FindControl(L"wizardTab"));
    ASSERT_NE(nullptr, tab);
    EXPECT_EQ(0, tab->GetCurSel());
    EXPECT_FALSE(tree.FindControl(L"vLayoutDownload")->IsVisible());
    ASSERT_TRUE(tab->SelectItem(1));
    tree.Layout(UIRect{0, 0, 960, 620});
    EXPECT_FALSE(tree.FindControl(L"ie")->IsVisible());
    EXPECT_TRUE((Pos(L"vLayoutDownload") == UIRect{0, 0, 960, 620}));
    EXPECT_TRUE((Pos(L"btnMin") == UIRect{902, 6, 926, 30}));
    EXPECT_TRUE((Pos(L"btnClose") == UIRect{928, 4, 956, 34}));
    // pos "320,320,0,0", then height 13 and width 530.
    EXPECT_TRUE((Pos(L"progress") == UIRect{320, 320, 850, 333}));
    EXPECT_TRUE((Pos(L"progTip") == UIRect{320, 332, 850, 352}));
    EXPECT_FALSE(tab->SelectItem(2));
    EXPECT_EQ(1, tab->GetCurSel());
}

TEST_F(Skin, MessageBoxRowsAndTheLaterLabelTip)
{
    Build("CustomMsgBox.xml");
    EXPECT_EQ(440, skin.window.size.cx);
    EXPECT_EQ(260, skin.window.size.cy);
    EXPECT_EQ(260, skin.window.caption.bottom);
    ASSERT_NE(nullptr, tree.FindControl(L"verOnlyTip"));
    EXPECT_TRUE((Pos(L"verOnlyTip") == UIRect{0, 134, 440, 162}));
    auto* root = dynamic_cast<CContainerUI*>(tree.FindControl(L"verLayout"));
    ASSERT_NE(nullptr, root);
    ASSERT_EQ(3, root->GetCount());
    EXPECT_TRUE((root->GetItemAt(0)->GetPos() == UIRect{0, 0, 440, 134}));
    EXPECT_TRUE((root->GetItemAt(2)->GetPos() == UIRect{0, 162, 440, 260}));
    // Two labels are named labelTip; the name yields the later one, the
    // middle row's 420-pixel text line between two 10-pixel spacers.
    auto* tip = dynamic_cast<CLabelUI*>(tree.FindControl(L"labelTip"));
    ASSERT_NE(nullptr, tip);
    EXPECT_TRUE((tip->GetPos() == UIRect{10, 134, 430, 162}));
    EXPECT_TRUE(tip->GetText().empty());
    EXPECT_EQ(TextAlign::Center, tip->GetTextAlign());
    auto* title = dynamic_cast<CLabelUI*>(dynamic_cast<CContainerUI*>(root->GetItemAt(0))->GetItemAt(0));
    ASSERT_NE(nullptr, title);
    EXPECT_EQ(std::wstring(L"\x63D0\x793A"), title->GetText());
    EXPECT_EQ(TextVAlign::Top, title->GetTextVAlign());
    EXPECT_TRUE((title->GetPos() == UIRect{14, 11, 114, 39}));
    EXPECT_TRUE((Pos(L"btnOk") == UIRect{172, 208, 268, 240}));
    EXPECT_EQ(0xFF008AFFu, dynamic_cast<CLabelUI*>(tree.FindControl(L"btnOk"))->GetTextColor());
}

TEST_F(Skin, HitTestOnTheDownloadPage)
{
    Build("GameLoader.xml");
    dynamic_cast<CTabLayoutUI*>(tree.FindControl(L"wizardTab"))->SelectItem(1);
    tree.Layout(UIRect{0, 0, 960, 620});
    const UISize client{960, 620};
    struct Case {
        UIPoint point;
        bool maximized;
        HitArea expected;
    } const cases[] = {
        {{100, 100}, false, HitArea::Caption},    // the page drags the window
        {{910, 18}, false, HitArea::Client},      // the minimise button does not
        {{940, 20}, false, HitArea::Client},      // nor the close button
        {{100, 400}, false, HitArea::Client},     // below the caption area
        {{2, 2}, false, HitArea::TopLeft},
        {{957, 2}, false, HitArea::TopRight},
        {{2, 617}, false, HitArea::BottomLeft},
        {{957, 617}, false, HitArea::BottomRight},
        {{400, 3}, false, HitArea::Top},
        {{400, 616}, false, HitArea::Bottom},
        {{3, 400}, false, HitArea::Left},
        {{956, 400}, false, HitArea::Right},
        {{2, 2}, true, HitArea::Caption},         // no resize borders when maximised
        {{400, 616}, true, HitArea::Client},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(c.expected, DecideHitArea(c.point, client, skin.window.sizebox, skin.window.caption, c.maximized,
                                            tree.FindControlAt(c.point)))
            << c.point.x << "," << c.point.y << (c.maximized ? " maximised" : "");
    }
    // No control under the point: client area even inside the caption.
    EXPECT_EQ(HitArea::Client, DecideHitArea({100, 100}, client, UIRect{}, skin.window.caption, false, nullptr));
    for (const wchar_t* exempt : {L"OptionUI", L"TextUI", L"SliderUI", L"RichEditUI", L"CheckBoxUI", L"EditUI",
                                  L"ScrollBarUI", L"ButtonUI"})
        EXPECT_TRUE(IsCaptionExemptClass(exempt)) << exempt;
    EXPECT_FALSE(IsCaptionExemptClass(L"LabelUI"));
}
