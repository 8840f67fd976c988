#pragma once
// How orx-config ends with its session. SIGTERM, SIGHUP and SIGINT (log-out, the terminal that
// started it closing, Ctrl-C there) while a transfer runs end it as the close box does after
// "Yes": the transfer is cancelled after the alarm in progress (a download sets its abort
// coil), nothing more is asked, and the dialog closes once the worker has ended. With no
// transfer running they end the program at once, as they would by themselves.
//
// A lost display ends the program wherever Qt ends it (exit() in the platform plugin, or a
// fatal message): the worker is cancelled first and finishes, coil included, without waiting
// for the interface, before the process goes.

#include "platform/qt/QtFrontEnd.h"

#include <QSocketNotifier>

#include <csignal>
#include <memory>

class SessionEnd {
public:
    // On the interface thread, once QApplication exists, around the dialog's run.
    explicit SessionEnd(orxqt::QtFrontEnd& frontEnd);
    ~SessionEnd();
    SessionEnd(const SessionEnd&) = delete;
    SessionEnd& operator=(const SessionEnd&) = delete;

    // The program ends on the interface thread while a worker may still run.
    void FinishWorkers();

private:
    void OnSignal();

    orxqt::QtFrontEnd& m_frontEnd;
    std::unique_ptr<QSocketNotifier> m_notifier; // the signals, as bytes through a pipe
    struct sigaction m_previousActions[3] = {};
};
