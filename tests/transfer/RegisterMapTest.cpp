#include "transfer/RegisterMap.h"
#include "support/ScriptedModbus.h"

#include <gtest/gtest.h>

namespace {
constexpr BYTE UNIT = 0x01;
constexpr BYTE READ_INPUT_REGISTERS = 0x04;
constexpr WORD SERIAL_ONE_HIGH = 0x0001;
constexpr WORD SERIAL_ONE_LOW = 0x0002;
constexpr DWORD SERIAL_ONE = 65538;
constexpr DWORD SERIAL_MAX = 4294967295u;

// Request bytes: 01 04 07 6B 00 02 (serial at 1899), 01 04 0D A7 00 04 (identity at 3495).
const std::vector<BYTE> SERIAL_REQUEST = {UNIT, READ_INPUT_REGISTERS, 0x07, 0x6B, 0x00, 0x02};
const std::vector<BYTE> IDENTITY_REQUEST = {UNIT, READ_INPUT_REGISTERS, 0x0D, 0xA7, 0x00, 0x04};

std::vector<BYTE> IdentityReply(BYTE first, BYTE second, BYTE unit = UNIT) {
    return {unit, READ_INPUT_REGISTERS, 0x08, first, second, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00};
}
} // namespace

TEST(AlarmAddresses, FirstAndLastAlarmUseTheirRegistersAndBits) {
    EXPECT_EQ(AlarmRegisterAddress(1), 3000);
    EXPECT_EQ(AlarmRegisterAddress(1) + ALARM_STRIDE - 1, 3007);
    EXPECT_EQ(AlarmFlagAddress(1), 3000);
    EXPECT_EQ(AlarmRegisterAddress(ALARM_COUNT), 3248);
    EXPECT_EQ(AlarmRegisterAddress(ALARM_COUNT) + ALARM_STRIDE - 1, 3255);
    EXPECT_EQ(AlarmFlagAddress(ALARM_COUNT), 3031);
}

TEST(AlarmAddresses, RunningAddressesOfTheProceduresAgree) {
    WORD registers = REG_ALARM_BASE;
    WORD flag = BIT_FAULTS_BASE;
    for (int n = 1; n <= ALARM_COUNT; ++n) {
        EXPECT_EQ(AlarmRegisterAddress(n), registers) << "alarm " << n;
        EXPECT_EQ(AlarmFlagAddress(n), flag) << "alarm " << n;
        EXPECT_EQ(AlarmFlagAddress(n), BIT_FAULTS_BASE - 1 + n) << "alarm " << n;
        registers += ALARM_STRIDE;
        ++flag;
    }
}

TEST(SerialNumber, IsHighWordThenLowWordAndNeverNegative) {
    EXPECT_EQ(SerialNumberFromWords(SERIAL_ONE_HIGH, SERIAL_ONE_LOW), SERIAL_ONE);
    EXPECT_EQ(SerialNumberFromWords(0xFFFF, 0xFFFF), SERIAL_MAX);
    EXPECT_EQ(SerialNumberFromWords(0x0000, 0xFFFF), 65535u);
    EXPECT_EQ(SerialNumberFromWords(0xFFFF, 0x0000), 0xFFFF0000u);
}

TEST(SerialNumber, ReadsTwoInputRegistersAt1899) {
    ScriptedModbus modbus;
    modbus.Reply({UNIT, READ_INPUT_REGISTERS, 0x04, 0x00, 0x01, 0x00, 0x02});
    EXPECT_EQ(ReadSerialNumber(modbus), SERIAL_ONE);
    ASSERT_EQ(modbus.requests.size(), 1u);
    EXPECT_EQ(modbus.requests[0].request, SERIAL_REQUEST);
    EXPECT_EQ(modbus.requests[0].responseLength, 7);
}

TEST(SerialNumber, AllOnesGivesTheLargestUnsignedValue) {
    ScriptedModbus modbus;
    modbus.Reply({UNIT, READ_INPUT_REGISTERS, 0x04, 0xFF, 0xFF, 0xFF, 0xFF});
    EXPECT_EQ(ReadSerialNumber(modbus), SERIAL_MAX);
}

TEST(SerialNumber, FailedOrBadReadGivesZero) {
    ScriptedModbus failing;
    failing.Fail(MODBUS_TCP_READ_ERROR);
    EXPECT_EQ(ReadSerialNumber(failing), 0u);

    ScriptedModbus wrongUnit;
    wrongUnit.Reply({0x02, READ_INPUT_REGISTERS, 0x04, 0x00, 0x01, 0x00, 0x02});
    EXPECT_EQ(ReadSerialNumber(wrongUnit), 0u);
}

TEST(DeviceIdentity, AcceptsTheIdentityCodeInTheFirstRegister) {
    ScriptedModbus modbus;
    modbus.Reply(IdentityReply(0x52, 0xC7));
    EXPECT_TRUE(CheckDeviceIdentity(modbus));
    ASSERT_EQ(modbus.requests.size(), 1u);
    EXPECT_EQ(modbus.requests[0].request, IDENTITY_REQUEST);
    EXPECT_EQ(modbus.requests[0].responseLength, 11);
}

TEST(DeviceIdentity, RefusesAnyOtherCode) {
    for (auto [high, low] : {std::pair<BYTE, BYTE>{0x52, 0xC6},
                             {0xC7, 0x52},
                             {0x00, 0x00},
                             {0xFF, 0xFF},
                             {0x53, 0xC7}}) {
        ScriptedModbus modbus;
        modbus.Reply(IdentityReply(high, low));
        EXPECT_FALSE(CheckDeviceIdentity(modbus)) << int(high) << "," << int(low);
    }
}

TEST(DeviceIdentity, CodeInALaterRegisterIsNotEnough) {
    ScriptedModbus modbus;
    modbus.Reply(
        {UNIT, READ_INPUT_REGISTERS, 0x08, 0x00, 0x00, 0x52, 0xC7, 0x00, 0x00, 0x00, 0x00});
    EXPECT_FALSE(CheckDeviceIdentity(modbus));
}

TEST(DeviceIdentity, SilentOrFailingDeviceIsNotAnOrx) {
    ScriptedModbus silent; // empty script: every request fails
    EXPECT_FALSE(CheckDeviceIdentity(silent));

    ScriptedModbus exception;
    exception.Fail(MODBUS_EXCEPTION + 2);
    EXPECT_FALSE(CheckDeviceIdentity(exception));

    ScriptedModbus wrongUnit;
    wrongUnit.Reply(IdentityReply(0x52, 0xC7, 0x02));
    EXPECT_FALSE(CheckDeviceIdentity(wrongUnit));
}

TEST(AlarmArraysForm, StartsZeroedWithRoomForTheFloatRead) {
    AlarmArrays arrays;
    ASSERT_EQ(arrays.words.GetSize(), ALARM_WORD_COUNT);
    ASSERT_EQ(arrays.floats.GetSize(), 4);
    ASSERT_EQ(arrays.faults.GetSize(), 1);
    EXPECT_EQ(arrays.ToRecord(), AlarmRecord{});
}

TEST(AlarmArraysForm, CarriesEveryFieldInRegisterOrder) {
    const AlarmRecord record{2, 4, 3, 5, 75.5f, 1.25f, true};
    AlarmArrays arrays;
    arrays.FromRecord(record);
    EXPECT_EQ(arrays.words[0], 2);
    EXPECT_EQ(arrays.words[1], 4);
    EXPECT_EQ(arrays.words[2], 3);
    EXPECT_EQ(arrays.words[3], 5);
    EXPECT_EQ(arrays.floats[0], 75.5f);
    EXPECT_EQ(arrays.floats[1], 1.25f);
    EXPECT_EQ(arrays.faults[0], 1);
    EXPECT_EQ(arrays.ToRecord(), record);
}

TEST(AlarmArraysForm, AnyNonZeroFaultsByteIsTheFlag) {
    AlarmArrays arrays;
    arrays.faults[0] = 2;
    EXPECT_TRUE(arrays.ToRecord().enunciateFaults);
    arrays.faults[0] = 0;
    EXPECT_FALSE(arrays.ToRecord().enunciateFaults);
}
