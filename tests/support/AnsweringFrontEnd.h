#pragma once
// A front end for tests that answers message boxes and file dialogs itself, on the interface
// thread of the front end it wraps, which does all the rest. Without an answer set, or once
// the session ends, the question goes as it would without this.

#include "platform/ui/FrontEnd.h"

class CAnsweringFrontEnd : public CFrontEnd {
public:
    using MessageBoxAnswer = std::function<int(const CString& text, UINT type)>;
    using FileAnswer = std::function<INT_PTR(const CFileRequest& request, CString& path)>;

    explicit CAnsweringFrontEnd(CFrontEnd& inner) : m_inner(inner) {}

    void SetMessageBoxAnswer(MessageBoxAnswer answer) { m_boxAnswer = std::move(answer); }
    void SetFileAnswer(FileAnswer answer) { m_fileAnswer = std::move(answer); }

    int MessageBox(const char* text, UINT type, UINT helpId, const char* detail) override {
        const CString message(text);
        const LRESULT answer = m_inner.Send([&] {
            return m_boxAnswer && !m_inner.IsEnding() ? LRESULT{m_boxAnswer(message, type)} : 0;
        });
        return answer != 0 ? static_cast<int>(answer)
                           : m_inner.MessageBox(text, type, helpId, detail);
    }
    INT_PTR ChooseFile(const CFileRequest& request, CString& path) override {
        if (!m_fileAnswer)
            return m_inner.ChooseFile(request, path);
        CString chosen;
        const LRESULT answer = m_inner.Send(
            [&] { return m_inner.IsEnding() ? LRESULT{IDCANCEL} : m_fileAnswer(request, chosen); });
        path = answer == IDOK ? chosen : CString();
        return answer == IDOK ? IDOK : IDCANCEL;
    }

    bool IsUiThread() const override { return m_inner.IsUiThread(); }
    LRESULT Send(const std::function<LRESULT()>& call) override { return m_inner.Send(call); }
    void Post(std::function<void()> call) override { m_inner.Post(std::move(call)); }
    void RunUntil(const std::function<bool()>& done) override { m_inner.RunUntil(done); }
    void OnControlChanged(CWnd& wnd, UiChange change) override {
        m_inner.OnControlChanged(wnd, change);
    }
    void OnDialogCreate(CDialog& dlg) override { m_inner.OnDialogCreate(dlg); }
    void OnDialogShow(CDialog& dlg) override { m_inner.OnDialogShow(dlg); }
    void OnDialogDestroy(CDialog& dlg) override { m_inner.OnDialogDestroy(dlg); }
    bool OpenFolder(const char* path) override { return m_inner.OpenFolder(path); }
    void OnWorkerEnded(UINT exitCode) override { m_inner.OnWorkerEnded(exitCode); }
    void EndSession() override { m_inner.EndSession(); }
    bool IsEnding() const override { return m_inner.IsEnding(); }

private:
    CFrontEnd& m_inner;
    MessageBoxAnswer m_boxAnswer;
    FileAnswer m_fileAnswer;
};
