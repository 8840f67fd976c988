// orx-transfer download, check and verify: the built program once per command, and the
// download's confirmation on a terminal.

#include "DownloadFiles.h"
#include "cli/DownloadCommands.h"
#include "cli/InterruptWatch.h"
#include "sim/RequestHandler.h"
#include "transfer/DeviceCompare.h"
#include "transfer/TransferResults.h"
#include "upload/ProgramRun.h"

#include <csignal>
#include <cstring>
#include <pty.h>

namespace {

constexpr int EXIT_USAGE_CODE = 64;
constexpr int EXIT_INTERRUPTED_CODE = 130;
constexpr int SLOW_REPLY_MS = 40; // an alarm's writes outlast the wait for an acknowledgement
constexpr auto CANCEL_LIMIT = std::chrono::seconds(2); // the connect alone may last 5 s
constexpr auto npos = std::string::npos;
constexpr std::size_t ALARMS_BEFORE_INTERRUPT = 2;

// Alarms begun: each begins with the write of its words.
std::size_t AlarmsBegun(const OrxSimulator& sim) {
    std::size_t count = 0;
    for (const RequestSummary& r : RequestsOf(sim, FN_WRITE_MULTIPLE_REGISTERS))
        count += r.quantity == ALARM_WORD_COUNT ? 1 : 0;
    return count;
}

class CliDownload : public ProgramTest {
protected:
    std::vector<std::string> Args(const char* command, bool yes = false) const {
        std::vector<std::string> args{command, "--port", std::to_string(m_sim->Port()), "127.0.0.1",
                                      m_file};
        if (yes)
            args.insert(args.begin() + 1, "--yes");
        return args;
    }
    // The download in this process, its confirmation read from a pseudo-terminal.
    int DownloadOnTerminal(const char* answer) {
        int master = -1;
        int slave = -1;
        if (openpty(&master, &slave, nullptr, nullptr, nullptr) != 0)
            return -1;
        const auto length = static_cast<ssize_t>(std::strlen(answer));
        std::vector<std::string> args = Args("download");
        args.erase(args.begin());
        const int result =
            write(master, answer, length) == length ? RunDownloadCommand(args, slave) : -1;
        close(slave);
        close(master);
        return result;
    }

    std::unique_ptr<OrxSimulator> m_sim = std::make_unique<OrxSimulator>(ZeroedDevice());
    std::string m_file = m_dir.Write("config.csv", FullFileText());
};

// Lossy readings are shown before anything is written.
TEST_F(CliDownload, DownloadWithYesWarnsThenWritesTheDevice) {
    m_dir.Write("config.csv",
                DOWNLOAD_FILE_HEADER + ("A" + DistinctRows(1, ALARM_COUNT).substr(1)));
    const ProgramRun run = Run(Args("download", true));
    EXPECT_EQ(run.status, 0) << run.err;
    EXPECT_EQ(DistinctAlarmsOn(*m_sim), ALARM_COUNT);
    EXPECT_NE(run.err.find("warning: row 1, line 6: field 1 (alarm number) \"A\" ignored: the row "
                           "configures alarm 1\nConnecting to ORX..."),
              std::string::npos)
        << run.err;
    EXPECT_NE(run.err.find("Download Complete!"), std::string::npos) << run.err;
}

TEST_F(CliDownload, WithoutTerminalOrYesNothingIsWritten) {
    const ProgramRun run = Run(Args("download"));
    EXPECT_EQ(run.status, EXIT_USAGE_CODE);
    EXPECT_NE(run.err.find("--yes"), std::string::npos) << run.err;
    EXPECT_TRUE(m_sim->Requests().empty());
}

TEST_F(CliDownload, CheckAndVerifyAsPrograms) {
    const std::string bad =
        m_dir.Write("bad.csv", DOWNLOAD_FILE_HEADER + std::string("1,1,1,1,0,0,0,0\n"));
    ProgramRun run = Run({"check", bad});
    EXPECT_EQ(run.status, static_cast<int>(RESULT_CONFIG_ERROR));
    EXPECT_NE(run.out.find("row 1, line 6: field 3 (source module) \"1\""), std::string::npos)
        << run.out;
    m_file = bad; // the download says why it refuses the file
    run = Run(Args("download", true));
    EXPECT_EQ(run.status, static_cast<int>(RESULT_CONFIG_ERROR));
    EXPECT_NE(run.err.find("Configuration Error!\nrow 1, line 6: field 3 (source module) \"1\""),
              std::string::npos)
        << run.err;
    m_file = m_dir.File("config.csv");

    run = Run(Args("verify"));
    EXPECT_EQ(run.status, static_cast<int>(RESULT_DIFFERENT));
    EXPECT_NE(run.out.find("alarm 1 mode: file 1, device 0"), std::string::npos) << run.out;
    EXPECT_EQ(AlarmsBegun(*m_sim), 0u);

    // A report that cannot be written is a file error.
    for (const std::vector<std::string>& args :
         {std::vector<std::string>{"check", bad}, Args("verify")}) {
        run = FinishProgram(SpawnProgram(args, "/dev/full", m_errPath), "/dev/null", m_errPath);
        EXPECT_EQ(run.status, static_cast<int>(RESULT_FILE_ERROR)) << args[0];
        EXPECT_NE(run.err.find("cannot write"), std::string::npos) << run.err;
    }
}

// Ctrl-C, SIGTERM and SIGHUP cancel alike: the alarm being written is finished and the abort
// coil set. A second Ctrl-C ends the program with 130, but not before that.
TEST_F(CliDownload, SignalsFinishTheAlarmAndSetTheAbortCoil) {
    const struct {
        std::vector<int> signals;
        int status;
    } cases[] = {{{SIGINT}, RESULT_CANCELLED},
                 {{SIGTERM}, RESULT_CANCELLED},
                 {{SIGHUP}, RESULT_CANCELLED},
                 {{SIGINT, SIGINT}, EXIT_INTERRUPTED_CODE}};
    for (const auto& c : cases) {
        SCOPED_TRACE(::testing::PrintToString(c.signals));
        SimulatorOptions options = ZeroedDevice();
        options.delayMs = SLOW_REPLY_MS;
        m_sim = std::make_unique<OrxSimulator>(options);
        const pid_t pid = Start(Args("download", true));
        ASSERT_GT(pid, 0);
        WaitUntil([&] { return AlarmsBegun(*m_sim) >= ALARMS_BEFORE_INTERRUPT; });
        for (const int signal : c.signals) {
            kill(pid, signal); // acknowledged at once, so the next one is not merged with it
            WaitUntil([&] { return ReadText(m_errPath).find("Cancelling after alarm ") != npos; });
        }
        const ProgramRun run = Finish(pid);

        EXPECT_EQ(run.status, c.status) << run.err;
        const std::vector<CoilEvent> coils = m_sim->CoilEvents();
        ASSERT_FALSE(coils.empty());
        EXPECT_EQ(coils.back(), (CoilEvent{COIL_DOWNLOAD_ABORTED, COIL_ON}));
        EXPECT_LT(AlarmsBegun(*m_sim), static_cast<std::size_t>(ALARM_COUNT));
        EXPECT_EQ(coils.size(), AlarmsBegun(*m_sim) + 1) << "every alarm begun got its faults coil";
    }
}

TEST_F(CliDownload, CtrlCWhileConnectingCancelsAtOnce) {
    const UnansweredPort unanswered;
    const pid_t pid = Start(
        {"download", "--yes", "--port", std::to_string(unanswered.Port()), "127.0.0.1", m_file});
    ASSERT_GT(pid, 0);
    WaitUntil([&] { return ReadText(m_errPath).find("Connecting to ORX...") != npos; });
    const auto interrupted = std::chrono::steady_clock::now();
    kill(pid, SIGINT);
    const ProgramRun run = Finish(pid);
    EXPECT_LT(std::chrono::steady_clock::now() - interrupted, CANCEL_LIMIT);
    EXPECT_EQ(run.status, static_cast<int>(RESULT_CANCELLED)) << run.err;
    EXPECT_NE(run.err.find("Download Cancelled!"), npos) << run.err;
}

// The transfer's interrupt watcher needs the signals blocked, as orx-transfer's main does;
// the test's own mask comes back afterwards, so programs it starts later do not inherit it.
struct BlockedInterrupts {
    BlockedInterrupts() {
        pthread_sigmask(SIG_SETMASK, nullptr, &saved);
        BlockInterrupts();
    }
    ~BlockedInterrupts() { pthread_sigmask(SIG_SETMASK, &saved, nullptr); }
    sigset_t saved{};
};

TEST_F(CliDownload, OnlyYesOnTheTerminalDownloads) {
    BlockedInterrupts blocked;
    for (const char* answer : {"n\n", "\n", "yep\n"})
        EXPECT_EQ(DownloadOnTerminal(answer), static_cast<int>(RESULT_CANCELLED)) << answer;
    EXPECT_TRUE(m_sim->Requests().empty());
    EXPECT_EQ(DownloadOnTerminal("y\n"), 0);
    EXPECT_EQ(DistinctAlarmsOn(*m_sim), ALARM_COUNT);
}

} // namespace
