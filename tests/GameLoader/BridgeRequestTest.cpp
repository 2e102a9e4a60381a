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

TEST(BridgeRequest, NestingBeyondTheReadersLimitIsNoCommand)
{
    for (const size_t depth : {size_t(2000), size_t(200000)}) {
        const std::string deep = "{\"funcation_name\":\"min_wnd\",\"x\":" + std::string(depth, '[') +
                                 std::string(depth, ']') + "}";
        EXPECT_EQ(BridgeCommand::None, ReadBridgeCommand(deep)) << depth;
    }
    const std::string nested = "{\"a\":" + std::string(50, '[') + std::string(50, ']') +
                               ",\"funcation_name\":\"close_wnd\"}";
    EXPECT_EQ(BridgeCommand::CloseWnd, ReadBridgeCommand(nested));
}

TEST(BridgeRequest, LargeRequestKeepsItsCommand)
{
    const std::string big = "{\"kvext\":\"" + std::string(10 * 1024 * 1024, 'k') + "\",\"funcation_name\":\"open_game\"}";
    EXPECT_EQ(BridgeCommand::OpenGame, ReadBridgeCommand(big));
    EXPECT_EQ(BridgeCommand::None, ReadBridgeCommand(std::string(10 * 1024 * 1024, '{')));
}
