#include "sim/RequestHandler.h"
#include "sim/CommandLine.h"

#include <gtest/gtest.h>
#include <iterator>
#include <sstream>
#include <stdexcept>

namespace {

using Bytes = std::vector<BYTE>;

// The exception reply to request: its unit, its function flagged, the code.
Bytes Refusal(const Bytes& request, BYTE code) {
    return {request[0], static_cast<BYTE>(request[1] | EXCEPTION_FLAG), code};
}

TEST(RequestHandler, RefusesWhatIsOutsideTheMapAndChangesNothing) {
    const std::vector<std::pair<BYTE, std::vector<Bytes>>> refusals = {
        // Registers beside the serial, the table and the identity; inputs and coils beside
        // the flags, the lock and the download coils; holding writes beside the table.
        {EXC_ILLEGAL_DATA_ADDRESS,
         {Bytes{1, 4, 0x07, 0x6A, 0, 1}, Bytes{1, 4, 0x07, 0x6B, 0, 3},
          Bytes{1, 4, 0x0C, 0xB7, 0, 2}, Bytes{1, 4, 0x0D, 0xA7, 0, 5},
          Bytes{1, 4, 0xFF, 0xFF, 0, 2}, Bytes{1, 2, 0x0B, 0xD7, 0, 2},
          Bytes{1, 2, 0x0D, 0x3C, 0, 2}, Bytes{1, 5, 0x0B, 0xD8, 0xFF, 0},
          Bytes{1, 5, 0x0D, 0x43, 0xFF, 0}, Bytes{1, 5, 0x0D, 0x3D, 0xFF, 0},
          Bytes{1, 16, 0x0B, 0xB7, 0, 1, 2, 0, 1}, Bytes{1, 16, 0x0C, 0xB7, 0, 2, 4, 0, 1, 0, 1},
          Bytes{1, 16, 0x0D, 0xA7, 0, 1, 2, 0, 1}}},
        // Holding read, single register write.
        {EXC_ILLEGAL_FUNCTION, {Bytes{1, 3, 0x0B, 0xB8, 0, 1}, Bytes{1, 6, 0x0B, 0xB8, 0, 1}}},
        // Quantities 0 and 126, bad coil value, byte count not 2 per register, data
        // shorter than the count, no quantity.
        {EXC_ILLEGAL_DATA_VALUE,
         {Bytes{1, 4, 0x0B, 0xB8, 0, 0}, Bytes{1, 4, 0x0B, 0xB8, 0, 0x7E},
          Bytes{1, 2, 0x0B, 0xB8, 0, 0}, Bytes{1, 5, 0x0B, 0xB8, 0x12, 0x34},
          Bytes{1, 16, 0x0B, 0xB8, 0, 1, 4, 0, 1}, Bytes{1, 16, 0x0B, 0xB8, 0, 2, 4, 0, 1},
          Bytes{1, 4, 0x0B, 0xB8}}},
        // Another unit, broadcast.
        {EXC_GATEWAY_TARGET_FAILED,
         {Bytes{2, 4, 0x0D, 0xA7, 0, 4}, Bytes{0, 5, 0x0D, 0x42, 0xFF, 0}}},
    };
    DeviceImage image = DefaultDeviceImage();
    const DeviceImage before = image;
    std::vector<CoilEvent> events;
    for (const auto& [code, requests] : refusals)
        for (const Bytes& request : requests)
            EXPECT_EQ(HandleRequest(image, {}, request, events), Refusal(request, code))
                << ::testing::PrintToString(request);
    for (const Bytes& unframed : {Bytes{1}, Bytes{}})
        EXPECT_TRUE(HandleRequest(image, {}, unframed, events).empty());
    EXPECT_EQ(image, before);
    EXPECT_TRUE(events.empty());
}

TEST(RequestHandler, DefaultImageIsAnOrxAndAShortRequestSummarizesAsZero) {
    DeviceImage image = DefaultDeviceImage();
    EXPECT_THROW(GetAlarm(image, 0), std::out_of_range);
    EXPECT_THROW(SetAlarm(image, ALARM_COUNT + 1, AlarmRecord{}), std::out_of_range);
    EXPECT_EQ(image.identity[0], IDENTITY_CODE);
    int enabled = 0;
    for (int n = 1; n <= ALARM_COUNT; ++n) {
        const AlarmRecord a = GetAlarm(image, n);
        enabled += a.mode != 0;
        EXPECT_TRUE(a.mode != 0 || a == AlarmRecord{}) << "alarm " << n;
    }
    EXPECT_GT(enabled, 1);
    EXPECT_EQ(SummarizeRequest({7, 0x2B}), (RequestSummary{7, 0x2B, 0, 0}));
}

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
