#include "FileText.h"
#include "support/ScriptedModbus.h"
#include "transfer/ConfigFile.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <sstream>
#include <string>
#include <vector>

namespace {
constexpr int LARGEST_EXPONENT = 11; // keeps every real within the 19-character field
constexpr int SMALLEST_EXPONENT = -6;
const std::string NOTE_START = "\"Alarm Mode";

// A fixed sequence of pseudo-random numbers, so a failure can be repeated.
class Numbers {
public:
    std::uint32_t Next() {
        m_state = m_state * 1664525u + 1013904223u;
        return m_state >> 8;
    }
    int Below(int limit) { return static_cast<int>(Next() % static_cast<std::uint32_t>(limit)); }
    float Real() {
        const double unit = static_cast<double>(Next()) / (1u << 24) * 2.0 - 1.0;
        const int exponent = SMALLEST_EXPONENT + Below(LARGEST_EXPONENT - SMALLEST_EXPONENT + 1);
        return static_cast<float>(unit * std::pow(10.0, exponent));
    }

private:
    std::uint32_t m_state = 12345u;
};

// What a float reads back as: the single-precision value of its four-decimal text.
float FourDecimalValue(float value) {
    char text[64];
    std::snprintf(text, sizeof text, "%.4f", static_cast<double>(value));
    return static_cast<float>(std::strtod(text, nullptr));
}

std::vector<AlarmRecord> AcceptedRecords() {
    Numbers numbers;
    std::vector<AlarmRecord> records;
    for (WORD mode = 1; mode <= 2; ++mode)
        for (WORD module = 2; module <= 16; ++module)
            for (WORD channel = 1; channel <= 4; ++channel)
                for (WORD relay = 0; relay <= 8; ++relay)
                    records.push_back({mode, module, channel, relay, numbers.Real(), numbers.Real(),
                                       numbers.Below(2) == 1});
    for (int i = 0; i < 200; ++i) // disabled alarms keep any module and channel
        records.push_back({0, static_cast<WORD>(numbers.Next()), static_cast<WORD>(numbers.Next()),
                           static_cast<WORD>(numbers.Below(9)), numbers.Real(), numbers.Real(),
                           numbers.Below(2) == 1});
    for (float special : {0.0f, -0.0f, 2.71828f, 0.00005f, -0.00005f, 1e-30f, 99999.99f,
                          -999999999999.0f, 16777217.0f})
        records.push_back({2, 16, 4, 8, special, -special, true});
    return records;
}

std::string WriteFile(const std::vector<AlarmRecord>& records) {
    ScriptedModbus modbus;
    std::ostringstream out;
    PrepareFileStream(out);
    WriteFileHeader(out, modbus, 0);
    for (std::size_t i = 0; i < records.size(); ++i)
        WriteAlarmRow(out, static_cast<int>(i + 1), records[i]);
    if (records.size() == static_cast<std::size_t>(ALARM_COUNT))
        WriteFileNote(out);
    return out.str();
}
} // namespace

TEST(RoundTrip, AcceptedRecordsReadBackWithRealsAsTheirFourDecimalText) {
    const std::vector<AlarmRecord> all = AcceptedRecords();
    for (std::size_t first = 0; first < all.size(); first += ALARM_COUNT) {
        const std::size_t count = std::min<std::size_t>(ALARM_COUNT, all.size() - first);
        const std::vector<AlarmRecord> records(all.begin() + first, all.begin() + first + count);
        const ReadResult result = ReadRows(WriteFile(records));
        ASSERT_FALSE(result.problem)
            << "file from record " << first << ": field " << result.problem->field << " '"
            << result.problem->value << "' " << result.problem->rule;
        ASSERT_EQ(result.rows.size(), count);
        for (std::size_t i = 0; i < count; ++i) {
            AlarmRecord expected = records[i];
            expected.tripPoint = FourDecimalValue(expected.tripPoint);
            expected.deadband = FourDecimalValue(expected.deadband);
            EXPECT_EQ(result.rows[i], expected) << "record " << first + i;
        }
    }
}

TEST(RoundTrip, ReadingTheWrittenTextAgainChangesNothing) {
    const std::vector<AlarmRecord> all = AcceptedRecords();
    const std::string text =
        WriteFile(ReadRows(WriteFile({all.begin(), all.begin() + ALARM_COUNT})).rows);
    EXPECT_EQ(WriteFile(ReadRows(text).rows), text);
    EXPECT_NE(text.find(NOTE_START), std::string::npos) << "all 32 rows were read back";
}
