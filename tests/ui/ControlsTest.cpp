// Controls, button messages and workers of the window layer, without a display.

#include "platform/IpAddress.h"
#include "platform/ui/Dialog.h"
#include "platform/ui/IPAddressCtrl.h"
#include "platform/ui/ProgressCtrl.h"
#include "platform/ui/Thread.h"
#include "support/ScriptedFrontEnd.h"

#include <gtest/gtest.h>

#include <atomic>

constexpr int ALARMS = 32;

// Each message in turn: what it returns and where the bar stands after it. Stepping up to
// the upper bound is checked with every upload.
TEST(ProgressCtrl, MessagesClampStartOverPastTheUpperBoundAndReturnThePrevious) {
    const std::tuple<UINT, WPARAM, LPARAM, LRESULT, int> steps[] = {
        {PBM_SETPOS, 7, 0, 0, 7},
        {PBM_SETRANGE, 0, MAKELPARAM(10, ALARMS), MAKELPARAM(0, CProgressCtrl::DEFAULT_UPPER), 10},
        {PBM_SETPOS, ALARMS + 5, 0, 10, ALARMS},
        {PBM_SETPOS, static_cast<WPARAM>(-3), 0, ALARMS, 10},
        {PBM_DELTAPOS, 200, 0, 10, ALARMS},
        {PBM_SETRANGE, 0, MAKELPARAM(0, ALARMS), MAKELPARAM(10, ALARMS), ALARMS},
        {PBM_SETSTEP, 1, 0, CProgressCtrl::DEFAULT_STEP, ALARMS},
        {PBM_STEPIT, 0, 0, ALARMS, 0},
    };
    CProgressCtrl bar;
    for (const auto& [message, wParam, lParam, previous, pos] : steps) {
        EXPECT_EQ(bar.SendMessage(message, wParam, lParam), previous) << message;
        EXPECT_EQ(bar.GetPos(), pos) << message;
    }
}

TEST(IPAddressCtrl, FieldsClampBlankOnesReadZeroAndTheFirstIsTheHighByte) {
    CIPAddressCtrl field;
    EXPECT_TRUE(field.IsBlank());
    BYTE f[4] = {};
    field.SetField(1, 300);
    field.SetField(3, -5);
    EXPECT_EQ(field.GetAddress(f[0], f[1], f[2], f[3]), 2);
    EXPECT_EQ((std::vector<int>{f[0], f[1], f[2], f[3]}), (std::vector<int>{0, 255, 0, 0}));
    field.ClearAddress();
    EXPECT_TRUE(field.IsBlank());
    field.SendMessage(IPM_SETADDRESS, 0, static_cast<LPARAM>(0xC0A80102u));
    EXPECT_EQ(field.GetAddress(f[0], f[1], f[2], f[3]), CIPAddressCtrl::FIELD_COUNT);
    EXPECT_EQ((std::vector<int>{f[0], f[1], f[2], f[3]}), (std::vector<int>{192, 168, 1, 2}));
    field.SendMessage(IPM_SETADDRESS, 0, 0);
    EXPECT_FALSE(field.IsBlank()) << "zero is four filled fields";
}

TEST(ParseDottedAddress, AcceptsFourDecimalFieldsOnly) {
    DWORD address = 0;
    EXPECT_TRUE(ParseDottedAddress("127.0.0.1", address) && address == 0x7F000001u);
    EXPECT_TRUE(ParseDottedAddress("255.255.255.255", address));
    for (const char* text : std::initializer_list<const char*>{
             "", "1.2.3", "1.2.3.4.5", "256.0.0.1", "1..2.3", "1.2.3.4 ", " 1.2.3.4", "a.b.c.d",
             "1.2.3.0004", "-1.2.3.4", "localhost", nullptr})
        EXPECT_FALSE(ParseDottedAddress(text, address)) << (text ? text : "nullptr");
    EXPECT_EQ(address, 0xFFFFFFFFu) << "left as it was";
}

constexpr UINT PROBE_MESSAGE = 0x9000;
constexpr LRESULT PROBE_ANSWER = 42;
constexpr UINT WORKER_EXIT = 7;

// Notes the thread its window procedure runs on and the last command it got.
class ProbeWnd : public CWnd {
public:
    std::thread::id ranOn;
    WPARAM command = 0;

protected:
    LRESULT WindowProc(UINT message, WPARAM wParam, LPARAM lParam) override {
        if (message == WM_COMMAND)
            command = wParam;
        if (message != PROBE_MESSAGE)
            return CWnd::WindowProc(message, wParam, lParam);
        ranOn = std::this_thread::get_id();
        return PROBE_ANSWER;
    }
};

TEST(Button, ClickReachesTheParentOnlyWhenEnabled) {
    constexpr int BUTTON_ID = 1008;
    ProbeWnd parent;
    CButton button;
    button.Attach(&parent, BUTTON_ID, "Upload", WS_VISIBLE | WS_DISABLED);
    button.SendMessage(BM_CLICK);
    EXPECT_EQ(parent.command, 0u);
    EXPECT_TRUE(button.EnableWindow(TRUE)) << "it was disabled";
    EXPECT_FALSE(button.EnableWindow(TRUE)) << "it was enabled";
    button.SendMessage(BM_CLICK);
    EXPECT_EQ(parent.command, MAKEWPARAM(BUTTON_ID, BN_CLICKED));
}

// A worker's control changes run on the interface thread, which the front end hears of;
// a thread other than the interface one waiting for the workers is held until they end.
TEST(Threads, WorkerMessagesRunOnTheInterfaceThreadAndWaitersAreHeldUntilItEnds) {
    CScriptedFrontEnd fe;
    CFrontEndScope scope{fe};
    struct Job {
        ProbeWnd wnd;
        LRESULT answer = 0;
        std::thread::id thread;
    } job;
    AfxBeginThread(
        [](LPVOID param) -> UINT {
            auto* job = static_cast<Job*>(param);
            job->thread = std::this_thread::get_id();
            job->answer = job->wnd.SendMessage(PROBE_MESSAGE);
            job->wnd.SetWindowText("from the worker");
            return WORKER_EXIT;
        },
        &job);
    EXPECT_EQ(AfxGetWorkerCount(), 1);
    std::atomic<bool> waited = false;
    std::thread waiter([&] {
        AfxWaitForWorkers();
        waited = true;
    });
    fe.RunUntil([] { return AfxGetWorkerCount() == 0; });
    waiter.join();
    EXPECT_TRUE(waited);
    EXPECT_EQ(job.answer, PROBE_ANSWER) << "the worker waited for the result";
    EXPECT_EQ(job.wnd.ranOn, std::this_thread::get_id());
    EXPECT_NE(job.thread, std::this_thread::get_id());
    EXPECT_EQ(fe.Texts(0), std::vector<CString>{"from the worker"});
    EXPECT_EQ(fe.ExitCodes(), std::vector<UINT>{WORKER_EXIT});
}
