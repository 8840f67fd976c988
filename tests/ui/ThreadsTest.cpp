// Control changes made by a worker are carried out on the interface thread, and the
// front end hears of them; workers are counted and waited for.

#include "platform/ui/FileDialog.h" // ParseFileFilter
#include "platform/ui/ProgressCtrl.h"
#include "platform/ui/Thread.h"
#include "support/ScriptedFrontEnd.h"

#include <atomic>
#include <gtest/gtest.h>

namespace {

constexpr UINT PROBE_MESSAGE = 0x9000;
constexpr LRESULT PROBE_ANSWER = 42;
constexpr UINT WORKER_EXIT = 7;

// Notes the thread its window procedure runs on.
class ProbeWnd : public CWnd {
public:
    std::thread::id ranOn;

protected:
    LRESULT WindowProc(UINT message, WPARAM wParam, LPARAM lParam) override {
        if (message != PROBE_MESSAGE)
            return CWnd::WindowProc(message, wParam, lParam);
        ranOn = std::this_thread::get_id();
        return PROBE_ANSWER;
    }
};

struct ProbeJob {
    ProbeWnd* wnd;
    CProgressCtrl* bar;
    LRESULT answer = 0;
    std::thread::id workerThread;
};

UINT ProbeProc(LPVOID param) {
    auto* job = static_cast<ProbeJob*>(param);
    job->workerThread = std::this_thread::get_id();
    job->answer = job->wnd->SendMessage(PROBE_MESSAGE);
    job->bar->SendMessage(PBM_SETPOS, 3);
    job->wnd->SetWindowText("from the worker");
    return WORKER_EXIT;
}

class Threads : public ::testing::Test {
protected:
    CScriptedFrontEnd m_fe;
    CFrontEndScope m_scope{m_fe};
    ProbeWnd m_wnd;
    CProgressCtrl m_bar;
    ProbeJob m_job{&m_wnd, &m_bar, 0, {}};
};

TEST_F(Threads, SendMessageFromAWorkerRunsOnTheInterfaceThread) {
    AfxBeginThread(ProbeProc, &m_job);
    EXPECT_EQ(AfxGetWorkerCount(), 1);
    AfxWaitForWorkers();
    EXPECT_EQ(AfxGetWorkerCount(), 0) << "dropped once the interface thread saw the end";

    EXPECT_EQ(m_job.answer, PROBE_ANSWER) << "the worker waited for the result";
    EXPECT_EQ(m_wnd.ranOn, std::this_thread::get_id());
    EXPECT_NE(m_job.workerThread, std::this_thread::get_id());
    EXPECT_EQ(m_bar.GetPos(), 3);
    EXPECT_EQ(m_wnd.GetWindowText(), "from the worker");
    EXPECT_EQ(m_fe.ExitCodes(), std::vector<UINT>{WORKER_EXIT});
    const auto positions = m_fe.Events(CUiEvent::ProgressPos);
    ASSERT_EQ(positions.size(), 1u);
    EXPECT_EQ(positions[0].value, 3);
}

TEST_F(Threads, WaitingOffTheInterfaceThreadBlocksUntilTheWorkerEnds) {
    AfxBeginThread(ProbeProc, &m_job);
    std::atomic<bool> waited = false;
    std::thread waiter([&] {
        AfxWaitForWorkers();
        waited = true;
    });
    m_fe.RunUntil([] { return AfxGetWorkerCount() == 0; });
    waiter.join();
    EXPECT_TRUE(waited);
    EXPECT_EQ(m_job.answer, PROBE_ANSWER);
}

TEST(FileFilter, SplitsIntoNameAndPatternPairs) {
    using Pairs = std::vector<std::pair<CString, CString>>;
    EXPECT_EQ(ParseFileFilter("Comma Separated Values (*.CSV)|*.CSV|"),
              (Pairs{{"Comma Separated Values (*.CSV)", "*.CSV"}}));
    EXPECT_EQ(ParseFileFilter("Text|*.txt;*.log|All|*.*||"),
              (Pairs{{"Text", "*.txt;*.log"}, {"All", "*.*"}}));
    EXPECT_TRUE(ParseFileFilter("Lonely name").empty());
    EXPECT_TRUE(ParseFileFilter(nullptr).empty());
}

} // namespace
