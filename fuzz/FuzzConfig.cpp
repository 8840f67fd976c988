// The configuration-file reader on any text, read as the download reads it: the header,
// then at most 32 rows until a row fails or the file ends. Every accepted row must obey the
// row rules and survive the writer and the reader again.

#include "fuzz/FuzzCheck.h"
#include "transfer/ConfigFile.h"

#include <cmath>
#include <limits>
#include <sstream>
#include <vector>

namespace {

constexpr float ROUND_TRIP_LIMIT = 1e12f;     // larger reals are written with 20 characters or more
constexpr double WRITTEN_HALF_STEP = 0.00005; // four decimals
constexpr std::size_t CUT_TEXT_LIMIT = FIELD_LIMIT + 2; // 19 characters and "..."
constexpr int ROW_FIELDS = 8;
constexpr int FIELD_TRIP_POINT = 6; // the real fields, whose readings are never lossy
constexpr int FIELD_DEADBAND = 7;

bool InRange(float value) {
    return !std::isfinite(value) || std::fabs(value) < ROUND_TRIP_LIMIT;
}

void CheckRules(const AlarmRecord& r) {
    FuzzCheck(r.mode <= 2, "accepted mode outside 0 to 2");
    FuzzCheck(r.mode == 0 || (r.sourceModule >= 2 && r.sourceModule <= 16 && r.sourceChannel >= 1 &&
                              r.sourceChannel <= 4),
              "accepted module outside 2 to 16 or channel outside 1 to 4");
    FuzzCheck(r.outputRelay <= 8, "accepted relay outside 0 to 8");
    FuzzCheck(r.mode == 0 || (std::isfinite(r.tripPoint) && std::isfinite(r.deadband)),
              "accepted a non-finite real in an enabled alarm");
}

std::string Written(int n, const AlarmRecord& record) {
    std::ostringstream out;
    WriteAlarmRow(out, n, record);
    return out.str();
}

AlarmRecord WriteAndRead(int n, const AlarmRecord& record) {
    const std::string text = Written(n, record);
    FuzzCheck(!text.empty() && text.back() == '\n', "written row without its line end");
    std::istringstream in(text);
    const RowReading back = ReadRow(in, RowRules::Download, n);
    FuzzCheck(back.outcome == RowOutcome::Row, "a written row is not read back");
    FuzzCheck(back.lossy.empty(), "a written row reads with a lossy reading");
    return back.record;
}

bool Close(float written, float read) {
    if (!std::isfinite(written)) // infinity as itself, NaN as NaN of the same sign
        return std::isnan(written) ? std::isnan(read) && std::signbit(read) == std::signbit(written)
                                   : read == written;
    const double step = std::nextafter(std::fabs(written), std::numeric_limits<float>::infinity()) -
                        std::fabs(written);
    return std::fabs(double{written} - double{read}) <= WRITTEN_HALF_STEP + 2 * step;
}

// Four decimals may round the reals once; after that the text and the value agree.
void CheckRoundTrip(int n, const AlarmRecord& record) {
    const AlarmRecord once = WriteAndRead(n, record);
    FuzzCheck(once.mode == record.mode && once.sourceModule == record.sourceModule &&
                  once.sourceChannel == record.sourceChannel &&
                  once.outputRelay == record.outputRelay &&
                  once.enunciateFaults == record.enunciateFaults,
              "round trip changed a whole-number field or the flag");
    FuzzCheck(Close(record.tripPoint, once.tripPoint) && Close(record.deadband, once.deadband),
              "round trip moved a real by more than its last written decimal");
    // Compared as text, which tells NaN apart by its sign only, as the file does.
    FuzzCheck(Written(n, WriteAndRead(n, once)) == Written(n, once),
              "a second round trip changed the row");
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    std::istringstream file(std::string(reinterpret_cast<const char*>(data), size));
    SkipFileHeader(file);
    if (file.eof())
        return 0; // the download then completes without rows
    for (int n = 1; n <= ALARM_COUNT; ++n) {
        const RowReading row = ReadRow(file, RowRules::Download, n);
        const RowProblem& problem = row.problem;
        for (const LossyReading& reading : row.lossy)
            FuzzCheck(reading.field != FIELD_TRIP_POINT && reading.field != FIELD_DEADBAND &&
                          reading.field >= 1 && reading.field <= ROW_FIELDS &&
                          reading.value.size() < FIELD_LIMIT,
                      "lossy reading of no integer field, or of an overlong text");
        if (row.outcome != RowOutcome::Row) {
            FuzzCheck(row.lossy.empty(), "lossy readings of a row that was not accepted");
            FuzzCheck(row.record == AlarmRecord{}, "a row that was not accepted has values");
            FuzzCheck(row.outcome != RowOutcome::Unacceptable ||
                          (problem.field >= 0 && problem.field <= ROW_FIELDS &&
                           !problem.rule.empty() && problem.value.size() <= CUT_TEXT_LIMIT),
                      "problem names no field, has no rule, or its text is not cut");
            return 0;
        }
        CheckRules(row.record);
        if (InRange(row.record.tripPoint) && InRange(row.record.deadband))
            CheckRoundTrip(n, row.record);
        file.peek();
        if (file.eof())
            return 0;
    }
    return 0;
}
