#include "CIeBrowserUI/BridgeRequest.h"

#include <gtest/gtest.h>

#include <string>

TEST(BridgeRequest, CommandOfEachRequest)
{
    const struct {
        const char* text;
        BridgeCommand command;
    } cases[] = {
        {R"({"funcation_name":"min_wnd"})", BridgeCommand::MinWnd},
        {R"({"funcation_name":"close_wnd"})", BridgeCommand::CloseWnd},
        {R"({"funcation_name":"open_game","token":"t","kvext":"a=1&b=2"})", BridgeCommand::OpenGame},
        {R"({"funcation_name":"wnd_mousemove"})", BridgeCommand::WndMouseMove},
        {"// the reader takes comments\n{\"funcation_name\":\"min_wnd\"}", BridgeCommand::MinWnd},
        // The page's own spelling is the only key, and names are exact.
        {R"({"function_name":"min_wnd"})", BridgeCommand::None},
        {R"({"funcation_name":"Min_Wnd"})", BridgeCommand::None},
        {R"({"funcation_name":"min_wnd "})", BridgeCommand::None},
        {R"({"funcation_name":"unknown"})", BridgeCommand::None},
        {R"({"funcation_name":1})", BridgeCommand::None},
        {R"({"funcation_name":["min_wnd"]})", BridgeCommand::None},
        {R"({"funcation_name":null})", BridgeCommand::None},
        {R"({})", BridgeCommand::None},
        // Roots without members, and text that is not JSON.
        {R"(["min_wnd"])", BridgeCommand::None},
        {"42", BridgeCommand::None},
        {R"("min_wnd")", BridgeCommand::None},
        {"min_wnd", BridgeCommand::None},
        {"", BridgeCommand::None},
        {R"({"funcation_name":"min_wnd")", BridgeCommand::None},
    };
    for (const auto& entry : cases)
        EXPECT_EQ(entry.command, ReadBridgeCommand(entry.text)) << entry.text;
}

TEST(BridgeRequest, TextBeyondTheLimitsIsNotRead)
{
    // Nesting is counted as the reader nests: brackets in strings and
    // comments do not count, and a comment cannot hide real ones.
    const auto withValue = [](const std::string& value) {
        return "{\"funcation_name\":\"close_wnd\",\"x\":" + value + "}";
    };
    const auto deep = [](int depth) { return std::string(depth, '[') + std::string(depth, ']'); };
    const int within = kMaxBridgeRequestNesting - 1;  // the root object is one level
    const struct {
        std::string text;
        BridgeCommand command;
    } cases[] = {
        {withValue(deep(within)), BridgeCommand::CloseWnd},
        {withValue(deep(within + 1)), BridgeCommand::None},
        {withValue(deep(2000)), BridgeCommand::None},
        {withValue(deep(200000)), BridgeCommand::None},
        {withValue("\"" + std::string(100, '[') + "\""), BridgeCommand::CloseWnd},
        {withValue("\"\\\"" + std::string(100, '{') + "\""), BridgeCommand::CloseWnd},
        {"/* [[[[[[[[[[[[[[[[[[[[ */" + withValue("1"), BridgeCommand::CloseWnd},
        {"// {{{{{{{{{{{{{{{{{{{{{{{\n" + withValue("1"), BridgeCommand::CloseWnd},
        {"/* \" */" + withValue(deep(within + 1)) + "/* \" */", BridgeCommand::None},
        {"// \"\n" + withValue(deep(within + 1)), BridgeCommand::None},
        // Siblings do not add up.
        {withValue("[" + deep(within - 1) + "," + deep(within - 1) + "]"), BridgeCommand::CloseWnd},
    };
    for (const auto& entry : cases)
        EXPECT_EQ(entry.command, ReadBridgeCommand(entry.text)) << entry.text.substr(0, 80);
}

TEST(BridgeRequest, SizeLimitIsSixtyFourKibibytes)
{
    const std::string head = "{\"funcation_name\":\"open_game\",\"kvext\":\"";
    const std::string tail = "\"}";
    const std::string fits = head + std::string(kMaxBridgeRequestBytes - head.size() - tail.size(), 'k') + tail;
    ASSERT_EQ(kMaxBridgeRequestBytes, fits.size());
    EXPECT_EQ(BridgeCommand::OpenGame, ReadBridgeCommand(fits));
    const std::string over = head + std::string(kMaxBridgeRequestBytes - head.size() - tail.size() + 1, 'k') + tail;
    EXPECT_EQ(BridgeCommand::None, ReadBridgeCommand(over));
    EXPECT_EQ(BridgeCommand::None, ReadBridgeCommand(std::string(10 * 1024 * 1024, '{')));
}
