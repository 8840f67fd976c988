// The upload with the device failing at each of its exchanges in turn.

#include "Faults.h"
#include "upload/UploadFixture.h"

#include <gmock/gmock.h>

namespace {

constexpr int SERIAL_EXCHANGE = 2;

struct UploadEnd {
    const char* box;    // nullptr: none
    std::string status; // the last status text
    int position;       // of the progress bar at the end
};

// What the upload must end with when the device fails as given: whatever fails, the chosen
// file stays as it was.
UploadEnd Expected(const Fault& fault) {
    if (fault.exchange == 1) // the identity read
        return {"This is not an ORX!", "Error! Device was not an ORX!", 0};
    if (fault.exchange == SERIAL_EXCHANGE)
        return {"Error uploading!", CONNECTING_TEXT, 0};
    const int n = AlarmOfExchange(fault.exchange, UPLOAD_READS_PER_ALARM);
    return {"Error uploading!", UploadStatus(n).str(), n};
}

class UploadSweep : public UploadFixture, public ::testing::WithParamInterface<Fault> {};

TEST_P(UploadSweep, EndsAsTheFaultRequires) {
    const Fault fault = GetParam();
    StartSimulator(fault.Inject({}));
    const UploadEnd expected = Expected(fault);
    const Stopwatch watch;
    EXPECT_EQ(Upload(), RESULT_DEVICE_ERROR);
    EXPECT_LE(watch.ElapsedMs(), fault.WaitLimitMs());

    ExpectEnd(expected.box, expected.status.c_str(), expected.position);
    ASSERT_FALSE(ErrorDetails().empty());
    EXPECT_THAT(ErrorDetails().back().str(), ::testing::HasSubstr(fault.Cause()));
    ExpectChosenFileUnchanged();
}

INSTANTIATE_TEST_SUITE_P(EveryExchange, UploadSweep,
                         ::testing::ValuesIn(EveryFault(UPLOAD_EXCHANGES)),
                         [](const auto& info) { return info.param.Name(); });

using UploadSplitReplies = UploadFixture;

// The second segment after the limit fails the first exchange; in time, the reply is whole.
TEST_F(UploadSplitReplies, ReplyInTwoSegmentsIsReadWholeWithinTheLimit) {
    SimulatorOptions options;
    options.split = true;
    options.splitPauseMs = static_cast<int>(EXCHANGE_TIMEOUT_MS) + TRANSFER_MARGIN_MS;
    StartSimulator(options);
    const Stopwatch watch;
    EXPECT_EQ(Upload(), RESULT_DEVICE_ERROR);
    EXPECT_LE(watch.ElapsedMs(), EXCHANGE_TIMEOUT_MS + TRANSFER_MARGIN_MS);
    EXPECT_EQ(LastStatus(), "Error! Device was not an ORX!");
    ExpectChosenFileUnchanged();
    options.splitPauseMs = SimulatorOptions().splitPauseMs;
    StartSimulator(options);
    EXPECT_EQ(Upload(), RESULT_OK);
    EXPECT_EQ(ReadLines(m_target).size(), static_cast<std::size_t>(CONFIG_FILE_LINES));
    EXPECT_EQ(LastStatus(), "Upload Complete!");
}

} // namespace
