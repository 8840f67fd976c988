// Comparing the device with a file: field by field, read-only.

#include "DownloadFiles.h"
#include "cli/DownloadCommands.h"
#include "modbus/RemoteModbus.h"
#include "sim/OrxSimulator.h"
#include "transfer/DeviceCompare.h"
#include "transfer/TransferResults.h"

#include <functional>
#include <gtest/gtest.h>
#include <sstream>

namespace {

constexpr int ALARM = 3;
constexpr WORD NOT_AN_ORX = 0x1234;
constexpr int REPLIES_BEFORE_DROP = 4; // identity and the three reads of alarm 1

AlarmRecord Example() {
    AlarmRecord r;
    r.mode = 2;
    r.sourceModule = 4;
    r.sourceChannel = 2;
    r.outputRelay = 5;
    r.tripPoint = 75.5f;
    r.deadband = 1.25f;
    r.enunciateFaults = true;
    return r;
}

std::vector<std::string> Describe(const AlarmRecord& file, const AlarmRecord& device) {
    std::vector<std::string> texts;
    for (const FieldDifference& d : CompareAlarm(ALARM, file, device))
        texts.push_back(DescribeDifference(d));
    return texts;
}

using Lines = std::vector<std::string>;

TEST(CompareAlarm, EachFieldIsNamedWithBothValues) {
    EXPECT_TRUE(CompareAlarm(ALARM, Example(), Example()).empty());
    const struct {
        std::function<void(AlarmRecord&)> change;
        const char* text;
    } cases[] = {
        {[](AlarmRecord& r) { r.mode = 1; }, "alarm 3 mode: file 2, device 1"},
        {[](AlarmRecord& r) { r.sourceModule = 7; }, "alarm 3 source module: file 4, device 7"},
        {[](AlarmRecord& r) { r.sourceChannel = 65535; },
         "alarm 3 source channel: file 2, device 65535"},
        {[](AlarmRecord& r) { r.outputRelay = 0; }, "alarm 3 output relay: file 5, device 0"},
        {[](AlarmRecord& r) { r.tripPoint = 75.4f; },
         "alarm 3 trip point: file 75.5000, device 75.4000"},
        // Values alike at four decimals show all their digits.
        {[](AlarmRecord& r) { r.tripPoint = 75.50001f; },
         "alarm 3 trip point: file 75.5, device 75.5000076"},
        {[](AlarmRecord& r) { r.deadband = -1.25f; },
         "alarm 3 deadband: file 1.2500, device -1.2500"},
        {[](AlarmRecord& r) { r.enunciateFaults = false; },
         "alarm 3 enunciate system faults: file 1, device 0"},
    };
    for (const auto& c : cases) {
        AlarmRecord device = Example();
        c.change(device);
        EXPECT_EQ(Describe(Example(), device), Lines{c.text});
    }
    AlarmRecord disabled; // compared in every field all the same
    disabled.sourceModule = 9;
    EXPECT_EQ(Describe(disabled, AlarmRecord{}), Lines{"alarm 3 source module: file 9, device 0"});
}

class VerifyDevice : public ::testing::Test {
protected:
    void Start(SimulatorOptions options) {
        m_sim = std::make_unique<OrxSimulator>(std::move(options));
        ASSERT_TRUE(m_modbus.Connect("127.0.0.1", m_sim->Port(), 300));
    }
    unsigned Verify(const std::vector<AlarmRecord>& rows) {
        return VerifyAlarms(m_modbus, rows, m_out, m_err);
    }
    static std::vector<AlarmRecord> DistinctRecords(int count) {
        std::vector<AlarmRecord> rows;
        for (int n = 1; n <= count; ++n)
            rows.push_back(DistinctAlarm(n));
        return rows;
    }
    static SimulatorOptions Holding(int count) {
        SimulatorOptions options;
        options.image = DeviceImage{};
        for (int n = 1; n <= count; ++n)
            SetAlarm(options.image, n, DistinctAlarm(n));
        return options;
    }
    void ExpectReadOnly() {
        for (const RequestSummary& r : m_sim->Requests())
            EXPECT_TRUE(r.function == 2 || r.function == 4) << int(r.function);
    }

    std::unique_ptr<OrxSimulator> m_sim;
    CRemoteModbus m_modbus;
    std::ostringstream m_out;
    std::ostringstream m_err;
};

TEST_F(VerifyDevice, EveryDifferenceIsPrinted) {
    SimulatorOptions options = Holding(ALARM_COUNT);
    AlarmRecord changed = DistinctAlarm(ALARM);
    changed.outputRelay = 8;
    changed.tripPoint = 99.0f;
    SetAlarm(options.image, ALARM, changed);
    Start(options);
    EXPECT_EQ(Verify(DistinctRecords(ALARM_COUNT)), RESULT_DIFFERENT);
    const AlarmRecord want = DistinctAlarm(ALARM);
    std::ostringstream expected;
    expected << "alarm 3 output relay: file " << want.outputRelay << ", device 8\n"
             << "alarm 3 trip point: file -6.2500, device 99.0000\n";
    EXPECT_EQ(m_out.str(), expected.str());
    ExpectReadOnly();
}

TEST_F(VerifyDevice, OnlyTheFilesRowsAreCompared) {
    Start(Holding(5));
    EXPECT_EQ(Verify(DistinctRecords(5)), RESULT_OK);
    EXPECT_EQ(m_out.str(), "");
    EXPECT_EQ(m_sim->Requests().size(), 1u + 3u * 5u);
    ExpectReadOnly();
}

TEST_F(VerifyDevice, WrongDeviceIsADeviceError) {
    SimulatorOptions options = Holding(ALARM_COUNT);
    options.image.identity[0] = NOT_AN_ORX;
    Start(options);
    EXPECT_EQ(Verify(DistinctRecords(ALARM_COUNT)), RESULT_DEVICE_ERROR);
    EXPECT_EQ(m_err.str(), "This is not an ORX!\n");
}

TEST_F(VerifyDevice, FailedReadIsADeviceError) {
    SimulatorOptions options = Holding(ALARM_COUNT);
    options.dropAfter = REPLIES_BEFORE_DROP;
    Start(options);
    EXPECT_EQ(Verify(DistinctRecords(ALARM_COUNT)), RESULT_DEVICE_ERROR);
    EXPECT_EQ(m_err.str(), "Error reading alarm 2 from the ORX!\n");
}

TEST(VerifyCommand, ReportsFileAndConnectionProblems) {
    DownloadScratch dir;
    std::ostringstream out;
    std::ostringstream err;
    const std::string port = std::to_string(RefusingPort());
    EXPECT_EQ(RunVerifyCommand({"--port", port, "127.0.0.1", dir.File("missing.csv")}, out, err),
              2);
    const std::string bad = dir.Write("bad.csv", DOWNLOAD_FILE_HEADER + std::string("1,7\n"));
    EXPECT_EQ(RunVerifyCommand({"--port", port, "127.0.0.1", bad}, out, err), 6);
    const std::string good = dir.Write("good.csv", FullFileText());
    EXPECT_EQ(RunVerifyCommand({"--port", port, "127.0.0.1", good}, out, err), 3);
    EXPECT_NE(err.str().find("Error connecting to ORX!"), std::string::npos);
    EXPECT_EQ(RunVerifyCommand({"127.0.0.1"}, out, err), 64);
}

} // namespace
