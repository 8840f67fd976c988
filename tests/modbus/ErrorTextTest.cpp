// Texts of result codes and of the Modbus exception.
#include "ModbusTestData.h"
#include "modbus/ModbusException.h"
#include "support/ScriptedModbus.h"

#include <gtest/gtest.h>

#include <ostream>
#include <string>

namespace {

struct TextCase {
    WORD code;
    const char* text;
    friend void PrintTo(const TextCase& c, std::ostream* os) { *os << "code " << c.code; }
};

class ErrorText : public ::testing::TestWithParam<TextCase> {};

TEST_P(ErrorText, BaseTableGivesTheText) {
    ScriptedModbus modbus;
    EXPECT_EQ(modbus.CModbus::ErrorMessage(GetParam().code), GetParam().text);
}

INSTANTIATE_TEST_SUITE_P(
    Listed, ErrorText,
    ::testing::Values(
        TextCase{MODBUS_OK, "Ok"}, TextCase{MODBUS_TIMEOUT, "Modbus device time out error"},
        TextCase{MODBUS_BAD_RESPONSE, "Received invalid device response from Modbus slave"},
        TextCase{MODBUS_CRC_ERROR, "Modbus crc error"},
        TextCase{MODBUS_WRITE_ERROR, "Modbus: Write communication error"},
        TextCase{MODBUS_READ_ERROR, "Modbus: Read communication error"},
        TextCase{MODBUS_PORT_NOT_OPEN, "Modbus: com port not opened"},
        TextCase{MODBUS_LOCK_TIMEOUT, "Modbus: Critical section lock time-out error"}));

INSTANTIATE_TEST_SUITE_P(
    DeviceExceptions, ErrorText,
    ::testing::Values(TextCase{MODBUS_EXCEPTION, "Modbus device returned an exception code 0"},
                      TextCase{ILLEGAL_ADDRESS_EXCEPTION,
                               "Modbus device returned an exception code 2"},
                      TextCase{0xFFFF, "Modbus device returned an exception code 32767"}));

INSTANTIATE_TEST_SUITE_P(WithoutText, ErrorText,
                         ::testing::Values(TextCase{CODE_WITHOUT_TEXT, ""}, TextCase{7, ""},
                                           TextCase{12, ""},
                                           TextCase{MODBUS_TCP_BUFFER_OVERFLOW, ""},
                                           TextCase{0x7FFF, ""}));

constexpr UINT FULL_BUFFER = 200;
constexpr UINT NO_HELP_CONTEXT_WRITTEN = 0xC0FFEE;

std::string MessageOf(const CException& e, UINT chars) {
    std::string text(chars, '#');
    UINT help = NO_HELP_CONTEXT_WRITTEN;
    EXPECT_TRUE(e.GetErrorMessage(text.data(), chars, &help));
    EXPECT_EQ(help, NO_HELP_CONTEXT_WRITTEN);
    return text.c_str();
}

TEST(CModbusExceptionText, NumberFollowsTheText) {
    CModbusException* e = new CModbusException("Modbus device time out error", MODBUS_TIMEOUT);
    EXPECT_EQ(MessageOf(*e, FULL_BUFFER), "Modbus device time out error error #1");
    e->Delete();
}

TEST(CModbusExceptionText, IsCutToTheBuffer) {
    constexpr UINT SMALL_BUFFER = 20;
    const std::string full = "Received invalid device response from Modbus slave error #2";
    CModbusException* e = new CModbusException("Received invalid device response from Modbus slave",
                                               MODBUS_BAD_RESPONSE);
    EXPECT_EQ(MessageOf(*e, SMALL_BUFFER), full.substr(0, SMALL_BUFFER - 1));
    EXPECT_EQ(MessageOf(*e, 1), "");
    e->Delete();
}

TEST(CModbusExceptionText, NumberZeroLeavesTheNumberOut) {
    CModbusException* e = new CModbusException("Ok", MODBUS_OK);
    EXPECT_EQ(MessageOf(*e, FULL_BUFFER), "Ok error");
    e->Delete();
}

TEST(CModbusExceptionText, RuntimeClass) {
    CModbusException* e = new CModbusException("", MODBUS_BAD_RESPONSE);
    EXPECT_STREQ(e->GetRuntimeClass()->m_lpszClassName, "CModbusException");
    EXPECT_EQ(e->GetRuntimeClass()->m_pBaseClass, RUNTIME_CLASS(CException));
    e->Delete();

    ScriptedModbus modbus;
    EXPECT_TRUE(modbus.IsKindOf(RUNTIME_CLASS(CModbus)));
    EXPECT_STREQ(RUNTIME_CLASS(CModbus)->m_lpszClassName, "CModbus");
    EXPECT_EQ(RUNTIME_CLASS(CModbus)->m_pBaseClass, &CObject::classCObject);
}

} // namespace
