// The upload and download with the device failing at each of their exchanges in turn, with
// block reads and with retries.

#include "download/DownloadFixture.h"
#include "sim/RequestHandler.h"
#include "support/UploadFixture.h"

#include <algorithm>
#include <chrono>
#include <gmock/gmock.h>

namespace {

constexpr int EXCHANGES_BEFORE_ALARMS = 2; // upload: identity, serial
constexpr int LOCK_EXCHANGE = 2;           // download: identity, lock
constexpr int UPLOAD_READS_PER_ALARM = 3;
constexpr int DOWNLOAD_WRITES_PER_ALARM = 4;
constexpr int UPLOAD_EXCHANGES = EXCHANGES_BEFORE_ALARMS + UPLOAD_READS_PER_ALARM * ALARM_COUNT;
// The download's backup after the lock check: an upload's exchanges but the identity read.
constexpr int BACKUP_EXCHANGES = UPLOAD_EXCHANGES - 1;
constexpr int DOWNLOAD_EXCHANGES = LOCK_EXCHANGE + BACKUP_EXCHANGES +
                                   DOWNLOAD_WRITES_PER_ALARM * ALARM_COUNT + 1; // + completion coil

// A whole transfer on loopback, sanitizers and a busy machine included, takes well under this;
// a stall adds one exchange limit, since the broken connection fails every later exchange
// at once.
constexpr long TRANSFER_MARGIN_MS = 1000;

enum class FaultKind {
    Drop,      // the device closes the connection instead of answering exchange k
    Stall,     // the device takes exchange k in and never answers
    Exception, // the device answers exchange k of each connection with exception 4
    Lost,      // the reply to the device's k-th request, all connections counted, is lost
};
using enum FaultKind;
const char* const KIND_NAMES[] = {"Drop", "Stall", "Exception", "Lost"};
// How the client names a fault as the cause of its failure.
const char* const CAUSES[] = {"the device closed the connection", "no reply within 300 ms",
                              "device exception 4 (server device failure)"};
constexpr const char* SLOW_LINK_ADVICE =
    "No reply within 300 ms: the link is slow; start with a longer --timeout or more --retries.";

struct Fault {
    FaultKind kind;
    int exchange; // 1 = the first of the transfer
    std::string Cause() const { return CAUSES[static_cast<int>(kind)]; }
    long WaitLimitMs() const {
        return TRANSFER_MARGIN_MS + (kind == Stall ? EXCHANGE_TIMEOUT_MS : 0);
    }
    SimulatorOptions Inject(SimulatorOptions options) const {
        int* counts[] = {&options.dropAfter, &options.stallAfter, &options.failRequest,
                         &options.loseReply};
        *counts[static_cast<int>(kind)] = kind < Exception ? exchange - 1 : exchange;
        return options;
    }
};

// Every fault of the kinds at exchanges 1 to count, but those after skipAfter and before
// skipBefore.
std::vector<Fault> EveryFault(int count, int skipAfter = 0, int skipBefore = 0,
                              std::initializer_list<FaultKind> kinds = {Drop, Stall, Exception}) {
    std::vector<Fault> faults;
    for (FaultKind kind : kinds)
        for (int k = 1; k <= count; ++k)
            if (k <= skipAfter || k >= skipBefore)
                faults.push_back({kind, k});
    return faults;
}

std::string FaultName(const ::testing::TestParamInfo<Fault>& info) {
    return KIND_NAMES[static_cast<int>(info.param.kind)] +
           ("At" + std::to_string(info.param.exchange));
}

using Clock = std::chrono::steady_clock;
using Ms = std::chrono::milliseconds;

// The alarm whose exchange k is, counting the exchanges before the alarms and per alarm.
constexpr int AlarmOfExchange(int k, int perAlarm) {
    return (k - EXCHANGES_BEFORE_ALARMS - 1) / perAlarm + 1;
}

// How a transfer must end.
struct End {
    const char* box;        // nullptr: none
    std::string status;     // the last status text
    int position;           // of the progress bar at the end
    int written = 0;        // leading alarms the device must hold in full
    bool abortCoil = false; // COIL_DOWNLOAD_ABORTED must reach the device
    std::string told = {};  // after the cause: what was written and what the device was told
};

// What the upload must end with when the device fails as given: whatever fails, the chosen
// file stays as it was.
End UploadExpected(const Fault& fault) {
    if (fault.exchange == 1) // the identity read
        return {"This is not an ORX!", "Error! Device was not an ORX!", 0};
    if (fault.exchange == EXCHANGES_BEFORE_ALARMS) // the serial number read
        return {"Error uploading!", CONNECTING_TEXT, 0};
    const int n = AlarmOfExchange(fault.exchange, UPLOAD_READS_PER_ALARM);
    return {"Error uploading!", UploadStatus(n).str(), n};
}

// The fixture's device failing as the parameter says.
template <class Fixture>
class FaultSweep : public Fixture, public ::testing::WithParamInterface<Fault> {
protected:
    FaultSweep() { this->StartSimulator(fault.Inject(this->m_device)); }
    const Fault fault = this->GetParam();
};

using UploadSweep = FaultSweep<UploadFixture>;

TEST_P(UploadSweep, EndsAsTheFaultRequires) {
    const End expected = UploadExpected(fault);
    const auto start = Clock::now();
    EXPECT_EQ(Upload(), RESULT_DEVICE_ERROR);
    EXPECT_LE(Clock::now() - start, Ms(fault.WaitLimitMs()));

    ExpectEnd(expected.box, expected.status.c_str(), expected.position);
    ASSERT_FALSE(ErrorDetails().empty());
    EXPECT_THAT(ErrorDetails().back().str(), ::testing::HasSubstr(fault.Cause()));
    // Only a device that stopped answering is a matter of the link's speed.
    EXPECT_EQ(ErrorDetails().back().str().ends_with(SLOW_LINK_ADVICE), fault.kind == Stall);
    ExpectChosenFileUnchanged();
}

INSTANTIATE_TEST_SUITE_P(EveryExchange, UploadSweep,
                         ::testing::ValuesIn(EveryFault(UPLOAD_EXCHANGES)), FaultName);

constexpr int LAST_BACKUP_EXCHANGE = LOCK_EXCHANGE + BACKUP_EXCHANGES;
// The backup reads as an upload does, which its own sweep covers: here its serial number and
// first alarm, and its last exchange.
constexpr int FIRST_BACKUP_ALARM_END = LOCK_EXCHANGE + 1 + UPLOAD_READS_PER_ALARM;

// What the download must end with when the device fails as given.
End DownloadExpected(const Fault& fault) {
    if (fault.exchange == 1) // the identity read
        return {"This is not an ORX!", "Error! Device was not an ORX!", 0};
    if (fault.exchange <= LOCK_EXCHANGE) // an unknown device, or one that may be locked
        return {"Error downloading!", CONNECTING_TEXT, 0};
    if (fault.exchange <= LAST_BACKUP_EXCHANGE) // no backup, so nothing written at all
        return {"Error downloading!", BACKUP_TEXT, 0};
    // The end coils reach the device on a new connection when the one in use is lost; a
    // refused one is not sent again.
    const bool last = fault.exchange == DOWNLOAD_EXCHANGES; // the completion coil
    if (last && fault.kind != Exception)
        return {nullptr, "Download Complete!", ALARM_COUNT, ALARM_COUNT};
    const int n = last ? ALARM_COUNT
                       : AlarmOfExchange(fault.exchange - BACKUP_EXCHANGES -
                                             (LOCK_EXCHANGE - EXCHANGES_BEFORE_ALARMS),
                                         DOWNLOAD_WRITES_PER_ALARM);
    End end{"Error downloading!", DownloadStatus(n).str(), n, last ? n : n - 1, !last};
    const std::string written = n == 1 ? ""
                                : n == 2
                                    ? "alarm 1 was written; "
                                    : "alarms 1 to " + std::to_string(n - 1) + " were written; ";
    const std::string kept =
        n == ALARM_COUNT ? ""
        : n + 1 == ALARM_COUNT
            ? "32 still holds the device's previous configuration; "
            : std::to_string(n + 1) + " to 32 still hold the device's previous configuration; ";
    end.told = last ? "the whole file was written (alarms 1 to 32); the device could not be told "
                      "that the download finished"
                    : written + "alarm " + std::to_string(n) + " may be partly written; " + kept +
                          "the ORX was told the download stopped (abort coil set)";
    return end;
}

using Counts = std::pair<long, long>;

// How often the device was told that the download stopped, and that it finished.
Counts EndCoils(const OrxSimulator& sim) {
    const std::vector<CoilEvent> coils = sim.CoilEvents();
    return {std::ranges::count(coils, CoilEvent{COIL_DOWNLOAD_ABORTED, COIL_ON}),
            std::ranges::count(coils, CoilEvent{COIL_DOWNLOAD_COMPLETE, COIL_ON})};
}

using DownloadSweep = FaultSweep<DownloadFixture>;

TEST_P(DownloadSweep, EndsAsTheFaultRequires) {
    const End expected = DownloadExpected(fault);
    const bool complete = expected.box == nullptr;
    const auto start = Clock::now();
    EXPECT_EQ(DownloadFull(), complete ? RESULT_OK : RESULT_DEVICE_ERROR);
    EXPECT_LE(Clock::now() - start, Ms(fault.WaitLimitMs()));

    ExpectEnd(expected.box, expected.status.c_str(), expected.position);
    for (const CString& detail : ErrorDetails())
        EXPECT_THAT(detail.str(), ::testing::AllOf(::testing::HasSubstr(fault.Cause()),
                                                   ::testing::HasSubstr(expected.told)));
    for (int n = 1; n <= expected.written; ++n)
        EXPECT_EQ(m_sim->Alarm(n), DistinctAlarm(n)) << "alarm " << n;
    // The alarm being written when the device failed may hold part of its row.
    for (int n = expected.written + 2; n <= ALARM_COUNT; ++n)
        EXPECT_EQ(m_sim->Alarm(n), AlarmRecord{}) << "alarm " << n << " written";
    // Ended before the first write: none made.
    EXPECT_TRUE(expected.position > 0 || Requests(FN_WRITE_MULTIPLE_REGISTERS).empty());
    EXPECT_EQ(EndCoils(*m_sim), Counts(expected.abortCoil, complete));
}

INSTANTIATE_TEST_SUITE_P(EveryExchange, DownloadSweep,
                         ::testing::ValuesIn(EveryFault(DOWNLOAD_EXCHANGES, FIRST_BACKUP_ALARM_END,
                                                        LAST_BACKUP_EXCHANGE)),
                         FaultName);

constexpr int TIME_LINE = 1; // differs between uploads

// A whole uploaded file but its time line.
std::vector<std::string> UntimedLines(const std::string& path) {
    std::vector<std::string> lines = ReadLines(path);
    EXPECT_EQ(lines.size(), static_cast<std::size_t>(CONFIG_FILE_LINES)) << path;
    lines.resize(CONFIG_FILE_LINES);
    lines[TIME_LINE].clear();
    return lines;
}

// The block reads after identity and serial: 125, 125 and 6 registers, then the 32 bits.
constexpr int FIRST_BLOCK_READ = 3;
const char* const BLOCK_READ[] = {"125 registers", "125 registers", "6 registers", "32 bits"};

using BlockReadSweep = FaultSweep<UploadFixture>;

// Refused or lost at any block read, the upload goes on per alarm, says so once, makes at most
// the one failed exchange more than the per-alarm upload, and writes the per-alarm file.
TEST_P(BlockReadSweep, FallsBackToPerAlarmReadsAndWritesTheSameFile) {
    std::vector<std::string> remarks;
    m_settings.exchangeObserver = [&remarks](const ExchangeRecord& r) {
        if (r.request.GetSize() == 0)
            remarks.push_back(r.text);
    };
    m_settings.device.blockReads = true;
    EXPECT_EQ(Upload(), RESULT_OK);
    EXPECT_LE(m_sim->Requests().size(), static_cast<std::size_t>(UPLOAD_EXCHANGES + 1));
    const std::string read = BLOCK_READ[fault.exchange - FIRST_BLOCK_READ];
    const std::string start = fault.kind == Lost ? "connection lost on a read of " + read + " ("
                                                 : "device refused a read of " + read + "; ";
    EXPECT_THAT(remarks,
                ::testing::ElementsAre(::testing::AllOf(::testing::StartsWith(start),
                                                        ::testing::EndsWith("reading per alarm"))));

    OrxSimulator plain;
    m_settings.device.blockReads = false;
    const std::string perAlarm = m_dir.File("per-alarm.csv");
    ASSERT_EQ(Upload(perAlarm, plain.Port()), RESULT_OK);
    EXPECT_EQ(UntimedLines(m_target), UntimedLines(perAlarm));
}

INSTANTIATE_TEST_SUITE_P(EveryBlockRead, BlockReadSweep,
                         ::testing::ValuesIn(EveryFault(FIRST_BLOCK_READ + 3, 0, FIRST_BLOCK_READ,
                                                        {Exception, Lost})),
                         FaultName);

constexpr WORD RETRY_ATTEMPTS = 2;

std::vector<Fault> LostAt(std::initializer_list<int> exchanges, std::vector<Fault> more = {}) {
    for (int k : exchanges)
        more.push_back({Lost, k});
    return more;
}

using UploadRetrySweep = FaultSweep<UploadFixture>;

// A lost reply is tried again on a fresh connection; a refusal is not.
TEST_P(UploadRetrySweep, ALostReplyIsTriedAgainAndARefusalIsNot) {
    const bool lost = fault.kind == Lost;
    m_settings.device.attempts = RETRY_ATTEMPTS;
    EXPECT_EQ(Upload(), lost ? RESULT_OK : RESULT_DEVICE_ERROR);
    // Refused at alarm 1's first read, the upload ends after that alarm's reads.
    const int exchanges = lost ? UPLOAD_EXCHANGES + 1 : fault.exchange + 2;
    EXPECT_EQ(m_sim->Requests().size(), static_cast<std::size_t>(exchanges));
    EXPECT_EQ(ReadLines(m_target).size(), lost ? static_cast<std::size_t>(CONFIG_FILE_LINES) : 1u);
}

INSTANTIATE_TEST_SUITE_P(SampleExchanges, UploadRetrySweep,
                         ::testing::ValuesIn(LostAt({1, 2, 50, UPLOAD_EXCHANGES},
                                                    {{Exception, 3}})),
                         FaultName);

using DownloadRetrySweep = FaultSweep<DownloadFixture>;

// Writes are tried again too: the device ends holding the file, told once that it is complete
// (twice when the completion coil's own reply was lost).
TEST_P(DownloadRetrySweep, ALostReplyAnywhereStillLeavesTheDeviceHoldingTheFile) {
    m_settings.device.attempts = RETRY_ATTEMPTS;
    EXPECT_EQ(DownloadFull(), RESULT_OK);
    EXPECT_EQ(DistinctAlarmsOnDevice(), ALARM_COUNT);
    EXPECT_EQ(EndCoils(*m_sim), Counts(0, fault.exchange == DOWNLOAD_EXCHANGES ? 2 : 1));
}

INSTANTIATE_TEST_SUITE_P(SampleExchanges, DownloadRetrySweep,
                         ::testing::ValuesIn(LostAt({1, 2, 60, LAST_BACKUP_EXCHANGE,
                                                     LAST_BACKUP_EXCHANGE + 1, 150,
                                                     DOWNLOAD_EXCHANGES})),
                         FaultName);

} // namespace
