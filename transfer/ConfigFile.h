#pragma once
// The configuration file: five header lines, one row per alarm, a closing note.

#include "transfer/RegisterMap.h"

#include <ctime>
#include <istream>
#include <ostream>
#include <string>

class CModbus;

// Lines 1 to 5; reads the serial number through the client. Writes nothing to a failed stream.
void WriteFileHeader(std::ostream& stream, CModbus& client);
void WriteFileHeader(std::ostream& stream, CModbus& client, std::time_t now);
// One alarm row; the stream must already be in fixed notation with precision 4.
void WriteAlarmRow(std::ostream& stream, int n, const CWordArray& words,
                   const CArray<float, float>& floats, const CByteArray& faults);
void WriteAlarmRow(std::ostream& stream, int n, const AlarmRecord& record);
void WriteFileNote(std::ostream& stream);
// Sets fixed notation, precision 4 and the classic locale on a stream about to be written.
void PrepareFileStream(std::ostream& stream);

// Reads and drops the five header lines. Reads nothing from a failed stream.
void SkipFileHeader(std::istream& stream);

// What reading a row gave.
enum class RowOutcome {
    Row,          // record filled
    Unacceptable, // the row breaks a rule; see RowProblem
    NoMoreRows,   // end of file before the row's first non-blank character
};

// Why a row is unacceptable, for reports that name the field.
struct RowProblem {
    int field = 0;     // 1..8, 0 when the row could not be split
    std::string value; // the field's text as read (possibly cut for display)
    std::string rule;  // the rule broken, in words
};

RowOutcome ReadRow(std::istream& stream, AlarmRecord& record, RowProblem* problem = nullptr);

// True with the record filled, false when the row is unacceptable or absent.
bool ReadAlarmRow(std::istream& stream, AlarmRecord& record);
