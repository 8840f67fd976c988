#include "FileText.h"
#include "transfer/ConfigFile.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <random>
#include <sstream>
#include <string>
#include <vector>

namespace {
constexpr int LARGEST_EXPONENT = 11; // keeps every real within the 19-character field
constexpr int SMALLEST_EXPONENT = -6;
constexpr unsigned SEED = 12345; // fixed, so a failure can be repeated

// What a float reads back as: the single-precision value of its four-decimal text.
float FourDecimalValue(float value) {
    char text[64];
    std::snprintf(text, sizeof text, "%.4f", static_cast<double>(value));
    return static_cast<float>(std::strtod(text, nullptr));
}

std::vector<AlarmRecord> AcceptedRecords() {
    std::minstd_rand numbers(SEED);
    std::uniform_real_distribution<double> unit(-1.0, 1.0);
    std::uniform_int_distribution<int> exponent(SMALLEST_EXPONENT, LARGEST_EXPONENT);
    const auto real = [&] {
        return static_cast<float>(unit(numbers) * std::pow(10.0, exponent(numbers)));
    };
    const auto below = [&](unsigned limit) { return static_cast<WORD>(numbers() % limit); };
    std::vector<AlarmRecord> records;
    for (WORD mode = 1; mode <= 2; ++mode)
        for (WORD module = 2; module <= 16; ++module)
            for (WORD channel = 1; channel <= 4; ++channel)
                for (WORD relay = 0; relay <= 8; ++relay)
                    records.push_back(
                        {mode, module, channel, relay, real(), real(), below(2) == 1});
    for (int i = 0; i < 200; ++i) // disabled alarms keep any module and channel
        records.push_back({0, below(65536), below(65536), below(9), real(), real(), below(2) == 1});
    for (float edge : {0.0f, -0.0f, 2.71828f, 0.00005f, -0.00005f, 1e-30f, 99999.99f,
                       -999999999999.0f, 16777217.0f})
        records.push_back({2, 16, 4, 8, edge, -edge, true});
    return records;
}

std::string WriteFile(const std::vector<AlarmRecord>& records) {
    std::ostringstream out;
    PrepareFileStream(out);
    WriteFileHeader(out, 0, 0);
    for (std::size_t i = 0; i < records.size(); ++i)
        WriteAlarmRow(out, static_cast<int>(i + 1), records[i]);
    if (records.size() == static_cast<std::size_t>(ALARM_COUNT))
        WriteFileNote(out);
    return out.str();
}
} // namespace

// Writing what was read gives the same text again, and row 32 is followed by the note,
// which the reader must leave alone.
TEST(RoundTrip, AcceptedRecordsReadBackWithRealsAsTheirFourDecimalText) {
    const std::vector<AlarmRecord> all = AcceptedRecords();
    for (std::size_t first = 0; first < all.size(); first += ALARM_COUNT) {
        const std::size_t count = std::min<std::size_t>(ALARM_COUNT, all.size() - first);
        std::vector<AlarmRecord> records(all.begin() + first, all.begin() + first + count);
        const std::string text = WriteFile(records);
        const ReadResult result = ReadRows(text);
        ASSERT_FALSE(result.problem)
            << "file from record " << first << ": field " << result.problem->field << " '"
            << result.problem->value << "' " << result.problem->rule;
        for (AlarmRecord& expected : records) {
            expected.tripPoint = FourDecimalValue(expected.tripPoint);
            expected.deadband = FourDecimalValue(expected.deadband);
        }
        EXPECT_EQ(result.rows, records) << "file from record " << first;
        EXPECT_EQ(WriteFile(result.rows), text) << "file from record " << first;
    }
}
