#pragma once
// Configuration file texts for the reader tests, and a reading loop shaped like the
// download's: header, then rows until no more rows, an unacceptable row, or the end.

#include "transfer/ConfigFile.h"

#include <optional>
#include <sstream>
#include <string>
#include <vector>

inline const std::string FILE_HEADER = "ORX Configuration Transfer Utility Version 1.00.00\n"
                                       "Sat Dec 05 21:31:52 2026\n"
                                       "Serial Number: 65538\n"
                                       "Alarm,Alarm,Source,Source,Output,Trip Point,Deadband,"
                                       "Enunciate System\n"
                                       "Number,Mode,Module,Channel,Relay,,,Faults\n";

struct ReadResult {
    std::vector<AlarmRecord> rows;
    std::optional<RowProblem> problem; // set when a row was unacceptable
};

inline ReadResult ReadRows(std::istream& in) {
    ReadResult result;
    SkipFileHeader(in);
    if (in.eof())
        return result;
    for (int k = 1; k <= ALARM_COUNT; ++k) {
        AlarmRecord record;
        RowProblem problem;
        const RowOutcome outcome = ReadRow(in, record, &problem);
        if (outcome == RowOutcome::NoMoreRows)
            break;
        if (outcome == RowOutcome::Unacceptable) {
            result.problem = problem;
            break;
        }
        result.rows.push_back(record);
        in.peek();
        if (in.eof())
            break;
    }
    return result;
}

inline ReadResult ReadRows(const std::string& text) {
    std::istringstream in(text);
    return ReadRows(in);
}

// The same text with every '\n' written as CR LF.
inline std::string WithCrLf(const std::string& text) {
    std::string out;
    for (char c : text) {
        if (c == '\n')
            out += '\r';
        out += c;
    }
    return out;
}
