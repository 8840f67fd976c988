// orx-transfer download, check and verify: the built program once per command, and the
// download's confirmation on a terminal.

#include "DownloadFiles.h"
#include "cli/DownloadCommands.h"
#include "cli/InterruptWatch.h"
#include "sim/OrxSimulator.h"
#include "transfer/DeviceCompare.h"
#include "transfer/TransferResults.h"

#include "upload/ProgramRun.h"

#include <chrono>
#include <csignal>
#include <cstring>
#include <gtest/gtest.h>
#include <thread>

namespace {

constexpr int EXIT_USAGE_CODE = 64;
constexpr int SLOW_REPLY_MS = 5;
constexpr int ALARMS_BEFORE_INTERRUPT = 2;
constexpr auto WAIT_LIMIT = std::chrono::seconds(20);

ProgramRun RunProgram(const DownloadScratch& dir, const std::vector<std::string>& args) {
    return FinishProgram(
        SpawnProgram(ORX_TRANSFER_PATH, args, dir.File("out.txt"), dir.File("err.txt")),
        dir.File("out.txt"), dir.File("err.txt"));
}

std::size_t Count(const std::vector<RequestSummary>& requests, BYTE function, WORD quantity) {
    std::size_t count = 0;
    for (const RequestSummary& r : requests)
        count += r.function == function && r.quantity == quantity ? 1 : 0;
    return count;
}

SimulatorOptions ZeroedDevice() {
    SimulatorOptions options;
    options.image = DeviceImage{};
    return options;
}

class CliDownload : public ::testing::Test {
protected:
    std::string Port() const { return std::to_string(m_sim.Port()); }
    int AlarmsWritten() const {
        int n = 1;
        while (n <= ALARM_COUNT && m_sim.Alarm(n) == DistinctAlarm(n))
            ++n;
        return n - 1;
    }

    DownloadScratch m_dir;
    OrxSimulator m_sim{ZeroedDevice()};
    std::string m_file = m_dir.Write("config.csv", FullFileText());
};

TEST_F(CliDownload, DownloadWithYesWritesTheDevice) {
    const ProgramRun run =
        RunProgram(m_dir, {"download", "--yes", "--port", Port(), "127.0.0.1", m_file});
    EXPECT_EQ(run.status, 0) << run.err;
    EXPECT_EQ(AlarmsWritten(), ALARM_COUNT);
    EXPECT_NE(run.err.find("Download Complete!"), std::string::npos) << run.err;
}

TEST_F(CliDownload, WithoutTerminalOrYesNothingIsWritten) {
    const ProgramRun run = RunProgram(m_dir, {"download", "--port", Port(), "127.0.0.1", m_file});
    EXPECT_EQ(run.status, EXIT_USAGE_CODE);
    EXPECT_NE(run.err.find("--yes"), std::string::npos) << run.err;
    EXPECT_TRUE(m_sim.Requests().empty());
}

TEST_F(CliDownload, CheckAndVerifyAsPrograms) {
    const std::string bad =
        m_dir.Write("bad.csv", DOWNLOAD_FILE_HEADER + std::string("1,1,1,1,0,0,0,0\n"));
    ProgramRun run = RunProgram(m_dir, {"check", bad});
    EXPECT_EQ(run.status, static_cast<int>(RESULT_CONFIG_ERROR));
    EXPECT_NE(run.out.find("row 1, line 6: field 3 (source module) \"1\""), std::string::npos)
        << run.out;

    run = RunProgram(m_dir, {"verify", "--port", Port(), "127.0.0.1", m_file});
    EXPECT_EQ(run.status, static_cast<int>(RESULT_DIFFERENT));
    EXPECT_NE(run.out.find("alarm 1 mode: file 1, device 0"), std::string::npos) << run.out;
    EXPECT_EQ(Count(m_sim.Requests(), 16, 4), 0u);
}

TEST(CliDownloadInterrupt, CtrlCFinishesTheAlarmAndSetsTheAbortCoil) {
    DownloadScratch dir;
    SimulatorOptions options = ZeroedDevice();
    options.delayMs = SLOW_REPLY_MS;
    OrxSimulator sim(options);
    const std::string file = dir.Write("config.csv", FullFileText());
    const pid_t pid =
        SpawnProgram(ORX_TRANSFER_PATH,
                     {"download", "--yes", "--port", std::to_string(sim.Port()), "127.0.0.1", file},
                     dir.File("out.txt"), dir.File("err.txt"));
    ASSERT_GT(pid, 0);
    const auto limit = std::chrono::steady_clock::now() + WAIT_LIMIT;
    while (Count(sim.Requests(), 16, 4) < ALARMS_BEFORE_INTERRUPT &&
           std::chrono::steady_clock::now() < limit)
        std::this_thread::sleep_for(std::chrono::milliseconds(1));
    kill(pid, SIGINT);
    const ProgramRun run = FinishProgram(pid, dir.File("out.txt"), dir.File("err.txt"));

    EXPECT_EQ(run.status, static_cast<int>(RESULT_CANCELLED)) << run.err;
    const std::vector<CoilEvent> coils = sim.CoilEvents();
    ASSERT_FALSE(coils.empty());
    EXPECT_EQ(coils.back(), (CoilEvent{COIL_DOWNLOAD_ABORTED, 0xFF00}));
    const std::size_t started = Count(sim.Requests(), 16, 4);
    EXPECT_LT(started, static_cast<std::size_t>(ALARM_COUNT));
    EXPECT_EQ(coils.size(), started + 1) << "every alarm begun got its faults coil";
}

// A pseudo-terminal whose input already holds the answer.
class Terminal {
public:
    explicit Terminal(const char* answer) {
        m_master = posix_openpt(O_RDWR | O_NOCTTY);
        if (m_master < 0 || grantpt(m_master) != 0 || unlockpt(m_master) != 0)
            return;
        m_slave = open(ptsname(m_master), O_RDWR | O_NOCTTY);
        const std::size_t length = std::strlen(answer);
        if (write(m_master, answer, length) != static_cast<ssize_t>(length))
            m_slave = -1;
    }
    ~Terminal() {
        if (m_slave >= 0)
            close(m_slave);
        if (m_master >= 0)
            close(m_master);
    }
    int Fd() const { return m_slave; }

private:
    int m_master = -1;
    int m_slave = -1;
};

// The transfer's interrupt watcher needs the signals blocked, as orx-transfer's main does;
// the test's own mask comes back afterwards, so programs it starts later do not inherit it.
class BlockedInterrupts {
public:
    BlockedInterrupts() {
        pthread_sigmask(SIG_SETMASK, nullptr, &m_saved);
        BlockInterrupts();
    }
    ~BlockedInterrupts() { pthread_sigmask(SIG_SETMASK, &m_saved, nullptr); }
    BlockedInterrupts(const BlockedInterrupts&) = delete;
    BlockedInterrupts& operator=(const BlockedInterrupts&) = delete;

private:
    sigset_t m_saved{};
};

TEST_F(CliDownload, OnlyYesOnTheTerminalDownloads) {
    BlockedInterrupts blocked;
    for (const char* answer : {"n\n", "\n", "yep\n"}) {
        Terminal terminal(answer);
        ASSERT_GE(terminal.Fd(), 0);
        EXPECT_EQ(RunDownloadCommand({"--port", Port(), "127.0.0.1", m_file}, terminal.Fd()),
                  static_cast<int>(RESULT_CANCELLED))
            << answer;
    }
    EXPECT_TRUE(m_sim.Requests().empty());
    Terminal terminal("y\n");
    ASSERT_GE(terminal.Fd(), 0);
    EXPECT_EQ(RunDownloadCommand({"--port", Port(), "127.0.0.1", m_file}, terminal.Fd()), 0);
    EXPECT_EQ(AlarmsWritten(), ALARM_COUNT);
}

} // namespace
