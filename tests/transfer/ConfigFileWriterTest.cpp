#include "FileText.h"
#include "support/ScriptedModbus.h"
#include "transfer/ConfigFile.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <ctime>
#include <limits>
#include <optional>
#include <sstream>
#include <string>

namespace {
constexpr std::time_t SAT_DEC_05_2026_213152_UTC = 1796506312;
constexpr std::time_t FRI_JAN_09_2026_080405_UTC = 1767945845;
constexpr BYTE UNIT = 0x01;
constexpr BYTE READ_INPUT_REGISTERS = 0x04;
const std::string NOTE = "\"Alarm Mode (0 = Disabled, 1 = Trip Low, 2 = Trip High)\"\n";

// Sets TZ for one test and puts the old value back.
class ScopedTimeZone {
public:
    explicit ScopedTimeZone(const char* zone) {
        if (const char* old = std::getenv("TZ"))
            m_old = old;
        setenv("TZ", zone, 1);
        tzset();
    }
    ~ScopedTimeZone() {
        if (m_old)
            setenv("TZ", m_old->c_str(), 1);
        else
            unsetenv("TZ");
        tzset();
    }

private:
    std::optional<std::string> m_old;
};

void ReplySerial(ScriptedModbus& modbus, BYTE h1, BYTE h0, BYTE l1, BYTE l0) {
    modbus.Reply({UNIT, READ_INPUT_REGISTERS, 0x04, h1, h0, l1, l0});
}

std::string Header(ScriptedModbus& modbus, std::time_t when) {
    std::ostringstream out;
    WriteFileHeader(out, modbus, when);
    return out.str();
}

std::string HeaderLine(const std::string& header, int index) {
    std::istringstream in(header);
    std::string line;
    for (int i = 0; i <= index; ++i)
        std::getline(in, line);
    return line;
}

std::string Row(int n, const AlarmRecord& record) {
    std::ostringstream out;
    PrepareFileStream(out);
    WriteAlarmRow(out, n, record);
    return out.str();
}
} // namespace

TEST(FileHeader, ExactLinesForAKnownSerialAndTime) {
    ScopedTimeZone utc("UTC0");
    ScriptedModbus modbus;
    ReplySerial(modbus, 0x00, 0x01, 0x00, 0x02);
    EXPECT_EQ(Header(modbus, SAT_DEC_05_2026_213152_UTC), FILE_HEADER);
    ASSERT_EQ(modbus.requests.size(), 1u);
    EXPECT_EQ(modbus.requests[0].request, (std::vector<BYTE>{UNIT, 0x04, 0x07, 0x6B, 0x00, 0x02}));
}

TEST(FileHeader, TimeLineHasATwoDigitDayAndIs24Characters) {
    ScopedTimeZone utc("UTC0");
    ScriptedModbus modbus;
    const std::string line = HeaderLine(Header(modbus, FRI_JAN_09_2026_080405_UTC), 1);
    EXPECT_EQ(line, "Fri Jan 09 08:04:05 2026");
    EXPECT_EQ(line.size(), 24u);
}

TEST(FileHeader, TimeLineIsLocalTime) {
    ScopedTimeZone threeHoursEast("XYZ-3");
    ScriptedModbus modbus;
    EXPECT_EQ(HeaderLine(Header(modbus, SAT_DEC_05_2026_213152_UTC), 1),
              "Sun Dec 06 00:31:52 2026");
}

TEST(FileHeader, TimeThatCannotBeShownKeepsTheLayout) {
    ScopedTimeZone utc("UTC0");
    ScriptedModbus modbus;
    const std::string line = HeaderLine(Header(modbus, std::numeric_limits<std::time_t>::max()), 1);
    EXPECT_EQ(line, "??? ??? ?? ??:??:?? ????");
}

TEST(FileHeader, CurrentTimeFormIsTheSameLayout) {
    ScriptedModbus modbus;
    std::ostringstream out;
    WriteFileHeader(out, modbus);
    const std::string line = HeaderLine(out.str(), 1);
    ASSERT_EQ(line.size(), 24u);
    EXPECT_EQ(line[3], ' ');
    EXPECT_EQ(line[7], ' ');
    EXPECT_NE(line[8], ' ') << "day must have two digits: " << line;
    EXPECT_EQ(line.substr(13, 1) + line.substr(16, 1), "::");
}

TEST(FileHeader, SerialNumberIsUnsignedAndZeroWhenTheReadFails) {
    ScriptedModbus allOnes;
    ReplySerial(allOnes, 0xFF, 0xFF, 0xFF, 0xFF);
    EXPECT_EQ(HeaderLine(Header(allOnes, 0), 2), "Serial Number: 4294967295");

    ScriptedModbus failing;
    failing.Fail(MODBUS_TCP_READ_ERROR);
    EXPECT_EQ(HeaderLine(Header(failing, 0), 2), "Serial Number: 0");
}

TEST(FileHeader, FailedStreamGetsNothingAndTheDeviceIsNotAsked) {
    ScriptedModbus modbus;
    std::ostringstream out;
    out.setstate(std::ios_base::badbit);
    WriteFileHeader(out, modbus, SAT_DEC_05_2026_213152_UTC);
    out.clear();
    EXPECT_EQ(out.str(), "");
    EXPECT_TRUE(modbus.requests.empty());
}

TEST(AlarmRow, ExactBytesOfTheDocumentedExamples) {
    EXPECT_EQ(Row(3, AlarmRecord{2, 4, 2, 5, 75.5f, 1.25f, true}), "3,2,4,2,5,75.5000,1.2500,1\n");
    EXPECT_EQ(Row(7, AlarmRecord{}), "7,0,0,0,0,0.0000,0.0000,0\n");
}

TEST(AlarmRow, RealsHaveExactlyFourDecimalsRoundedToNearest) {
    EXPECT_EQ(Row(1, AlarmRecord{0, 0, 0, 0, 0.5f, -12.0f, false}),
              "1,0,0,0,0,0.5000,-12.0000,0\n");
    EXPECT_EQ(Row(1, AlarmRecord{0, 0, 0, 0, 1000.0f, 2.71828f, false}),
              "1,0,0,0,0,1000.0000,2.7183,0\n");
    EXPECT_EQ(Row(1, AlarmRecord{0, 0, 0, 0, 1e10f, -0.00004f, false}),
              "1,0,0,0,0,10000000000.0000,-0.0000,0\n");
}

TEST(AlarmRow, WordsAreUnsignedDecimals) {
    EXPECT_EQ(Row(32, AlarmRecord{65535, 65535, 32768, 8, 0.0f, 0.0f, false}),
              "32,65535,65535,32768,8,0.0000,0.0000,0\n");
}

TEST(AlarmRow, StreamSettingsDoNotChangeTheRow) {
    std::ostringstream out;
    out.setf(std::ios_base::scientific, std::ios_base::floatfield);
    out.precision(2);
    out.width(10);
    WriteAlarmRow(out, 3, AlarmRecord{2, 4, 2, 5, 75.5f, 1.25f, true});
    EXPECT_EQ(out.str(), "3,2,4,2,5,75.5000,1.2500,1\n");
}

TEST(AlarmRow, ArrayFormWritesTheSameRow) {
    AlarmArrays arrays;
    arrays.FromRecord(AlarmRecord{2, 4, 2, 5, 75.5f, 1.25f, true});
    arrays.floats[2] = 9.0f; // slots beyond the first two are not part of the alarm
    std::ostringstream out;
    WriteAlarmRow(out, 3, arrays.words, arrays.floats, arrays.faults);
    EXPECT_EQ(out.str(), "3,2,4,2,5,75.5000,1.2500,1\n");
}

TEST(AlarmRow, ArrayFormWritesAnyNonZeroFaultsByteAsOne) {
    AlarmArrays arrays;
    arrays.faults[0] = 2;
    std::ostringstream out;
    WriteAlarmRow(out, 4, arrays.words, arrays.floats, arrays.faults);
    EXPECT_EQ(out.str(), "4,0,0,0,0,0.0000,0.0000,1\n");
}

TEST(AlarmRow, ArrayFormRefusesShortArrays) {
    AlarmArrays arrays;
    CArray<float, float> oneFloat;
    oneFloat.SetSize(1);
    std::ostringstream out;
    EXPECT_THROW(WriteAlarmRow(out, 1, arrays.words, oneFloat, arrays.faults),
                 std::invalid_argument);
    CByteArray noFaults;
    EXPECT_THROW(WriteAlarmRow(out, 1, arrays.words, arrays.floats, noFaults),
                 std::invalid_argument);
}

TEST(FileNote, ExactBytes) {
    std::ostringstream out;
    WriteFileNote(out);
    EXPECT_EQ(out.str(), NOTE);
}

TEST(WholeFile, HeaderRowsAndNoteMake38Lines) {
    ScopedTimeZone utc("UTC0");
    ScriptedModbus modbus;
    ReplySerial(modbus, 0x00, 0x01, 0x00, 0x02);
    std::ostringstream out;
    PrepareFileStream(out);
    WriteFileHeader(out, modbus, SAT_DEC_05_2026_213152_UTC);
    std::string expected = FILE_HEADER;
    for (int n = 1; n <= ALARM_COUNT; ++n) {
        WriteAlarmRow(out, n, AlarmRecord{});
        expected += std::to_string(n) + ",0,0,0,0,0.0000,0.0000,0\n";
    }
    WriteFileNote(out);
    expected += NOTE;
    EXPECT_EQ(out.str(), expected);
}

TEST(PreparedStream, WritesRealsFixedWithFourDecimals) {
    std::ostringstream out;
    PrepareFileStream(out);
    out << 0.5 << ' ' << 1e20 << ' ' << 12345;
    EXPECT_EQ(out.str(), "0.5000 100000000000000000000.0000 12345");
}
