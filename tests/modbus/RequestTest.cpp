// What the operations put on the wire that the reply fuzz harness never sends, and the sizes
// they refuse.
#include "ModbusTestData.h"

#include <gtest/gtest.h>

TEST(Request, ExactBytesAndExpectedLength) {
    const struct {
        Operation operation;
        Bytes request;
        WORD responseLength;
    } cases[] = {
        {[](CModbus& m) {
             CArray<float, float> two = Floats(2, 0.0f);
             return m.ReadInputFloats(FLOAT_ADDRESS, two);
         },
         {1, 4, 0x0B, 0xBC, 0, 4},
         11},
        {[](CModbus& m) { return m.PresetFloat(FLOAT_ADDRESS, ONE_TENTH); },
         {1, 0x10, 0x0B, 0xBC, 0, 2, 4, 0xCC, 0xCD, 0x3D, 0xCC},
         6},
        {[](CModbus& m) { return m.ForceSingleCoil(COIL_ADDRESS, 2); }, // any non-zero is on
         {1, 5, 0x0D, 0x44, 0xFF, 0},
         6},
    };
    for (const auto& c : cases) {
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
    EXPECT_THROW(ReadRegisters(modbus, three), std::invalid_argument);
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
