#include "transfer/ConfigCheck.h"
#include "transfer/ConfigFile.h"
#include "transfer/FieldRules.h"
#include "transfer/Utf8Text.h"

#include <algorithm>
#include <array>
#include <string>

namespace {
constexpr int ROW_FIELDS = 8;
constexpr int FIELD_MODE = 2;
constexpr int FIELD_MODULE = 3;
constexpr int FIELD_CHANNEL = 4;
constexpr int FIELD_RELAY = 5;
constexpr int FIELD_TRIP_POINT = 6;
constexpr int FIELD_DEADBAND = 7;
constexpr int FIELD_FAULTS = 8;
constexpr int MODE_MAX = 2;
constexpr int MODULE_MIN = 2;
constexpr int MODULE_MAX = 16;
constexpr int CHANNEL_MIN = 1;
constexpr int CHANNEL_MAX = 4;
constexpr int RELAY_MAX = 8;
constexpr int WORD_MAX = 0xFFFF;
constexpr const char* CUT_MARK = "...";

using Traits = std::istream::traits_type;

// Characters of one stream with CR LF read as '\n'. Meeting the end sets the stream's
// eofbit, and nothing else, so a row that ends the file still leaves the stream good to test.
class CharSource {
public:
    explicit CharSource(std::istream& stream) : m_stream(stream), m_buf(stream.rdbuf()) {}

    // The next character without taking it, or Traits::eof().
    int Peek() {
        const int c = m_buf ? m_buf->sgetc() : Traits::eof();
        if (c == Traits::eof())
            m_stream.setstate(std::ios_base::eofbit);
        return c;
    }
    int Get() {
        if (Peek() == Traits::eof())
            return Traits::eof();
        int c = m_buf->sbumpc();
        if (c == '\r' && m_buf->sgetc() == '\n')
            c = m_buf->sbumpc();
        if (c == '\n')
            ++m_lineEnds;
        return c;
    }
    int LineEnds() const { return m_lineEnds; }

private:
    std::istream& m_stream;
    std::streambuf* m_buf;
    int m_lineEnds = 0;
};

constexpr const char* BLANKS = " \t\n\v\f\r";

bool IsBlank(int c) {
    return c == ' ' || c == '\t' || c == '\n' || c == '\v' || c == '\f' || c == '\r';
}

bool IsDigit(char c) {
    return c >= '0' && c <= '9';
}

struct Field {
    std::string text; // at most FIELD_LIMIT characters are kept
    bool tooLong = false;
    bool ended = false; // met its ending character, not the end of the file
};

Field ReadField(CharSource& in, char ending) {
    Field field;
    for (int c = in.Get(); c != Traits::eof(); c = in.Get()) {
        if (c == ending) {
            field.ended = true;
            break;
        }
        if (field.text.size() < FIELD_LIMIT)
            field.text.push_back(static_cast<char>(c));
        else
            field.tooLong = true;
    }
    if (field.text.size() >= FIELD_LIMIT) {
        field.tooLong = true;
        field.text.resize(CharacterStart(field.text, FIELD_LIMIT - 1));
        field.text += CUT_MARK;
    }
    return field;
}

RowOutcome Refuse(RowProblem* problem, int field, std::string value, std::string rule) {
    if (problem)
        *problem = RowProblem{field, std::move(value), std::move(rule)};
    return RowOutcome::Unacceptable;
}

// What a spreadsheet put between the fields instead of ',', seen in the first field, which
// then holds the start of the row: a ';', or a tab between two values; nullptr when neither.
const char* ForeignSeparator(const std::string& text) {
    if (text.find(';') != std::string::npos)
        return "';'";
    const std::size_t first = text.find_first_not_of(BLANKS);
    const std::size_t tab = first == std::string::npos ? first : text.find('\t', first);
    return tab < text.find_last_not_of(BLANKS) ? "a tab" : nullptr;
}

// A spreadsheet's text cell: "75.5".
bool IsQuoted(const std::string& text) {
    const std::size_t first = text.find_first_not_of(BLANKS);
    return first != std::string::npos && text[first] == '"';
}

// The split rules: fields separated by ',', no number in quotes, every field within its limit,
// the row not cut short by the end.
RowOutcome SplitRow(CharSource& in, std::array<Field, ROW_FIELDS>& fields, RowProblem* problem) {
    int cutIn = 0;
    for (int f = 1; f <= ROW_FIELDS && cutIn == 0; ++f) {
        fields[f - 1] = ReadField(in, f < ROW_FIELDS ? ',' : '\n');
        if (!fields[f - 1].ended && f < ROW_FIELDS)
            cutIn = f;
    }
    if (const char* separator = ForeignSeparator(fields[0].text))
        return Refuse(problem, 1, fields[0].text,
                      std::string("fields are separated by ") + separator +
                          "; the file must use ','");
    for (int f = 1; f <= ROW_FIELDS; ++f)
        if (IsQuoted(fields[f - 1].text))
            return Refuse(problem, f, fields[f - 1].text,
                          std::string(RowFieldName(f)) +
                              " is in quotes; numbers must be written without '\"'");
    for (int f = 1; f <= ROW_FIELDS; ++f)
        if (fields[f - 1].tooLong)
            return Refuse(problem, f, fields[f - 1].text, "field longer than 19 characters");
    if (cutIn != 0)
        return Refuse(problem, cutIn, fields[cutIn - 1].text, "row cut short by end of file");
    return RowOutcome::Row;
}

bool Within(int value, int low, int high) {
    return value >= low && value <= high;
}

// Infinity and NaN are kept only where they never take effect: in a disabled alarm.
bool RealAccepted(RealRuleResult result, int mode) {
    return result == RealRuleResult::Accepted || (result == RealRuleResult::NotFinite && mode == 0);
}

RowOutcome RealProblem(RowProblem* problem, int field, const std::string& text,
                       RealRuleResult result, const std::string& name) {
    if (result == RealRuleResult::NotNumber)
        return Refuse(problem, field, text, name + " is not a number");
    if (result == RealRuleResult::NotFinite)
        return Refuse(problem, field, text, name + " must be finite when mode is not 0");
    return Refuse(problem, field, text, name + " is too large for single precision");
}

// A device's values: every word within 16 bits, any real that is a float.
RowOutcome CheckDeviceValues(const std::array<Field, ROW_FIELDS>& fields, RowProblem* problem) {
    for (const int f : {FIELD_MODE, FIELD_MODULE, FIELD_CHANNEL, FIELD_RELAY}) {
        const std::string& text = fields[f - 1].text;
        if (!Within(IntegerRule(text), 0, WORD_MAX))
            return Refuse(problem, f, text, std::string(RowFieldName(f)) + " must be 0 to 65535");
    }
    for (const int f : {FIELD_TRIP_POINT, FIELD_DEADBAND}) {
        float value = 0.0f;
        if (const RealRuleResult real = RealRule(fields[f - 1].text, value); !RealAccepted(real, 0))
            return RealProblem(problem, f, fields[f - 1].text, real, RowFieldName(f));
    }
    return RowOutcome::Row;
}

// A download's ranges, tested in the file's order.
RowOutcome CheckDownloadRanges(const std::array<Field, ROW_FIELDS>& fields, RowProblem* problem) {
    auto text = [&fields](int f) -> const std::string& { return fields[f - 1].text; };
    const int mode = IntegerRule(text(FIELD_MODE));
    const int module = IntegerRule(text(FIELD_MODULE));
    const int channel = IntegerRule(text(FIELD_CHANNEL));
    const int relay = IntegerRule(text(FIELD_RELAY));
    float tripPoint = 0.0f;
    float deadband = 0.0f;
    const RealRuleResult trip = RealRule(text(FIELD_TRIP_POINT), tripPoint);
    const RealRuleResult band = RealRule(text(FIELD_DEADBAND), deadband);

    if (!Within(mode, 0, MODE_MAX))
        return Refuse(problem, FIELD_MODE, text(FIELD_MODE), "mode must be 0 to 2");
    if (mode != 0 && !Within(module, MODULE_MIN, MODULE_MAX))
        return Refuse(problem, FIELD_MODULE, text(FIELD_MODULE),
                      "source module must be 2 to 16 when mode is not 0");
    if (mode != 0 && !Within(channel, CHANNEL_MIN, CHANNEL_MAX))
        return Refuse(problem, FIELD_CHANNEL, text(FIELD_CHANNEL),
                      "source channel must be 1 to 4 when mode is not 0");
    if (!Within(relay, 0, RELAY_MAX))
        return Refuse(problem, FIELD_RELAY, text(FIELD_RELAY), "output relay must be 0 to 8");
    if (!RealAccepted(trip, mode))
        return RealProblem(problem, FIELD_TRIP_POINT, text(FIELD_TRIP_POINT), trip, "trip point");
    if (!RealAccepted(band, mode))
        return RealProblem(problem, FIELD_DEADBAND, text(FIELD_DEADBAND), band, "deadband");
    return RowOutcome::Row;
}

// The value rules; the record changes only when all pass.
RowOutcome CheckRow(const std::array<Field, ROW_FIELDS>& fields, AlarmRecord& record,
                    RowProblem* problem, RowRules rules) {
    const RowOutcome outcome = rules == RowRules::Device ? CheckDeviceValues(fields, problem)
                                                         : CheckDownloadRanges(fields, problem);
    if (outcome != RowOutcome::Row)
        return outcome;
    auto text = [&fields](int f) -> const std::string& { return fields[f - 1].text; };
    float tripPoint = 0.0f;
    float deadband = 0.0f;
    RealRule(text(FIELD_TRIP_POINT), tripPoint);
    RealRule(text(FIELD_DEADBAND), deadband);
    // Only the low 16 bits are kept (-1 becomes 65535 for module and channel under mode 0).
    record.mode = static_cast<WORD>(IntegerRule(text(FIELD_MODE)));
    record.sourceModule = static_cast<WORD>(IntegerRule(text(FIELD_MODULE)));
    record.sourceChannel = static_cast<WORD>(IntegerRule(text(FIELD_CHANNEL)));
    record.outputRelay = static_cast<WORD>(IntegerRule(text(FIELD_RELAY)));
    record.tripPoint = tripPoint;
    record.deadband = deadband;
    record.enunciateFaults = IntegerRule(text(FIELD_FAULTS)) != 0;
    return RowOutcome::Row;
}

// Integer field f became stored: lossy when its text says more than that, or another value.
void NoteInteger(const std::array<Field, ROW_FIELDS>& fields, int f, unsigned stored,
                 std::vector<LossyReading>& lossy) {
    const std::string& text = fields[f - 1].text;
    if (!IsPlainInteger(text) || IntegerRule(text) != static_cast<int>(stored))
        lossy.push_back({f, text, "read as " + std::to_string(stored)});
}

void NoteLossyReadings(const std::array<Field, ROW_FIELDS>& fields, const AlarmRecord& record,
                       int alarm, std::vector<LossyReading>& lossy) {
    const std::string& number = fields[0].text;
    if (alarm != 0 && (!IsPlainInteger(number) || IntegerRule(number) != alarm))
        lossy.push_back({1, number, "ignored: the row configures alarm " + std::to_string(alarm)});
    NoteInteger(fields, FIELD_MODE, record.mode, lossy);
    NoteInteger(fields, FIELD_MODULE, record.sourceModule, lossy);
    NoteInteger(fields, FIELD_CHANNEL, record.sourceChannel, lossy);
    NoteInteger(fields, FIELD_RELAY, record.outputRelay, lossy);
    NoteInteger(fields, FIELD_FAULTS, record.enunciateFaults ? 1 : 0, lossy);
}

// Where a row's problem and lossy readings go, and what the row is read by.
struct RowNotes {
    RowProblem* problem;
    std::vector<LossyReading>* lossy;
    int alarm; // 0: field 1 is not compared
    RowRules rules;
};

RowOutcome ReadRowText(CharSource& in, AlarmRecord& record, const RowNotes& notes,
                       int& blankLines) {
    while (IsBlank(in.Peek()))
        in.Get();
    blankLines = in.LineEnds();
    if (in.Peek() == Traits::eof())
        return RowOutcome::NoMoreRows;
    std::array<Field, ROW_FIELDS> fields;
    RowOutcome outcome = SplitRow(in, fields, notes.problem);
    if (outcome == RowOutcome::Row)
        outcome = CheckRow(fields, record, notes.problem, notes.rules);
    if (outcome == RowOutcome::Row && notes.lossy)
        NoteLossyReadings(fields, record, notes.alarm, *notes.lossy);
    return outcome;
}
} // namespace

bool SkipFileHeader(std::istream& stream, std::string* firstLine) {
    if (!stream)
        return false;
    CharSource in(stream);
    for (int line = 0; line < HEADER_LINES; ++line) {
        std::size_t length = 0;
        int c = in.Get();
        for (; c != Traits::eof() && c != '\n'; c = in.Get()) {
            if (line == 0 && firstLine)
                firstLine->push_back(static_cast<char>(c));
            if (++length >= HEADER_LINE_LIMIT) {
                stream.setstate(std::ios_base::failbit);
                return false;
            }
        }
        if (c == Traits::eof())
            break;
    }
    return true;
}

bool IsRowNotHeader(const std::string& line) {
    std::size_t i = 0;
    while (i < line.size() && (IsBlank(line[i]) || line[i] == '"'))
        ++i;
    const bool number = i < line.size() && (IsDigit(line[i]) || line[i] == '+' || line[i] == '-');
    const auto separated = [&line](char c) {
        return std::count(line.begin(), line.end(), c) >= ROW_FIELDS - 1;
    };
    return number && (separated(',') || separated(';') || separated('\t'));
}

RowReading ReadRow(std::istream& stream, RowRules rules, std::optional<int> alarm) {
    RowReading reading;
    if (stream.eof())
        return reading;
    if (!stream) {
        reading.outcome = Refuse(&reading.problem, 0, "",
                                 "file unreadable here (header line of 200 or more characters, "
                                 "or a read error)");
        return reading;
    }
    CharSource in(stream);
    const RowNotes notes{&reading.problem, &reading.lossy, alarm.value_or(0), rules};
    reading.outcome = ReadRowText(in, reading.record, notes, reading.lines.blankLines);
    reading.lines.lineEnds = in.LineEnds();
    return reading;
}
