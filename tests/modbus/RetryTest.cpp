// Attempts per operation and the throw flag.
#include "ModbusTestData.h"
#include "modbus/ModbusException.h"
#include "support/ScriptedModbus.h"

#include <gtest/gtest.h>

#include <ostream>
#include <string>

namespace {

const Bytes GOOD_REGISTERS{0x01, 0x04, 0x08, 0x00, 0x01, 0x00, 0x02, 0x00, 0x03, 0x00, 0x04};
const Bytes WRONG_UNIT{0x02, 0x04, 0x08, 0x00, 0x01, 0x00, 0x02, 0x00, 0x03, 0x00, 0x04};

struct RetryCase {
    std::string name;
    WORD retries;
    std::vector<ScriptedReply> script;
    std::size_t attempts;
    WORD code;
    friend void PrintTo(const RetryCase& c, std::ostream* os) { *os << c.name; }
};

class Retry : public ::testing::TestWithParam<RetryCase> {};

TEST_P(Retry, AttemptsUntilSuccessOrTheLimit) {
    const RetryCase& c = GetParam();
    ScriptedModbus modbus;
    modbus.m_wRetries = c.retries;
    for (const ScriptedReply& r : c.script) {
        if (r.code == MODBUS_OK)
            modbus.Reply(r.bytes);
        else
            modbus.Fail(r.code);
    }
    CWordArray values;
    values.SetSize(FOUR_REGISTERS);
    EXPECT_EQ(modbus.ReadInputRegisters(REGISTER_ADDRESS, FOUR_REGISTERS, values), c.code);
    ASSERT_EQ(modbus.requests.size(), c.attempts);
    for (const RecordedRequest& r : modbus.requests)
        EXPECT_EQ(r.request, modbus.requests[0].request);
    EXPECT_EQ(values[3], c.code == MODBUS_OK ? 4 : 0);
}

INSTANTIATE_TEST_SUITE_P(
    Cases, Retry,
    ::testing::Values(
        RetryCase{"ZeroMeansOnce", 0, {{TRANSPORT_SOCKET_ERROR, {}}}, 1, TRANSPORT_SOCKET_ERROR},
        RetryCase{"One", 1, {{TRANSPORT_SOCKET_ERROR, {}}}, 1, TRANSPORT_SOCKET_ERROR},
        RetryCase{
            "ThreeAllFailLastCodeWins",
            3,
            {{TRANSPORT_SOCKET_ERROR, {}}, {MODBUS_OK, WRONG_UNIT}, {TRANSPORT_READ_ERROR, {}}},
            3,
            TRANSPORT_READ_ERROR},
        RetryCase{"ThreeSucceedOnSecond",
                  3,
                  {{TRANSPORT_WRITE_ERROR, {}}, {MODBUS_OK, GOOD_REGISTERS}},
                  2,
                  MODBUS_OK},
        RetryCase{"BadResponseThenSuccess",
                  3,
                  {{MODBUS_OK, WRONG_UNIT}, {MODBUS_OK, GOOD_REGISTERS}},
                  2,
                  MODBUS_OK}),
    [](const auto& info) { return info.param.name; });

// A transport with a text of its own, as the TCP/IP client has.
class TextedModbus : public ScriptedModbus {
public:
    static constexpr const char* OWN_TEXT = "own transport text";
    CString ErrorMessage(WORD code) override {
        return code == TRANSPORT_SOCKET_ERROR ? CString(OWN_TEXT) : CModbus::ErrorMessage(code);
    }
};

struct ThrowCase {
    WORD code;
    const char* text;
    friend void PrintTo(const ThrowCase& c, std::ostream* os) { *os << "code " << c.code; }
};

class ThrowFlag : public ::testing::TestWithParam<ThrowCase> {};

TEST_P(ThrowFlag, ThrowsAfterTheLastAttemptWithCodeAndText) {
    constexpr WORD RETRIES = 2;
    TextedModbus modbus;
    modbus.m_bThrowException = TRUE;
    modbus.m_wRetries = RETRIES;
    modbus.Fail(GetParam().code);
    modbus.Fail(GetParam().code);
    try {
        modbus.ForceSingleCoil(COIL_ADDRESS, TRUE);
        FAIL() << "no exception";
    } catch (CModbusException* e) {
        EXPECT_EQ(e->m_nError, GetParam().code);
        EXPECT_EQ(e->m_strError, GetParam().text);
        EXPECT_TRUE(e->IsKindOf(RUNTIME_CLASS(CException)));
        e->Delete();
    }
    EXPECT_EQ(modbus.requests.size(), RETRIES);
}

INSTANTIATE_TEST_SUITE_P(
    Codes, ThrowFlag,
    ::testing::Values(
        ThrowCase{ILLEGAL_ADDRESS_EXCEPTION, "Modbus device returned an exception code 2"},
        ThrowCase{TRANSPORT_SOCKET_ERROR, TextedModbus::OWN_TEXT},
        ThrowCase{MODBUS_BAD_RESPONSE, "Received invalid device response from Modbus slave"},
        ThrowCase{CODE_WITHOUT_TEXT, ""}));

TEST(ThrowFlag, SuccessThrowsNothing) {
    ScriptedModbus modbus;
    modbus.m_bThrowException = TRUE;
    modbus.Reply(GOOD_REGISTERS);
    CWordArray values;
    values.SetSize(FOUR_REGISTERS);
    WORD code = MODBUS_BAD_RESPONSE;
    EXPECT_NO_THROW(code = modbus.ReadInputRegisters(REGISTER_ADDRESS, FOUR_REGISTERS, values));
    EXPECT_EQ(code, MODBUS_OK);
}

} // namespace
