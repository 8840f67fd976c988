// Replies that do not answer their request, and what failed reads leave in the caller's arrays.
#include "ModbusTestData.h"
#include "support/ScriptedModbus.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

constexpr int UNIT_BYTE = 0;
constexpr int FUNCTION_BYTE = 1;
constexpr int BYTE_COUNT_BYTE = 2;
constexpr int NO_BYTE = -1;

// Scripts a failing code, an empty reply (NO_BYTE), or the good reply with one byte changed.
void Script(ScriptedModbus& modbus, WORD code, int changed, Bytes reply) {
    if (code != MODBUS_OK)
        return modbus.Fail(code);
    if (changed == NO_BYTE)
        reply.clear();
    else
        ++reply[static_cast<std::size_t>(changed)];
    modbus.Reply(reply);
}

TEST(ReadCheck, FailedRegisterAndStatusReadsLeaveTheArraysUntouched) {
    const struct {
        const char* name;
        WORD code;
        int changed;
        WORD expected;
        const char* cause; // of the register read
    } cases[] = {
        {"exception", ILLEGAL_ADDRESS_EXCEPTION, NO_BYTE, ILLEGAL_ADDRESS_EXCEPTION,
         "read input registers 3000 x4: device exception 2 (illegal data address)"},
        {"transport", MODBUS_TCP_READ_ERROR, NO_BYTE, MODBUS_TCP_READ_ERROR, ": result code 1003"},
        {"unit", MODBUS_OK, UNIT_BYTE, MODBUS_BAD_RESPONSE, ": reply unit 2, 1 expected"},
        {"function", MODBUS_OK, FUNCTION_BYTE, MODBUS_BAD_RESPONSE,
         ": reply function 5, 4 expected"},
        {"byte count", MODBUS_OK, BYTE_COUNT_BYTE, MODBUS_BAD_RESPONSE,
         ": byte count 9, 8 expected"},
        {"unfilled", MODBUS_OK, NO_BYTE, MODBUS_BAD_RESPONSE, ": reply unit 0, 1 expected"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        ScriptedModbus modbus;
        Script(modbus, c.code, c.changed, GOOD_REGISTERS);
        Script(modbus, c.code, c.changed, GOOD_STATUS);
        CWordArray words = Words(FOUR_REGISTERS, STALE_WORD);
        CByteArray status = OneByte(STALE_BYTE);
        EXPECT_EQ(modbus.ReadInputRegisters(REGISTER_ADDRESS, FOUR_REGISTERS, words), c.expected);
        EXPECT_THAT(modbus.LastFailure(), ::testing::EndsWith(c.cause));
        EXPECT_EQ(modbus.ReadInputStatus(INPUT_ADDRESS, status), c.expected);
        for (INT_PTR i = 0; i < words.GetSize(); ++i)
            EXPECT_EQ(words[i], STALE_WORD) << "element " << i;
        EXPECT_EQ(status[0], STALE_BYTE);
    }
}

TEST(ReadCheck, FailedFloatReadZeroesEveryElement) {
    for (WORD code : {MODBUS_TCP_READ_ERROR, MODBUS_OK}) {
        SCOPED_TRACE(code);
        ScriptedModbus modbus;
        Script(modbus, code, UNIT_BYTE, GOOD_REGISTERS);
        CArray<float, float> values = Floats(4, STALE_FLOAT);
        EXPECT_NE(modbus.ReadInputFloats(FLOAT_ADDRESS, values), MODBUS_OK);
        for (INT_PTR k = 0; k < values.GetSize(); ++k)
            EXPECT_EQ(values[k], 0.0f) << "element " << k;
    }
}

// All six reply bytes must repeat the request.
TEST(WriteCheck, AnyDifferingByteOrAnEmptyReplyGivesBadResponse) {
    const struct {
        const char* name;
        Operation operation;
        Bytes echo;
    } writes[] = {{"Float", PresetFloat(ONE_TENTH), {1, 0x10, 0x0B, 0xBC, 0x00, 0x02}},
                  {"CoilOn", ForceCoil(TRUE), {1, 0x05, 0x0D, 0x44, 0xFF, 0x00}},
                  {"CoilOff", ForceCoil(FALSE), {1, 0x05, 0x0D, 0x44, 0x00, 0x00}}};
    for (const auto& w : writes) {
        SCOPED_TRACE(w.name);
        ScriptedModbus modbus;
        modbus.Reply(w.echo);
        EXPECT_EQ(w.operation(modbus), MODBUS_OK);
        for (int changed = NO_BYTE; changed < static_cast<int>(w.echo.size()); ++changed) {
            SCOPED_TRACE(changed);
            Script(modbus, MODBUS_OK, changed, w.echo);
            EXPECT_EQ(w.operation(modbus), MODBUS_BAD_RESPONSE);
        }
    }
}
