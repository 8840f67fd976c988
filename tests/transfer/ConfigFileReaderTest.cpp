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
    std::string& operator[](int field) { return text[static_cast<std::size_t>(field - 1)]; }
    Fields& Set(int field, const std::string& value) {
        (*this)[field] = value;
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

RowOutcome ReadOne(const std::string& text, AlarmRecord& record, RowProblem* problem = nullptr) {
    std::istringstream in(text);
    return ReadRow(in, record, problem);
}

AlarmRecord MustRead(const Fields& f) {
    AlarmRecord record;
    RowProblem problem;
    EXPECT_EQ(ReadOne(f.Text(), record, &problem), RowOutcome::Row) << f.Text() << problem.rule;
    return record;
}

RowProblem MustRefuse(const Fields& f) {
    AlarmRecord record;
    RowProblem problem;
    EXPECT_EQ(ReadOne(f.Text(), record, &problem), RowOutcome::Unacceptable) << f.Text();
    return problem;
}

std::string Rows(int count) {
    std::string text;
    for (int n = 1; n <= count; ++n)
        text += std::to_string(n) + ",2," + std::to_string(n % 15 + 2) + ",4,8,-" +
                std::to_string(n) + ".5000,0.2500,1\n";
    return text;
}

constexpr int MODE = 2, MODULE = 3, CHANNEL = 4, RELAY = 5, TRIP = 6, DEADBAND = 7, FAULTS = 8;
} // namespace

// Module and channel ranges hold only for an enabled alarm; the others under every mode.
TEST(RowValues, RangeOfEveryFieldUnderEachMode) {
    const struct {
        int field;
        std::vector<const char*> accepted, refused;
        bool onlyWhenEnabled;
        const char* rule;
    } cases[] = {
        {1, {"17", "x", ""}, {}, false, ""},
        {MODE, {" 2", "2x"}, {"3", "-1", "65536", "99999999999"}, false, "mode must be 0 to 2"},
        {MODULE,
         {"2", "16"},
         {"1", "17"},
         true,
         "source module must be 2 to 16 when mode is not 0"},
        {CHANNEL, {"4"}, {"0", "5"}, true, "source channel must be 1 to 4 when mode is not 0"},
        {RELAY, {"8"}, {"9", "-1"}, false, "output relay must be 0 to 8"}};
    for (const auto& c : cases) {
        for (const char* mode : {"0", "1", "2"}) {
            SCOPED_TRACE("mode "s + mode + ", field " + std::to_string(c.field));
            for (const char* text : c.accepted)
                MustRead(With(MODE, mode).Set(c.field, text));
            for (const char* text : c.refused) {
                const Fields f = With(MODE, mode).Set(c.field, text);
                if (c.onlyWhenEnabled && mode == "0"s) {
                    MustRead(f);
                    continue;
                }
                const RowProblem p = MustRefuse(f);
                EXPECT_EQ(p.field, c.field);
                EXPECT_EQ(p.value, text);
                EXPECT_EQ(p.rule, c.rule);
            }
        }
    }
}

TEST(RowValues, ModeWithoutDigitsIsDisabledAndWordsKeepTheirLow16Bits) {
    Fields f;
    f[MODE] = "off", f[MODULE] = "-1", f[CHANNEL] = "65537";
    const AlarmRecord r = MustRead(f);
    EXPECT_EQ(r.mode, 0);
    EXPECT_EQ(r.sourceModule, 65535);
    EXPECT_EQ(r.sourceChannel, 1);
}

TEST(RowValues, TripPointAndDeadbandNeedTheWholeFieldAndAFiniteFloat) {
    for (int field : {TRIP, DEADBAND}) {
        const std::string name = field == TRIP ? "trip point" : "deadband";
        const auto value = [field](const AlarmRecord& r) {
            return field == TRIP ? r.tripPoint : r.deadband;
        };
        EXPECT_EQ(value(MustRead(With(field, ""))), 0.0f);
        EXPECT_EQ(value(MustRead(With(field, " 1.5"))), 1.5f);
        EXPECT_EQ(value(MustRead(With(field, "-2.5e1"))), -25.0f);
        for (const char* bad : {"1.5 ", "1.5x", " "}) {
            const RowProblem p = MustRefuse(With(field, bad));
            EXPECT_EQ(p.field, field) << bad;
            EXPECT_EQ(p.rule, name + " is not a number") << bad;
        }
        for (const char* infinite : {"inf", "1e39"})
            EXPECT_EQ(MustRefuse(With(field, infinite)).rule, name + " is not a finite float");
    }
}

TEST(RowValues, FaultsFlagIsAnyNonZeroIntegerAndTakesTheRestOfTheLine) {
    for (auto [text, set] : {std::pair{"2", true},
                             {"-1", true},
                             {" 1", true},
                             {"1,extra", true},
                             {"1\r", true},
                             {"0", false},
                             {"", false},
                             {"abc", false},
                             {"0,extra", false}})
        EXPECT_EQ(MustRead(With(FAULTS, text)).enunciateFaults, set) << text;
}

TEST(RowValues, RulesAreTestedInFieldOrderAndARefusedRowLeavesTheRecordAlone) {
    Fields f;
    f[MODE] = "3", f[RELAY] = "9", f[TRIP] = "x";
    EXPECT_EQ(MustRefuse(f).field, MODE);
    f[MODE] = "1";
    EXPECT_EQ(MustRefuse(f).field, RELAY);

    const AlarmRecord before{2, 4, 2, 5, 75.5f, 1.25f, true};
    AlarmRecord record = before;
    EXPECT_EQ(ReadOne(f.Text(), record), RowOutcome::Unacceptable);
    EXPECT_EQ(record, before);
    std::istringstream again(f.Text());
    EXPECT_FALSE(ReadAlarmRow(again, record));
}

TEST(FieldLimit, NineteenCharactersAreReadWholeTwentyRefuseTheRowInAnyField) {
    Fields f;
    f[1] = "1234567890123456789", f[TRIP] = "1.00000000000000000",
    f[FAULTS] = std::string(18, '0') + "1";
    const AlarmRecord r = MustRead(f);
    EXPECT_EQ(r.tripPoint, 1.0f);
    EXPECT_TRUE(r.enunciateFaults);

    for (int field = 1; field <= FAULTS; ++field) {
        const RowProblem p = MustRefuse(With(field, std::string(19, '0') + "1"));
        EXPECT_EQ(p.field, field);
        EXPECT_EQ(p.rule, "field longer than 19 characters");
        EXPECT_EQ(p.value.size(), 22u) << "19 characters and a cut mark: " << p.value;
    }
}

TEST(RowSplit, MoreThanEightFieldsGoIntoTheEighthAShortLineContinuesOnTheNext) {
    std::istringstream in("1,1,2,1,0,1.0,1.0,1,extra,more\n1,1,2\n,3,4,5.0,6.0,1\n");
    AlarmRecord record;
    ASSERT_EQ(ReadRow(in, record), RowOutcome::Row);
    EXPECT_TRUE(record.enunciateFaults);
    ASSERT_EQ(ReadRow(in, record), RowOutcome::Row);
    EXPECT_EQ(record, (AlarmRecord{1, 2, 3, 4, 5.0f, 6.0f, true}));
}

TEST(FileShape, EndingInsideOrRightAfterTheHeaderGivesNoRows) {
    for (std::size_t cut = 0; cut <= FILE_HEADER.size(); ++cut) {
        std::istringstream in(FILE_HEADER.substr(0, cut));
        EXPECT_TRUE(SkipFileHeader(in));
        AlarmRecord record;
        EXPECT_EQ(ReadRow(in, record), RowOutcome::NoMoreRows) << "cut at " << cut;
    }
}

TEST(FileShape, BlankLinesBetweenRowsAndCrLfLineEndsChangeNothing) {
    std::string spaced = FILE_HEADER;
    std::istringstream rows(Rows(4));
    for (std::string line; std::getline(rows, line);)
        spaced += "\n" + line + "\n" + std::string(30, '\n');
    const ReadResult expected = ReadRows(FILE_HEADER + Rows(4));
    EXPECT_EQ(ReadRows(spaced).rows, expected.rows);
    EXPECT_EQ(ReadRows(WithCrLf(spaced)).rows, expected.rows);

    // CR LF must not push a 199-character header line or a 19-character field over the limit.
    const std::string lf = "1\n" + std::string(199, 'h') + "\n3\n4\n5\n" + Rows(3) +
                           With(FAULTS, std::string(18, '0') + "1").Text();
    const ReadResult fromCrLf = ReadRows(WithCrLf(lf));
    EXPECT_FALSE(fromCrLf.problem);
    EXPECT_EQ(fromCrLf.rows, ReadRows(lf).rows);
    EXPECT_EQ(fromCrLf.rows.size(), 4u);
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

// Whole texts read as the download reads them: rows up to the end or to the first
// unacceptable row, whose field and rule are given.
TEST(FileShape, RowsReadAndTheFirstProblem) {
    constexpr int NONE = -1;
    const std::string CUT = "row cut short by end of file";
    const std::string five = Rows(5);
    const struct {
        const char* name;
        std::string text;
        std::size_t rows;
        int field;
        std::string rule;
    } cases[] = {
        {"FiveRows", FILE_HEADER + five, 5, NONE, ""},
        {"NoLastLineEnd", FILE_HEADER + five.substr(0, five.size() - 1), 5, NONE, ""},
        {"BlankLinesAfter", FILE_HEADER + five + "\r\n  \n\t\n" + std::string(300, '\n'), 5, NONE,
         ""},
        {"ThirtyOneRows", FILE_HEADER + Rows(31), 31, NONE, ""},
        {"NoteAfterRow32NeverRead", FILE_HEADER + Rows(ALARM_COUNT) + "\"Alarm Mode\"\n", 32, NONE,
         ""},
        {"EndInTheEighthField", FILE_HEADER + five + "6,1,2,1,0,-6.5,1.0,", 6, NONE, ""},
        {"EndInTheFirstField", FILE_HEADER + five + "6", 5, 1, CUT},
        {"EndInTheSeventhField", FILE_HEADER + five + "6,1,2,1,0,10.0,1.0", 5, 7, CUT},
        {"HeaderLineOf200", "1\n2\n" + std::string(200, 'x') + "\n4\n5\n" + five, 0, 0, ""},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        const ReadResult result = ReadRows(c.text);
        EXPECT_EQ(result.rows.size(), c.rows);
        ASSERT_EQ(result.problem.has_value(), c.field != NONE);
        if (result.problem) {
            EXPECT_EQ(result.problem->field, c.field);
            if (!c.rule.empty()) {
                EXPECT_EQ(result.problem->rule, c.rule);
            }
        } else if (c.rows > 0) {
            EXPECT_EQ(result.rows.back().tripPoint, -static_cast<float>(c.rows) - 0.5f);
        }
    }
    std::ifstream missing("/nonexistent/orx-config.csv");
    EXPECT_FALSE(SkipFileHeader(missing));
    AlarmRecord record;
    EXPECT_EQ(ReadRow(missing, record), RowOutcome::Unacceptable);
}
