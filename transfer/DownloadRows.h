#pragma once
// The rows of a configuration file in the order and number a download takes them: the
// header is skipped, then row k configures alarm k, up to ALARM_COUNT rows or the end of
// the file. The download and the offline check both walk a file with this, so they cannot
// disagree on which rows a file holds.

#include "transfer/ConfigFile.h"

#include <istream>
#include <string>

class CDownloadRows {
public:
    // Skips the header at once; each row is read by rules.
    explicit CDownloadRows(std::istream& file, RowRules rules = RowRules::Download);
    CDownloadRows(const CDownloadRows&) = delete;
    CDownloadRows& operator=(const CDownloadRows&) = delete;

    // True while another row is to be read: fewer than ALARM_COUNT taken and the end of the
    // file not yet met (a failed stream still has a row, which reads as Unacceptable).
    bool More() const;
    // The alarm the next row configures, 1 to ALARM_COUNT.
    int Next() const { return m_taken + 1; }
    // Reads row Next() and looks one character ahead, so a file that ends after the row is
    // seen to end. Every outcome counts as taking the row, so a caller that reports every
    // problem can read on; NoMoreRows also ends the walk.
    RowReading Read();
    // The line (from 1) on which the last row read began; 0 before the first.
    int RowLine() const { return m_rowLine; }
    // The file's first line, which the header begins with.
    const std::string& FirstLine() const { return m_firstLine; }

private:
    std::istream& m_file;
    RowRules m_rules;
    int m_taken = 0;
    int m_nextLine = 0; // line of the next unread character
    int m_rowLine = 0;
    bool m_ended = false;
    std::string m_firstLine;
};
