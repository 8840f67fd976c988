// The download with the device failing at each of its exchanges in turn.

#include "Faults.h"
#include "download/DownloadFixture.h"
#include "sim/RequestHandler.h"

#include <algorithm>

#include <gmock/gmock.h>

namespace {

constexpr int LOCK_EXCHANGE = 2;
constexpr int LAST_BACKUP_EXCHANGE = LOCK_EXCHANGE + BACKUP_EXCHANGES;
// The backup reads as an upload does, which its own sweep covers: here its serial number and
// first alarm, and its last exchange.
constexpr int FIRST_BACKUP_ALARM_END = LOCK_EXCHANGE + 1 + UPLOAD_READS_PER_ALARM;

struct DownloadEnd {
    const char* box;    // nullptr: none
    std::string status; // the last status text
    int position;       // of the progress bar
    int written;        // leading alarms the device must hold in full
    bool abortCoil;     // COIL_DOWNLOAD_ABORTED must reach the device
};

// What the download must end with when the device fails as given.
DownloadEnd Expected(const Fault& fault) {
    if (fault.exchange == 1) // the identity read
        return {"This is not an ORX!", "Error! Device was not an ORX!", 0, 0, false};
    if (fault.exchange == LOCK_EXCHANGE) // a device that may be locked is not written
        return {"Error downloading!", CONNECTING_TEXT, 0, 0, false};
    if (fault.exchange <= LAST_BACKUP_EXCHANGE) // no backup, so nothing written at all
        return {"Error downloading!", BACKUP_TEXT, 0, 0, false};
    if (fault.exchange == DOWNLOAD_EXCHANGES) // the completion coil, after the loop
        return {"Error downloading!", DownloadStatus(ALARM_COUNT).str(), ALARM_COUNT, ALARM_COUNT,
                false};
    // In the alarm loop the abort coil is sent, and arrives while the connection lives.
    const int n = AlarmOfExchange(fault.exchange - BACKUP_EXCHANGES, DOWNLOAD_WRITES_PER_ALARM);
    return {"Error downloading!", DownloadStatus(n).str(), n, n - 1,
            fault.kind == FaultKind::Exception};
}

int CoilsAt(const std::vector<CoilEvent>& events, WORD address) {
    return static_cast<int>(std::ranges::count(events, CoilEvent{address, COIL_ON}));
}

std::vector<Fault> DownloadFaults() {
    std::vector<Fault> faults = EveryFault(DOWNLOAD_EXCHANGES);
    std::erase_if(faults, [](const Fault& f) {
        return f.exchange > FIRST_BACKUP_ALARM_END && f.exchange < LAST_BACKUP_EXCHANGE;
    });
    return faults;
}

class DownloadSweep : public DownloadFixture, public ::testing::WithParamInterface<Fault> {};

TEST_P(DownloadSweep, EndsAsTheFaultRequires) {
    const Fault fault = GetParam();
    StartSimulator(fault.Inject(ZeroedDevice()));
    const DownloadEnd expected = Expected(fault);
    const std::string path = m_dir.Write("full.csv", FullFileText());
    const Stopwatch watch;
    EXPECT_EQ(Download(path), RESULT_DEVICE_ERROR);
    EXPECT_LE(watch.ElapsedMs(), fault.WaitLimitMs());

    ExpectEnd(expected.box, expected.status.c_str(), expected.position);
    ASSERT_FALSE(ErrorDetails().empty());
    EXPECT_THAT(ErrorDetails().back().str(), ::testing::HasSubstr(fault.Cause()));
    for (int n = 1; n <= expected.written; ++n)
        EXPECT_EQ(m_sim->Alarm(n), DistinctAlarm(n)) << "alarm " << n;
    // The alarm being written when the device failed may hold part of its row.
    for (int n = expected.written + 2; n <= ALARM_COUNT; ++n)
        EXPECT_EQ(m_sim->Alarm(n), AlarmRecord{}) << "alarm " << n << " written";
    // Ended before the first write: none made.
    EXPECT_TRUE(expected.position > 0 || Requests(FN_WRITE_MULTIPLE_REGISTERS).empty());

    const std::vector<CoilEvent> coils = m_sim->CoilEvents();
    EXPECT_EQ(CoilsAt(coils, COIL_DOWNLOAD_ABORTED), expected.abortCoil ? 1 : 0);
    EXPECT_EQ(CoilsAt(coils, COIL_DOWNLOAD_COMPLETE), 0);
}

INSTANTIATE_TEST_SUITE_P(EveryExchange, DownloadSweep, ::testing::ValuesIn(DownloadFaults()),
                         [](const auto& info) { return info.param.Name(); });

} // namespace
