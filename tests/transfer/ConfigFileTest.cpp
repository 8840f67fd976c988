// The configuration file's writer and reader, the reader looping as the download does: header,
// then rows until no more rows, an unacceptable row, or the end; and the jobs that name a file.

#include "transfer/ConfigFile.h"
#include "modbus/FunctionCodes.h"
#include "modbus/RemoteModbus.h"
#include "transfer/ConfigCheck.h"
#include "transfer/FieldRules.h"
#include "transfer/RegisterMap.h"
#include "transfer/TransferJobs.h"
#include "transfer/TransferResults.h"

#include <array>
#include <bit>
#include <cfloat>
#include <climits>
#include <clocale>
#include <cmath>
#include <cstdint>
#include <cstdlib>
#include <fstream>
#include <gtest/gtest.h>
#include <limits>
#include <locale>
#include <sstream>
#include <tuple>

using namespace std::string_literals;

namespace {
std::string FileHeader(const std::string& time = "Sat Dec 05 21:31:52 2026",
                       const std::string& serial = "65538") {
    return "ORX Configuration Transfer Utility Version 1.00.00\n" + time +
           "\nSerial Number: " + serial +
           "\nAlarm,Alarm,Source,Source,Output,Trip Point,Deadband,Enunciate System\n"
           "Number,Mode,Module,Channel,Relay,,,Faults\n";
}
const std::string FILE_HEADER = FileHeader();

// What the download would write from text, the rows read and the problems.
ConfigCheckResult Check(const std::string& text) {
    std::istringstream in(text);
    return CheckConfigFile(in);
}

std::string WithCrLf(std::string text) {
    for (std::size_t at = 0; (at = text.find('\n', at)) != std::string::npos; at += 2)
        text.insert(at, 1, '\r');
    return text;
}

constexpr int MODE = 2, MODULE = 3, CHANNEL = 4, RELAY = 5, TRIP = 6, DEADBAND = 7, FAULTS = 8;

// An enabled alarm inside every range; each case changes fields of it (1-based).
struct Fields {
    std::array<std::string, 8> text{"1", "1", "2", "1", "0", "10.0000", "1.0000", "0"};
    Fields(int field, const std::string& value) { Set(field, value); }
    Fields& Set(int field, const std::string& value) {
        text[static_cast<std::size_t>(field - 1)] = value;
        return *this;
    }
    std::string Text() const {
        std::string row;
        for (const std::string& t : text)
            row += t + ",";
        row.back() = '\n';
        return row;
    }
};

std::pair<AlarmRecord, RowProblem> Read(const Fields& f, RowOutcome expected = RowOutcome::Row,
                                        RowRules rules = RowRules::Download) {
    std::istringstream in(f.Text());
    const RowReading row = ReadRow(in, rules);
    EXPECT_EQ(row.outcome, expected) << f.Text() << row.problem.rule;
    return {row.record, row.problem};
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
constexpr std::time_t SAT_DEC_05_2026_213152_UTC = 1796506312;
constexpr std::time_t FRI_JAN_09_2026_080405_UTC = 1767945845;
const AlarmRecord EXAMPLE{2, 4, 2, 5, 75.5f, 1.25f, true};
const std::string EXAMPLE_ROW = "3,2,4,2,5,75.5000,1.2500,1\n";

#ifdef _WIN32
int setenv(const char* name, const char* value, int) {
    return _putenv_s(name, value);
}
#endif

// What write puts into a fresh stream.
template <typename Writer> std::string Written(Writer write) {
    std::ostringstream out;
    write(out);
    return out.str();
}

std::string Header(DWORD serial, std::time_t when, const char* zone) {
    setenv("TZ", zone, 1);
    tzset();
    return Written([&](std::ostream& out) { WriteFileHeader(out, serial, when); });
}

// Comma decimal point and grouped thousands, as many European locales have.
struct CommaPunct : std::numpunct<char> {
    char do_decimal_point() const override { return ','; }
    char do_thousands_sep() const override { return '.'; }
    std::string do_grouping() const override { return "\3"; }
};
} // namespace

// The atoi rule, clamped to int instead of wrapping ("4294967297" must not pass as 1); the
// strtod rule in the classic locale, accepted only when it uses up the whole text.
TEST(FieldRules, IntegerAndRealTexts) {
    const char* integers[] = {
        "",   "-",          "--1",        "\t\r\n 12",           "12abc",      "1\r", "1.9",
        "+7", "2147483648", "4294967297", "9999999999999999999", "-2147483649"};
    const int values[] = {0, 0, 0, 12, 12, 1, 1, 7, INT_MAX, INT_MAX, INT_MAX, INT_MIN};
    for (std::size_t i = 0; i < std::size(values); ++i)
        EXPECT_EQ(IntegerRule(integers[i]), values[i]) << integers[i];
    EXPECT_EQ(IntegerRule("1\0 2"s), 1);
    const char* reals[] = {"", "1e-50", "+1.5", "-1.5E-2", ".5", "0.1", "-1234.5678", "3.4e38"};
    const float accepted[] = {
        0.0f, 0.0f, 1.5f, -0.015f, 0.5f, float(0.1), float(-1234.5678), float(3.4e38)};
    for (std::size_t i = 0; i < std::size(accepted); ++i) {
        float value = -99.0f;
        EXPECT_EQ(RealRule(reals[i], value), RealRuleResult::Accepted) << reals[i];
        EXPECT_EQ(value, accepted[i]) << reals[i];
    }
    // Texts a row cannot carry; the others are the rows' cases below.
    float value = 0.0f;
    for (const std::string& text : {"1.5\r"s, "1,5"s, "1.5\0"s})
        EXPECT_EQ(RealRule(text, value), RealRuleResult::NotNumber) << text;
}

// Module and channel ranges hold only for an enabled alarm; the others under every mode.
TEST(RowValues, RangeOfEveryFieldUnderEachMode) {
    const struct {
        int field;
        std::vector<const char*> accepted, refused;
        std::string rule;
    } cases[] = {
        {1, {"17", "x", "", "1\t", " 1"}, {}, ""},
        {1, {}, {"1;2", ";"}, "fields are separated by ';'; the file must use ','"},
        {1, {}, {"1\t2", "1\t\t2 "}, "fields are separated by a tab; the file must use ','"},
        {MODE, {}, {"\"1\"", " \"1"}, "mode is in quotes; numbers must be written without '\"'"},
        {TRIP, {}, {"\"1.5\""}, "trip point is in quotes; numbers must be written without '\"'"},
        {MODE, {" 2", "2x"}, {"3", "-1", "65536", "99999999999"}, "mode must be 0 to 2"},
        {MODULE, {"2", "16"}, {"1", "17"}, "source module must be 2 to 16 when mode is not 0"},
        {CHANNEL, {"4"}, {"0", "5"}, "source channel must be 1 to 4 when mode is not 0"},
        {RELAY, {"8"}, {"9", "-1"}, "output relay must be 0 to 8"},
        {TRIP, {"", " 1.5", "-2.5e1"}, {"1.5 ", "1.5x", " ", "0x10"}, "trip point is not a number"},
        {TRIP, {}, {"nan", "-nan", "inf", "-inf"}, "trip point must be finite when mode is not 0"},
        {TRIP, {}, {"1e39", "-1e400"}, "trip point is too large for single precision"},
        {DEADBAND,
         {"", " 1.5", "-2.5e1"},
         {"1.5 ", "1.5x", " ", "+0X1", "-", "1e", " -0X1.8p0", "0x"},
         "deadband is not a number"},
        {DEADBAND, {}, {"nan", "-inf"}, "deadband must be finite when mode is not 0"},
        {DEADBAND, {}, {"1e39", "3.40282357e38"}, "deadband is too large for single precision"}};
    for (const auto& c : cases) {
        for (const char* mode : {"0", "1", "2"}) {
            SCOPED_TRACE("mode "s + mode + ", field " + std::to_string(c.field));
            for (const char* text : c.accepted)
                Read(Fields(MODE, mode).Set(c.field, text));
            // A disabled alarm takes what only an enabled one refuses.
            const bool taken = c.rule.ends_with("when mode is not 0") && mode == "0"s;
            for (const char* text : c.refused) {
                const RowProblem p = Read(Fields(MODE, mode).Set(c.field, text),
                                          taken ? RowOutcome::Row : RowOutcome::Unacceptable)
                                         .second;
                if (!taken) {
                    EXPECT_EQ(std::tie(p.field, p.value, p.rule), std::tie(c.field, text, c.rule));
                }
            }
        }
    }
}

// A spreadsheet's table saved alone would have its first rows taken for the header.
TEST(ConfigCheck, AFileWithoutItsHeaderNamesWhatTheFirstLineShouldBe) {
    const std::pair<std::string, std::string> cases[] = {
        {"0,2,2,1,1,75.5,1.25,1", R"("0,2,2,1,1,75.5,1.25,1")"},
        {R"( "-1";"2";"2";"1";"1";"75,5000";"1,2500";"1")",
         R"(" \"-1\";\"2\";\"2\";\"1\";\"1\";\"75,5000\";\"1,2500\"...")"}};
    for (const auto& [first, shown] : cases) {
        const ConfigCheckResult result = Check(first + "\n" + Rows(6));
        ASSERT_EQ(result.problems.size(), 1u) << first;
        EXPECT_EQ(DescribeRowReport(result.problems[0]),
                  "the five header lines are missing: the first line should be \"ORX "
                  "Configuration Transfer Utility Version 1.00.00\", not " +
                      shown);
    }
    // A first line of names is a header line, however many commas it has.
    const std::string names = "Alarm,Alarm,Source,Source,Output,Trip Point,Deadband,Faults\n";
    EXPECT_TRUE(Check(names + FILE_HEADER.substr(FILE_HEADER.find('\n') + 1) + Rows(1)).Accepted());
}

// Words keep their low 16 bits; the faults flag is any non-zero integer up to the line end;
// rules go in field order; 19 characters are read whole, 20 refuse the row in any field.
TEST(RowValues, WordsFlagRuleOrderAndFieldLimit) {
    for (const char* text : {"2", "-1", " 1", "1,extra", "1\r"})
        EXPECT_TRUE(Read(Fields(FAULTS, text)).first.enunciateFaults) << text;
    for (const char* text : {"0", "", "abc", "0,extra"})
        EXPECT_FALSE(Read(Fields(FAULTS, text)).first.enunciateFaults) << text;

    Fields f = Fields(MODE, "3").Set(RELAY, "9").Set(TRIP, "x");
    EXPECT_EQ(Read(f, RowOutcome::Unacceptable).second.field, MODE);
    f.Set(MODE, "1");
    EXPECT_EQ(Read(f, RowOutcome::Unacceptable).second.field, RELAY);

    f = Fields(1, "1234567890123456789").Set(TRIP, "1.00000000000000000");
    const AlarmRecord whole = Read(f.Set(FAULTS, std::string(18, '0') + "1")).first;
    EXPECT_EQ(std::pair(whole.tripPoint, whole.enunciateFaults), std::pair(1.0f, true));
    for (int field = 1; field <= FAULTS; ++field) {
        const RowProblem p =
            Read(Fields(field, std::string(19, '0') + "1"), RowOutcome::Unacceptable).second;
        EXPECT_EQ(std::tie(p.field, p.rule), std::tuple(field, "field longer than 19 characters"));
        EXPECT_EQ(p.value.size(), 22u) << "19 characters and a cut mark: " << p.value;
    }
    // Ten two-byte characters: the cut falls inside the tenth.
    const std::string accents = "éééééééééé";
    EXPECT_EQ(Read(Fields(TRIP, accents), RowOutcome::Unacceptable).second.value,
              accents.substr(0, 18) + "...")
        << "whole characters only";
}

// Whole texts read as the download reads them, with LF and with CR LF line ends: rows up to
// the end or to the first unacceptable row (field 0: the header broke the stream). The plain
// shapes (five rows, no last line end, a blank line between rows) are the agreement tests'.
TEST(FileShape, RowsReadAndTheFirstProblem) {
    for (std::size_t cut = 0; cut <= FILE_HEADER.size(); ++cut) {
        std::istringstream in(FILE_HEADER.substr(0, cut));
        EXPECT_TRUE(SkipFileHeader(in));
        EXPECT_EQ(ReadRow(in).outcome, RowOutcome::NoMoreRows) << "cut at " << cut;
    }
    constexpr int NONE = -1;
    const std::string five = Rows(5), sixCut = Row(6).substr(0, Row(6).size() - 2);
    const std::tuple<std::string, int, int> cases[] = {
        {FILE_HEADER + five + "\r\n  \n\t\n" + std::string(300, '\n'), 5, NONE},
        {FILE_HEADER + Rows(2) + "3,2,5,4,8,-3.5,0.25,1,extra,more\n4,2,6\n,4,8,-4.5,0.25,0\n", 4,
         NONE},
        {"1\n" + std::string(199, 'h') + "\n3\n4\n5\n" + Rows(2) + "3,2,5,4,8,-3.5,0.25," +
             std::string(18, '0') + "1\n",
         3, NONE},
        {FILE_HEADER + five + sixCut, 6, NONE},
        {FILE_HEADER + five + "6", 5, 1},
        {FILE_HEADER + five + "6,1,2,1,0,10.0,1.0", 5, 7},
        {"1\n2\n" + std::string(200, 'x') + "\n4\n5\n" + five, 0, 0},
    };
    for (const auto& [lfText, rows, field] : cases) {
        for (const std::string& text : {lfText, WithCrLf(lfText)}) {
            SCOPED_TRACE(text);
            const ConfigCheckResult check = Check(text);
            EXPECT_EQ(check.rowsRead, rows);
            EXPECT_EQ(check.written, field == NONE ? Records(rows) : std::vector<AlarmRecord>{});
            ASSERT_EQ(check.problems.size(), std::size_t{field != NONE});
            if (field != NONE) {
                EXPECT_EQ(check.problems[0].problem.field, field);
                EXPECT_EQ(check.problems[0].problem.rule,
                          field ? "row cut short by end of file"
                                : "file unreadable here (header line of 200 or more characters, "
                                  "or a read error)");
            }
        }
    }
    std::ifstream missing("/nonexistent/orx-config.csv");
    EXPECT_FALSE(SkipFileHeader(missing));
    EXPECT_EQ(ReadRow(missing).outcome, RowOutcome::Unacceptable);
}

// Line 6: row 1; lines 7-8 blank (any white space); line 9: row 2, whose mode is on line 10; then a
// refused row with a long field is consumed to its line end, so reading goes on with the next row.
TEST(FileShape, RowLinesCountBlankLinesAndLineEnds) {
    std::istringstream in(FILE_HEADER + "1,1,2,1,0,1,1,0\r\n\n\v\f\r\n2,\n2,2,1,0,1,1,0\n" +
                          Fields(TRIP, std::string(500, '1')).Text() + "\n1,2,2,1,0,1,1,0\n");
    ASSERT_TRUE(SkipFileHeader(in));
    RowReading row;
    const std::tuple<RowOutcome, int, int> rows[] = {{RowOutcome::Row, 0, 1},
                                                     {RowOutcome::Row, 2, 4},
                                                     {RowOutcome::Unacceptable, 0, 1},
                                                     {RowOutcome::Row, 1, 2},
                                                     {RowOutcome::NoMoreRows, 0, 0}};
    for (const auto& [outcome, blankLines, lineEnds] : rows) {
        const RowReading read = ReadRow(in);
        EXPECT_EQ(read.outcome, outcome);
        EXPECT_EQ(std::pair(read.lines.blankLines, read.lines.lineEnds),
                  std::pair(blankLines, lineEnds));
        if (read.outcome == RowOutcome::Row)
            row = read;
    }
    EXPECT_EQ(row.record.mode, 2);
}

// Local time with a two-digit day; the serial is unsigned.
TEST(FileHeader, TimeAndSerialLines) {
    EXPECT_EQ(Header(0, FRI_JAN_09_2026_080405_UTC, "UTC0"),
              FileHeader("Fri Jan 09 08:04:05 2026", "0"));
    EXPECT_EQ(Header(65538, SAT_DEC_05_2026_213152_UTC, "XYZ-3"),
              FileHeader("Sun Dec 06 00:31:52 2026", "65538"));
    EXPECT_EQ(UploadFileName(65538, SAT_DEC_05_2026_213152_UTC), "ORX-65538-2026-12-06.csv");
    EXPECT_EQ(Header(4294967295u, std::numeric_limits<std::time_t>::max(), "UTC0"),
              FileHeader("??? ??? ?? ??:??:?? ????", "4294967295"));
}

// A trace names alarm parts inside the alarm table only.
TEST(RegisterMap, NoAlarmBesideTheTable) {
    for (const WORD address :
         {REG_ALARM_BASE - ALARM_STRIDE, REG_ALARM_BASE + ALARM_STRIDE * ALARM_COUNT})
        EXPECT_EQ(RegisterMapEntry(FN_READ_INPUT_REGISTERS, address, ALARM_WORD_COUNT), "");
}

// Words as unsigned decimals, reals fixed with four decimals rounded to nearest, whatever the
// stream's own settings. The array form is the upload's, whose tests compare its rows.
TEST(AlarmRow, ExactBytes) {
    const std::pair<AlarmRecord, std::string> cases[] = {
        {AlarmRecord{}, "7,0,0,0,0,0.0000,0.0000,0\n"},
        {{0, 0, 0, 0, 0.5f, -12.0f, false}, "1,0,0,0,0,0.5000,-12.0000,0\n"},
        {{0, 0, 0, 0, 1000.0f, 2.71828f, false}, "1,0,0,0,0,1000.0000,2.7183,0\n"},
        {{0, 0, 0, 0, 1e10f, -0.00004f, false}, "1,0,0,0,0,10000000000.0000,-0.0000,0\n"},
        {{65535, 65535, 32768, 8, 0, 0, false}, "32,65535,65535,32768,8,0.0000,0.0000,0\n"},
        {{0, 0, 0, 0, -NAN, -INFINITY, false}, "2,0,0,0,0,-nan,-inf,0\n"}};
    for (const auto& [record, row] : cases)
        EXPECT_EQ(Written([&](std::ostream& o) { WriteAlarmRow(o, std::stoi(row), record); }), row);
    std::ostringstream out;
    out.setf(std::ios_base::scientific, std::ios_base::floatfield);
    out.precision(2);
    out.width(10);
    WriteAlarmRow(out, 3, EXAMPLE);
    WriteFileNote(out);
    EXPECT_EQ(out.str(),
              EXAMPLE_ROW + "\"Alarm Mode (0 = Disabled, 1 = Trip Low, 2 = Trip High)\"\n");
}

// A backup's reals are the shortest texts that read back as the same 32 bits, each within the
// field limit: huge, tiny, denormal, negative zero, the longest; NaN and infinity as ever. A
// restore reads any 16-bit word, but no more.
TEST(AlarmRow, ExactRealsReadBackBitForBit) {
    const auto Bits = [](float value) { return std::bit_cast<std::uint32_t>(value); };
    for (const float real :
         {1e14f, FLT_MAX, FLT_TRUE_MIN, -FLT_MIN, -0.0f, 0.1f, 3.0e-39f, 16777215.0f,
          1.0f + FLT_EPSILON, -1.17549421e-38f, -7.038531e-26f, INFINITY, -NAN}) {
        std::stringstream row;
        WriteAlarmRow(row, 1, {7, 0, 65535, 9, real, -real, true}, RealFormat::Exact);
        const RowReading read = ReadRow(row, RowRules::Device);
        ASSERT_EQ(read.outcome, RowOutcome::Row);
        const AlarmRecord& r = read.record;
        EXPECT_EQ(std::pair(Bits(r.tripPoint), Bits(r.deadband)),
                  std::pair(Bits(real), Bits(-real)))
            << row.str();
    }
    EXPECT_EQ(Written([](std::ostream& o) {
                  WriteAlarmRow(o, 2, {2, 4, 2, 5, 1e14f, -0.0f, false}, RealFormat::Exact);
              }),
              "2,2,4,2,5,1e+14,-0,0\n");
    EXPECT_EQ(Read(Fields(RELAY, "65536"), RowOutcome::Unacceptable, RowRules::Device).second.rule,
              "output relay must be 0 to 65535");
}

// Under a comma locale (C++ always, the C library's where one is installed) the file is
// still written and read in the classic one.
TEST(CommaLocale, WritingAndReadingStayClassic) {
    const std::string oldC = std::setlocale(LC_ALL, nullptr);
    for (const char* name : {"de_DE.UTF-8", "fr_FR.UTF-8", "de_DE", "fr_FR"})
        if (std::setlocale(LC_ALL, name))
            break;
    const std::locale oldCpp =
        std::locale::global(std::locale(std::locale::classic(), new CommaPunct));
    const std::string row = Written([](std::ostream& o) { WriteAlarmRow(o, 3, EXAMPLE); });
    EXPECT_EQ(row, EXAMPLE_ROW);
    const std::string header = Written([](std::ostream& o) { WriteFileHeader(o, 4294967295u, 0); });
    EXPECT_NE(header.find("Serial Number: 4294967295\n"), std::string::npos);
    EXPECT_EQ(Written([](std::ostream& o) { PrepareFileStream(o), o << 1.5 << ' ' << 12345; }),
              "1.5000 12345");
    EXPECT_EQ(Check(FILE_HEADER + row).written, std::vector<AlarmRecord>{EXAMPLE});
    float value = 0.0f;
    EXPECT_EQ(RealRule("1,5", value), RealRuleResult::NotNumber);
    std::locale::global(oldCpp);
    std::setlocale(LC_ALL, oldC.c_str());
}

// A verify refuses an empty path before it touches the device (as upload and download do).
TEST(FileJobs, AnEmptyPathIsRefusedBeforeTheDevice) {
    struct EmptyPathView : CSilentView {
        bool ChooseFile(bool, std::string& path) override {
            path.clear();
            return true;
        }
        void ShowError(const std::string& message, const std::string&) override { shown = message; }
        std::string shown;
    } view;
    CRemoteModbus modbus;
    VerifyReport report;
    EXPECT_EQ(RunVerifyJob({}, modbus, view, report), RESULT_NO_FILE);
    EXPECT_EQ(view.shown, "Please select a file.");
    EXPECT_FALSE(modbus.IsConnected());
}
