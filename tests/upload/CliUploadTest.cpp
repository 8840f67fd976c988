// orx-transfer upload, run as a program against a simulated ORX in this process.

#include "ProgramRun.h"
#include "TestFiles.h"
#include "sim/OrxSimulator.h"
#include "transfer/TransferResults.h"

#include <chrono>
#include <csignal>
#include <gtest/gtest.h>
#include <thread>

namespace {

constexpr int EXIT_USAGE = 64;
constexpr auto CANCEL_WAIT_LIMIT = std::chrono::seconds(10);
constexpr int SLOW_REPLY_MS = 15;
constexpr WORD NOT_AN_ORX = 0x1234;

class CliUpload : public ::testing::Test {
protected:
    pid_t Start(const std::vector<std::string>& args) {
        return SpawnProgram(ORX_TRANSFER_PATH, args, "/dev/null", m_errPath);
    }
    ProgramRun Finish(pid_t pid) { return FinishProgram(pid, "/dev/null", m_errPath); }
    ProgramRun Upload(const std::vector<std::string>& args) { return Finish(Start(args)); }
    std::vector<std::string> Args(WORD port) {
        return {"upload", "--port", std::to_string(port), "127.0.0.1", m_target};
    }
    void ExpectIn(const ProgramRun& run, const char* text) {
        EXPECT_NE(run.err.find(text), std::string::npos) << run.err;
    }

    ScratchDir m_dir;
    std::string m_target = m_dir.File("out.csv");
    std::string m_errPath = m_dir.File("stderr.txt");
};

TEST_F(CliUpload, SuccessWritesTheFileAndExitsZero) {
    OrxSimulator sim;
    const ProgramRun run = Upload(Args(sim.Port()));
    EXPECT_EQ(run.status, static_cast<int>(RESULT_OK));
    ExpectIn(run, "Connecting to ORX...\n");
    ExpectIn(run, "Uploading Alarm 32/32...\n");
    ExpectIn(run, "Upload Complete!\n");
    EXPECT_EQ(ReadLines(m_target).size(), 38u);
}

TEST_F(CliUpload, RefusedConnectionAndWrongDeviceExitThree) {
    WriteText(m_target, "kept\n");
    ProgramRun run = Upload(Args(RefusingPort()));
    EXPECT_EQ(run.status, static_cast<int>(RESULT_DEVICE_ERROR));
    ExpectIn(run, "Error connecting to ORX!\nError connecting to ORX!\n"); // box, then status
    EXPECT_EQ(ReadText(m_target), "kept\n");

    OrxSimulator sim;
    sim.SetIdentity(NOT_AN_ORX);
    run = Upload(Args(sim.Port()));
    EXPECT_EQ(run.status, static_cast<int>(RESULT_DEVICE_ERROR));
    ExpectIn(run, "This is not an ORX!\nError! Device was not an ORX!\n");
    EXPECT_EQ(ReadText(m_target), "kept\n");
}

TEST_F(CliUpload, CtrlCCancelsAndExitsFive) {
    SimulatorOptions options;
    options.delayMs = SLOW_REPLY_MS;
    OrxSimulator sim(options);
    const pid_t pid = Start(Args(sim.Port()));
    ASSERT_GT(pid, 0);
    const auto deadline = std::chrono::steady_clock::now() + CANCEL_WAIT_LIMIT;
    while (ReadText(m_errPath).find("Uploading Alarm 2/32") == std::string::npos &&
           std::chrono::steady_clock::now() < deadline)
        std::this_thread::sleep_for(std::chrono::milliseconds(5));
    kill(pid, SIGINT);
    const ProgramRun run = Finish(pid);
    EXPECT_EQ(run.status, static_cast<int>(RESULT_CANCELLED)) << run.err;
    ExpectIn(run, "Upload Cancelled!\n");
    EXPECT_FALSE(std::filesystem::exists(m_target));
}

TEST_F(CliUpload, UsageErrorsExit64AndHelpExitsZero) {
    const std::vector<std::vector<std::string>> usageErrors{
        {},
        {"fetch"},
        {"upload", "127.0.0.1"},
        {"upload", "localhost", m_target},
        {"upload", "--port", "0", "127.0.0.1", m_target},
        {"upload", "--port", "70000", "127.0.0.1", m_target},
        {"upload", "--bogus", "127.0.0.1", m_target}};
    for (const auto& args : usageErrors) {
        const ProgramRun run = Upload(args);
        EXPECT_EQ(run.status, EXIT_USAGE) << ::testing::PrintToString(args);
        ExpectIn(run, "usage: orx-transfer");
    }
    EXPECT_EQ(Upload({"--help"}).status, 0);
    EXPECT_EQ(Upload({"upload", "--help"}).status, 0);
}

} // namespace
