#include "transfer/DownloadRows.h"

CDownloadRows::CDownloadRows(std::istream& file, RowRules rules) : m_file(file), m_rules(rules) {
    SkipFileHeader(m_file, &m_firstLine);
    m_nextLine = HEADER_LINES + 1;
}

bool CDownloadRows::More() const {
    return !m_ended && m_taken < ALARM_COUNT && !m_file.eof();
}

RowReading CDownloadRows::Read() {
    RowReading reading = ReadRow(m_file, m_rules, Next());
    ++m_taken;
    m_rowLine = m_nextLine + reading.lines.blankLines;
    m_nextLine += reading.lines.lineEnds;
    // A failed stream stays failed: one report of it is enough.
    if (reading.outcome == RowOutcome::NoMoreRows || !m_file)
        m_ended = true;
    else if (m_file.good())
        m_file.peek();
    return reading;
}
