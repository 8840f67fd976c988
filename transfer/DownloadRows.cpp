#include "transfer/DownloadRows.h"

CDownloadRows::CDownloadRows(std::istream& file, RowRules rules) : m_file(file), m_rules(rules) {
    SkipFileHeader(m_file, &m_firstLine);
    m_nextLine = HEADER_LINES + 1;
}

bool CDownloadRows::More() const {
    return !m_ended && m_taken < ALARM_COUNT && !m_file.eof();
}

RowOutcome CDownloadRows::Read(AlarmRecord& record, RowProblem* problem,
                               std::vector<LossyReading>* lossy) {
    RowLines lines;
    const RowOutcome outcome = ReadRow(m_file, record, problem, &lines, lossy, Next(), m_rules);
    ++m_taken;
    m_rowLine = m_nextLine + lines.blankLines;
    m_nextLine += lines.lineEnds;
    // A failed stream stays failed: one report of it is enough.
    if (outcome == RowOutcome::NoMoreRows || !m_file)
        m_ended = true;
    else if (m_file.good())
        m_file.peek();
    return outcome;
}
