#pragma once
// Presents a transfer on a terminal: the file named on the command line answers the file
// dialog, a Yes/No question counts as confirmed (the command itself is the confirmation),
// status texts and message-box texts go to stderr one per line (a box's detail after it), and the
// progress bar is drawn on stderr when it is a terminal.

#include "platform/ui/HeadlessFrontEnd.h"

#include <atomic>
#include <cstdio>

class CTerminalFrontEnd : public CHeadlessFrontEnd {
public:
    CTerminalFrontEnd(CString path, std::FILE* out, bool drawProgress);

    void OnControlChanged(CWnd& wnd, UiChange change) override;
    int MessageBox(const char* text, UINT type, UINT helpId, const char* detail) override;
    INT_PTR ChooseFile(const CFileRequest& request, CString& path) override;
    void OnWorkerEnded(UINT exitCode) override;

    // The exit code of the last worker, or -1 if none ended.
    int ExitCode() const { return m_exitCode.load(); }
    // Ends a progress bar line so the shell prompt starts on a line of its own.
    void Finish();
    // A line of the program's own, among the status texts.
    void Notice(const char* text) { PrintLine(text); }

private:
    void PrintLine(const char* text);
    void DrawProgress();

    CString m_path;
    std::FILE* m_out;
    bool m_bDrawProgress;
    std::mutex m_outMutex; // boxes come from the worker, the rest from the interface thread
    bool m_bBarShown = false;
    int m_nPos = 0;
    int m_nLower = 0;
    int m_nUpper = 0;
    std::atomic<int> m_exitCode{-1};
};
