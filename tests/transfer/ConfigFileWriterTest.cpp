#include "FileText.h"
#include "support/ScriptedModbus.h"
#include "transfer/ConfigFile.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <ctime>
#include <limits>
#include <sstream>
#include <string>

namespace {
constexpr std::time_t SAT_DEC_05_2026_213152_UTC = 1796506312;
constexpr std::time_t FRI_JAN_09_2026_080405_UTC = 1767945845;
const std::string NOTE = "\"Alarm Mode (0 = Disabled, 1 = Trip Low, 2 = Trip High)\"\n";
const std::string EXAMPLE_ROW = "3,2,4,2,5,75.5000,1.2500,1\n";
const AlarmRecord EXAMPLE_RECORD{2, 4, 2, 5, 75.5f, 1.25f, true};

// Sets TZ for one test and puts the old value back.
class ScopedTimeZone {
public:
    explicit ScopedTimeZone(const char* zone) : m_had(std::getenv("TZ") != nullptr) {
        m_old = m_had ? std::getenv("TZ") : "";
        setenv("TZ", zone, 1);
        tzset();
    }
    ~ScopedTimeZone() {
        m_had ? setenv("TZ", m_old.c_str(), 1) : unsetenv("TZ");
        tzset();
    }

private:
    bool m_had;
    std::string m_old;
};

void ReplySerial(ScriptedModbus& modbus, std::initializer_list<BYTE> words) {
    std::vector<BYTE> reply{1, 4, 4};
    reply.insert(reply.end(), words);
    modbus.Reply(reply);
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
    WriteAlarmRow(out, n, record);
    return out.str();
}
} // namespace

TEST(FileHeader, ExactLinesForAKnownSerialAndTime) {
    ScopedTimeZone utc("UTC0");
    ScriptedModbus modbus;
    ReplySerial(modbus, {0x00, 0x01, 0x00, 0x02});
    EXPECT_EQ(Header(modbus, SAT_DEC_05_2026_213152_UTC), FILE_HEADER);
    ASSERT_EQ(modbus.requests.size(), 1u);
    EXPECT_EQ(modbus.requests[0].request, (std::vector<BYTE>{1, 0x04, 0x07, 0x6B, 0x00, 0x02}));
}

// Local time, a two-digit day, always 24 characters.
TEST(FileHeader, TimeLine) {
    const struct {
        const char* zone;
        std::time_t time;
        const char* line;
    } cases[] = {{"UTC0", FRI_JAN_09_2026_080405_UTC, "Fri Jan 09 08:04:05 2026"},
                 {"XYZ-3", SAT_DEC_05_2026_213152_UTC, "Sun Dec 06 00:31:52 2026"},
                 {"UTC0", std::numeric_limits<std::time_t>::max(), "??? ??? ?? ??:??:?? ????"}};
    for (const auto& c : cases) {
        ScopedTimeZone zone(c.zone);
        ScriptedModbus modbus;
        EXPECT_EQ(HeaderLine(Header(modbus, c.time), 1), c.line);
    }
    ScriptedModbus modbus;
    std::ostringstream now;
    WriteFileHeader(now, modbus);
    const std::string line = HeaderLine(now.str(), 1);
    EXPECT_EQ(line.size(), 24u);
    EXPECT_NE(line[8], ' ') << "day must have two digits: " << line;
}

TEST(FileHeader, SerialNumberIsUnsignedAndZeroWhenTheReadFails) {
    ScriptedModbus allOnes;
    ReplySerial(allOnes, {0xFF, 0xFF, 0xFF, 0xFF});
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

// Words as unsigned decimals, reals fixed with four decimals rounded to nearest.
TEST(AlarmRow, ExactBytes) {
    const struct {
        int n;
        AlarmRecord record;
        const char* row;
    } cases[] = {
        {3, EXAMPLE_RECORD, "3,2,4,2,5,75.5000,1.2500,1\n"},
        {7, AlarmRecord{}, "7,0,0,0,0,0.0000,0.0000,0\n"},
        {1, {0, 0, 0, 0, 0.5f, -12.0f, false}, "1,0,0,0,0,0.5000,-12.0000,0\n"},
        {1, {0, 0, 0, 0, 1000.0f, 2.71828f, false}, "1,0,0,0,0,1000.0000,2.7183,0\n"},
        {1, {0, 0, 0, 0, 1e10f, -0.00004f, false}, "1,0,0,0,0,10000000000.0000,-0.0000,0\n"},
        {32, {65535, 65535, 32768, 8, 0, 0, false}, "32,65535,65535,32768,8,0.0000,0.0000,0\n"}};
    for (const auto& c : cases)
        EXPECT_EQ(Row(c.n, c.record), c.row);

    std::ostringstream out; // the stream's own settings do not change the row
    out.setf(std::ios_base::scientific, std::ios_base::floatfield);
    out.precision(2);
    out.width(10);
    WriteAlarmRow(out, 3, EXAMPLE_RECORD);
    EXPECT_EQ(out.str(), EXAMPLE_ROW);
}

TEST(AlarmRow, ArrayFormWritesTheSameRowAndRefusesShortArrays) {
    AlarmArrays arrays;
    arrays.FromRecord(EXAMPLE_RECORD);
    arrays.floats[2] = 9.0f; // slots beyond the first two are not part of the alarm
    arrays.faults[0] = 2;    // any non-zero byte is written as 1
    std::ostringstream out;
    WriteAlarmRow(out, 3, arrays.words, arrays.floats, arrays.faults);
    EXPECT_EQ(out.str(), EXAMPLE_ROW);

    CArray<float, float> oneFloat;
    oneFloat.SetSize(1);
    CByteArray noFaults;
    EXPECT_THROW(WriteAlarmRow(out, 1, arrays.words, oneFloat, arrays.faults),
                 std::invalid_argument);
    EXPECT_THROW(WriteAlarmRow(out, 1, arrays.words, arrays.floats, noFaults),
                 std::invalid_argument);
}

TEST(WholeFile, HeaderRowsAndNoteMake38Lines) {
    ScopedTimeZone utc("UTC0");
    ScriptedModbus modbus;
    ReplySerial(modbus, {0x00, 0x01, 0x00, 0x02});
    std::ostringstream out;
    PrepareFileStream(out);
    WriteFileHeader(out, modbus, SAT_DEC_05_2026_213152_UTC);
    std::string expected = FILE_HEADER;
    for (int n = 1; n <= ALARM_COUNT; ++n) {
        WriteAlarmRow(out, n, AlarmRecord{});
        expected += std::to_string(n) + ",0,0,0,0,0.0000,0.0000,0\n";
    }
    WriteFileNote(out);
    EXPECT_EQ(out.str(), expected + NOTE);
}
