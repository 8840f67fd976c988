// Attempts per operation and the throw flag.
#include "ModbusTestData.h"
#include "modbus/ModbusException.h"
#include "support/ScriptedModbus.h"

#include <gtest/gtest.h>

TEST(Retry, AttemptsTheSameRequestUntilSuccessOrTheLimit) {
    Bytes wrongUnit = GOOD_REGISTERS;
    wrongUnit[0] = 2;
    const ScriptedReply socket{MODBUS_TCP_SOCKET_ERROR, {}}, write{MODBUS_TCP_WRITE_ERROR, {}},
        read{MODBUS_TCP_READ_ERROR, {}}, bad{MODBUS_OK, wrongUnit}, good{MODBUS_OK, GOOD_REGISTERS};
    const struct {
        const char* name;
        WORD retries;
        std::vector<ScriptedReply> script;
        std::size_t attempts;
        WORD code;
    } cases[] = {{"ZeroMeansOnce", 0, {socket}, 1, MODBUS_TCP_SOCKET_ERROR},
                 {"One", 1, {socket}, 1, MODBUS_TCP_SOCKET_ERROR},
                 {"ThreeAllFailLastCodeWins", 3, {socket, bad, read}, 3, MODBUS_TCP_READ_ERROR},
                 {"ThreeSucceedOnSecond", 3, {write, good}, 2, MODBUS_OK},
                 {"BadResponseThenSuccess", 3, {bad, good}, 2, MODBUS_OK}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        ScriptedModbus modbus;
        modbus.m_wRetries = c.retries;
        for (const ScriptedReply& r : c.script)
            r.code == MODBUS_OK ? modbus.Reply(r.bytes) : modbus.Fail(r.code);
        CWordArray values = Words(FOUR_REGISTERS);
        EXPECT_EQ(modbus.ReadInputRegisters(REGISTER_ADDRESS, FOUR_REGISTERS, values), c.code);
        ASSERT_EQ(modbus.requests.size(), c.attempts);
        for (const RecordedRequest& r : modbus.requests)
            EXPECT_EQ(r.request, modbus.requests[0].request);
        EXPECT_EQ(values[3], c.code == MODBUS_OK ? 4 : 0);
    }
}

// A transport with a text of its own, as the TCP/IP client has.
class TextedModbus : public ScriptedModbus {
public:
    static constexpr const char* OWN_TEXT = "own transport text";
    CString ErrorMessage(WORD code) override {
        return code == MODBUS_TCP_SOCKET_ERROR ? CString(OWN_TEXT) : CModbus::ErrorMessage(code);
    }
};

TEST(ThrowFlag, ThrowsAfterTheLastAttemptWithCodeAndTheTransportsText) {
    constexpr WORD RETRIES = 2;
    const struct {
        WORD code;
        const char* text;
    } cases[] = {{ILLEGAL_ADDRESS_EXCEPTION, "Modbus device returned an exception code 2"},
                 {MODBUS_TCP_SOCKET_ERROR, TextedModbus::OWN_TEXT},
                 {MODBUS_BAD_RESPONSE, "Received invalid device response from Modbus slave"},
                 {CODE_WITHOUT_TEXT, ""}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.code);
        TextedModbus modbus;
        modbus.m_bThrowException = TRUE;
        modbus.m_wRetries = RETRIES;
        modbus.Fail(c.code);
        modbus.Fail(c.code);
        try {
            modbus.ForceSingleCoil(COIL_ADDRESS, TRUE);
            ADD_FAILURE() << "no exception";
        } catch (CModbusException* e) {
            EXPECT_EQ(e->m_nError, c.code);
            EXPECT_EQ(e->m_strError, c.text);
            EXPECT_TRUE(e->IsKindOf(RUNTIME_CLASS(CException)));
            e->Delete();
        }
        EXPECT_EQ(modbus.requests.size(), RETRIES);
    }

    ScriptedModbus modbus;
    modbus.m_bThrowException = TRUE;
    modbus.Reply(GOOD_REGISTERS);
    CWordArray values = Words(FOUR_REGISTERS);
    EXPECT_NO_THROW(
        EXPECT_EQ(modbus.ReadInputRegisters(REGISTER_ADDRESS, FOUR_REGISTERS, values), MODBUS_OK));
}
