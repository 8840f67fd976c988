// orx-transfer upload, run as a program against a simulated ORX in this process.

#include "TestFiles.h"
#include "sim/OrxSimulator.h"
#include "transfer/TransferResults.h"

#include <chrono>
#include <csignal>
#include <fcntl.h>
#include <gtest/gtest.h>
#include <spawn.h>
#include <sys/wait.h>
#include <thread>
#include <unistd.h>

extern char** environ;

namespace {

constexpr int EXIT_USAGE = 64;
constexpr auto CANCEL_WAIT_LIMIT = std::chrono::seconds(10);
constexpr int SLOW_REPLY_MS = 15;

struct ProgramRun {
    int status = -1;
    std::string err;
};

class CliUpload : public ::testing::Test {
protected:
    pid_t Start(const std::vector<std::string>& args) {
        std::vector<std::string> argv{ORX_TRANSFER_PATH};
        argv.insert(argv.end(), args.begin(), args.end());
        std::vector<char*> raw;
        for (std::string& a : argv)
            raw.push_back(a.data());
        raw.push_back(nullptr);
        posix_spawn_file_actions_t actions;
        posix_spawn_file_actions_init(&actions);
        posix_spawn_file_actions_addopen(&actions, STDERR_FILENO, m_errPath.c_str(),
                                         O_WRONLY | O_CREAT | O_TRUNC, 0644);
        posix_spawn_file_actions_addopen(&actions, STDOUT_FILENO, "/dev/null", O_WRONLY, 0);
        pid_t pid = -1;
        EXPECT_EQ(posix_spawn(&pid, raw[0], &actions, nullptr, raw.data(), environ), 0);
        posix_spawn_file_actions_destroy(&actions);
        return pid;
    }
    ProgramRun Finish(pid_t pid) {
        ProgramRun run;
        int status = 0;
        if (waitpid(pid, &status, 0) == pid && WIFEXITED(status))
            run.status = WEXITSTATUS(status);
        run.err = ReadText(m_errPath);
        return run;
    }
    ProgramRun Upload(const std::vector<std::string>& args) { return Finish(Start(args)); }
    std::vector<std::string> Args(WORD port) {
        return {"upload", "--port", std::to_string(port), "127.0.0.1", m_target};
    }

    ScratchDir m_dir;
    std::string m_target = m_dir.File("out.csv");
    std::string m_errPath = m_dir.File("stderr.txt");
};

TEST_F(CliUpload, SuccessWritesTheFileAndExitsZero) {
    OrxSimulator sim;
    const ProgramRun run = Upload(Args(sim.Port()));
    EXPECT_EQ(run.status, static_cast<int>(RESULT_OK));
    EXPECT_NE(run.err.find("Connecting to ORX...\n"), std::string::npos);
    EXPECT_NE(run.err.find("Uploading Alarm 32/32...\n"), std::string::npos);
    EXPECT_NE(run.err.find("Upload Complete!\n"), std::string::npos);
    EXPECT_EQ(ReadLines(m_target).size(), 38u);
}

TEST_F(CliUpload, RefusedConnectionExitsThree) {
    WriteText(m_target, "kept\n");
    const ProgramRun run = Upload(Args(RefusingPort()));
    EXPECT_EQ(run.status, static_cast<int>(RESULT_DEVICE_ERROR));
    // The message box, then the status line.
    EXPECT_NE(run.err.find("Error connecting to ORX!\nError connecting to ORX!\n"),
              std::string::npos)
        << run.err;
    EXPECT_EQ(ReadText(m_target), "kept\n");
}

TEST_F(CliUpload, WrongDeviceExitsThree) {
    constexpr WORD NOT_AN_ORX = 0x1234;
    OrxSimulator sim;
    sim.SetIdentity(NOT_AN_ORX);
    const ProgramRun run = Upload(Args(sim.Port()));
    EXPECT_EQ(run.status, static_cast<int>(RESULT_DEVICE_ERROR));
    EXPECT_NE(run.err.find("This is not an ORX!\nError! Device was not an ORX!\n"),
              std::string::npos)
        << run.err;
    EXPECT_FALSE(std::filesystem::exists(m_target));
}

TEST_F(CliUpload, CtrlCCancelsAndExitsFive) {
    SimulatorOptions options;
    options.delayMs = SLOW_REPLY_MS;
    OrxSimulator sim(options);
    const pid_t pid = Start(Args(sim.Port()));
    const auto deadline = std::chrono::steady_clock::now() + CANCEL_WAIT_LIMIT;
    while (ReadText(m_errPath).find("Uploading Alarm 2/32") == std::string::npos &&
           std::chrono::steady_clock::now() < deadline)
        std::this_thread::sleep_for(std::chrono::milliseconds(5));
    kill(pid, SIGINT);
    const ProgramRun run = Finish(pid);
    EXPECT_EQ(run.status, static_cast<int>(RESULT_CANCELLED)) << run.err;
    EXPECT_NE(run.err.find("Upload Cancelled!\n"), std::string::npos);
    EXPECT_FALSE(std::filesystem::exists(m_target));
}

TEST_F(CliUpload, UsageErrorsExit64) {
    EXPECT_EQ(Upload({}).status, EXIT_USAGE);
    EXPECT_EQ(Upload({"fetch"}).status, EXIT_USAGE);
    EXPECT_EQ(Upload({"upload", "127.0.0.1"}).status, EXIT_USAGE);
    EXPECT_EQ(Upload({"upload", "localhost", m_target}).status, EXIT_USAGE);
    EXPECT_EQ(Upload({"upload", "--port", "0", "127.0.0.1", m_target}).status, EXIT_USAGE);
    EXPECT_EQ(Upload({"upload", "--port", "70000", "127.0.0.1", m_target}).status, EXIT_USAGE);
    const ProgramRun run = Upload({"upload", "--bogus", "127.0.0.1", m_target});
    EXPECT_EQ(run.status, EXIT_USAGE);
    EXPECT_NE(run.err.find("usage: orx-transfer upload [--port N] HOST FILE"), std::string::npos);
}

TEST_F(CliUpload, HelpExitsZero) {
    EXPECT_EQ(Upload({"--help"}).status, 0);
    EXPECT_EQ(Upload({"upload", "--help"}).status, 0);
}

} // namespace
