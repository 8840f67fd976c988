// orx-transfer upload, run as a program against a simulated ORX in this process.

#include "ProgramRun.h"
#include "sim/OrxSimulator.h"
#include "transfer/TransferResults.h"

#include <csignal>
#include <limits>

namespace {

constexpr int EXIT_USAGE = 64;
constexpr int SLOW_REPLY_MS = 15;
constexpr WORD NOT_AN_ORX = 0x1234;

class CliUpload : public ProgramTest {
protected:
    std::vector<std::string> Args(WORD port) {
        return {"upload", "--port", std::to_string(port), "127.0.0.1", m_target};
    }
    void ExpectEnd(const ProgramRun& run, UINT result, const std::string& text) {
        EXPECT_EQ(run.status, static_cast<int>(result));
        EXPECT_NE(run.err.find(text), std::string::npos) << run.err;
    }

    std::string m_target = m_dir.File("out.csv");
};

TEST_F(CliUpload, SuccessWritesTheFileExitsZeroAndWarnsOfRowsADownloadWouldRefuse) {
    OrxSimulator sim;
    sim.SetAlarm(3, {2, 4, 2, 5, std::numeric_limits<float>::quiet_NaN(), 1.25f, true});
    const ProgramRun run = Run(Args(sim.Port()));
    std::string steps = "Connecting to ORX...\n";
    for (int n = 1; n <= ALARM_COUNT; ++n)
        steps += "Uploading Alarm " + std::to_string(n) + "/32...\n";
    ExpectEnd(run, RESULT_OK,
              steps + "Upload Complete!\nwarning: a download would refuse row 3, line 8: field 6 "
                      "(trip point) \"nan\": trip point must be finite when mode is not 0\n");
    EXPECT_EQ(ReadLines(m_target).size(), 38u);
}

TEST_F(CliUpload, RefusedConnectionAndWrongDeviceExitThree) {
    WriteText(m_target, "kept\n");
    // The box's text with its cause, then the status line's.
    ExpectEnd(Run(Args(RefusingPort())), RESULT_DEVICE_ERROR,
              ": connection refused\nError connecting to ORX!\n");
    OrxSimulator sim;
    sim.SetIdentity(NOT_AN_ORX);
    ExpectEnd(Run(Args(sim.Port())), RESULT_DEVICE_ERROR,
              "This is not an ORX!\nidentity register 3495 holds 0x1234, 0x52C7 expected\nError! "
              "Device was not an ORX!\n");
    EXPECT_EQ(ReadText(m_target), "kept\n");
}

// Ctrl-C, SIGTERM and SIGHUP cancel alike and leave no file behind.
TEST_F(CliUpload, SignalsCancelAndExitFive) {
    SimulatorOptions options;
    options.delayMs = SLOW_REPLY_MS;
    OrxSimulator sim(options);
    for (const int signal : {SIGINT, SIGTERM, SIGHUP}) {
        SCOPED_TRACE(signal);
        const pid_t pid = Start(Args(sim.Port()));
        ASSERT_GT(pid, 0);
        WaitUntil(
            [&] { return ReadText(m_errPath).find("Uploading Alarm 2/32") != std::string::npos; });
        kill(pid, signal);
        const ProgramRun run = Finish(pid);
        ExpectEnd(run, RESULT_CANCELLED, "Upload Cancelled!\n");
        ExpectEnd(run, RESULT_CANCELLED, "Cancelling after alarm ");
        EXPECT_EQ(m_dir.Entries(), (std::vector<std::string>{"stderr.txt", "stdout.txt"}));
    }
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
        SCOPED_TRACE(::testing::PrintToString(args));
        ExpectEnd(Run(args), EXIT_USAGE, "usage: orx-transfer");
    }
    EXPECT_EQ(Run({"--help"}).status, 0);
    EXPECT_EQ(Run({"upload", "--help"}).status, 0);
}

} // namespace
