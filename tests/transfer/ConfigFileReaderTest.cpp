#include "FileText.h"
#include "transfer/ConfigFile.h"

#include <gtest/gtest.h>

#include <array>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

using namespace std::string_literals;

namespace {
// An enabled alarm inside every range; each case changes one field of it (1-based).
struct Fields {
    std::array<std::string, 8> text{"1", "1", "2", "1", "0", "10.0000", "1.0000", "0"};
    Fields& Set(int field, const std::string& value) {
        text[static_cast<std::size_t>(field - 1)] = value;
        return *this;
    }
    std::string Text() const {
        std::string row;
        for (const std::string& t : text)
            row += t + (&t == &text.back() ? "\n" : ",");
        return row;
    }
};

Fields With(int field, const std::string& value) {
    return Fields().Set(field, value);
}

// Reads f as one row, whose outcome must be the expected one.
std::pair<AlarmRecord, RowProblem> Read(const Fields& f, RowOutcome expected = RowOutcome::Row) {
    std::istringstream in(f.Text());
    std::pair<AlarmRecord, RowProblem> r;
    EXPECT_EQ(ReadRow(in, r.first, &r.second), expected) << f.Text() << r.second.rule;
    return r;
}
AlarmRecord MustRead(const Fields& f) {
    return Read(f).first;
}

// Row n of a valid file, and the records that rows 1 to count read as.
std::string Row(int n) {
    return std::to_string(n) + ",2," + std::to_string(n % 15 + 2) + ",4,8,-" + std::to_string(n) +
           ".5000,0.2500," + std::to_string(n % 2) + "\n";
}
std::string Rows(int count) {
    std::string text;
    for (int n = 1; n <= count; ++n)
        text += Row(n);
    return text;
}
std::vector<AlarmRecord> Records(int count) {
    std::vector<AlarmRecord> records;
    for (int n = 1; n <= count; ++n)
        records.push_back({2, static_cast<WORD>(n % 15 + 2), 4, 8, -n - 0.5f, 0.25f, n % 2 == 1});
    return records;
}

constexpr int MODE = 2, MODULE = 3, CHANNEL = 4, RELAY = 5, TRIP = 6, DEADBAND = 7, FAULTS = 8;
} // namespace

// Module and channel ranges hold only for an enabled alarm; the others under every mode.
TEST(RowValues, RangeOfEveryFieldUnderEachMode) {
    const struct {
        int field;
        std::vector<const char*> accepted, refused;
        std::string rule;
    } cases[] = {
        {1, {"17", "x", ""}, {}, ""},
        {MODE, {" 2", "2x"}, {"3", "-1", "65536", "99999999999"}, "mode must be 0 to 2"},
        {MODULE, {"2", "16"}, {"1", "17"}, "source module must be 2 to 16 when mode is not 0"},
        {CHANNEL, {"4"}, {"0", "5"}, "source channel must be 1 to 4 when mode is not 0"},
        {RELAY, {"8"}, {"9", "-1"}, "output relay must be 0 to 8"},
        {TRIP, {"", " 1.5", "-2.5e1"}, {"1.5 ", "1.5x", " "}, "trip point is not a number"},
        {TRIP, {}, {"nan", "-nan", "inf", "-inf"}, "trip point must be finite when mode is not 0"},
        {TRIP, {}, {"1e39", "-1e400"}, "trip point is too large for single precision"},
        {DEADBAND, {"", " 1.5", "-2.5e1"}, {"1.5 ", "1.5x", " "}, "deadband is not a number"},
        {DEADBAND, {}, {"nan", "-inf"}, "deadband must be finite when mode is not 0"},
        {DEADBAND, {}, {"1e39"}, "deadband is too large for single precision"}};
    for (const auto& c : cases) {
        for (const char* mode : {"0", "1", "2"}) {
            SCOPED_TRACE("mode "s + mode + ", field " + std::to_string(c.field));
            for (const char* text : c.accepted)
                MustRead(With(MODE, mode).Set(c.field, text));
            for (const char* text : c.refused) {
                const Fields f = With(MODE, mode).Set(c.field, text);
                if (c.rule.ends_with("when mode is not 0") && mode == "0"s) {
                    MustRead(f);
                    continue;
                }
                const RowProblem p = Read(f, RowOutcome::Unacceptable).second;
                EXPECT_EQ(p.field, c.field);
                EXPECT_EQ(p.value, text);
                EXPECT_EQ(p.rule, c.rule);
            }
        }
    }
}

TEST(RowValues, ModeWithoutDigitsIsDisabledAndWordsKeepTheirLow16Bits) {
    const AlarmRecord r = MustRead(With(MODE, "off").Set(MODULE, "-1").Set(CHANNEL, "65537"));
    EXPECT_EQ(r.mode, 0);
    EXPECT_EQ(r.sourceModule, 65535);
    EXPECT_EQ(r.sourceChannel, 1);
}

TEST(RowValues, FaultsFlagIsAnyNonZeroIntegerAndTakesTheRestOfTheLine) {
    for (const char* text : {"2", "-1", " 1", "1,extra", "1\r"})
        EXPECT_TRUE(MustRead(With(FAULTS, text)).enunciateFaults) << text;
    for (const char* text : {"0", "", "abc", "0,extra"})
        EXPECT_FALSE(MustRead(With(FAULTS, text)).enunciateFaults) << text;
}

TEST(RowValues, RulesAreTestedInFieldOrderAndARefusedRowLeavesTheRecordAlone) {
    Fields f = With(MODE, "3").Set(RELAY, "9").Set(TRIP, "x");
    EXPECT_EQ(Read(f, RowOutcome::Unacceptable).second.field, MODE);
    f.Set(MODE, "1");
    EXPECT_EQ(Read(f, RowOutcome::Unacceptable).second.field, RELAY);

    const AlarmRecord before{2, 4, 2, 5, 75.5f, 1.25f, true};
    AlarmRecord record = before;
    std::istringstream in(f.Text());
    EXPECT_EQ(ReadRow(in, record), RowOutcome::Unacceptable);
    EXPECT_EQ(record, before);
    std::istringstream again(f.Text());
    EXPECT_FALSE(ReadAlarmRow(again, record));
}

TEST(FieldLimit, NineteenCharactersAreReadWholeTwentyRefuseTheRowInAnyField) {
    const AlarmRecord r = MustRead(With(1, "1234567890123456789")
                                       .Set(TRIP, "1.00000000000000000")
                                       .Set(FAULTS, std::string(18, '0') + "1"));
    EXPECT_EQ(r.tripPoint, 1.0f);
    EXPECT_TRUE(r.enunciateFaults);

    for (int field = 1; field <= FAULTS; ++field) {
        const RowProblem p =
            Read(With(field, std::string(19, '0') + "1"), RowOutcome::Unacceptable).second;
        EXPECT_EQ(p.field, field);
        EXPECT_EQ(p.rule, "field longer than 19 characters");
        EXPECT_EQ(p.value.size(), 22u) << "19 characters and a cut mark: " << p.value;
    }
}

TEST(FileShape, EndingInsideOrRightAfterTheHeaderGivesNoRows) {
    for (std::size_t cut = 0; cut <= FILE_HEADER.size(); ++cut) {
        std::istringstream in(FILE_HEADER.substr(0, cut));
        EXPECT_TRUE(SkipFileHeader(in));
        AlarmRecord record;
        EXPECT_EQ(ReadRow(in, record), RowOutcome::NoMoreRows) << "cut at " << cut;
    }
}

// Whole texts read as the download reads them, with LF and with CR LF line ends: rows up to
// the end or to the first unacceptable row (field 0: the header broke the stream).
TEST(FileShape, RowsReadAndTheFirstProblem) {
    constexpr int NONE = -1;
    const std::string CUT = "row cut short by end of file";
    const std::string UNREADABLE =
        "file unreadable here (header line of 200 or more characters, or a read error)";
    const std::string five = Rows(5), sixCut = Row(6).substr(0, Row(6).size() - 2);
    std::string spaced = FILE_HEADER;
    for (int n = 1; n <= 4; ++n)
        spaced += "\n" + Row(n) + std::string(30, '\n');
    const struct {
        const char* name;
        std::string text;
        int rows, field;
    } cases[] = {
        {"FiveRows", FILE_HEADER + five, 5, NONE},
        {"NoLastLineEnd", FILE_HEADER + five.substr(0, five.size() - 1), 5, NONE},
        {"BlankLinesAfter", FILE_HEADER + five + "\r\n  \n\t\n" + std::string(300, '\n'), 5, NONE},
        {"BlankLinesBetween", spaced, 4, NONE},
        {"ThirtyOneRows", FILE_HEADER + Rows(31), 31, NONE},
        {"NoteAfterRow32NeverRead", FILE_HEADER + Rows(ALARM_COUNT) + "\"Alarm Mode\"\n", 32, NONE},
        {"ExtraFieldsInTheEighthAndAShortLineContinues",
         FILE_HEADER + Rows(2) + "3,2,5,4,8,-3.5,0.25,1,extra,more\n4,2,6\n,4,8,-4.5,0.25,0\n", 4,
         NONE},
        {"HeaderLineOf199AndA19CharacterField",
         "1\n" + std::string(199, 'h') + "\n3\n4\n5\n" + Rows(2) + "3,2,5,4,8,-3.5,0.25," +
             std::string(18, '0') + "1\n",
         3, NONE},
        {"EndInTheEighthField", FILE_HEADER + five + sixCut, 6, NONE},
        {"EndInTheFirstField", FILE_HEADER + five + "6", 5, 1},
        {"EndInTheSeventhField", FILE_HEADER + five + "6,1,2,1,0,10.0,1.0", 5, 7},
        {"HeaderLineOf200", "1\n2\n" + std::string(200, 'x') + "\n4\n5\n" + five, 0, 0},
    };
    for (const auto& c : cases) {
        for (const std::string& text : {c.text, WithCrLf(c.text)}) {
            SCOPED_TRACE(c.name + (text == c.text ? " LF"s : " CR LF"s));
            const ReadResult result = ReadRows(text);
            EXPECT_EQ(result.rows, Records(c.rows));
            ASSERT_EQ(result.problem.has_value(), c.field != NONE);
            if (result.problem) {
                EXPECT_EQ(result.problem->field, c.field);
                EXPECT_EQ(result.problem->rule, c.field ? CUT : UNREADABLE);
            }
        }
    }
    std::ifstream missing("/nonexistent/orx-config.csv");
    EXPECT_FALSE(SkipFileHeader(missing));
    AlarmRecord record;
    EXPECT_EQ(ReadRow(missing, record), RowOutcome::Unacceptable);
}

TEST(RowLineNumbers, CountBlankLinesAndLineEndsOfEachRow) {
    // Line 6: row 1; lines 7-8 blank; line 9: row 2, whose mode is on line 10.
    std::istringstream in(FILE_HEADER + "1,1,2,1,0,1,1,0\r\n\n\r\n2,\n2,2,1,0,1,1,0\n");
    ASSERT_TRUE(SkipFileHeader(in));
    int nextLine = HEADER_LINES + 1;
    AlarmRecord record;
    RowLines lines;
    ASSERT_EQ(ReadRow(in, record, nullptr, &lines), RowOutcome::Row);
    EXPECT_EQ(nextLine + lines.blankLines, 6);
    nextLine += lines.lineEnds;
    ASSERT_EQ(ReadRow(in, record, nullptr, &lines), RowOutcome::Row);
    EXPECT_EQ(nextLine + lines.blankLines, 9);
    nextLine += lines.lineEnds;
    EXPECT_EQ(nextLine, 11);
    EXPECT_EQ(ReadRow(in, record, nullptr, &lines), RowOutcome::NoMoreRows);
    EXPECT_EQ(lines.lineEnds, 0);
}

// A refused row is consumed to the line end after its eighth field, however long its
// fields, so reading goes on with the next row.
TEST(RowLineNumbers, UnacceptableRowIsConsumedToItsLineEnd) {
    std::istringstream in(With(TRIP, std::string(500, '1')).Text() + "\n" + With(MODE, "2").Text());
    AlarmRecord record;
    RowLines lines;
    ASSERT_EQ(ReadRow(in, record, nullptr, &lines), RowOutcome::Unacceptable);
    EXPECT_EQ(lines.lineEnds, 1);
    ASSERT_EQ(ReadRow(in, record, nullptr, &lines), RowOutcome::Row);
    EXPECT_EQ(lines.blankLines, 1);
    EXPECT_EQ(record.mode, 2);
}
