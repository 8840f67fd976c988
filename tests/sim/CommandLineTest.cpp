#include "sim/CommandLine.h"

#include <gtest/gtest.h>

namespace {

TEST(CommandLineTest, DefaultsServeTheModbusPortOnLoopback) {
    const SimCommandLine cl = ParseCommandLine({});
    EXPECT_EQ(cl.simulator.listenAddress, "127.0.0.1");
    EXPECT_EQ(cl.simulator.port, MODBUS_TCP_PORT);
    EXPECT_FALSE(cl.serial);
    EXPECT_FALSE(cl.identity);
    EXPECT_FALSE(cl.locked);
    EXPECT_FALSE(cl.log);
    EXPECT_FALSE(cl.help);
    EXPECT_TRUE(cl.configFile.empty());
    EXPECT_TRUE(cl.saveFile.empty());
    EXPECT_TRUE(cl.simulator.failWrite.empty());
    EXPECT_EQ(cl.simulator.dropAfter, SIM_NEVER);
    EXPECT_EQ(cl.simulator.stallAfter, SIM_NEVER);
    EXPECT_FALSE(cl.simulator.split);
    EXPECT_EQ(cl.simulator.delayMs, 0);
}

TEST(CommandLineTest, EveryOptionIsTaken) {
    const SimCommandLine cl = ParseCommandLine({"--listen",
                                                "0.0.0.0",
                                                "--port",
                                                "0",
                                                "--serial",
                                                "4294967295",
                                                "--identity",
                                                "0x1234",
                                                "--locked",
                                                "--config",
                                                "in.csv",
                                                "--save=out.csv",
                                                "--log",
                                                "--fail-write",
                                                "3006",
                                                "--fail-write=3394",
                                                "--drop-after",
                                                "3",
                                                "--stall-after",
                                                "0",
                                                "--split",
                                                "--delay-ms",
                                                "250"});
    EXPECT_EQ(cl.simulator.listenAddress, "0.0.0.0");
    EXPECT_EQ(cl.simulator.port, 0);
    EXPECT_EQ(cl.serial, 4294967295u);
    EXPECT_EQ(cl.identity, 0x1234);
    EXPECT_TRUE(cl.locked);
    EXPECT_EQ(cl.configFile, "in.csv");
    EXPECT_EQ(cl.saveFile, "out.csv");
    EXPECT_TRUE(cl.log);
    EXPECT_EQ(cl.simulator.failWrite, (std::vector<WORD>{3006, 3394}));
    EXPECT_EQ(cl.simulator.dropAfter, 3);
    EXPECT_EQ(cl.simulator.stallAfter, 0);
    EXPECT_TRUE(cl.simulator.split);
    EXPECT_EQ(cl.simulator.delayMs, 250);
}

TEST(CommandLineTest, IdentityIsHexWithOrWithoutPrefix) {
    EXPECT_EQ(ParseCommandLine({"--identity", "52c7"}).identity, IDENTITY_CODE);
    EXPECT_EQ(ParseCommandLine({"--identity", "0X52C7"}).identity, IDENTITY_CODE);
}

TEST(CommandLineTest, HelpIsAFlag) {
    EXPECT_TRUE(ParseCommandLine({"--help"}).help);
    EXPECT_TRUE(ParseCommandLine({"-h"}).help);
}

TEST(CommandLineTest, UsageErrors) {
    const std::vector<std::vector<std::string>> bad = {
        {"--bogus"},
        {"extra"},
        {"--port"},
        {"--port", "65536"},
        {"--port", "-1"},
        {"--port", "5o2"},
        {"--port", ""},
        {"--serial", "4294967296"},
        {"--identity", "10000"},
        {"--identity", "xyz"},
        {"--listen", "localhost"},
        {"--listen", "1.2.3"},
        {"--fail-write", "65536"},
        {"--delay-ms", "1.5"},
        {"--locked=1"},
    };
    for (const auto& args : bad)
        EXPECT_THROW(ParseCommandLine(args), UsageError) << args[0];
}

TEST(CommandLineTest, UsageNamesEveryOption) {
    const std::string usage = UsageText();
    for (const char* option :
         {"--listen", "--port", "--serial", "--identity", "--locked", "--config", "--save", "--log",
          "--fail-write", "--drop-after", "--stall-after", "--split", "--delay-ms", "--help"})
        EXPECT_NE(usage.find(option), std::string::npos) << option;
}

} // namespace
