#include "sim/CommandLine.h"

#include <gtest/gtest.h>
#include <iterator>
#include <sstream>

namespace {

SimCommandLine Parse(const std::string& line) {
    std::istringstream in(line);
    CLI::App app;
    return ParseCommandLine(
        {std::istream_iterator<std::string>(in), std::istream_iterator<std::string>()}, app);
}

// By default the Modbus port, as the default device without faults. The options whose effect
// the program test sees (port, serial, lock, log, configuration, save) need only be taken.
TEST(CommandLine, DefaultsEveryOptionAndUsageErrors) {
    const SimCommandLine defaults = Parse("");
    EXPECT_EQ(defaults.simulator.port, MODBUS_TCP_PORT);
    EXPECT_FALSE(defaults.serial || defaults.identity || defaults.locked ||
                 defaults.simulator.split);
    const SimCommandLine cl =
        Parse("--listen 0.0.0.0 --port 0 --serial 4294967295 --identity 0x52c7 --locked "
              "--config in.csv --save=out.csv --log --fail-write 3006 --fail-write=3394 "
              "--drop-after 3 --stall-after 0 --split --delay-ms 250 --idle-timeout 5");
    EXPECT_EQ(cl.simulator.listenAddress, "0.0.0.0");
    EXPECT_EQ(cl.identity, IDENTITY_CODE);
    EXPECT_TRUE(cl.simulator.split);
    EXPECT_EQ(cl.simulator.failWrite, (std::vector<WORD>{3006, 3394}));
    EXPECT_EQ(cl.simulator.dropAfter, 3);
    EXPECT_EQ(cl.simulator.stallAfter, 0);
    EXPECT_EQ(cl.simulator.delayMs, 250);
    EXPECT_EQ(cl.simulator.idleTimeoutMs, 5000);
    EXPECT_EQ(Parse("--identity 52C7").identity, IDENTITY_CODE);
    EXPECT_EQ(Parse("--ports 200").devices, 200);
    for (const char* bad :
         {"--bogus", "extra", "--port", "--port 65536", "--port -1", "--port 5o2",
          "--serial 4294967296", "--identity 10000", "--identity xyz", "--listen localhost",
          "--listen 1.2.3", "--fail-write 65536", "--delay-ms 1.5", "--idle-timeout 2147484",
          "--ports 0", "--ports 2 --save out.csv"})
        EXPECT_THROW(Parse(bad), CLI::ParseError) << bad;
}

} // namespace
