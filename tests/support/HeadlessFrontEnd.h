#pragma once
// A front end without a display. The thread that constructs it is the interface thread;
// it handles the queue while in RunUntil (DoModal, AfxWaitForWorkers). Questions get
// default answers (OK for an OK box, No for a Yes/No box, Cancel for a file dialog);
// derive to answer otherwise or to present changes.

#include "platform/ui/FrontEnd.h"

#include <condition_variable>
#include <deque>
#include <mutex>
#include <thread>

class CHeadlessFrontEnd : public CFrontEnd {
public:
    CHeadlessFrontEnd();
    ~CHeadlessFrontEnd() override;

    bool IsUiThread() const override;
    LRESULT Send(const std::function<LRESULT()>& call) override;
    void Post(std::function<void()> call) override;
    void RunUntil(const std::function<bool()>& done) override;

    void OnControlChanged(CWnd& wnd, UiChange change) override;
    int MessageBox(const char* text, UINT type, UINT helpId, const char* detail) override;
    INT_PTR ChooseFile(const CFileRequest& request, CString& path) override;

private:
    std::thread::id m_uiThread;
    std::mutex m_mutex;
    std::condition_variable m_wake;
    std::deque<std::function<void()>> m_queue;
};
