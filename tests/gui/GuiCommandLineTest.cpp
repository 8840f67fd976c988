#include "app/qt/GuiCommandLine.h"

#include <gtest/gtest.h>

namespace {

GuiCommand Parse(std::vector<std::string> args, GuiOptions& options) {
    std::string error;
    const GuiCommand command = ParseGuiCommandLine(args, options, error);
    EXPECT_EQ(command == GuiCommand::UsageError, !error.empty());
    return command;
}

TEST(GuiCommandLine, AcceptsHostPortScreenshotHelpAndVersion) {
    GuiOptions options;
    EXPECT_EQ(Parse({}, options), GuiCommand::Run);
    EXPECT_TRUE(options.host.empty());
    EXPECT_EQ(options.port, 0);
    EXPECT_EQ(Parse({"--host", "127.0.0.1", "--port", "65535", "--screenshot", "a.png"}, options),
              GuiCommand::Run);
    EXPECT_EQ(options.host, "127.0.0.1");
    EXPECT_EQ(options.port, 65535);
    EXPECT_EQ(options.screenshot, "a.png");
    EXPECT_EQ(Parse({"--host", "1.2.3.4", "--help"}, options), GuiCommand::Help);
    EXPECT_EQ(Parse({"--version"}, options), GuiCommand::Version);
}

TEST(GuiCommandLine, RefusesBadValues) {
    const std::vector<std::vector<std::string>> bad{
        {"--host", "256.1.1.1"}, {"--host", "1.2.3"}, {"--host", "localhost"}, {"--port", "0"},
        {"--port", "65536"},     {"--port", "50x"},   {"--port", "-1"},        {"--port"},
        {"--verbose"},           {"127.0.0.1"}};
    for (const auto& args : bad) {
        GuiOptions options;
        EXPECT_EQ(Parse(args, options), GuiCommand::UsageError) << args.back();
    }
}

} // namespace
