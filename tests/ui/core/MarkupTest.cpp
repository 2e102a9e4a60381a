#include "core/Markup.h"

#include <gtest/gtest.h>

#include <string>

namespace {

std::string Nested(int depth)
{
    std::string text;
    for (int i = 0; i < depth; ++i)
        text += "<a>";
    for (int i = 0; i < depth; ++i)
        text += "</a>";
    return text;
}

}  // namespace

TEST(Markup, ReadsElementsAttributesAndNestingInOrder)
{
    MarkupNode root;
    ASSERT_TRUE(ParseMarkup("\xEF\xBB\xBF<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n<!-- skin -->\n"
                            "<Window size=\"960,620\" caption='0,0,0,340'>\n"
                            "  <Font name=\"\xE5\xBE\xAE\" size=\"12\"/>\n"
                            "  <!-- a comment between elements -->\n"
                            "  <VerticalLayout><Label text=\"a &amp; b &lt;&#x4E2D;&#20013;&quot;\" /></VerticalLayout>\n"
                            "</Window>\n",
                            root));
    EXPECT_EQ("Window", root.name);
    ASSERT_EQ(2u, root.attributes.size());
    EXPECT_EQ("size", root.attributes[0].first);
    EXPECT_EQ("960,620", root.attributes[0].second);
    EXPECT_EQ("0,0,0,340", root.attributes[1].second);
    ASSERT_EQ(2u, root.children.size());
    EXPECT_EQ("\xE5\xBE\xAE", root.children[0].attributes[0].second);
    ASSERT_EQ(1u, root.children[1].children.size());
    EXPECT_EQ("a & b <\xE4\xB8\xAD\xE4\xB8\xAD\"", root.children[1].children[0].attributes[0].second);
}

TEST(Markup, RejectsWhatItCannotRead)
{
    const char* const bad[] = {
        "",
        "<Window>",                             // unclosed
        "<Window><Label></Window></Label>",     // badly nested
        "<Window></window>",                    // names are case-sensitive
        "<Window a=\"1\"b=\"2\"/>",             // no blank between attributes
        "<Window a=1/>",                        // unquoted value
        "<Window a=\"x/>",                      // unterminated value
        "<Window a=\"&nbsp;\"/>",               // unknown entity
        "<Window a=\"&#0;\"/>",                 // character reference out of range
        "<Window a=\"&#xD800;\"/>",             // a lone surrogate
        "<Window>text</Window>",                // text outside attributes
        "<Window/><Window/>",                   // two roots
        "<!-- never closed <Window/>",
        "<Window a=\"<\"/>",
    };
    for (const char* text : bad) {
        MarkupNode root;
        std::string error;
        EXPECT_FALSE(ParseMarkup(text, root, &error)) << text;
        EXPECT_FALSE(error.empty()) << text;
        EXPECT_TRUE(root.name.empty()) << text;
    }
}

TEST(Markup, CapsTheNestingDepth)
{
    MarkupNode root;
    EXPECT_TRUE(ParseMarkup(Nested(kMaxMarkupDepth), root));
    EXPECT_FALSE(ParseMarkup(Nested(kMaxMarkupDepth + 1), root));
    // Far deeper than any stack would survive with a recursive reader.
    EXPECT_FALSE(ParseMarkup(Nested(200000), root));
}
