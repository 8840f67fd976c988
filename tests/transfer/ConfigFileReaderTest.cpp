#include "FileText.h"
#include "transfer/ConfigFile.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <fstream>
#include <sstream>
#include <string>

using namespace std::string_literals;

namespace {
// An enabled alarm inside every range; each case changes one field of it.
struct Fields {
    std::string number = "1", mode = "1", module = "2", channel = "1", relay = "0",
                trip = "10.0000", deadband = "1.0000", faults = "0";
    std::string Text() const {
        return number + ',' + mode + ',' + module + ',' + channel + ',' + relay + ',' + trip + ',' +
               deadband + ',' + faults + '\n';
    }
};

RowOutcome ReadOne(const std::string& text, AlarmRecord& record, RowProblem* problem = nullptr) {
    std::istringstream in(text);
    return ReadRow(in, record, problem);
}

bool Accepted(const Fields& f) {
    AlarmRecord record;
    return ReadOne(f.Text(), record) == RowOutcome::Row;
}

AlarmRecord MustRead(const Fields& f) {
    AlarmRecord record;
    RowProblem problem;
    EXPECT_EQ(ReadOne(f.Text(), record, &problem), RowOutcome::Row) << problem.rule;
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
} // namespace

TEST(RowValues, FillsEveryFieldOfTheRecord) {
    Fields f;
    f.mode = "2", f.module = "4", f.channel = "2", f.relay = "5", f.trip = "75.5000",
    f.deadband = "1.2500", f.faults = "1";
    EXPECT_EQ(MustRead(f), (AlarmRecord{2, 4, 2, 5, 75.5f, 1.25f, true}));
}

TEST(RowValues, ModeRangeUnderEveryValue) {
    for (const char* good : {"0", "1", "2", " 2", "2x"}) {
        Fields f;
        f.mode = good;
        EXPECT_TRUE(Accepted(f)) << good;
    }
    for (const char* bad : {"3", "-1", "65536", "99999999999"}) {
        Fields f;
        f.mode = bad;
        const RowProblem p = MustRefuse(f);
        EXPECT_EQ(p.field, 2);
        EXPECT_EQ(p.value, bad);
        EXPECT_EQ(p.rule, "mode must be 0 to 2");
    }
}

TEST(RowValues, ModuleAndChannelRangesHoldOnlyWhenEnabled) {
    struct Case {
        const char* module;
        const char* channel;
        bool enabledOk;
        int field;
    };
    const Case cases[] = {{"2", "1", true, 0},   {"16", "4", true, 0},  {"1", "1", false, 3},
                          {"17", "1", false, 3}, {"0", "1", false, 3},  {"2", "0", false, 4},
                          {"2", "5", false, 4},  {"-1", "1", false, 3}, {"99", "99", false, 3}};
    for (const Case& c : cases) {
        for (const char* mode : {"0", "1", "2"}) {
            Fields f;
            f.mode = mode, f.module = c.module, f.channel = c.channel;
            const bool expected = std::string(mode) == "0" || c.enabledOk;
            EXPECT_EQ(Accepted(f), expected)
                << "mode " << mode << " module " << c.module << " channel " << c.channel;
            if (!expected) {
                EXPECT_EQ(MustRefuse(f).field, c.field);
            }
        }
    }
}

TEST(RowValues, RelayRangeHoldsUnderEveryMode) {
    for (const char* mode : {"0", "1", "2"}) {
        for (const char* relay : {"0", "8"}) {
            Fields f;
            f.mode = mode, f.relay = relay;
            EXPECT_TRUE(Accepted(f)) << mode << "/" << relay;
        }
        for (const char* relay : {"9", "-1"}) {
            Fields f;
            f.mode = mode, f.relay = relay;
            const RowProblem p = MustRefuse(f);
            EXPECT_EQ(p.field, 5);
            EXPECT_EQ(p.rule, "output relay must be 0 to 8");
        }
    }
}

TEST(RowValues, ModeWithoutDigitsIsDisabledAndKeepsLow16Bits) {
    Fields f;
    f.mode = "off", f.module = "-1", f.channel = "65537";
    const AlarmRecord r = MustRead(f);
    EXPECT_EQ(r.mode, 0);
    EXPECT_EQ(r.sourceModule, 65535);
    EXPECT_EQ(r.sourceChannel, 1);
}

TEST(RowValues, TripPointAndDeadbandNeedTheWholeField) {
    for (int field : {6, 7}) {
        auto with = [field](const std::string& text) {
            Fields f;
            (field == 6 ? f.trip : f.deadband) = text;
            return f;
        };
        const AlarmRecord empty = MustRead(with(""));
        EXPECT_EQ(field == 6 ? empty.tripPoint : empty.deadband, 0.0f);
        const AlarmRecord spaced = MustRead(with(" 1.5"));
        EXPECT_EQ(field == 6 ? spaced.tripPoint : spaced.deadband, 1.5f);
        const AlarmRecord exponent = MustRead(with("-2.5e1"));
        EXPECT_EQ(field == 6 ? exponent.tripPoint : exponent.deadband, -25.0f);

        for (const char* bad : {"1.5 ", "1.5x", "abc", " "}) {
            const RowProblem p = MustRefuse(with(bad));
            EXPECT_EQ(p.field, field) << bad;
        }
        const RowProblem notNumber = MustRefuse(with("1.5x"));
        EXPECT_EQ(notNumber.rule,
                  field == 6 ? "trip point is not a number" : "deadband is not a number");
        const RowProblem infinite = MustRefuse(with("inf"));
        EXPECT_EQ(infinite.rule, field == 6 ? "trip point is not a finite float"
                                            : "deadband is not a finite float");
        EXPECT_EQ(MustRefuse(with("1e39")).field, field);
    }
}

TEST(RowValues, FaultsFlagIsAnyNonZeroInteger) {
    for (const char* set : {"1", "2", "-1", " 1", "1,extra", "1\r"}) {
        Fields f;
        f.faults = set;
        EXPECT_TRUE(MustRead(f).enunciateFaults) << set;
    }
    for (const char* clear : {"0", "", "abc", "0,extra"}) {
        Fields f;
        f.faults = clear;
        EXPECT_FALSE(MustRead(f).enunciateFaults) << clear;
    }
}

TEST(RowValues, FirstFieldIsIgnored) {
    for (const char* number : {"17", "", "x", "-5"}) {
        Fields f;
        f.number = number;
        EXPECT_TRUE(Accepted(f)) << number;
    }
}

TEST(RowValues, RulesAreTestedInFieldOrder) {
    Fields f;
    f.mode = "3", f.relay = "9", f.trip = "x";
    EXPECT_EQ(MustRefuse(f).field, 2);
    f.mode = "1";
    EXPECT_EQ(MustRefuse(f).field, 5);
}

TEST(RowValues, RefusedRowLeavesTheRecordAlone) {
    const AlarmRecord before{2, 4, 2, 5, 75.5f, 1.25f, true};
    AlarmRecord record = before;
    Fields f;
    f.deadband = "bad";
    EXPECT_EQ(ReadOne(f.Text(), record), RowOutcome::Unacceptable);
    EXPECT_EQ(record, before);
    std::istringstream again(f.Text());
    EXPECT_FALSE(ReadAlarmRow(again, record));
}

TEST(FieldLimit, NineteenCharactersAreReadWhole) {
    const std::string nineteen = "1.00000000000000000"; // 19 characters
    ASSERT_EQ(nineteen.size(), 19u);
    Fields f;
    f.number = "1234567890123456789", f.trip = nineteen, f.faults = "0000000000000000001";
    const AlarmRecord r = MustRead(f);
    EXPECT_EQ(r.tripPoint, 1.0f);
    EXPECT_TRUE(r.enunciateFaults);
}

TEST(FieldLimit, TwentyCharactersMakeTheRowUnacceptableInAnyField) {
    const std::string twenty = "1.000000000000000000"; // 20 characters
    ASSERT_EQ(twenty.size(), 20u);
    for (int field = 1; field <= 8; ++field) {
        Fields f;
        std::string* slots[] = {&f.number, &f.mode, &f.module,   &f.channel,
                                &f.relay,  &f.trip, &f.deadband, &f.faults};
        *slots[field - 1] = field == 6 || field == 7 ? twenty : "00000000000000000001";
        const RowProblem p = MustRefuse(f);
        EXPECT_EQ(p.field, field);
        EXPECT_EQ(p.rule, "field longer than 19 characters");
        EXPECT_EQ(p.value.size(), 22u) << "19 characters and a cut mark: " << p.value;
    }
}

TEST(FieldLimit, RowAfterAnOverlongFieldIsReadNormally) {
    Fields longRow;
    longRow.trip = std::string(500, '1');
    Fields next;
    next.mode = "2";
    std::istringstream in(longRow.Text() + next.Text());
    AlarmRecord record;
    EXPECT_EQ(ReadRow(in, record), RowOutcome::Unacceptable);
    EXPECT_EQ(ReadRow(in, record), RowOutcome::Row);
    EXPECT_EQ(record.mode, 2);
}

TEST(RowSplit, MoreThanEightFieldsGoIntoTheEighth) {
    std::istringstream in("1,1,2,1,0,1.0,1.0,1,extra,more\n2,0,0,0,0,0,0,0\n");
    AlarmRecord record;
    ASSERT_EQ(ReadRow(in, record), RowOutcome::Row);
    EXPECT_TRUE(record.enunciateFaults);
    ASSERT_EQ(ReadRow(in, record), RowOutcome::Row);
    EXPECT_EQ(record, AlarmRecord{});
}

TEST(RowSplit, ShortLineTakesItsMissingFieldsFromTheNextLine) {
    std::istringstream in("1,1,2\n,3,4,5.0,6.0,1\n");
    AlarmRecord record;
    ASSERT_EQ(ReadRow(in, record), RowOutcome::Row);
    EXPECT_EQ(record, (AlarmRecord{1, 2, 3, 4, 5.0f, 6.0f, true}));
}

TEST(RowSplit, EndOfFileInsideTheFirstSevenFieldsCutsTheRow) {
    for (const std::string& cut : {"1"s, "1,1,2,1"s, "1,1,2,1,0,10.0"s, "1,1,2,1,0,10.0,1.0"s}) {
        AlarmRecord record;
        RowProblem problem;
        EXPECT_EQ(ReadOne(cut, record, &problem), RowOutcome::Unacceptable) << cut;
        EXPECT_EQ(problem.rule, "row cut short by end of file");
        EXPECT_EQ(problem.field, static_cast<int>(std::count(cut.begin(), cut.end(), ',')) + 1);
    }
}

TEST(RowSplit, EndOfFileInTheEighthFieldEndsTheRowCleanly) {
    for (const std::string& text : {"1,1,2,1,0,10.0,1.0,1"s, "1,1,2,1,0,10.0,1.0,"s}) {
        std::istringstream in(text);
        AlarmRecord record;
        EXPECT_EQ(ReadRow(in, record), RowOutcome::Row) << text;
        EXPECT_TRUE(in.eof());
        EXPECT_FALSE(in.fail());
        EXPECT_EQ(ReadRow(in, record), RowOutcome::NoMoreRows);
    }
}

TEST(RowSplit, BlankTextBeforeTheEndIsNoRow) {
    for (const std::string& text : {""s, "\n"s, "\r\n"s, "  \n\t\n"s, std::string(300, '\n')}) {
        std::istringstream in(text);
        AlarmRecord record;
        EXPECT_EQ(ReadRow(in, record), RowOutcome::NoMoreRows);
        EXPECT_FALSE(ReadAlarmRow(in, record));
    }
}

TEST(FileShape, RowsEndingAfterRowKWithOrWithoutLineEnd) {
    for (int k : {1, 5, 31}) {
        const std::string rows = Rows(k);
        for (const std::string& text :
             {FILE_HEADER + rows, FILE_HEADER + rows.substr(0, rows.size() - 1),
              FILE_HEADER + rows + "\n", FILE_HEADER + rows + "\r\n  \n"}) {
            const ReadResult result = ReadRows(text);
            EXPECT_FALSE(result.problem) << result.problem->rule;
            ASSERT_EQ(result.rows.size(), static_cast<std::size_t>(k));
            EXPECT_EQ(result.rows.back().tripPoint, -k - 0.5f);
        }
    }
}

TEST(FileShape, NoteLineAfterRow32IsNeverRead) {
    const ReadResult result = ReadRows(FILE_HEADER + Rows(ALARM_COUNT) + "\"Alarm Mode\"\n");
    EXPECT_FALSE(result.problem);
    EXPECT_EQ(result.rows.size(), static_cast<std::size_t>(ALARM_COUNT));
}

TEST(FileShape, EndingInsideTheHeaderGivesNoRows) {
    for (std::size_t cut = 0; cut <= FILE_HEADER.size(); ++cut) {
        std::istringstream in(FILE_HEADER.substr(0, cut));
        EXPECT_TRUE(SkipFileHeader(in));
        AlarmRecord record;
        EXPECT_EQ(ReadRow(in, record), RowOutcome::NoMoreRows) << "cut at " << cut;
    }
}

TEST(FileShape, ExactlyTheHeaderLeavesTheEndUnmetButGivesNoRow) {
    std::istringstream in(FILE_HEADER);
    EXPECT_TRUE(SkipFileHeader(in));
    EXPECT_FALSE(in.eof());
    AlarmRecord record;
    EXPECT_EQ(ReadRow(in, record), RowOutcome::NoMoreRows);
}

TEST(FileShape, BlankLinesBetweenRowsChangeNothing) {
    const std::string plain = FILE_HEADER + Rows(4);
    std::string spaced = FILE_HEADER;
    std::istringstream rows(Rows(4));
    for (std::string line; std::getline(rows, line);)
        spaced += "\n" + line + "\n" + std::string(30, '\n');
    const ReadResult expected = ReadRows(plain);
    const ReadResult actual = ReadRows(spaced);
    EXPECT_FALSE(actual.problem);
    EXPECT_EQ(actual.rows, expected.rows);
    EXPECT_EQ(ReadRows(WithCrLf(spaced)).rows, expected.rows);
}

TEST(FileShape, CrLfFileReadsLikeTheLfFile) {
    Fields limit; // CR LF must not push a 19-character last field over the limit
    limit.faults = "0000000000000000001";
    const std::string lf = "1\n" + std::string(199, 'h') + "\n3\n4\n5\n" + Rows(3) + limit.Text();
    const ReadResult fromLf = ReadRows(lf);
    const ReadResult fromCrLf = ReadRows(WithCrLf(lf));
    EXPECT_FALSE(fromLf.problem);
    EXPECT_FALSE(fromCrLf.problem);
    EXPECT_EQ(fromCrLf.rows, fromLf.rows);
    EXPECT_EQ(fromCrLf.rows.size(), 4u);
}

TEST(HeaderLimit, LineOf199CharactersIsDropped) {
    std::istringstream in(std::string(199, 'x') + "\n2\n3\n4\n5\n" + Rows(1));
    EXPECT_TRUE(SkipFileHeader(in));
    AlarmRecord record;
    EXPECT_EQ(ReadRow(in, record), RowOutcome::Row);
}

TEST(HeaderLimit, LineOf200CharactersMakesTheNextRowUnacceptable) {
    std::istringstream in("1\n2\n" + std::string(200, 'x') + "\n4\n5\n" + Rows(1));
    EXPECT_FALSE(SkipFileHeader(in));
    EXPECT_FALSE(in.eof());
    AlarmRecord record;
    RowProblem problem;
    EXPECT_EQ(ReadRow(in, record, &problem), RowOutcome::Unacceptable);
    EXPECT_EQ(problem.field, 0);
    const ReadResult result = ReadRows("1\n2\n" + std::string(200, 'x') + "\n4\n5\n" + Rows(1));
    EXPECT_TRUE(result.problem);
    EXPECT_TRUE(result.rows.empty());
}

TEST(HeaderLimit, UnopenedFileIsNeitherSkippedNorRead) {
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

TEST(RowLineNumbers, UnacceptableRowIsConsumedToItsLineEnd) {
    std::istringstream in("1,9,2,1,0,1,1,0\n\n2,1,2,1,0,1,1,0\n");
    AlarmRecord record;
    RowLines lines;
    RowProblem problem;
    ASSERT_EQ(ReadRow(in, record, &problem, &lines), RowOutcome::Unacceptable);
    EXPECT_EQ(lines.lineEnds, 1);
    ASSERT_EQ(ReadRow(in, record, nullptr, &lines), RowOutcome::Row);
    EXPECT_EQ(lines.blankLines, 1);
}
