// Replies that do not answer their request, and what failed reads leave in the caller's arrays.
#include "ModbusTestData.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

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

TEST(ReadCheck, FailedReadsLeaveRegistersAndStatusUntouchedAndZeroFloats) {
    const struct {
        WORD code;
        int changed; // unit 0, function 1, byte count 2
        WORD expected;
        const char* cause; // of the register read
    } cases[] = {
        {ILLEGAL_ADDRESS_EXCEPTION, NO_BYTE, ILLEGAL_ADDRESS_EXCEPTION,
         "read input registers 3000 x4: device exception 2 (illegal data address)"},
        {MODBUS_TCP_READ_ERROR, NO_BYTE, MODBUS_TCP_READ_ERROR, ": result code 1003"},
        {MODBUS_OK, 0, MODBUS_BAD_RESPONSE, ": reply unit 2, 1 expected"},
        {MODBUS_OK, 1, MODBUS_BAD_RESPONSE, ": reply function 5, 4 expected"},
        {MODBUS_OK, 2, MODBUS_BAD_RESPONSE, ": byte count 9, 8 expected"},
        {MODBUS_OK, NO_BYTE, MODBUS_BAD_RESPONSE, ": reply unit 0, 1 expected"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.cause);
        ScriptedModbus modbus;
        Script(modbus, c.code, c.changed, GOOD_REGISTERS);
        Script(modbus, c.code, c.changed, GOOD_STATUS);
        Script(modbus, c.code, c.changed, GOOD_REGISTERS);
        CWordArray words = Words(FOUR_REGISTERS, STALE_WORD);
        CByteArray status;
        status.Add(STALE_BYTE);
        CArray<float, float> floats = Floats(4, STALE_FLOAT);
        EXPECT_EQ(ReadRegisters(modbus, words), c.expected);
        EXPECT_THAT(modbus.LastFailure(), ::testing::EndsWith(c.cause));
        EXPECT_EQ(modbus.ReadInputStatus(INPUT_ADDRESS, status), c.expected);
        EXPECT_NE(modbus.ReadInputFloats(FLOAT_ADDRESS, floats), MODBUS_OK);
        for (INT_PTR i = 0; i < 4; ++i) {
            EXPECT_EQ(words[i], STALE_WORD) << "element " << i;
            EXPECT_EQ(floats[i], 0.0f) << "element " << i;
        }
        EXPECT_EQ(status[0], STALE_BYTE);
    }
}

// All six reply bytes must repeat the request.
TEST(WriteCheck, AnyDifferingByteOrAnEmptyReplyGivesBadResponse) {
    const struct {
        Operation operation;
        Bytes echo;
    } writes[] = {{[](CModbus& m) { return m.PresetFloat(FLOAT_ADDRESS, ONE_TENTH); },
                   {1, 0x10, 0x0B, 0xBC, 0x00, 0x02}},
                  {[](CModbus& m) { return m.ForceSingleCoil(COIL_ADDRESS, TRUE); },
                   {1, 0x05, 0x0D, 0x44, 0xFF, 0x00}},
                  {[](CModbus& m) { return m.ForceSingleCoil(COIL_ADDRESS, FALSE); },
                   {1, 0x05, 0x0D, 0x44, 0x00, 0x00}}};
    for (const auto& w : writes) {
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
