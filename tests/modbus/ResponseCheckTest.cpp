// Replies that do not echo the request, and what failed reads leave in the caller's arrays.
#include "ModbusTestData.h"
#include "support/ScriptedModbus.h"

#include <gtest/gtest.h>

#include <functional>
#include <ostream>
#include <string>
#include <tuple>

namespace {

CWordArray StaleWords() {
    CWordArray a;
    a.SetSize(FOUR_REGISTERS);
    for (INT_PTR i = 0; i < a.GetSize(); ++i)
        a[i] = STALE_WORD;
    return a;
}

void ExpectStale(const CWordArray& a) {
    for (INT_PTR i = 0; i < a.GetSize(); ++i)
        EXPECT_EQ(a[i], STALE_WORD) << "element " << i;
}

// ---- reads: unit and function must be echoed; nothing is unpacked otherwise ----

struct ReplyCase {
    const char* name;
    WORD code; // what TxRx returns; the bytes count only when it is 0
    Bytes bytes;
    friend void PrintTo(const ReplyCase& c, std::ostream* os) { *os << c.name; }
};

void Script(ScriptedModbus& modbus, const ReplyCase& c) {
    if (c.code == MODBUS_OK)
        modbus.Reply(c.bytes);
    else
        modbus.Fail(c.code);
}

class RegisterReadCheck : public ::testing::TestWithParam<ReplyCase> {};

TEST_P(RegisterReadCheck, MismatchGivesBadResponseAndKeepsValues) {
    ScriptedModbus modbus;
    Script(modbus, GetParam());
    CWordArray values = StaleWords();
    EXPECT_EQ(modbus.ReadInputRegisters(REGISTER_ADDRESS, FOUR_REGISTERS, values),
              MODBUS_BAD_RESPONSE);
    ExpectStale(values);
}

INSTANTIATE_TEST_SUITE_P(
    Replies, RegisterReadCheck,
    ::testing::Values(ReplyCase{"unit", MODBUS_OK, {0x02, 0x04, 0x08, 0, 1, 0, 2, 0, 3, 0, 4}},
                      ReplyCase{"function", MODBUS_OK, {0x01, 0x03, 0x08, 0, 1, 0, 2, 0, 3, 0, 4}},
                      ReplyCase{"unfilled", MODBUS_OK, {}}));

class StatusReadCheck : public ::testing::TestWithParam<ReplyCase> {};

TEST_P(StatusReadCheck, MismatchGivesBadResponseAndKeepsValue) {
    ScriptedModbus modbus;
    Script(modbus, GetParam());
    CByteArray values;
    values.SetSize(1);
    values[0] = STALE_BYTE;
    EXPECT_EQ(modbus.ReadInputStatus(INPUT_ADDRESS, values), MODBUS_BAD_RESPONSE);
    EXPECT_EQ(values[0], STALE_BYTE);
}

INSTANTIATE_TEST_SUITE_P(Replies, StatusReadCheck,
                         ::testing::Values(ReplyCase{"unit", MODBUS_OK, {0x02, 0x02, 0x01, 0x01}},
                                           ReplyCase{
                                               "function", MODBUS_OK, {0x01, 0x04, 0x01, 0x01}},
                                           ReplyCase{"unfilled", MODBUS_OK, {}}));

TEST(ReadFailure, RegisterAndStatusArraysAreUntouched) {
    ScriptedModbus modbus;
    modbus.Fail(ILLEGAL_ADDRESS_EXCEPTION);
    modbus.Fail(TRANSPORT_READ_ERROR);
    CWordArray words = StaleWords();
    CByteArray bytes;
    bytes.SetSize(1);
    bytes[0] = STALE_BYTE;
    EXPECT_EQ(modbus.ReadInputRegisters(REGISTER_ADDRESS, FOUR_REGISTERS, words),
              ILLEGAL_ADDRESS_EXCEPTION);
    EXPECT_EQ(modbus.ReadInputStatus(INPUT_ADDRESS, bytes), TRANSPORT_READ_ERROR);
    ExpectStale(words);
    EXPECT_EQ(bytes[0], STALE_BYTE);
}

class FloatReadFailure : public ::testing::TestWithParam<ReplyCase> {};

TEST_P(FloatReadFailure, ZeroesEveryElement) {
    ScriptedModbus modbus;
    Script(modbus, GetParam());
    CArray<float, float> values;
    values.SetSize(4);
    for (INT_PTR k = 0; k < values.GetSize(); ++k)
        values[k] = STALE_FLOAT;
    EXPECT_NE(modbus.ReadInputFloats(FLOAT_ADDRESS, values), MODBUS_OK);
    for (INT_PTR k = 0; k < values.GetSize(); ++k)
        EXPECT_EQ(values[k], 0.0f) << "element " << k;
}

INSTANTIATE_TEST_SUITE_P(
    Failures, FloatReadFailure,
    ::testing::Values(ReplyCase{"transport", TRANSPORT_READ_ERROR, {}},
                      ReplyCase{"unit", MODBUS_OK, {0x02, 0x04, 0x08, 0xCC, 0xCD, 0x3D, 0xCC}}));

// ---- writes: all six reply bytes must repeat the request ----

struct WriteCase {
    std::string name;
    std::function<WORD(CModbus&)> operation;
    Bytes echo;
    friend void PrintTo(const WriteCase& c, std::ostream* os) { *os << c.name; }
};

const WriteCase WRITES[] = {
    {"PresetFloat",
     [](CModbus& m) { return m.PresetFloat(FLOAT_ADDRESS, ONE_TENTH); },
     {0x01, 0x10, 0x0B, 0xBC, 0x00, 0x02}},
    {"CoilOn",
     [](CModbus& m) { return m.ForceSingleCoil(COIL_ADDRESS, TRUE); },
     {0x01, 0x05, 0x0D, 0x44, 0xFF, 0x00}},
    {"CoilOff",
     [](CModbus& m) { return m.ForceSingleCoil(COIL_ADDRESS, FALSE); },
     {0x01, 0x05, 0x0D, 0x44, 0x00, 0x00}},
};

class WriteCheck : public ::testing::TestWithParam<std::tuple<WriteCase, int>> {};

TEST_P(WriteCheck, AnyDifferingByteGivesBadResponse) {
    const auto& [write, index] = GetParam();
    ScriptedModbus modbus;
    modbus.Reply(write.echo);
    ASSERT_EQ(write.operation(modbus), MODBUS_OK);

    Bytes changed = write.echo;
    changed[static_cast<std::size_t>(index)] ^= 0x01;
    modbus.Reply(changed);
    EXPECT_EQ(write.operation(modbus), MODBUS_BAD_RESPONSE);
}

INSTANTIATE_TEST_SUITE_P(ChangedByte, WriteCheck,
                         ::testing::Combine(::testing::ValuesIn(WRITES), ::testing::Range(0, 6)),
                         [](const auto& info) {
                             return std::get<0>(info.param).name + "_byte" +
                                    std::to_string(std::get<1>(info.param));
                         });

TEST(WriteCheck, EmptyReplyGivesBadResponse) {
    ScriptedModbus modbus;
    modbus.Reply({});
    EXPECT_EQ(modbus.ForceSingleCoil(COIL_ADDRESS, FALSE), MODBUS_BAD_RESPONSE);
}

} // namespace
