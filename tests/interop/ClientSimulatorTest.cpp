#include "modbus/RemoteModbus.h"
#include "sim/OrxSimulator.h"

#include <gtest/gtest.h>

#include <chrono>

namespace {

constexpr DWORD TIMEOUT_MS = 300;
constexpr auto STALL_LIMIT = std::chrono::milliseconds(1500);
constexpr WORD UNMAPPED_REGISTER = 100;

class ClientAgainstSimulator : public ::testing::Test {
protected:
    void Start(SimulatorOptions options = {}) {
        sim = std::make_unique<OrxSimulator>(std::move(options));
        ASSERT_TRUE(client.Connect("127.0.0.1", sim->Port(), TIMEOUT_MS));
    }
    void TearDown() override { client.Disconnect(); }

    std::unique_ptr<OrxSimulator> sim;
    CRemoteModbus client;
};

CWordArray Words(INT_PTR n) {
    CWordArray words;
    words.SetSize(n);
    return words;
}

TEST_F(ClientAgainstSimulator, ReadsIdentitySerialAndAlarmTable) {
    Start();
    sim->SetSerial(SerialNumberFromWords(0x0001, 0x0002));
    const AlarmRecord alarm{2, 4, 2, 5, 75.5f, 1.25f, true};
    sim->SetAlarm(3, alarm);

    CWordArray identity = Words(IDENTITY_WORDS);
    EXPECT_EQ(MODBUS_OK, client.ReadInputRegisters(REG_IDENTITY, IDENTITY_WORDS, identity));
    EXPECT_EQ(IDENTITY_CODE, identity[0]);

    CWordArray serial = Words(SERIAL_NUMBER_WORDS);
    EXPECT_EQ(MODBUS_OK, client.ReadInputRegisters(REG_SERIAL_NUMBER, SERIAL_NUMBER_WORDS, serial));
    EXPECT_EQ(65538u, SerialNumberFromWords(serial[0], serial[1]));

    AlarmArrays read;
    EXPECT_EQ(MODBUS_OK,
              client.ReadInputRegisters(AlarmRegisterAddress(3), ALARM_WORD_COUNT, read.words));
    EXPECT_EQ(MODBUS_OK, client.ReadInputFloats(AlarmRegisterAddress(3) + ALARM_TRIP_POINT_OFFSET,
                                                read.floats));
    EXPECT_EQ(MODBUS_OK, client.ReadInputStatus(AlarmFlagAddress(3), read.faults));
    EXPECT_EQ(alarm, read.ToRecord());
}

TEST_F(ClientAgainstSimulator, ReadsTheLockInput) {
    Start();
    CByteArray lock;
    lock.SetSize(1);
    EXPECT_EQ(MODBUS_OK, client.ReadInputStatus(INPUT_CONFIG_LOCKED, lock));
    EXPECT_EQ(0, lock[0]);
    sim->SetLocked(true);
    EXPECT_EQ(MODBUS_OK, client.ReadInputStatus(INPUT_CONFIG_LOCKED, lock));
    EXPECT_EQ(1, lock[0]);
}

TEST_F(ClientAgainstSimulator, WritesLandInTheDeviceMemory) {
    Start();
    const WORD base = AlarmRegisterAddress(32);
    CWordArray words;
    for (WORD w : {WORD{1}, WORD{16}, WORD{4}, WORD{8}})
        words.Add(w);
    EXPECT_EQ(MODBUS_OK, client.PresetMultipleRegisters(base, ALARM_WORD_COUNT, words));
    EXPECT_EQ(MODBUS_OK, client.PresetFloat(base + ALARM_TRIP_POINT_OFFSET, -2.5f));
    EXPECT_EQ(MODBUS_OK, client.PresetFloat(base + ALARM_DEADBAND_OFFSET, 0.1f));
    EXPECT_EQ(MODBUS_OK, client.ForceSingleCoil(AlarmFlagAddress(32), TRUE));

    const AlarmRecord expected{1, 16, 4, 8, -2.5f, 0.1f, true};
    EXPECT_EQ(expected, sim->Alarm(32));

    EXPECT_EQ(MODBUS_OK, client.ForceSingleCoil(AlarmFlagAddress(32), FALSE));
    EXPECT_FALSE(sim->Alarm(32).enunciateFaults);
}

TEST_F(ClientAgainstSimulator, DownloadCoilsAreRecorded) {
    Start();
    EXPECT_EQ(MODBUS_OK, client.ForceSingleCoil(COIL_DOWNLOAD_ABORTED, TRUE));
    EXPECT_EQ(MODBUS_OK, client.ForceSingleCoil(COIL_DOWNLOAD_COMPLETE, TRUE));
    const std::vector<CoilEvent> expected{{COIL_DOWNLOAD_ABORTED, COIL_ON},
                                          {COIL_DOWNLOAD_COMPLETE, COIL_ON}};
    EXPECT_EQ(expected, sim->CoilEvents());
}

TEST_F(ClientAgainstSimulator, DeviceExceptionsBecomeResultCodes) {
    SimulatorOptions options;
    options.failWrite = {static_cast<WORD>(AlarmRegisterAddress(10) + ALARM_DEADBAND_OFFSET)};
    Start(options);

    CWordArray words = Words(1);
    words[0] = 0x1234;
    EXPECT_EQ(MODBUS_EXCEPTION + 2, client.ReadInputRegisters(UNMAPPED_REGISTER, 1, words));
    EXPECT_EQ(0x1234, words[0]) << "a failed read leaves the values alone";

    EXPECT_EQ(MODBUS_EXCEPTION + 4,
              client.PresetFloat(AlarmRegisterAddress(10) + ALARM_DEADBAND_OFFSET, 1.0f));
    EXPECT_EQ(MODBUS_OK,
              client.PresetFloat(AlarmRegisterAddress(10) + ALARM_TRIP_POINT_OFFSET, 1.0f));
}

TEST_F(ClientAgainstSimulator, SplitAndDelayedRepliesAreAssembled) {
    SimulatorOptions options;
    options.split = true;
    options.delayMs = 20;
    Start(options);
    CWordArray identity = Words(IDENTITY_WORDS);
    EXPECT_EQ(MODBUS_OK, client.ReadInputRegisters(REG_IDENTITY, IDENTITY_WORDS, identity));
    EXPECT_EQ(IDENTITY_CODE, identity[0]);
}

TEST_F(ClientAgainstSimulator, StalledDeviceEndsTheExchangeWithinItsTimeout) {
    SimulatorOptions options;
    options.stallAfter = 1;
    Start(options);
    CWordArray words = Words(IDENTITY_WORDS);
    ASSERT_EQ(MODBUS_OK, client.ReadInputRegisters(REG_IDENTITY, IDENTITY_WORDS, words));

    const auto start = std::chrono::steady_clock::now();
    EXPECT_EQ(MODBUS_TCP_SOCKET_ERROR,
              client.ReadInputRegisters(REG_IDENTITY, IDENTITY_WORDS, words));
    EXPECT_LT(std::chrono::steady_clock::now() - start, STALL_LIMIT);
    EXPECT_EQ(MODBUS_TCP_SOCKET_ERROR, client.ForceSingleCoil(COIL_DOWNLOAD_ABORTED, TRUE))
        << "the connection stays broken until the next Connect";

    ASSERT_TRUE(client.Connect("127.0.0.1", sim->Port(), TIMEOUT_MS));
    EXPECT_EQ(MODBUS_OK, client.ReadInputRegisters(REG_IDENTITY, IDENTITY_WORDS, words));
}

TEST_F(ClientAgainstSimulator, DroppedConnectionIsAReadError) {
    SimulatorOptions options;
    options.dropAfter = 1;
    Start(options);
    CWordArray words = Words(IDENTITY_WORDS);
    ASSERT_EQ(MODBUS_OK, client.ReadInputRegisters(REG_IDENTITY, IDENTITY_WORDS, words));
    const WORD code = client.ReadInputRegisters(REG_IDENTITY, IDENTITY_WORDS, words);
    // The peer's close shows either as end of stream or as a refused send.
    EXPECT_TRUE(code == MODBUS_TCP_READ_ERROR || code == MODBUS_TCP_SOCKET_ERROR) << code;
}

} // namespace
