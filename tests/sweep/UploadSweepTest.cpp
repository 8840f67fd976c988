// The upload with the device failing at each of its exchanges in turn.

#include "Faults.h"
#include "upload/UploadFixture.h"

namespace {

constexpr int SERIAL_EXCHANGE = 2;
constexpr const char* NOTE = "\"Alarm Mode (0 = Disabled, 1 = Trip Low, 2 = Trip High)\"";
constexpr int SERIAL_LINE = 2;

struct UploadEnd {
    UINT result;        // only RESULT_OK writes the chosen file
    const char* box;    // nullptr: none
    std::string status; // the last status text
    int position;       // of the progress bar at the end
};

// What the upload must end with when the device fails as given.
UploadEnd Expected(const Fault& fault) {
    if (fault.exchange == 1) // the identity read
        return {RESULT_DEVICE_ERROR, "This is not an ORX!", "Error! Device was not an ORX!", 0};
    // The serial number's read is not judged; a broken connection there fails alarm 1.
    if (fault.exchange == SERIAL_EXCHANGE && fault.kind == FaultKind::Exception)
        return {RESULT_OK, nullptr, "Upload Complete!", ALARM_COUNT};
    const int n = AlarmOfExchange(fault.exchange, UPLOAD_READS_PER_ALARM);
    return {RESULT_DEVICE_ERROR, "Error uploading!", UploadStatus(n).str(), n};
}

class UploadSweep : public UploadFixture, public ::testing::WithParamInterface<Fault> {};

TEST_P(UploadSweep, EndsAsTheFaultRequires) {
    const Fault fault = GetParam();
    StartSimulator(Inject({}, fault));
    const UploadEnd expected = Expected(fault);

    const Stopwatch watch;
    EXPECT_EQ(Upload(), expected.result);
    EXPECT_LE(watch.ElapsedMs(), WaitLimitMs(fault));

    ExpectEnd(expected.box, expected.status.c_str(), expected.position);
    if (expected.result != RESULT_OK) {
        ExpectChosenFileUnchanged();
        return;
    }
    const std::vector<std::string> lines = ReadLines(m_target);
    ASSERT_EQ(lines.size(), static_cast<std::size_t>(CONFIG_FILE_LINES));
    EXPECT_EQ(lines[SERIAL_LINE], "Serial Number: 0") << "a refused serial read gives 0";
    EXPECT_EQ(lines.back(), NOTE);
}

INSTANTIATE_TEST_SUITE_P(EveryExchange, UploadSweep,
                         ::testing::ValuesIn(EveryFault(UPLOAD_EXCHANGES)),
                         [](const auto& info) { return FaultName(info.param); });

using UploadSplitReplies = UploadFixture;

TEST_F(UploadSplitReplies, ReplyInTwoSegmentsIsReadWhole) {
    SimulatorOptions options;
    options.split = true;
    StartSimulator(options);
    EXPECT_EQ(Upload(), RESULT_OK);
    EXPECT_EQ(ReadLines(m_target).size(), static_cast<std::size_t>(CONFIG_FILE_LINES));
    EXPECT_EQ(LastStatus(), "Upload Complete!");
}

TEST_F(UploadSplitReplies, SecondSegmentAfterTheLimitFailsTheFirstExchange) {
    SimulatorOptions options;
    options.split = true;
    options.splitPauseMs = static_cast<int>(EXCHANGE_TIMEOUT_MS) + TRANSFER_MARGIN_MS;
    StartSimulator(options);
    const Stopwatch watch;
    EXPECT_EQ(Upload(), RESULT_DEVICE_ERROR);
    EXPECT_LE(watch.ElapsedMs(), EXCHANGE_TIMEOUT_MS + TRANSFER_MARGIN_MS);
    EXPECT_EQ(LastStatus(), "Error! Device was not an ORX!");
    ExpectChosenFileUnchanged();
}

} // namespace
