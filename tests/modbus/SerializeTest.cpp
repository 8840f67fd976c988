// The archive record of the client's settings.
#include "ModbusTestData.h"
#include "platform/Archive.h"
#include "platform/Exception.h"
#include "support/ScriptedModbus.h"

#include <gtest/gtest.h>

namespace {

constexpr WORD RETRIES = 0x0203;
constexpr DWORD RESERVED = 0x0A0B0C0D;
// m_wRetries (2 bytes), m_bThrowException (4), m_dwReserved (4), each little-endian.
const Bytes RECORD{0x03, 0x02, 0x01, 0x00, 0x00, 0x00, 0x0D, 0x0C, 0x0B, 0x0A};

TEST(Serialize, StoresRetriesThrowFlagReservedInThatOrder) {
    ScriptedModbus modbus;
    modbus.m_wRetries = RETRIES;
    modbus.m_bThrowException = TRUE;
    modbus.m_dwReserved = RESERVED;
    Bytes buffer;
    CArchive ar(buffer, CArchive::store);
    modbus.Serialize(ar);
    EXPECT_EQ(buffer, RECORD);
}

TEST(Serialize, LoadsTheSameRecord) {
    Bytes buffer = RECORD;
    ScriptedModbus modbus;
    CArchive ar(buffer, CArchive::load);
    modbus.Serialize(ar);
    EXPECT_EQ(modbus.m_wRetries, RETRIES);
    EXPECT_EQ(modbus.m_bThrowException, TRUE);
    EXPECT_EQ(modbus.m_dwReserved, RESERVED);
}

TEST(Serialize, RoundTripOfConstructionDefaults) {
    ScriptedModbus stored;
    Bytes buffer;
    {
        CArchive ar(buffer, CArchive::store);
        stored.Serialize(ar);
    }
    ScriptedModbus loaded;
    loaded.m_wRetries = RETRIES;
    loaded.m_bThrowException = TRUE;
    loaded.m_dwReserved = RESERVED;
    CArchive ar(buffer, CArchive::load);
    loaded.Serialize(ar);
    EXPECT_EQ(loaded.m_wRetries, 1);
    EXPECT_EQ(loaded.m_bThrowException, FALSE);
    EXPECT_EQ(loaded.m_dwReserved, 0u);
}

TEST(Serialize, ShortRecordThrowsArchiveException) {
    Bytes buffer(RECORD.begin(), RECORD.end() - 1);
    ScriptedModbus modbus;
    CArchive ar(buffer, CArchive::load);
    try {
        modbus.Serialize(ar);
        FAIL() << "no exception";
    } catch (CArchiveException* e) {
        e->Delete();
    }
}

} // namespace
