#include "FileText.h"
#include "transfer/ConfigFile.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <ctime>
#include <limits>
#include <optional>
#include <regex>
#include <sstream>
#include <string>

namespace {
constexpr std::time_t SAT_DEC_05_2026_213152_UTC = 1796506312;
constexpr std::time_t FRI_JAN_09_2026_080405_UTC = 1767945845;
const std::string EXAMPLE_ROW = "3,2,4,2,5,75.5000,1.2500,1\n";
const AlarmRecord EXAMPLE_RECORD{2, 4, 2, 5, 75.5f, 1.25f, true};
constexpr float NAN_VALUE = std::numeric_limits<float>::quiet_NaN();
constexpr float INFINITY_VALUE = std::numeric_limits<float>::infinity();

#ifdef _WIN32
int setenv(const char* name, const char* value, int /*overwrite*/) {
    return _putenv_s(name, value);
}
int unsetenv(const char* name) {
    return _putenv_s(name, "");
}
#endif

// Sets TZ for one test and puts the old value back.
struct ScopedTimeZone {
    std::optional<std::string> old;
    explicit ScopedTimeZone(const char* zone) {
        if (const char* tz = std::getenv("TZ"))
            old = tz;
        setenv("TZ", zone, 1);
        tzset();
    }
    ~ScopedTimeZone() {
        old ? setenv("TZ", old->c_str(), 1) : unsetenv("TZ");
        tzset();
    }
};

std::string Header(DWORD serial, std::time_t when) {
    std::ostringstream out;
    WriteFileHeader(out, serial, when);
    return out.str();
}

std::string Row(int n, const AlarmRecord& record) {
    std::ostringstream out;
    WriteAlarmRow(out, n, record);
    return out.str();
}
} // namespace

// Local time with a two-digit day; the serial is unsigned.
TEST(FileHeader, TimeAndSerialLines) {
    const struct {
        const char* zone;
        std::time_t time;
        DWORD serial;
        std::string header;
    } cases[] = {
        {"UTC0", FRI_JAN_09_2026_080405_UTC, 0, FileHeader("Fri Jan 09 08:04:05 2026", "0")},
        {"XYZ-3", SAT_DEC_05_2026_213152_UTC, 65538,
         FileHeader("Sun Dec 06 00:31:52 2026", "65538")},
        {"UTC0", std::numeric_limits<std::time_t>::max(), 4294967295u,
         FileHeader("??? ??? ?? ??:??:?? ????", "4294967295")}};
    for (const auto& c : cases) {
        ScopedTimeZone zone(c.zone);
        EXPECT_EQ(Header(c.serial, c.time), c.header);
    }
    std::ostringstream now;
    WriteFileHeader(now, 0);
    const std::regex timeLine("\n[A-Z][a-z]{2} [A-Z][a-z]{2} [0-9]{2} [0-9:]{8} [0-9]{4}\n");
    EXPECT_TRUE(std::regex_search(now.str(), timeLine)) << now.str();
}

TEST(FileHeader, FailedStreamGetsNothing) {
    std::ostringstream out;
    out.setstate(std::ios_base::badbit);
    WriteFileHeader(out, 1, SAT_DEC_05_2026_213152_UTC);
    out.clear();
    EXPECT_EQ(out.str(), "");
}

// Words as unsigned decimals, reals fixed with four decimals rounded to nearest.
TEST(AlarmRow, ExactBytes) {
    const struct {
        int n;
        AlarmRecord record;
        const char* row;
    } cases[] = {
        {7, AlarmRecord{}, "7,0,0,0,0,0.0000,0.0000,0\n"},
        {1, {0, 0, 0, 0, 0.5f, -12.0f, false}, "1,0,0,0,0,0.5000,-12.0000,0\n"},
        {1, {0, 0, 0, 0, 1000.0f, 2.71828f, false}, "1,0,0,0,0,1000.0000,2.7183,0\n"},
        {1, {0, 0, 0, 0, 1e10f, -0.00004f, false}, "1,0,0,0,0,10000000000.0000,-0.0000,0\n"},
        {32, {65535, 65535, 32768, 8, 0, 0, false}, "32,65535,65535,32768,8,0.0000,0.0000,0\n"},
        {2, {0, 0, 0, 0, -NAN_VALUE, -INFINITY_VALUE, false}, "2,0,0,0,0,-nan,-inf,0\n"}};
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
    std::ostringstream out;
    PrepareFileStream(out);
    WriteFileHeader(out, 65538, SAT_DEC_05_2026_213152_UTC);
    std::string expected = FILE_HEADER;
    for (int n = 1; n <= ALARM_COUNT; ++n) {
        WriteAlarmRow(out, n, n == 3 ? EXAMPLE_RECORD : AlarmRecord{});
        expected += n == 3 ? EXAMPLE_ROW : std::to_string(n) + ",0,0,0,0,0.0000,0.0000,0\n";
    }
    WriteFileNote(out);
    EXPECT_EQ(out.str(), expected + "\"Alarm Mode (0 = Disabled, 1 = Trip Low, 2 = Trip High)\"\n");
}
