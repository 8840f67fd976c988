// What each operation puts on the wire, how long an answer it expects, and how a good
// answer becomes values.
#include "ModbusTestData.h"
#include "support/ScriptedModbus.h"

#include <gtest/gtest.h>

// No reply is scripted, so each operation also shows that a transport failure comes back
// unchanged after its single attempt.
TEST(Request, ExactBytesAndExpectedLengthOfEveryOperation) {
    const struct {
        const char* name;
        Operation operation;
        Bytes request;
        WORD responseLength;
    } cases[] = {
        {"Registers", ReadRegisters(4), {1, 4, 0x0B, 0xB8, 0, 4}, 11},
        {"NoRegisters", ReadRegisters(0), {1, 4, 0x0B, 0xB8, 0, 0}, 3},
        {"Status", ReadStatus(), {1, 2, 0x0D, 0x3D, 0, 1}, 4},
        {"TwoFloats", ReadFloats(2), {1, 4, 0x0B, 0xBC, 0, 4}, 11},
        {"FourFloats", ReadFloats(4), {1, 4, 0x0B, 0xBC, 0, 4}, 11},
        {"Float",
         PresetFloat(ONE_TENTH),
         {1, 0x10, 0x0B, 0xBC, 0, 2, 4, 0xCC, 0xCD, 0x3D, 0xCC},
         6},
        {"Words",
         PresetTwoWords(0xA1B2, 0xC3D4),
         {1, 0x10, 0x0B, 0xB8, 0, 2, 4, 0xA1, 0xB2, 0xC3, 0xD4},
         6},
        {"CoilOn", ForceCoil(TRUE), {1, 5, 0x0D, 0x44, 0xFF, 0}, 6},
        {"CoilOff", ForceCoil(FALSE), {1, 5, 0x0D, 0x44, 0, 0}, 6},
        {"CoilAnyNonZeroIsOn", ForceCoil(2), {1, 5, 0x0D, 0x44, 0xFF, 0}, 6},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        ScriptedModbus modbus;
        EXPECT_EQ(c.operation(modbus), modbus.noReplyCode);
        ASSERT_EQ(modbus.requests.size(), 1u);
        EXPECT_EQ(modbus.requests[0].request, c.request);
        EXPECT_EQ(modbus.requests[0].responseLength, c.responseLength);
    }
}

// Too small an array is a programming error, never a short read. Frame lengths travel as 16
// bits: the largest quantities still fit (the byte count keeping its low 8 bits), one more
// must not wrap.
TEST(Request, TooSmallArraysAndWrappingQuantitiesAreRejected) {
    constexpr WORD LARGEST_READ = (0xFFFF - 3) / 2;
    constexpr WORD LARGEST_WRITE = (0xFFFF - 7) / 2; // 7F FC
    constexpr BYTE LOW_BITS_OF_BYTE_COUNT = (2 * LARGEST_WRITE) & 0xFF;
    ScriptedModbus modbus;
    CWordArray three = Words(3);
    CByteArray noBytes;
    CArray<float, float> oneFloat = Floats(1, 0.0f);
    EXPECT_THROW(modbus.ReadInputRegisters(REGISTER_ADDRESS, FOUR_REGISTERS, three),
                 std::invalid_argument);
    EXPECT_THROW(modbus.PresetMultipleRegisters(REGISTER_ADDRESS, FOUR_REGISTERS, three),
                 std::invalid_argument);
    EXPECT_THROW(modbus.ReadInputStatus(INPUT_ADDRESS, noBytes), std::invalid_argument);
    EXPECT_THROW(modbus.ReadInputFloats(FLOAT_ADDRESS, oneFloat), std::invalid_argument);

    CWordArray values = Words(LARGEST_READ + 1, 0x1234);
    values[LARGEST_WRITE - 1] = 0xABCD;
    modbus.ReadInputRegisters(REGISTER_ADDRESS, LARGEST_READ, values);
    modbus.PresetMultipleRegisters(REGISTER_ADDRESS, LARGEST_WRITE, values);
    EXPECT_THROW(modbus.ReadInputRegisters(REGISTER_ADDRESS, LARGEST_READ + 1, values),
                 std::invalid_argument);
    EXPECT_THROW(modbus.PresetMultipleRegisters(REGISTER_ADDRESS, LARGEST_WRITE + 1, values),
                 std::invalid_argument);
    ASSERT_EQ(modbus.requests.size(), 2u);
    EXPECT_EQ(modbus.requests[0].responseLength, 0xFFFF);
    const Bytes& sent = modbus.requests[1].request;
    ASSERT_EQ(sent.size(), 0xFFFFu);
    EXPECT_EQ(Bytes(sent.begin(), sent.begin() + 9),
              (Bytes{1, 0x10, 0x0B, 0xB8, 0x7F, 0xFC, LOW_BITS_OF_BYTE_COUNT, 0x12, 0x34}));
    EXPECT_EQ(Bytes(sent.end() - 2, sent.end()), (Bytes{0xAB, 0xCD}));
}

TEST(Unpack, RegistersAreHighByteFirstUpToTheQuantity) {
    ScriptedModbus modbus;
    modbus.Reply({1, 4, 0x08, 0x12, 0x34, 0x00, 0x02, 0xAB, 0xCD, 0xFF, 0xFF});
    CWordArray values = Words(FOUR_REGISTERS + 1, STALE_WORD);
    ASSERT_EQ(modbus.ReadInputRegisters(REGISTER_ADDRESS, FOUR_REGISTERS, values), MODBUS_OK);
    EXPECT_EQ(values[0], 0x1234);
    EXPECT_EQ(values[1], 0x0002);
    EXPECT_EQ(values[2], 0xABCD);
    EXPECT_EQ(values[3], 0xFFFF);
    EXPECT_EQ(values[4], STALE_WORD);
}

// The same word order as PresetFloat writes, so a written float reads back unchanged.
TEST(Unpack, FloatsTakeTheLowHalfFromTheFirstRegisterAndOnlyTwoAreRead) {
    ScriptedModbus modbus;
    modbus.Reply({1, 4, 0x08, 0xCC, 0xCD, 0x3D, 0xCC, 0x00, 0x00, 0xC0, 0x20});
    CArray<float, float> values = Floats(4, STALE_FLOAT);
    ASSERT_EQ(modbus.ReadInputFloats(FLOAT_ADDRESS, values), MODBUS_OK);
    EXPECT_EQ(values[0], ONE_TENTH);
    EXPECT_EQ(values[1], MINUS_TWO_AND_A_HALF);
    EXPECT_EQ(values[2], 0.0f);
    EXPECT_EQ(values[3], 0.0f);
}

TEST(Unpack, StatusIsBitZeroOfTheDataByte) {
    for (auto [data, expected] : {std::pair<BYTE, BYTE>{0xFF, 1}, {0xFE, 0}, {0x01, 1}, {0, 0}}) {
        SCOPED_TRACE(int{data});
        ScriptedModbus modbus;
        modbus.Reply({1, 2, 1, data});
        CByteArray values = OneByte(STALE_BYTE);
        ASSERT_EQ(modbus.ReadInputStatus(INPUT_ADDRESS, values), MODBUS_OK);
        EXPECT_EQ(values[0], expected);
    }
}
