// The in-process simulator, checked with libmodbus's own client.
#include "LibmodbusClient.h"
#include "sim/OpenFileLimit.h"
#include "sim/OrxSimulator.h"

#include <algorithm>
#include <arpa/inet.h>
#include <chrono>
#include <gtest/gtest.h>
#include <memory>
#include <mutex>
#include <utility>

namespace {

using namespace std::chrono_literals;
using Clock = std::chrono::steady_clock;
using Words = std::vector<uint16_t>;
using Bytes = std::vector<uint8_t>;

constexpr uint32_t SHORT_TIMEOUT_US = 200000;
constexpr int MBAP_UNIT_OFFSET = 6;    // where the unit byte starts in a received frame
constexpr int MANY_CONNECTIONS = 1100; // both ends of most of them past FD_SETSIZE (1024)
constexpr long SPARE_FILES = 100;
constexpr int SHORT_IDLE_MS = 300;
constexpr time_t PLAIN_TIMEOUT_S = 5;

int ErrnoOf(int rc) {
    return rc < 0 ? errno : 0;
}

Words ReadRegisters(modbus_t* ctx, int address, int count) {
    Words words(count);
    EXPECT_EQ(modbus_read_input_registers(ctx, address, count, words.data()), count) << address;
    return words;
}

// A request libmodbus would not build itself, given from the unit byte on.
bool SendRaw(modbus_t* ctx, const Bytes& pdu) {
    return modbus_send_raw_request(ctx, pdu.data(), static_cast<int>(pdu.size())) ==
           static_cast<int>(pdu.size()) + MBAP_UNIT_OFFSET;
}

// A plain loopback client: libmodbus's waits in select, which cannot take the descriptor
// numbers that many connections reach. No receive waits longer than PLAIN_TIMEOUT_S.
class PlainClient {
public:
    explicit PlainClient(WORD port) : m_fd(socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0)) {
        sockaddr_in address{};
        address.sin_family = AF_INET;
        address.sin_port = htons(port);
        address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
        const timeval limit{PLAIN_TIMEOUT_S, 0};
        setsockopt(m_fd, SOL_SOCKET, SO_RCVTIMEO, &limit, sizeof limit);
        if (connect(m_fd, reinterpret_cast<sockaddr*>(&address), sizeof address) != 0)
            throw std::runtime_error(std::string("connect: ") + strerror(errno));
    }
    PlainClient(PlainClient&& other) noexcept : m_fd(std::exchange(other.m_fd, -1)) {}
    ~PlainClient() {
        if (m_fd >= 0)
            close(m_fd);
    }

    // One frame out, whatever arrives first back.
    Bytes Exchange(const Bytes& frame) {
        send(m_fd, frame.data(), frame.size(), MSG_NOSIGNAL);
        uint8_t reply[MODBUS_TCP_MAX_ADU_LENGTH];
        return Bytes(reply, reply + std::max<ssize_t>(recv(m_fd, reply, sizeof reply, 0), 0));
    }
    bool ClosedByPeer() {
        uint8_t byte = 0;
        return recv(m_fd, &byte, 1, 0) == 0;
    }

private:
    int m_fd;
};

// The lock input is read in the program's own test.
TEST(Simulator, ReadsIdentitySerialAlarmsAndFaults) {
    SimulatorOptions options;
    options.image.serial = 0x00010002;
    OrxSimulator sim(options);
    sim.SetAlarm(3, {2, 4, 2, 5, 75.5f, 1.25f, true});
    const auto client = ConnectLibmodbus(sim.Port());

    EXPECT_EQ(ReadRegisters(client.get(), REG_IDENTITY, IDENTITY_WORDS)[0], IDENTITY_CODE);
    EXPECT_EQ(ReadRegisters(client.get(), REG_SERIAL_NUMBER, 2), (Words{0x0001, 0x0002}));
    // 75.5 is 0x42970000 and 1.25 is 0x3FA00000, low word first.
    EXPECT_EQ(ReadRegisters(client.get(), AlarmRegisterAddress(3), ALARM_STRIDE),
              (Words{2, 4, 2, 5, 0x0000, 0x4297, 0x0000, 0x3FA0}));
    uint8_t bits[ALARM_COUNT] = {};
    ASSERT_EQ(modbus_read_input_bits(client.get(), BIT_FAULTS_BASE, ALARM_COUNT, bits),
              ALARM_COUNT);
    for (int n = 1; n <= ALARM_COUNT; ++n)
        EXPECT_EQ(bits[n - 1] != 0, sim.Alarm(n).enunciateFaults) << "alarm " << n;
}

// Two clients connected at once: what one writes, the other reads back at once.
TEST(Simulator, WritesAndReadsShareOneStoreAcrossClientsAndCoilWritesAreRecorded) {
    OrxSimulator sim;
    sim.SetAlarm(7, {});
    sim.SetAlarm(32, {});
    const auto writer = ConnectLibmodbus(sim.Port());
    const auto reader = ConnectLibmodbus(sim.Port());
    // Trip point 1.1 (0x3F8CCCCD), deadband -2.5 (0xC0200000), low word first.
    const Words written{1, 16, 4, 8, 0xCCCD, 0x3F8C, 0x0000, 0xC020};
    ASSERT_EQ(modbus_write_registers(writer.get(), AlarmRegisterAddress(32), ALARM_STRIDE,
                                     written.data()),
              ALARM_STRIDE);
    EXPECT_EQ(ReadRegisters(reader.get(), AlarmRegisterAddress(32), ALARM_STRIDE), written);
    EXPECT_EQ(sim.Alarm(32), (AlarmRecord{1, 16, 4, 8, 1.1f, -2.5f, false}));

    const DeviceImage before = sim.Image();
    ASSERT_EQ(modbus_write_bit(writer.get(), COIL_DOWNLOAD_COMPLETE, TRUE), 1);
    EXPECT_EQ(sim.Image(), before) << "a download coil is an event, not memory";
    ASSERT_EQ(modbus_write_bit(writer.get(), AlarmFlagAddress(7), TRUE), 1);
    uint8_t bit = 0;
    ASSERT_EQ(modbus_read_input_bits(reader.get(), AlarmFlagAddress(7), 1, &bit), 1);
    EXPECT_EQ(bit, 1);
    EXPECT_TRUE(sim.Alarm(7).enunciateFaults);
    ASSERT_EQ(modbus_write_bit(writer.get(), AlarmFlagAddress(7), FALSE), 1);
    EXPECT_EQ(sim.CoilEvents(), (std::vector<CoilEvent>{{COIL_DOWNLOAD_COMPLETE, COIL_ON},
                                                        {AlarmFlagAddress(7), COIL_ON},
                                                        {AlarmFlagAddress(7), COIL_OFF}}));
    EXPECT_FALSE(sim.Alarm(7).enunciateFaults);
}

TEST(Simulator, RequestLogAndLogLinesFollowEveryRequestInOrder) {
    std::vector<std::string> lines;
    std::mutex linesMutex;
    SimulatorOptions options;
    options.log = [&](const std::string& line) {
        std::lock_guard lock(linesMutex);
        lines.push_back(line);
    };
    OrxSimulator sim(options);
    {
        const auto client = ConnectLibmodbus(sim.Port());
        uint16_t word = 0;
        ASSERT_EQ(modbus_read_input_registers(client.get(), REG_IDENTITY, 1, &word), 1);
        EXPECT_EQ(modbus_read_registers(client.get(), REG_ALARM_BASE, 2, &word), -1);
        ASSERT_EQ(modbus_write_bit(client.get(), COIL_DOWNLOAD_ABORTED, TRUE), 1);
    }
    EXPECT_EQ(sim.Requests(), (std::vector<RequestSummary>{{1, 4, REG_IDENTITY, 1},
                                                           {1, 3, REG_ALARM_BASE, 2},
                                                           {1, 5, COIL_DOWNLOAD_ABORTED, 1}}));
    sim.Stop();
    EXPECT_EQ(lines, (std::vector<std::string>{"request unit=1 fn=4 addr=3495 qty=1: ok",
                                               "request unit=1 fn=3 addr=3000 qty=2: exception 1",
                                               "request unit=1 fn=5 addr=3394 qty=1: ok",
                                               "coil 3394 ON"}));
    sim.ClearLogs();
    EXPECT_TRUE(sim.Requests().empty());
    EXPECT_TRUE(sim.CoilEvents().empty());
}

TEST(Simulator, ExceptionsForAddressesFunctionsAndUnitsKeepTheConnectionInStep) {
    OrxSimulator sim;
    const auto client = ConnectLibmodbus(sim.Port());
    const auto otherUnit = ConnectLibmodbus(sim.Port(), CLIENT_TIMEOUT_US, 2);
    uint16_t word = 0;
    EXPECT_EQ(ErrnoOf(modbus_read_input_registers(client.get(), REG_IDENTITY - 1, 1, &word)),
              EMBXILADD);
    EXPECT_EQ(ErrnoOf(modbus_write_register(client.get(), REG_ALARM_BASE, 1)), EMBXILFUN);
    EXPECT_EQ(ErrnoOf(modbus_read_input_registers(otherUnit.get(), REG_IDENTITY, 1, &word)),
              EMBXGTAR);
    // Diagnostics (function 8) with four data bytes: all of them are taken in.
    ASSERT_TRUE(SendRaw(client.get(), {1, 0x08, 0x00, 0x00, 0x12, 0x34}));
    uint8_t reply[MODBUS_TCP_MAX_ADU_LENGTH];
    const int got = modbus_receive_confirmation(client.get(), reply);
    EXPECT_EQ(Bytes(reply + MBAP_UNIT_OFFSET, reply + std::max(got, MBAP_UNIT_OFFSET)),
              (Bytes{1, 0x88, 1}));
    EXPECT_EQ(ReadRegisters(client.get(), REG_IDENTITY, 1)[0], IDENTITY_CODE);
}

TEST(Simulator, FailWriteRefusesCoveringWritesOnly) {
    const int deadband = AlarmRegisterAddress(10) + ALARM_DEADBAND_OFFSET;
    SimulatorOptions options;
    options.failWrite = {static_cast<WORD>(deadband), COIL_DOWNLOAD_COMPLETE};
    OrxSimulator sim(options);
    const AlarmRecord before = sim.Alarm(10);
    const auto client = ConnectLibmodbus(sim.Port());
    const uint16_t words[4] = {0x1111, 0x2222, 0x3333, 0x4444};
    EXPECT_EQ(ErrnoOf(modbus_write_registers(client.get(), deadband, 2, words)), EMBXSFAIL);
    EXPECT_EQ(ErrnoOf(modbus_write_registers(client.get(), deadband - 1, 2, words)), EMBXSFAIL);
    EXPECT_EQ(ErrnoOf(modbus_write_registers(client.get(), deadband - 4, 4, words)), 0);
    EXPECT_EQ(ErrnoOf(modbus_write_bit(client.get(), COIL_DOWNLOAD_COMPLETE, TRUE)), EMBXSFAIL);
    EXPECT_EQ(ErrnoOf(modbus_write_bit(client.get(), COIL_DOWNLOAD_ABORTED, TRUE)), 0);
    EXPECT_EQ(sim.Alarm(10).deadband, before.deadband);
    EXPECT_EQ(sim.CoilEvents(), (std::vector<CoilEvent>{{COIL_DOWNLOAD_ABORTED, COIL_ON}}));
}

TEST(Simulator, StopEndsIdleAndStalledConnectionsPromptly) {
    SimulatorOptions options;
    options.stallAfter = 0;
    options.delayMs = 60000;
    auto sim = std::make_unique<OrxSimulator>(options);
    const auto idle = ConnectLibmodbus(sim->Port());
    const auto stalled = ConnectLibmodbus(sim->Port());
    ASSERT_TRUE(SendRaw(stalled.get(), {1, 4, 0x0D, 0xA7, 0, 1}));
    const auto start = Clock::now();
    sim.reset();
    EXPECT_LT(Clock::now() - start, 2s);
    uint8_t reply[MODBUS_TCP_MAX_ADU_LENGTH];
    EXPECT_EQ(ErrnoOf(modbus_receive_confirmation(stalled.get(), reply)), ECONNRESET)
        << "connection not closed";
}

TEST(Simulator, ServesBesideOverAThousandIdleConnectionsAndClosesOneIdleTooLong) {
    ASSERT_GE(RaiseOpenFileLimit(), 2 * MANY_CONNECTIONS + SPARE_FILES);
    OrxSimulator sim;
    std::vector<PlainClient> idle;
    for (int i = 0; i < MANY_CONNECTIONS; ++i)
        idle.emplace_back(sim.Port());
    const Bytes request{0, 7, 0, 0, 0, 6, 1, 4, HIBYTE(REG_IDENTITY), LOBYTE(REG_IDENTITY), 0, 1};
    const Bytes reply{0, 7, 0, 0, 0, 5, 1, 4, 2, HIBYTE(IDENTITY_CODE), LOBYTE(IDENTITY_CODE)};
    EXPECT_EQ(PlainClient(sim.Port()).Exchange(request), reply);
    EXPECT_EQ(idle.back().Exchange(request), reply);

    SimulatorOptions options;
    options.idleTimeoutMs = SHORT_IDLE_MS;
    OrxSimulator quick(options);
    PlainClient quiet(quick.Port());
    const auto start = Clock::now();
    EXPECT_TRUE(quiet.ClosedByPeer());
    EXPECT_GE(Clock::now() - start, std::chrono::milliseconds(SHORT_IDLE_MS));
}

TEST(Simulator, RefusesAnAddressThatIsNotIpv4) {
    SimulatorOptions options;
    options.listenAddress = "not-an-address";
    EXPECT_THROW(OrxSimulator sim(options), std::runtime_error);
}

} // namespace
