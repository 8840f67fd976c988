#pragma once
// Configuration file texts for the reader and writer tests, and a reading loop shaped like
// the download's: header, then rows until no more rows, an unacceptable row, or the end.

#include "transfer/ConfigFile.h"

#include <optional>
#include <regex>
#include <sstream>
#include <string>
#include <vector>

inline std::string FileHeader(const std::string& time = "Sat Dec 05 21:31:52 2026",
                              const std::string& serial = "65538") {
    return "ORX Configuration Transfer Utility Version 1.00.00\n" + time +
           "\nSerial Number: " + serial +
           "\nAlarm,Alarm,Source,Source,Output,Trip Point,Deadband,Enunciate System\n"
           "Number,Mode,Module,Channel,Relay,,,Faults\n";
}
inline const std::string FILE_HEADER = FileHeader();

struct ReadResult {
    std::vector<AlarmRecord> rows;
    std::optional<RowProblem> problem; // set when a row was unacceptable
};

inline ReadResult ReadRows(const std::string& text) {
    std::istringstream in(text);
    ReadResult result;
    SkipFileHeader(in);
    for (int k = 1; k <= ALARM_COUNT && !in.eof(); ++k) {
        AlarmRecord record;
        RowProblem problem;
        const RowOutcome outcome = ReadRow(in, record, &problem);
        if (outcome == RowOutcome::Unacceptable)
            result.problem = problem;
        if (outcome != RowOutcome::Row)
            break;
        result.rows.push_back(record);
        in.peek();
    }
    return result;
}

inline std::string WithCrLf(const std::string& text) {
    return std::regex_replace(text, std::regex("\n"), "\r\n");
}
