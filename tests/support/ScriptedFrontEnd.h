#pragma once
// A front end without a display for tests: answers message boxes and file dialogs from a script
// and records, in order, message boxes, file requests, control changes and worker ends. An
// action attached to a control's text runs once, on the interface thread inside the change: the
// worker that made the change goes on only after it. The thread that constructs it is the
// interface thread; it handles the queue while in RunUntil (DoModal, AfxWaitForWorkers).

#include "platform/ui/FrontEnd.h"

#include <condition_variable>
#include <deque>
#include <mutex>
#include <thread>
#include <vector>

struct CUiEvent {
    enum Kind { MessageBox, Enabled, Text, ProgressRange, ProgressPos, WorkerEnded };
    Kind kind;
    int id = 0;       // the control
    CString text{};   // box text, control text
    int value = 0;    // box type, enabled 0/1, lower bound, position, exit code
    int value2 = 0;   // upper bound
    CString detail{}; // a box's detail text
};

class CScriptedFrontEnd : public CFrontEnd {
public:
    bool IsUiThread() const override { return std::this_thread::get_id() == m_uiThread; }
    LRESULT Send(const std::function<LRESULT()>& call) override;
    void Post(std::function<void()> call) override;
    void RunUntil(const std::function<bool()>& done) override;

    // Used in order; without one a box gets IDOK (IDNO for Yes/No), a file dialog IDCANCEL.
    void AnswerMessageBox(int answer) { Push(m_boxAnswers, answer); }
    void AnswerFileDialog(const CString& path) { Push(m_fileAnswers, {IDOK, path}); }
    void CancelFileDialog() { Push(m_fileAnswers, {IDCANCEL, {}}); }
    void OnText(int id, const CString& text, std::function<void()> action) {
        Push(m_textActions, {{CUiEvent::Text, id, text}, std::move(action)});
    }

    std::vector<CUiEvent> Events(CUiEvent::Kind kind) const;
    std::vector<CFileRequest> FileRequests() const { return Copy(m_fileRequests); }
    std::vector<CString> Texts(int id) const;
    std::vector<UINT> ExitCodes() const;

    void OnControlChanged(CWnd& wnd, UiChange change) override;
    int MessageBox(const char* text, UINT type, UINT helpId, const char* detail) override;
    INT_PTR ChooseFile(const CFileRequest& request, CString& path) override;
    void OnWorkerEnded(UINT exitCode) override {
        Push(m_events, {.kind = CUiEvent::WorkerEnded, .value = int(exitCode)});
    }

private:
    template <class T> void Push(T& all, typename T::value_type item) {
        std::lock_guard lock(m_mutex);
        all.push_back(std::move(item));
    }
    template <class T> T Copy(const T& all) const {
        std::lock_guard lock(m_mutex);
        return all;
    }

    const std::thread::id m_uiThread = std::this_thread::get_id();
    std::condition_variable m_wake;
    std::deque<std::function<void()>> m_queue;
    mutable std::mutex m_mutex;
    std::deque<int> m_boxAnswers;
    std::deque<std::pair<INT_PTR, CString>> m_fileAnswers;
    std::vector<std::pair<CUiEvent, std::function<void()>>> m_textActions;
    std::vector<CUiEvent> m_events;
    std::vector<CFileRequest> m_fileRequests;
};
