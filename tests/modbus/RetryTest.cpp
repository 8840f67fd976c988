// Attempts per operation, the throw flag and the texts it throws.
#include "ModbusTestData.h"
#include "modbus/ModbusException.h"

#include <gtest/gtest.h>

#include <string>

TEST(Retry, AttemptsTheSameRequestUntilSuccessOrTheLimit) {
    Bytes wrongUnit = GOOD_REGISTERS;
    wrongUnit[0] = 2;
    const ScriptedReply socket{MODBUS_TCP_SOCKET_ERROR, {}}, write{MODBUS_TCP_WRITE_ERROR, {}},
        read{MODBUS_TCP_READ_ERROR, {}}, bad{MODBUS_OK, wrongUnit}, good{MODBUS_OK, GOOD_REGISTERS};
    const struct {
        WORD retries;
        std::vector<ScriptedReply> script;
        std::size_t attempts;
        WORD code;
    } cases[] = {{0, {socket}, 1, MODBUS_TCP_SOCKET_ERROR}, // zero means once
                 {1, {socket}, 1, MODBUS_TCP_SOCKET_ERROR},
                 {3, {socket, bad, read}, 3, MODBUS_TCP_READ_ERROR}, // the last code wins
                 {3, {write, good}, 2, MODBUS_OK},
                 {3, {bad, good}, 2, MODBUS_OK}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.attempts);
        ScriptedModbus modbus;
        modbus.m_wRetries = c.retries;
        for (const ScriptedReply& r : c.script)
            r.code == MODBUS_OK ? modbus.Reply(r.bytes) : modbus.Fail(r.code);
        CWordArray values = Words(FOUR_REGISTERS);
        EXPECT_EQ(ReadRegisters(modbus, values), c.code);
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
    } cases[] = {{MODBUS_EXCEPTION, "Modbus device returned an exception code 0"},
                 {0xFFFF, "Modbus device returned an exception code 32767"},
                 {MODBUS_TCP_SOCKET_ERROR, TextedModbus::OWN_TEXT},
                 {MODBUS_BAD_RESPONSE, "Received invalid device response from Modbus slave"},
                 {MODBUS_TIMEOUT, "Modbus device time out error"},
                 {MODBUS_LOCK_TIMEOUT, "Modbus: Critical section lock time-out error"},
                 {CODE_WITHOUT_TEXT, ""},
                 {MODBUS_TCP_BUFFER_OVERFLOW, ""},
                 {0x7FFF, ""}};
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
    EXPECT_NO_THROW(EXPECT_EQ(ReadRegisters(modbus, values), MODBUS_OK));
    EXPECT_EQ(modbus.CModbus::ErrorMessage(MODBUS_OK), "Ok");
}

// The number follows the text unless it is 0; the message is cut to the buffer.
TEST(ThrowFlag, ExceptionMessageAndItsCutToTheBuffer) {
    const struct {
        WORD code;
        UINT chars;
        std::string expected;
    } cases[] = {{MODBUS_TIMEOUT, 200, "Modbus device time out error error #1"},
                 {MODBUS_OK, 200, "Modbus device time out error error"},
                 {MODBUS_TIMEOUT, 18, "Modbus device tim"},
                 {MODBUS_OK, 1, ""}};
    for (const auto& c : cases) {
        auto* e = new CModbusException("Modbus device time out error", c.code);
        std::string text(c.chars, '#');
        UINT help = 0xC0FFEE;
        EXPECT_TRUE(e->GetErrorMessage(text.data(), c.chars, &help));
        EXPECT_EQ(help, 0xC0FFEEu); // no help context is written
        EXPECT_EQ(text.c_str(), c.expected);
        e->Delete();
    }
}
