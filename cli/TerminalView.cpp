#include "cli/TerminalView.h"

#include "cli/Terminal.h"
#include "transfer/RegisterMap.h"

namespace {

constexpr int BAR_WIDTH = 32;
constexpr const char* CLEAR_LINE = "\r\033[K";
constexpr int ANSWER_POLL_MS = 100; // how soon a Ctrl-C at the question is seen

// The acknowledgement of a cancel: the alarm in progress (0: none) is still finished.
std::string CancelNotice(int alarm) {
    if (alarm == 0)
        return "Cancelling...";
    return "Cancelling after alarm " + std::to_string(alarm) + "...";
}

bool IsYes(const std::string& answer) {
    return answer == "y" || answer == "Y" || answer == "yes" || answer == "Yes";
}

} // namespace

std::string FitToColumns(const std::string& line, int columns) {
    if (columns <= 0 || line.size() < static_cast<std::size_t>(columns))
        return line;
    return line.substr(0, static_cast<std::size_t>(columns) - 1);
}

CTerminalView::CTerminalView(std::string path, std::ostream& err, const TerminalSettings& settings)
    : m_path(std::move(path)), m_err(err), m_settings(settings) {}

bool CTerminalView::ChooseFile(bool /*open*/, std::string& path) {
    path = m_path;
    return true;
}

void CTerminalView::BeginTransfer() {
    std::lock_guard lock(m_mutex);
    m_position = 0;
    m_backupRead = 0;
    m_failed = false;
}

void CTerminalView::EndTransfer() {
    std::lock_guard lock(m_mutex);
    if (m_lineShown)
        m_err << (m_settings.step ? CLEAR_LINE : "\n") << std::flush;
    m_lineShown = false;
}

void CTerminalView::SetStatus(const std::string& text) {
    ShowStatus(text, 0);
}

void CTerminalView::SetAlarmStatus(int alarm, const std::string& text) {
    ShowStatus(text, alarm);
}

void CTerminalView::ShowStatus(const std::string& text, int alarm) {
    m_working = true;
    if (m_settings.quiet)
        return;
    std::lock_guard lock(m_mutex);
    if (m_failed)
        return;
    m_status = text;
    m_alarm = alarm;
    m_backupRead = 0;
    if (m_settings.redraw)
        DrawProgress();
    else
        m_err << text + '\n' << std::flush;
}

void CTerminalView::StepProgress() {
    std::lock_guard lock(m_mutex);
    ++m_position;
    if (m_settings.redraw && !m_settings.quiet)
        DrawProgress();
}

void CTerminalView::SetProgress(int position) {
    std::lock_guard lock(m_mutex);
    m_position = position;
    if (m_settings.redraw && !m_settings.quiet)
        DrawProgress();
}

void CTerminalView::BackupProgress(int alarm) {
    if (m_settings.quiet || !m_settings.redraw)
        return;
    std::lock_guard lock(m_mutex);
    if (m_failed)
        return;
    m_backupRead = alarm;
    DrawProgress();
}

void CTerminalView::ShowError(const std::string& message, const std::string& cause) {
    std::string line = message;
    if (cause.find('\n') != std::string::npos)
        line += '\n' + cause; // one line per refused row
    else if (!cause.empty())
        line += " (" + cause + ")";
    std::lock_guard lock(m_mutex);
    m_failed = true;
    m_lastError = {message, cause};
    // The error takes the progress line's place: what it would show is over.
    m_err << (m_lineShown ? CLEAR_LINE : "") + line + '\n' << std::flush;
    m_lineShown = false;
}

bool CTerminalView::Confirm(const std::string& question, const std::vector<std::string>& warnings) {
    if (!m_settings.quiet)
        for (const std::string& warning : warnings)
            Print("warning: " + warning);
    if (m_settings.yes)
        return true;
    if (AskOnTerminal(question))
        return true;
    Print("Download not confirmed; nothing was written.");
    return false;
}

// One line from the terminal; no answer at its end, on an error or on an interrupt.
bool CTerminalView::AskOnTerminal(const std::string& question) {
    // Nothing to finish while asking: an interrupt ends the program at once.
    m_working = false;
    {
        std::lock_guard lock(m_mutex);
        m_err << (m_lineShown ? CLEAR_LINE : "") + question + " [y/N] " << std::flush;
        m_lineShown = false;
    }
    const bool yes = ReadAnswer();
    m_working = true;
    return yes;
}

bool CTerminalView::ReadAnswer() {
    std::string answer;
    for (;;) {
        if (IsCancelled())
            break;
        const int ready = WaitForInput(m_settings.questionFd, ANSWER_POLL_MS);
        if (ready < 0)
            break;
        if (ready == 0)
            continue;
        char c = 0;
        if (!ReadByte(m_settings.questionFd, c))
            break;
        if (c == '\n')
            return IsYes(answer);
        answer += c;
    }
    m_err << '\n' << std::flush;
    return false;
}

void CTerminalView::Interrupted(int count) {
    if (count == 1)
        m_cancelled = true;
    int alarm = 0;
    {
        std::lock_guard lock(m_mutex);
        alarm = m_alarm;
    }
    // Acknowledged even when quiet: the user is waiting for the program to end.
    Print(count == 1 ? CancelNotice(alarm)
                     : "Still cancelling; the program ends once that is done.");
}

void CTerminalView::Notice(const std::string& text) {
    if (!m_settings.quiet)
        Print(text);
}

void CTerminalView::Print(const std::string& line) {
    std::lock_guard lock(m_mutex);
    m_err << (m_lineShown ? CLEAR_LINE : "") + line + '\n';
    if (m_lineShown)
        DrawProgress();
    m_err << std::flush;
}

void CTerminalView::DrawProgress() {
    // The backup's reads count apart, after its status: the download's count starts at 0.
    const int position = m_backupRead > 0 ? m_backupRead : m_position;
    const std::string count = std::to_string(position) + '/' + std::to_string(ALARM_COUNT);
    const std::string text = m_backupRead > 0 ? m_status + ' ' + count : count + ' ' + m_status;
    const int filled = std::min(position, ALARM_COUNT) * BAR_WIDTH / ALARM_COUNT;
    const std::string bar = '[' + std::string(static_cast<std::size_t>(filled), '#') +
                            std::string(static_cast<std::size_t>(BAR_WIDTH - filled), '.') + "] ";
    // On a narrow terminal the status is worth more than the bar.
    const bool fits = m_settings.columns <= 0 ||
                      bar.size() + text.size() < static_cast<std::size_t>(m_settings.columns);
    m_err << CLEAR_LINE + FitToColumns(fits ? bar + text : text, m_settings.columns) << std::flush;
    m_lineShown = true;
}
