#include "app/qt/GuiCommandLine.h"

#include <gtest/gtest.h>

namespace {

GuiCommand Parse(std::vector<std::string> args, GuiOptions& options) {
    std::string error;
    const GuiCommand command = ParseGuiCommandLine(args, options, error);
    EXPECT_EQ(command == GuiCommand::UsageError, !error.empty());
    return command;
}

} // namespace

TEST(GuiCommandLine, AcceptsHostPortAndScreenshot) {
    GuiOptions options;
    EXPECT_EQ(Parse({}, options), GuiCommand::Run);
    EXPECT_TRUE(options.host.empty());
    EXPECT_EQ(options.port, 0);

    EXPECT_EQ(Parse({"--host", "127.0.0.1", "--port", "1502", "--screenshot", "a.png"}, options),
              GuiCommand::Run);
    EXPECT_EQ(options.host, "127.0.0.1");
    EXPECT_EQ(options.port, 1502);
    EXPECT_EQ(options.screenshot, "a.png");

    EXPECT_EQ(Parse({"--port", "65535"}, options), GuiCommand::Run);
    EXPECT_EQ(options.port, 65535);
    EXPECT_EQ(Parse({"--host", "1.2.3.4", "--help"}, options), GuiCommand::Help);
}

TEST(GuiCommandLine, RefusesBadValues) {
    GuiOptions options;
    EXPECT_EQ(Parse({"--host", "256.1.1.1"}, options), GuiCommand::UsageError);
    EXPECT_EQ(Parse({"--host", "1.2.3"}, options), GuiCommand::UsageError);
    EXPECT_EQ(Parse({"--host", "localhost"}, options), GuiCommand::UsageError);
    EXPECT_EQ(Parse({"--port", "0"}, options), GuiCommand::UsageError);
    EXPECT_EQ(Parse({"--port", "65536"}, options), GuiCommand::UsageError);
    EXPECT_EQ(Parse({"--port", "50x"}, options), GuiCommand::UsageError);
    EXPECT_EQ(Parse({"--port", "-1"}, options), GuiCommand::UsageError);
    EXPECT_EQ(Parse({"--port"}, options), GuiCommand::UsageError);
    EXPECT_EQ(Parse({"--verbose"}, options), GuiCommand::UsageError);
    EXPECT_EQ(Parse({"127.0.0.1"}, options), GuiCommand::UsageError);
}
