// How successful replies become values.
#include "ModbusTestData.h"
#include "support/ScriptedModbus.h"

#include <gtest/gtest.h>

#include <ostream>

namespace {

TEST(Unpack, RegistersAreHighByteFirst) {
    ScriptedModbus modbus;
    modbus.Reply({0x01, 0x04, 0x08, 0x12, 0x34, 0x00, 0x02, 0xAB, 0xCD, 0xFF, 0xFF});
    CWordArray values;
    values.SetSize(FOUR_REGISTERS + 1);
    values[FOUR_REGISTERS] = STALE_WORD;
    ASSERT_EQ(modbus.ReadInputRegisters(REGISTER_ADDRESS, FOUR_REGISTERS, values), MODBUS_OK);
    EXPECT_EQ(values[0], 0x1234);
    EXPECT_EQ(values[1], 0x0002);
    EXPECT_EQ(values[2], 0xABCD);
    EXPECT_EQ(values[3], 0xFFFF);
    EXPECT_EQ(values[4], STALE_WORD); // beyond the quantity
}

TEST(Unpack, ByteCountIsNotExamined) {
    ScriptedModbus modbus;
    modbus.Reply({0x01, 0x04, 0x00, 0x00, 0x01, 0x00, 0x02, 0x00, 0x03, 0x00, 0x04});
    CWordArray values;
    values.SetSize(FOUR_REGISTERS);
    ASSERT_EQ(modbus.ReadInputRegisters(REGISTER_ADDRESS, FOUR_REGISTERS, values), MODBUS_OK);
    EXPECT_EQ(values[3], 4);
}

TEST(Unpack, FloatsTakeTheLowHalfFromTheFirstRegister) {
    ScriptedModbus modbus;
    modbus.Reply({0x01, 0x04, 0x08, 0xCC, 0xCD, 0x3D, 0xCC, 0x00, 0x00, 0xC0, 0x20});
    CArray<float, float> values;
    values.SetSize(4);
    for (INT_PTR k = 0; k < values.GetSize(); ++k)
        values[k] = STALE_FLOAT;
    ASSERT_EQ(modbus.ReadInputFloats(FLOAT_ADDRESS, values), MODBUS_OK);
    EXPECT_EQ(values[0], ONE_TENTH);
    EXPECT_EQ(values[1], MINUS_TWO_AND_A_HALF);
    EXPECT_EQ(values[2], 0.0f); // only two floats are read
    EXPECT_EQ(values[3], 0.0f);
}

TEST(Unpack, PresetFloatAndReadInputFloatsAgreeOnWordOrder) {
    ScriptedModbus modbus;
    modbus.PresetFloat(FLOAT_ADDRESS, MINUS_TWO_AND_A_HALF);
    ASSERT_EQ(modbus.requests.size(), 1u);
    const Bytes& sent = modbus.requests[0].request;
    const Bytes registers(sent.begin() + 7, sent.end());
    EXPECT_EQ(registers, (Bytes{0x00, 0x00, 0xC0, 0x20}));

    Bytes reply{0x01, 0x04, 0x08};
    reply.insert(reply.end(), registers.begin(), registers.end());
    reply.resize(11);
    modbus.Reply(reply);
    CArray<float, float> values;
    values.SetSize(2);
    ASSERT_EQ(modbus.ReadInputFloats(FLOAT_ADDRESS, values), MODBUS_OK);
    EXPECT_EQ(values[0], MINUS_TWO_AND_A_HALF);
}

struct StatusCase {
    BYTE dataByte;
    BYTE expected;
    friend void PrintTo(const StatusCase& c, std::ostream* os) {
        *os << "byte " << int{c.dataByte};
    }
};

class UnpackStatus : public ::testing::TestWithParam<StatusCase> {};

TEST_P(UnpackStatus, TakesBitZeroOfTheDataByte) {
    ScriptedModbus modbus;
    modbus.Reply({0x01, 0x02, 0x01, GetParam().dataByte});
    CByteArray values;
    values.SetSize(1);
    values[0] = STALE_BYTE;
    ASSERT_EQ(modbus.ReadInputStatus(INPUT_ADDRESS, values), MODBUS_OK);
    EXPECT_EQ(values[0], GetParam().expected);
}

INSTANTIATE_TEST_SUITE_P(DataBytes, UnpackStatus,
                         ::testing::Values(StatusCase{0xFF, 1}, StatusCase{0xFE, 0},
                                           StatusCase{0x01, 1}, StatusCase{0x00, 0}));

} // namespace
