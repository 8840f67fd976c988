// What each operation puts on the wire and how long an answer it expects.
#include "ModbusTestData.h"
#include "support/ScriptedModbus.h"

#include <gtest/gtest.h>

#include <functional>
#include <ostream>
#include <string>

namespace {

struct RequestCase {
    std::string name;
    std::function<WORD(CModbus&)> operation;
    Bytes request;
    WORD responseLength;
    friend void PrintTo(const RequestCase& c, std::ostream* os) { *os << c.name; }
};

CWordArray Words(INT_PTR size, WORD fill = 0) {
    CWordArray a;
    a.SetSize(size);
    for (INT_PTR i = 0; i < size; ++i)
        a[i] = fill;
    return a;
}

WORD ReadRegisters(CModbus& m, WORD quantity) {
    CWordArray values = Words(quantity);
    return m.ReadInputRegisters(REGISTER_ADDRESS, quantity, values);
}

WORD ReadFloats(CModbus& m, INT_PTR count) {
    CArray<float, float> values;
    values.SetSize(count);
    return m.ReadInputFloats(FLOAT_ADDRESS, values);
}

WORD ReadStatus(CModbus& m) {
    CByteArray values;
    values.SetSize(1);
    return m.ReadInputStatus(INPUT_ADDRESS, values);
}

WORD PresetTwoWords(CModbus& m) {
    CWordArray values;
    values.Add(0xA1B2);
    values.Add(0xC3D4);
    return m.PresetMultipleRegisters(REGISTER_ADDRESS, 2, values);
}

class Request : public ::testing::TestWithParam<RequestCase> {};

// No reply is scripted, so every operation also shows that a transport failure comes back
// unchanged after its single attempt.
TEST_P(Request, SendsExactBytesAndExpectsLength) {
    const RequestCase& c = GetParam();
    ScriptedModbus modbus;
    EXPECT_EQ(c.operation(modbus), modbus.noReplyCode);
    ASSERT_EQ(modbus.requests.size(), 1u);
    EXPECT_EQ(modbus.requests[0].request, c.request);
    EXPECT_EQ(modbus.requests[0].responseLength, c.responseLength);
}

INSTANTIATE_TEST_SUITE_P(
    Operations, Request,
    ::testing::Values(
        RequestCase{"ReadInputRegisters",
                    [](CModbus& m) { return ReadRegisters(m, 4); },
                    {0x01, 0x04, 0x0B, 0xB8, 0x00, 0x04},
                    11},
        RequestCase{"ReadInputRegistersNone",
                    [](CModbus& m) { return ReadRegisters(m, 0); },
                    {0x01, 0x04, 0x0B, 0xB8, 0x00, 0x00},
                    3},
        RequestCase{"ReadInputStatus", ReadStatus, {0x01, 0x02, 0x0D, 0x3D, 0x00, 0x01}, 4},
        RequestCase{"ReadInputFloats",
                    [](CModbus& m) { return ReadFloats(m, 2); },
                    {0x01, 0x04, 0x0B, 0xBC, 0x00, 0x04},
                    11},
        RequestCase{"ReadInputFloatsFourElements",
                    [](CModbus& m) { return ReadFloats(m, 4); },
                    {0x01, 0x04, 0x0B, 0xBC, 0x00, 0x04},
                    11},
        RequestCase{"PresetFloat",
                    [](CModbus& m) { return m.PresetFloat(FLOAT_ADDRESS, ONE_TENTH); },
                    {0x01, 0x10, 0x0B, 0xBC, 0x00, 0x02, 0x04, 0xCC, 0xCD, 0x3D, 0xCC},
                    6},
        RequestCase{"PresetMultipleRegisters",
                    PresetTwoWords,
                    {0x01, 0x10, 0x0B, 0xB8, 0x00, 0x02, 0x04, 0xA1, 0xB2, 0xC3, 0xD4},
                    6},
        RequestCase{"ForceSingleCoilOn",
                    [](CModbus& m) { return m.ForceSingleCoil(COIL_ADDRESS, TRUE); },
                    {0x01, 0x05, 0x0D, 0x44, 0xFF, 0x00},
                    6},
        RequestCase{"ForceSingleCoilOff",
                    [](CModbus& m) { return m.ForceSingleCoil(COIL_ADDRESS, FALSE); },
                    {0x01, 0x05, 0x0D, 0x44, 0x00, 0x00},
                    6},
        RequestCase{"ForceSingleCoilAnyNonZeroIsOn",
                    [](CModbus& m) { return m.ForceSingleCoil(COIL_ADDRESS, 2); },
                    {0x01, 0x05, 0x0D, 0x44, 0xFF, 0x00},
                    6}),
    [](const auto& info) { return info.param.name; });

TEST(Request, ByteCountKeepsTheLowEightBitsOfTwiceTheQuantity) {
    constexpr WORD QUANTITY = 200;
    constexpr BYTE LOW_BITS_OF_400 = 0x90;
    ScriptedModbus modbus;
    CWordArray values = Words(QUANTITY, 0x1234);
    values[QUANTITY - 1] = 0xABCD;
    modbus.PresetMultipleRegisters(REGISTER_ADDRESS, QUANTITY, values);
    ASSERT_EQ(modbus.requests.size(), 1u);
    const Bytes& sent = modbus.requests[0].request;
    ASSERT_EQ(sent.size(), 7u + 2u * QUANTITY);
    EXPECT_EQ(Bytes(sent.begin(), sent.begin() + 9),
              (Bytes{0x01, 0x10, 0x0B, 0xB8, 0x00, 0xC8, LOW_BITS_OF_400, 0x12, 0x34}));
    EXPECT_EQ(Bytes(sent.end() - 2, sent.end()), (Bytes{0xAB, 0xCD}));
}

// A caller's array too small for the operation is a programming error, never a short read.
TEST(Request, TooSmallValueArraysAreRejected) {
    ScriptedModbus modbus;
    CWordArray three = Words(3);
    CByteArray noBytes;
    CArray<float, float> oneFloat;
    oneFloat.SetSize(1);
    EXPECT_THROW(modbus.ReadInputRegisters(REGISTER_ADDRESS, FOUR_REGISTERS, three),
                 std::invalid_argument);
    EXPECT_THROW(modbus.PresetMultipleRegisters(REGISTER_ADDRESS, FOUR_REGISTERS, three),
                 std::invalid_argument);
    EXPECT_THROW(modbus.ReadInputStatus(INPUT_ADDRESS, noBytes), std::invalid_argument);
    EXPECT_THROW(modbus.ReadInputFloats(FLOAT_ADDRESS, oneFloat), std::invalid_argument);
}

// Frame lengths travel as 16 bits: the largest quantities still fit, one more must not wrap.
TEST(Request, QuantitiesWhoseLengthWouldWrapAreRejected) {
    constexpr WORD LARGEST_READ = (0xFFFF - 3) / 2;
    constexpr WORD LARGEST_WRITE = (0xFFFF - 7) / 2;
    ScriptedModbus modbus;
    CWordArray values = Words(LARGEST_READ + 1);

    modbus.ReadInputRegisters(REGISTER_ADDRESS, LARGEST_READ, values);
    modbus.PresetMultipleRegisters(REGISTER_ADDRESS, LARGEST_WRITE, values);
    ASSERT_EQ(modbus.requests.size(), 2u);
    EXPECT_EQ(modbus.requests[0].responseLength, 0xFFFF);
    EXPECT_EQ(modbus.requests[1].request.size(), 0xFFFFu);

    EXPECT_THROW(modbus.ReadInputRegisters(REGISTER_ADDRESS, LARGEST_READ + 1, values),
                 std::invalid_argument);
    EXPECT_THROW(modbus.PresetMultipleRegisters(REGISTER_ADDRESS, LARGEST_WRITE + 1, values),
                 std::invalid_argument);
    EXPECT_EQ(modbus.requests.size(), 2u);
}

} // namespace
