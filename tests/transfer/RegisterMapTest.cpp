#include "transfer/RegisterMap.h"
#include "support/ScriptedModbus.h"

#include <gtest/gtest.h>

#include <vector>

namespace {
using Bytes = std::vector<BYTE>;

// A read reply from the device, or the failure code the client gets instead.
struct Answer {
    Bytes reply;
    WORD failure = MODBUS_OK;
};

ScriptedModbus& Script(ScriptedModbus& modbus, const Answer& a) {
    a.failure == MODBUS_OK ? modbus.Reply(a.reply) : modbus.Fail(a.failure);
    return modbus;
}
} // namespace

TEST(AlarmAddresses, EveryAlarmHasItsRegistersAndItsFaultsBit) {
    EXPECT_EQ(AlarmRegisterAddress(1), 3000);
    EXPECT_EQ(AlarmRegisterAddress(ALARM_COUNT) + ALARM_STRIDE - 1, 3255);
    EXPECT_EQ(AlarmFlagAddress(ALARM_COUNT), 3031);
    WORD registers = REG_ALARM_BASE;
    for (int n = 1; n <= ALARM_COUNT; ++n, registers += ALARM_STRIDE) {
        EXPECT_EQ(AlarmRegisterAddress(n), registers) << "alarm " << n;
        EXPECT_EQ(AlarmFlagAddress(n), BIT_FAULTS_BASE - 1 + n) << "alarm " << n;
    }
}

// Two input registers at 1899, high word first, never negative; a failed read says so.
TEST(SerialNumber, ReadFromTheDevice) {
    const struct {
        Answer answer;
        bool read;
        DWORD serial;
    } cases[] = {{{{1, 4, 4, 0x00, 0x01, 0x00, 0x02}}, true, 65538},
                 {{{1, 4, 4, 0xFF, 0xFF, 0xFF, 0xFF}}, true, 4294967295u},
                 {{{1, 4, 4, 0xFF, 0xFF, 0x00, 0x00}}, true, 0xFFFF0000u},
                 {{{2, 4, 4, 0x00, 0x01, 0x00, 0x02}}, false, 0},
                 {{{}, MODBUS_TCP_READ_ERROR}, false, 0}};
    for (const auto& c : cases) {
        ScriptedModbus modbus;
        DWORD serial = 0;
        EXPECT_EQ(ReadSerialNumber(Script(modbus, c.answer), serial) == MODBUS_OK, c.read);
        EXPECT_EQ(serial, c.serial);
        ASSERT_EQ(modbus.requests.size(), 1u);
        EXPECT_EQ(modbus.requests[0].request, (Bytes{1, 4, 0x07, 0x6B, 0x00, 0x02}));
        EXPECT_EQ(modbus.requests[0].responseLength, 7);
    }
}

// Four input registers at 3495; only 52C7 in the first one is an ORX.
TEST(DeviceIdentity, CheckedOnTheFirstOfFourRegisters) {
    const struct {
        Answer answer;
        bool orx;
    } cases[] = {{{{1, 4, 8, 0x52, 0xC7, 0, 0, 0, 0, 0, 0}}, true},
                 {{{1, 4, 8, 0x52, 0xC6, 0, 0, 0, 0, 0, 0}}, false},
                 {{{1, 4, 8, 0xC7, 0x52, 0, 0, 0, 0, 0, 0}}, false},
                 {{{1, 4, 8, 0x53, 0xC7, 0, 0, 0, 0, 0, 0}}, false},
                 {{{1, 4, 8, 0, 0, 0x52, 0xC7, 0, 0, 0, 0}}, false},
                 {{{2, 4, 8, 0x52, 0xC7, 0, 0, 0, 0, 0, 0}}, false},
                 {{{}, MODBUS_EXCEPTION + 2}, false},
                 {{{}, MODBUS_TCP_SOCKET_ERROR}, false}};
    for (const auto& c : cases) {
        ScriptedModbus modbus;
        EXPECT_EQ(CheckDeviceIdentity(Script(modbus, c.answer)), c.orx);
        ASSERT_EQ(modbus.requests.size(), 1u);
        EXPECT_EQ(modbus.requests[0].request, (Bytes{1, 4, 0x0D, 0xA7, 0x00, 0x04}));
        EXPECT_EQ(modbus.requests[0].responseLength, 11);
    }
}

TEST(AlarmArraysForm, CarriesEveryFieldInRegisterOrderWithRoomForTheFloatRead) {
    AlarmArrays arrays;
    EXPECT_EQ(arrays.floats.GetSize(), 4);
    EXPECT_EQ(arrays.ToRecord(), AlarmRecord{});
    const AlarmRecord record{2, 4, 3, 5, 75.5f, 1.25f, true};
    arrays.FromRecord(record);
    const WORD* words = arrays.words.GetData();
    EXPECT_EQ(std::vector<WORD>(words, words + ALARM_WORD_COUNT), (std::vector<WORD>{2, 4, 3, 5}));
    EXPECT_EQ(arrays.floats[0], 75.5f);
    EXPECT_EQ(arrays.floats[1], 1.25f);
    EXPECT_EQ(arrays.faults[0], 1);
    EXPECT_EQ(arrays.ToRecord(), record);
    arrays.faults[0] = 2; // any non-zero byte is the flag
    EXPECT_EQ(arrays.ToRecord(), record);
}
