// orx-transfer upload, run as a program against a simulated ORX in this process.

#include "ProgramRun.h"
#include "sim/OrxSimulator.h"
#include "transfer/TransferResults.h"

#include <csignal>
#include <limits>

namespace {

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
    // Each failure once, with its cause.
    const WORD refusing = RefusingPort();
    ProgramRun run = Run(Args(refusing));
    EXPECT_EQ(run.status, static_cast<int>(RESULT_DEVICE_ERROR));
    EXPECT_EQ(run.err, "Connecting to ORX...\nError connecting to ORX! (127.0.0.1:" +
                           std::to_string(refusing) + ": connection refused)\n");
    OrxSimulator sim;
    sim.SetIdentity(NOT_AN_ORX);
    run = Run(Args(sim.Port()));
    EXPECT_EQ(run.status, static_cast<int>(RESULT_DEVICE_ERROR));
    EXPECT_EQ(run.err, "Connecting to ORX...\nThis is not an ORX! (identity register 3495 holds "
                       "0x1234, 0x52C7 expected)\n");
    EXPECT_EQ(ReadText(m_target), "kept\n");
}

// A cancel leaves no file behind (the download's test sends each of the signals).
TEST_F(CliUpload, SignalCancelsAndExitsFive) {
    SimulatorOptions options;
    options.delayMs = SLOW_REPLY_MS;
    OrxSimulator sim(options);
    const pid_t pid = Start(Args(sim.Port()));
    ASSERT_GT(pid, 0);
    WaitUntil(
        [&] { return ReadText(m_errPath).find("Uploading Alarm 2/32") != std::string::npos; });
    kill(pid, SIGTERM);
    const ProgramRun run = Finish(pid);
    ExpectEnd(run, RESULT_CANCELLED, "Cancelling after alarm ");
    ExpectEnd(run, RESULT_CANCELLED, "Upload Cancelled!\n");
    EXPECT_EQ(m_dir.Entries(), (std::vector<std::string>{"stderr.txt", "stdout.txt"}));
}

} // namespace
