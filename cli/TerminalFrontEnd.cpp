#include "cli/TerminalFrontEnd.h"

#include "app/Resource.h"
#include "platform/ui/ProgressCtrl.h"

#include <utility>

namespace {
constexpr int BAR_WIDTH = 32;
constexpr const char* CLEAR_LINE = "\r\033[K";
} // namespace

CTerminalFrontEnd::CTerminalFrontEnd(CString path, std::FILE* out, bool drawProgress)
    : m_path(std::move(path)), m_out(out), m_bDrawProgress(drawProgress) {}

void CTerminalFrontEnd::OnControlChanged(CWnd& wnd, UiChange change) {
    if (wnd.GetDlgCtrlID() == IDC_STATUS && change == UiChange::Text) {
        PrintLine(wnd.GetWindowText());
        return;
    }
    auto* progress = dynamic_cast<CProgressCtrl*>(&wnd);
    if (progress == nullptr || !m_bDrawProgress)
        return;
    if (change == UiChange::ProgressPos || change == UiChange::ProgressRange) {
        std::lock_guard lock(m_outMutex);
        m_nPos = progress->GetPos();
        progress->GetRange(m_nLower, m_nUpper);
        DrawProgress();
    }
}

int CTerminalFrontEnd::MessageBox(const char* text, UINT type, UINT /*helpId*/,
                                  const char* detail) {
    if ((type & MB_TYPEMASK) == MB_YESNO)
        return IDYES;
    PrintLine(text);
    if (detail != nullptr && *detail != '\0')
        PrintLine(detail);
    return IDOK;
}

INT_PTR CTerminalFrontEnd::ChooseFile(const CFileRequest& /*request*/, CString& path) {
    path = m_path;
    return IDOK;
}

void CTerminalFrontEnd::OnWorkerEnded(UINT exitCode) {
    m_exitCode = static_cast<int>(exitCode);
}

void CTerminalFrontEnd::Finish() {
    std::lock_guard lock(m_outMutex);
    if (m_bBarShown)
        std::fputc('\n', m_out);
    m_bBarShown = false;
    std::fflush(m_out);
}

void CTerminalFrontEnd::PrintLine(const char* text) {
    std::lock_guard lock(m_outMutex);
    if (m_bBarShown)
        std::fputs(CLEAR_LINE, m_out);
    std::fprintf(m_out, "%s\n", text);
    if (m_bBarShown)
        DrawProgress();
    std::fflush(m_out);
}

void CTerminalFrontEnd::DrawProgress() {
    const int span = m_nUpper > m_nLower ? m_nUpper - m_nLower : 1;
    const int filled = (m_nPos - m_nLower) * BAR_WIDTH / span;
    std::fputs("\r[", m_out);
    for (int i = 0; i < BAR_WIDTH; ++i)
        std::fputc(i < filled ? '#' : '.', m_out);
    std::fprintf(m_out, "] %d/%d", m_nPos - m_nLower, span);
    std::fflush(m_out);
    m_bBarShown = true;
}
