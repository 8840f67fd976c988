#pragma once
// A configuration file read as a download would read it, without a device: every
// unacceptable row with where it lies and why, and how many rows a download would write.

#include "transfer/ConfigFile.h"

#include <istream>
#include <string>
#include <vector>

struct RowReport {
    int row = 0;  // position after the header, which is the alarm it configures
    int line = 0; // line of the file on which the row begins
    RowProblem problem;
};

// A reading that keeps the row but loses part of its text.
struct RowWarning {
    int row = 0;
    int line = 0;
    LossyReading reading;
};

struct ConfigCheckResult {
    // Why the file could not be read at all ("not a regular file", the system's reason);
    // empty when it was read. A file that cannot be read has no rows and no problems.
    std::string fileError;
    // Every unacceptable row, also those after the first, which a download never reaches.
    // A file without any alarm row is one problem of row 0.
    std::vector<RowReport> problems;
    // The lossy readings of every acceptable row, in the order of the file.
    std::vector<RowWarning> warnings;
    int rowsRead = 0;                 // acceptable rows met, before and after problems
    int rowsWritten = 0;              // rows a download would write: none after any problem
    std::vector<AlarmRecord> written; // what those rows would write, alarm 1 first
    bool Accepted() const { return fileError.empty() && problems.empty(); }
};

// Walks the file as the download does. After an unacceptable row it reads on from the line
// end that closed the row's eighth field; a file that cannot be read further (a header line
// over the limit, a row cut short by the end) ends the walk there.
ConfigCheckResult CheckConfigFile(std::istream& file, RowRules rules = RowRules::Download);
// The same for the file at path, which must be a regular file; a read error anywhere in it
// is a file error, never a row problem.
ConfigCheckResult CheckConfigFile(const std::string& path, RowRules rules = RowRules::Download);

// The backup at path as a restore into the ORX with serial number serial takes it: read by
// the device's rules, and refused (a problem of row 0) unless it holds all ALARM_COUNT rows
// and its "Serial Number:" line names serial.
ConfigCheckResult CheckBackupFile(const std::string& path, DWORD serial);

// "mode", "trip point", ... for field 1 to 8; "file" for 0.
const char* RowFieldName(int field);

// Values are shown with control characters escaped (a line end as \n), so that each report
// stays on one line.
// row 5, line 10: field 3 (source module) "1": source module must be 2 to 16 when mode is not 0
std::string DescribeRowReport(const RowReport& report);
// row 4, line 9: field 2 (mode) "2abc" read as 2
std::string DescribeRowWarning(const RowWarning& warning);
