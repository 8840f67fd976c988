// The simulator's exception at one chosen request, seen by libmodbus's client.

#include "Faults.h"
#include "sim/LibmodbusClient.h"
#include "sim/RequestHandler.h"

#include <gtest/gtest.h>

namespace {

constexpr int FAILED_REQUEST = 2;

TEST(FailRequest, OnlyTheChosenRequestIsRefusedAndNothingIsDone) {
    SimulatorOptions options;
    options.failRequest = FAILED_REQUEST;
    OrxSimulator sim(options);
    const LibmodbusClient client = ConnectLibmodbus(sim.Port());
    uint16_t words[IDENTITY_WORDS] = {};

    EXPECT_EQ(modbus_read_input_registers(client.get(), REG_IDENTITY, IDENTITY_WORDS, words),
              IDENTITY_WORDS);
    EXPECT_EQ(modbus_write_bit(client.get(), COIL_DOWNLOAD_ABORTED, 1), -1);
    EXPECT_EQ(errno, EMBXSFAIL) << "exception 4, server device failure";
    EXPECT_EQ(modbus_write_bit(client.get(), COIL_DOWNLOAD_COMPLETE, 1), 1);

    EXPECT_EQ(sim.Requests().size(), 3u) << "the refused request is logged";
    const std::vector<CoilEvent> expected{{COIL_DOWNLOAD_COMPLETE, COIL_ON}};
    EXPECT_EQ(sim.CoilEvents(), expected);
}

TEST(FailRequest, CountsPerConnection) {
    SimulatorOptions options;
    options.failRequest = 1;
    OrxSimulator sim(options);
    uint16_t words[IDENTITY_WORDS] = {};
    for (int connection = 0; connection < 2; ++connection) {
        const LibmodbusClient client = ConnectLibmodbus(sim.Port());
        EXPECT_EQ(modbus_read_input_registers(client.get(), REG_IDENTITY, IDENTITY_WORDS, words),
                  -1);
        EXPECT_EQ(modbus_read_input_registers(client.get(), REG_IDENTITY, IDENTITY_WORDS, words),
                  IDENTITY_WORDS);
    }
}

} // namespace
