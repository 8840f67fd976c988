// Comparing the device with a file: field by field, read-only.

#include "DownloadFiles.h"
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

// verify of a file with the first rows of DistinctAlarm against a device holding them in all
// alarms, changed as given; verify only reads.
TEST(VerifyDevice, PrintsEveryDifferenceOrTheCountOrTheError) {
    ScratchDir dir;
    AlarmRecord changed = DistinctAlarm(ALARM);
    changed.outputRelay = 8;
    changed.tripPoint = 99.0f;
    const struct {
        int rows;
        std::function<void(SimulatorOptions&)> change;
        int code;
        std::string out;
        std::string err;
    } cases[] = {
        {ALARM_COUNT, [&](SimulatorOptions& o) { SetAlarm(o.image, ALARM, changed); },
         RESULT_DIFFERENT,
         "alarm 3 output relay: file " + std::to_string(DistinctAlarm(ALARM).outputRelay) +
             ", device 8\nalarm 3 trip point: file -6.2500, device 99.0000\n"
             "The device differs from the file.\n",
         ""},
        {5, [](SimulatorOptions&) {}, 0,
         "The device holds what the file says (5 alarm(s) compared).\n", ""},
        {ALARM_COUNT, [](SimulatorOptions& o) { o.image.identity[0] = NOT_AN_ORX; },
         RESULT_DEVICE_ERROR, "",
         "This is not an ORX! (identity register 3495 holds 0x1234, 0x52C7 expected)\n"},
        {ALARM_COUNT, [](SimulatorOptions& o) { o.dropAfter = REPLIES_BEFORE_DROP; },
         RESULT_DEVICE_ERROR, "",
         "Error reading alarm 2 from the ORX! (read input registers 3008 x4: the device closed "
         "the connection)\n"},
    };
    for (const auto& c : cases) {
        SimulatorOptions options = ZeroedDevice();
        for (int n = 1; n <= ALARM_COUNT; ++n)
            SetAlarm(options.image, n, DistinctAlarm(n));
        c.change(options);
        OrxSimulator sim(options);
        const std::string path =
            dir.Write("rows.csv", DOWNLOAD_FILE_HEADER + DistinctRows(1, c.rows));
        const CommandRun run =
            RunCommand({"verify", "--port", std::to_string(sim.Port()), "127.0.0.1", path});
        EXPECT_EQ(run.code, c.code);
        EXPECT_EQ(run.out, c.out);
        EXPECT_EQ(run.err, c.err);
        for (const RequestSummary& r : sim.Requests())
            EXPECT_TRUE(r.function == FN_READ_DISCRETE_INPUTS ||
                        r.function == FN_READ_INPUT_REGISTERS);
        if (c.code == 0) {
            EXPECT_EQ(sim.Requests().size(), 1u + 3u * c.rows) << "only the file's rows";
        }
    }
}

} // namespace
