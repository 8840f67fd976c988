// Comparing the device with a file: field by field, read-only.

#include "DownloadFiles.h"
#include "sim/OrxSimulator.h"
#include "sim/RequestHandler.h"
#include "transfer/DeviceCompare.h"
#include "transfer/TransferResults.h"

#include <bit>
#include <functional>
#include <gtest/gtest.h>
#include <limits>

namespace {

constexpr int ALARM = 3;
constexpr WORD NOT_AN_ORX = 0x1234;
constexpr int REPLIES_BEFORE_DROP = 4; // identity and the three reads of alarm 1
constexpr int EXIT_NO_INPUT = 2;

const AlarmRecord EXAMPLE{2, 4, 2, 5, 75.5f, 1.25f, true};

std::vector<std::string> Describe(const AlarmRecord& file, const AlarmRecord& device) {
    std::vector<std::string> texts;
    for (const FieldDifference& d : CompareAlarm(ALARM, file, device))
        texts.push_back(DescribeDifference(d));
    return texts;
}

using Lines = std::vector<std::string>;

TEST(CompareAlarm, EachFieldIsNamedWithBothValues) {
    EXPECT_TRUE(CompareAlarm(ALARM, EXAMPLE, EXAMPLE).empty());
    EXPECT_EQ(Describe(EXAMPLE, AlarmRecord{1, 7, 65535, 0, 75.4f, -1.25f, false}),
              (Lines{"alarm 3 mode: file 2, device 1", "alarm 3 source module: file 4, device 7",
                     "alarm 3 source channel: file 2, device 65535",
                     "alarm 3 output relay: file 5, device 0",
                     "alarm 3 trip point: file 75.5000, device 75.4000",
                     "alarm 3 deadband: file 1.2500, device -1.2500",
                     "alarm 3 enunciate system faults: file 1, device 0"}));
    AlarmRecord close = EXAMPLE; // alike at four decimals: all digits are shown
    close.tripPoint = 75.50001f;
    EXPECT_EQ(Describe(EXAMPLE, close), Lines{"alarm 3 trip point: file 75.5, device 75.5000076"});
    AlarmRecord disabled; // compared in every field all the same
    disabled.sourceModule = 9;
    EXPECT_EQ(Describe(disabled, AlarmRecord{}), Lines{"alarm 3 source module: file 9, device 0"});
    AlarmRecord nan = disabled; // the file keeps a NaN's sign, not its payload
    nan.tripPoint = std::numeric_limits<float>::quiet_NaN();
    disabled.tripPoint = std::bit_cast<float>(0x7FC00001u);
    EXPECT_TRUE(CompareAlarm(ALARM, nan, disabled).empty());
    disabled.tripPoint = -disabled.tripPoint;
    EXPECT_EQ(Describe(nan, disabled), Lines{"alarm 3 trip point: file nan, device -nan"});
}

class VerifyDevice : public ::testing::Test {
protected:
    // A device holding DistinctAlarm in its first alarms, changed as given.
    void Start(int holding, const std::function<void(SimulatorOptions&)>& change = {}) {
        SimulatorOptions options;
        options.image = DeviceImage{};
        for (int n = 1; n <= holding; ++n)
            SetAlarm(options.image, n, DistinctAlarm(n));
        if (change)
            change(options);
        m_sim = std::make_unique<OrxSimulator>(std::move(options));
    }
    // verify with a file of the first rows of DistinctAlarm.
    CommandRun Verify(int rows) {
        const std::string path =
            m_dir.Write("rows.csv", DOWNLOAD_FILE_HEADER + DistinctRows(1, rows));
        const CommandRun run =
            RunCommand({"verify", "--port", std::to_string(m_sim->Port()), "127.0.0.1", path});
        for (const RequestSummary& r : m_sim->Requests())
            EXPECT_TRUE(r.function == FN_READ_DISCRETE_INPUTS ||
                        r.function == FN_READ_INPUT_REGISTERS)
                << "verify only reads, not " << int(r.function);
        return run;
    }

    ScratchDir m_dir;
    std::unique_ptr<OrxSimulator> m_sim;
};

TEST_F(VerifyDevice, EveryDifferenceIsPrinted) {
    Start(ALARM_COUNT, [](SimulatorOptions& options) {
        AlarmRecord changed = DistinctAlarm(ALARM);
        changed.outputRelay = 8;
        changed.tripPoint = 99.0f;
        SetAlarm(options.image, ALARM, changed);
    });
    const CommandRun run = Verify(ALARM_COUNT);
    EXPECT_EQ(run.code, static_cast<int>(RESULT_DIFFERENT));
    EXPECT_EQ(run.out, "alarm 3 output relay: file " +
                           std::to_string(DistinctAlarm(ALARM).outputRelay) +
                           ", device 8\nalarm 3 trip point: file -6.2500, device 99.0000\n"
                           "The device differs from the file.\n");
}

TEST_F(VerifyDevice, OnlyTheFilesRowsAreCompared) {
    constexpr int ROWS = 5;
    Start(ROWS);
    const CommandRun run = Verify(ROWS);
    EXPECT_EQ(run.code, 0);
    EXPECT_EQ(run.out, "The device holds what the file says (5 alarm(s) compared).\n");
    EXPECT_EQ(m_sim->Requests().size(), 1u + 3u * ROWS);
}

TEST_F(VerifyDevice, WrongDeviceOrFailedReadIsADeviceError) {
    const struct {
        std::function<void(SimulatorOptions&)> change;
        const char* error;
    } cases[] = {
        {[](SimulatorOptions& o) { o.image.identity[0] = NOT_AN_ORX; },
         "This is not an ORX! (identity register 3495 holds 0x1234, 0x52C7 expected)\n"},
        {[](SimulatorOptions& o) { o.dropAfter = REPLIES_BEFORE_DROP; },
         "Error reading alarm 2 from the ORX! (read input registers 3008 x4: the device closed "
         "the connection)\n"},
    };
    for (const auto& c : cases) {
        Start(ALARM_COUNT, c.change);
        const CommandRun run = Verify(ALARM_COUNT);
        EXPECT_EQ(run.code, static_cast<int>(RESULT_DEVICE_ERROR));
        EXPECT_EQ(run.err, c.error);
    }
}

TEST(VerifyCommand, ReportsFileAndConnectionProblems) {
    ScratchDir dir;
    const auto verify = [port = std::to_string(RefusingPort())](const std::string& file) {
        return RunCommand({"verify", "--port", port, "127.0.0.1", file});
    };
    EXPECT_EQ(verify(dir.File("missing.csv")).code, EXIT_NO_INPUT);
    const CommandRun refused = verify(dir.Write("good.csv", FullFileText()));
    EXPECT_EQ(refused.code, static_cast<int>(RESULT_DEVICE_ERROR));
    EXPECT_NE(refused.err.find("Error connecting to ORX!"), std::string::npos);

    // HOST is read as upload and download read it (010 is ten), and 0.0.0.0 is never tried,
    // though a server listening on every address would answer it.
    const struct {
        const char* listen;
        const char* host;
        int code;
    } hosts[] = {{"127.0.0.10", "127.0.0.010", static_cast<int>(RESULT_DIFFERENT)},
                 {"0.0.0.0", "0.0.0.0", static_cast<int>(RESULT_DEVICE_ERROR)}};
    for (const auto& h : hosts) {
        SimulatorOptions options = ZeroedDevice();
        options.listenAddress = h.listen;
        OrxSimulator sim(options);
        const std::vector<std::string> args{"verify", "--port", std::to_string(sim.Port()), h.host,
                                            dir.File("good.csv")};
        EXPECT_EQ(RunCommand(args).code, h.code) << h.host;
        EXPECT_EQ(sim.Requests().empty(), h.code == static_cast<int>(RESULT_DEVICE_ERROR));
    }
}

} // namespace
