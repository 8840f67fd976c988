// The simulator's exception at one chosen request, seen by libmodbus's client.

#include "Faults.h"
#include "sim/LibmodbusClient.h"

#include <gtest/gtest.h>

namespace {

// Counted on each connection; the refused request is logged but not carried out.
TEST(FailRequest, OnlyTheChosenRequestOfEachConnectionIsRefusedAndNothingIsDone) {
    SimulatorOptions options;
    options.failRequest = 2;
    OrxSimulator sim(options);
    uint16_t words[IDENTITY_WORDS] = {};
    for (int connection = 0; connection < 2; ++connection) {
        const LibmodbusClient client = ConnectLibmodbus(sim.Port());
        EXPECT_EQ(modbus_read_input_registers(client.get(), REG_IDENTITY, IDENTITY_WORDS, words),
                  IDENTITY_WORDS);
        EXPECT_EQ(modbus_write_bit(client.get(), COIL_DOWNLOAD_ABORTED, 1), -1);
        EXPECT_EQ(errno, EMBXSFAIL) << "exception 4, server device failure";
        EXPECT_EQ(modbus_write_bit(client.get(), COIL_DOWNLOAD_COMPLETE, 1), 1);
    }
    EXPECT_EQ(sim.Requests().size(), 6u);
    EXPECT_EQ(sim.CoilEvents(), (std::vector<CoilEvent>(2, {COIL_DOWNLOAD_COMPLETE, COIL_ON})));
}

} // namespace
