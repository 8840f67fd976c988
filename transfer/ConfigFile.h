#pragma once
// The configuration file: five header lines, one row per alarm, a closing note.

#include "transfer/RegisterMap.h"

#include <ctime>
#include <istream>
#include <optional>
#include <ostream>
#include <string>
#include <vector>

// The writers format their text in the classic locale themselves, so the stream's own locale
// and number settings never change the file.

// How reals are written: four decimals for files people read and edit, or the shortest text
// that reads back as the same 32 bits, for backups that must put back what the device held
// (at most 15 characters, within the reader's field limit).
enum class RealFormat { FourDecimals, Exact };

// Line 1.
constexpr const char* FILE_TITLE = "ORX Configuration Transfer Utility Version 1.00.00";
// Line 3 is this and the serial number.
constexpr const char* SERIAL_NUMBER_PREFIX = "Serial Number: ";

// Lines 1 to 5, with the device's serial number as read by the caller. Writes nothing to a
// failed stream. Line 2 is the local time (now, or the present time) in the ctime layout with
// a two-digit day (Sat Dec 05 21:31:52 2026), always 24 characters; a time that cannot be
// shown so is written as question marks.
void WriteFileHeader(std::ostream& stream, DWORD serial);
void WriteFileHeader(std::ostream& stream, DWORD serial, std::time_t now);
// One alarm row. The array form takes words 0-3, floats 0-1 and faults 0 (any non-zero byte
// is written as 1); arrays shorter than that throw std::invalid_argument.
void WriteAlarmRow(std::ostream& stream, int n, const CWordArray& words,
                   const CArray<float, float>& floats, const CByteArray& faults,
                   RealFormat format = RealFormat::FourDecimals);
void WriteAlarmRow(std::ostream& stream, int n, const AlarmRecord& record,
                   RealFormat format = RealFormat::FourDecimals);
void WriteFileNote(std::ostream& stream);
// Sets fixed notation, precision 4 and the classic locale on a stream about to be written,
// for anything the caller writes to it besides the lines above.
void PrepareFileStream(std::ostream& stream);

// Reading. A CR LF pair is read as one '\n' everywhere, so CR LF files read as LF files.
// Meeting the end of the file sets eofbit only. The download's loop: SkipFileHeader; no rows
// if eof(); then per alarm ReadRow, where NoMoreRows ends the rows cleanly and Unacceptable
// is the configuration error; after a Row, peek() and stop at eof().

// Reads and drops the five header lines (fewer when the file ends inside them: the stream
// is then at its end and there are no rows). Reads nothing from a failed stream. A line of
// HEADER_LINE_LIMIT characters or more before its line end fails the stream, so that the
// next ReadRow yields Unacceptable. Returns false exactly when the stream is failed. The
// first line, without its line end, goes to firstLine when given.
constexpr int HEADER_LINES = 5;
constexpr std::size_t HEADER_LINE_LIMIT = 200;
bool SkipFileHeader(std::istream& stream, std::string* firstLine = nullptr);
// True when line, a file's first, reads as an alarm row rather than a header line (a number,
// then the separators of eight fields): the file lacks its header, as one saved from a
// spreadsheet's table alone.
bool IsRowNotHeader(const std::string& line);

// What reading a row gave.
enum class RowOutcome {
    Row,          // record filled
    Unacceptable, // the row breaks a rule; see RowProblem
    NoMoreRows,   // end of file before the row's first non-blank character
};

// A field of FIELD_LIMIT characters or more makes its row unacceptable.
constexpr std::size_t FIELD_LIMIT = 20;

// Why a row is unacceptable, for reports that name the field.
struct RowProblem {
    int field = 0;     // 1..8, 0 when the stream was already failed
    std::string value; // the field's text as read; a field over the limit is cut, ending "..."
    std::string rule;  // the rule broken, in words ("mode must be 0 to 2")
};

// Where a row lay, for reports that give line numbers. Line ends are counted after CR LF
// became '\n'. If the next unread character is on line L, the row began on line
// L + blankLines and the next unread character after it is on line L + lineEnds (L taken
// before the call; the first row's L is HEADER_LINES + 1).
struct RowLines {
    int blankLines = 0; // line ends among the blank characters before the row
    int lineEnds = 0;   // all line ends the call consumed
};

// A field of an acceptable row whose reading loses part of what its text says: an integer
// field (2 to 5, 8) with characters after its digits or without digits, a value kept as its
// low 16 bits, a faults field other than 0 or 1, or field 1 not naming the row's alarm.
struct LossyReading {
    int field = 0;       // 1..8
    std::string value;   // the field's text
    std::string reading; // what the reader made of it ("read as 2")
};

// The values a row may hold. A download's ranges hold for every file a person gives; a
// restore puts back a backup as the device held it: any 16-bit word (0 to 65535), a real
// that is infinite or NaN also in an enabled alarm. Both refuse a real that is no number or
// beyond single precision.
enum class RowRules { Download, Device };

// What reading one row gave.
struct RowReading {
    RowOutcome outcome = RowOutcome::NoMoreRows;
    AlarmRecord record;              // the row's values when the outcome is Row, else untouched
    RowProblem problem;              // why when the outcome is Unacceptable
    RowLines lines;                  // where the row lay
    std::vector<LossyReading> lossy; // the lossy readings of an acceptable row
};

// Reads one row: blank characters (white space, blank lines) before it are skipped and do
// not count towards field 1's limit; fields 1-7 end at ',', field 8 at '\n' or the end of
// the file; a line end before a field's ',' belongs to the field. The call consumes exactly
// up to and including the '\n' after field 8 (or to the end of the file), also when the row
// is unacceptable, so reading can go on with the next row. The end of the file inside fields
// 1-7 makes the row unacceptable. Field 1 is compared with alarm, the alarm the row
// configures, when given.
RowReading ReadRow(std::istream& stream, RowRules rules = RowRules::Download,
                   std::optional<int> alarm = std::nullopt);
