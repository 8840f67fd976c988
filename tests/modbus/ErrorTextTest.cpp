// Texts of result codes and of the Modbus exception, and the client's archive record.
#include "ModbusTestData.h"
#include "modbus/ModbusException.h"
#include "platform/Archive.h"
#include "platform/Exception.h"
#include "support/ScriptedModbus.h"

#include <gtest/gtest.h>

#include <string>

TEST(ErrorText, ListedCodesDeviceExceptionsAndCodesWithoutText) {
    const struct {
        WORD code;
        const char* text;
    } cases[] = {{MODBUS_OK, "Ok"},
                 {MODBUS_TIMEOUT, "Modbus device time out error"},
                 {MODBUS_BAD_RESPONSE, "Received invalid device response from Modbus slave"},
                 {MODBUS_CRC_ERROR, "Modbus crc error"},
                 {MODBUS_WRITE_ERROR, "Modbus: Write communication error"},
                 {MODBUS_READ_ERROR, "Modbus: Read communication error"},
                 {MODBUS_PORT_NOT_OPEN, "Modbus: com port not opened"},
                 {MODBUS_LOCK_TIMEOUT, "Modbus: Critical section lock time-out error"},
                 {MODBUS_EXCEPTION, "Modbus device returned an exception code 0"},
                 {ILLEGAL_ADDRESS_EXCEPTION, "Modbus device returned an exception code 2"},
                 {0xFFFF, "Modbus device returned an exception code 32767"}};
    ScriptedModbus modbus;
    for (const auto& c : cases)
        EXPECT_EQ(modbus.CModbus::ErrorMessage(c.code), c.text) << "code " << c.code;
    for (WORD code : {CODE_WITHOUT_TEXT, WORD{12}, MODBUS_TCP_BUFFER_OVERFLOW, WORD{0x7FFF}})
        EXPECT_EQ(modbus.CModbus::ErrorMessage(code), "") << "code " << code;
}

// The number follows the text unless it is 0; the message is cut to the buffer.
TEST(ErrorText, ExceptionMessageAndItsCutToTheBuffer) {
    constexpr UINT FULL_BUFFER = 200;
    constexpr UINT SMALL_BUFFER = 18;
    constexpr UINT NO_HELP_CONTEXT_WRITTEN = 0xC0FFEE;
    const struct {
        const char* text;
        WORD code;
        UINT chars;
        std::string expected;
    } cases[] = {
        {"Modbus device time out error", MODBUS_TIMEOUT, FULL_BUFFER,
         "Modbus device time out error error #1"},
        {"Ok", MODBUS_OK, FULL_BUFFER, "Ok error"},
        {"Modbus device time out error", MODBUS_TIMEOUT, SMALL_BUFFER, "Modbus device tim"},
        {"Ok", MODBUS_OK, 1, ""}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.expected);
        CModbusException* e = new CModbusException(c.text, c.code);
        std::string text(c.chars, '#');
        UINT help = NO_HELP_CONTEXT_WRITTEN;
        EXPECT_TRUE(e->GetErrorMessage(text.data(), c.chars, &help));
        EXPECT_EQ(help, NO_HELP_CONTEXT_WRITTEN);
        EXPECT_EQ(text.c_str(), c.expected);
        e->Delete();
    }
}

// m_wRetries (2 bytes), m_bThrowException (4), m_dwReserved (4), each little-endian.
constexpr WORD RETRIES = 0x0203;
constexpr DWORD RESERVED = 0x0A0B0C0D;
const Bytes RECORD{0x03, 0x02, 0x01, 0x00, 0x00, 0x00, 0x0D, 0x0C, 0x0B, 0x0A};

TEST(Serialize, StoresRetriesThrowFlagReservedInThatOrderAndLoadsThemBack) {
    ScriptedModbus stored;
    stored.m_wRetries = RETRIES;
    stored.m_bThrowException = TRUE;
    stored.m_dwReserved = RESERVED;
    Bytes buffer;
    CArchive store(buffer, CArchive::store);
    stored.Serialize(store);
    EXPECT_EQ(buffer, RECORD);

    ScriptedModbus loaded;
    CArchive load(buffer, CArchive::load);
    loaded.Serialize(load);
    EXPECT_EQ(loaded.m_wRetries, RETRIES);
    EXPECT_EQ(loaded.m_bThrowException, TRUE);
    EXPECT_EQ(loaded.m_dwReserved, RESERVED);

    Bytes shortRecord(RECORD.begin(), RECORD.end() - 1);
    CArchive cut(shortRecord, CArchive::load);
    try {
        loaded.Serialize(cut);
        ADD_FAILURE() << "no exception";
    } catch (CArchiveException* e) {
        e->Delete();
    }
}
