#include "app/qt/SessionEnd.h"

#include "platform/ui/Thread.h"

#include <cstdio>
#include <cstdlib>
#include <fcntl.h>
#include <unistd.h>

namespace {

constexpr int ENDING_SIGNALS[] = {SIGTERM, SIGHUP, SIGINT};

int g_signalPipe[2] = {-1, -1};
SessionEnd* g_active = nullptr;
QtMessageHandler g_previousHandler = nullptr;

// Only what is safe in a signal handler: the interface thread reads the byte.
void OnEndingSignal(int signal) {
    const char byte = static_cast<char>(signal);
    [[maybe_unused]] const ssize_t written = write(g_signalPipe[1], &byte, 1);
}

void OnExit() {
    if (g_active != nullptr)
        g_active->FinishWorkers();
}

void OnMessage(QtMsgType type, const QMessageLogContext& context, const QString& message) {
    if (type == QtFatalMsg && g_active != nullptr)
        g_active->FinishWorkers();
    if (g_previousHandler != nullptr)
        g_previousHandler(type, context, message);
    else
        std::fprintf(stderr, "%s\n",
                     qFormatLogMessage(type, context, message).toLocal8Bit().data());
}

} // namespace

SessionEnd::SessionEnd(orxqt::QtFrontEnd& frontEnd) : m_frontEnd(frontEnd) {
    static const bool exitWatched = std::atexit(OnExit) == 0;
    if (!exitWatched)
        std::fprintf(stderr, "orx-config: cannot finish a transfer when the display is lost\n");
    g_previousHandler = qInstallMessageHandler(OnMessage);
    g_active = this;
    if (g_signalPipe[0] < 0 && pipe2(g_signalPipe, O_CLOEXEC | O_NONBLOCK) != 0) {
        std::perror("orx-config: signals will end a transfer half-way");
        return;
    }
    m_notifier = std::make_unique<QSocketNotifier>(g_signalPipe[0], QSocketNotifier::Read);
    QObject::connect(m_notifier.get(), &QSocketNotifier::activated, [this] { OnSignal(); });
    struct sigaction action {};
    action.sa_handler = OnEndingSignal;
    sigemptyset(&action.sa_mask);
    action.sa_flags = SA_RESTART;
    for (std::size_t i = 0; i < std::size(ENDING_SIGNALS); ++i)
        sigaction(ENDING_SIGNALS[i], &action, &m_previousActions[i]);
}

SessionEnd::~SessionEnd() {
    g_active = nullptr;
    qInstallMessageHandler(g_previousHandler);
    if (m_notifier)
        for (std::size_t i = 0; i < std::size(ENDING_SIGNALS); ++i)
            sigaction(ENDING_SIGNALS[i], &m_previousActions[i], nullptr);
}

void SessionEnd::OnSignal() {
    char byte = 0;
    while (read(g_signalPipe[0], &byte, 1) == 1) {
        m_frontEnd.EndSession();
        if (!m_frontEnd.IsTransferRunning()) {
            std::signal(byte, SIG_DFL);
            std::raise(byte);
        }
    }
}

void SessionEnd::FinishWorkers() {
    if (!m_frontEnd.IsUiThread())
        return;
    m_frontEnd.Abandon();
    if (m_frontEnd.IsTransferRunning())
        AfxWaitForWorkerProcedures();
}
