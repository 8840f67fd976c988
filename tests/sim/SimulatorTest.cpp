// The in-process simulator, checked with libmodbus's own client.
#include "LibmodbusClient.h"
#include "sim/OpenFileLimit.h"
#include "sim/OrxSimulator.h"

#include <arpa/inet.h>
#include <chrono>
#include <gtest/gtest.h>
#include <mutex>

// Options are given by name; the ones left out keep their defaults.
#pragma GCC diagnostic ignored "-Wmissing-field-initializers"

namespace {

using namespace std::chrono_literals;
using Clock = std::chrono::steady_clock;
using Words = std::vector<uint16_t>;
using Bytes = std::vector<uint8_t>;

constexpr int MBAP_UNIT_OFFSET = 6;    // where the unit byte starts in a received frame
constexpr int MANY_CONNECTIONS = 1100; // both ends of most of them past FD_SETSIZE (1024)
constexpr int SHORT_IDLE_MS = 300;

int ErrnoOf(int rc) {
    return rc < 0 ? errno : 0;
}

// A request libmodbus would not build itself, from the unit byte on; the reply likewise.
Bytes ExchangeRaw(modbus_t* ctx, const Bytes& pdu) {
    modbus_send_raw_request(ctx, pdu.data(), static_cast<int>(pdu.size()));
    uint8_t reply[MODBUS_TCP_MAX_ADU_LENGTH];
    const int got = modbus_receive_confirmation(ctx, reply);
    return Bytes(reply + MBAP_UNIT_OFFSET, reply + std::max(got, MBAP_UNIT_OFFSET));
}

// A plain loopback client: libmodbus waits in select, which cannot take the descriptor
// numbers that many connections reach. No receive waits longer than 5 s.
struct PlainClient {
    int fd = socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
    explicit PlainClient(WORD port) {
        sockaddr_in address{AF_INET, htons(port), {htonl(INADDR_LOOPBACK)}, {}};
        const timeval limit{5, 0};
        setsockopt(fd, SOL_SOCKET, SO_RCVTIMEO, &limit, sizeof limit);
        if (connect(fd, reinterpret_cast<sockaddr*>(&address), sizeof address) != 0)
            throw std::runtime_error(std::string("connect: ") + strerror(errno));
    }
    PlainClient(PlainClient&& other) noexcept : fd(std::exchange(other.fd, -1)) {}
    ~PlainClient() { close(fd); }
    // One frame out, whatever arrives first back.
    Bytes Exchange(const Bytes& frame) {
        send(fd, frame.data(), frame.size(), MSG_NOSIGNAL);
        uint8_t reply[MODBUS_TCP_MAX_ADU_LENGTH];
        return Bytes(reply, reply + std::max<ssize_t>(recv(fd, reply, sizeof reply, 0), 0));
    }
};

// Requests are logged in order, exceptions keep the connection in step, and the writes that
// cover a fail-write address are refused; what one client writes the other reads at once.
TEST(Simulator, ClientsShareOneStoreAndEveryRequestIsLogged) {
    std::vector<std::string> lines;
    std::mutex linesMutex;
    const WORD deadband = AlarmRegisterAddress(10) + ALARM_DEADBAND_OFFSET;
    DeviceImage image = DefaultDeviceImage();
    SetAlarm(image, 7, {});
    OrxSimulator sim({.image = image,
                      .failWrite = {deadband, COIL_DOWNLOAD_COMPLETE},
                      .log = [&](const std::string& line) {
                          std::lock_guard lock(linesMutex);
                          lines.push_back(line);
                      }});
    const auto writer = ConnectLibmodbus(sim.Port());
    const auto reader = ConnectLibmodbus(sim.Port());
    uint16_t word = 0;
    ASSERT_EQ(modbus_read_input_registers(writer.get(), REG_IDENTITY, 1, &word), 1);
    EXPECT_EQ(modbus_read_registers(writer.get(), REG_ALARM_BASE, 2, &word), -1);
    ASSERT_EQ(modbus_write_bit(writer.get(), COIL_DOWNLOAD_ABORTED, TRUE), 1);
    EXPECT_EQ(ExchangeRaw(writer.get(), {1, 0x08, 0x00, 0x00, 0x12, 0x34}), (Bytes{1, 0x88, 1}));
    EXPECT_EQ(sim.Requests(), (std::vector<RequestSummary>{{1, 4, REG_IDENTITY, 1},
                                                           {1, 3, REG_ALARM_BASE, 2},
                                                           {1, 5, COIL_DOWNLOAD_ABORTED, 1},
                                                           {1, 8, 0, 0x1234}}));
    sim.ClearLogs();
    EXPECT_TRUE(sim.Requests().empty());
    EXPECT_TRUE(sim.CoilEvents().empty());

    // Trip point 1.1 (0x3F8CCCCD), deadband -2.5 (0xC0200000), low word first.
    const Words written{1, 16, 4, 8, 0xCCCD, 0x3F8C, 0x0000, 0xC020};
    ASSERT_EQ(modbus_write_registers(writer.get(), AlarmRegisterAddress(32), 8, written.data()), 8);
    Words read(8);
    ASSERT_EQ(modbus_read_input_registers(reader.get(), AlarmRegisterAddress(32), 8, read.data()),
              8);
    EXPECT_EQ(read, written);
    const DeviceImage before = sim.Image();
    ASSERT_EQ(modbus_write_bit(writer.get(), COIL_DOWNLOAD_ABORTED, TRUE), 1);
    EXPECT_EQ(sim.Image(), before) << "a download coil is an event, not memory";
    ASSERT_EQ(modbus_write_bit(writer.get(), AlarmFlagAddress(7), TRUE), 1);
    uint8_t bit = 0;
    ASSERT_EQ(modbus_read_input_bits(reader.get(), AlarmFlagAddress(7), 1, &bit), 1);
    EXPECT_EQ(bit, 1);
    ASSERT_EQ(modbus_write_bit(writer.get(), AlarmFlagAddress(7), FALSE), 1);
    EXPECT_FALSE(sim.Alarm(7).enunciateFaults);

    EXPECT_EQ(ErrnoOf(modbus_write_registers(writer.get(), deadband, 2, written.data())),
              EMBXSFAIL);
    EXPECT_EQ(ErrnoOf(modbus_write_registers(writer.get(), deadband - 1, 2, &written[4])),
              EMBXSFAIL);
    EXPECT_EQ(ErrnoOf(modbus_write_registers(writer.get(), deadband - 4, 4, &written[4])), 0);
    EXPECT_EQ(sim.Alarm(10).deadband, GetAlarm(image, 10).deadband);
    EXPECT_EQ(ErrnoOf(modbus_write_bit(writer.get(), COIL_DOWNLOAD_COMPLETE, TRUE)), EMBXSFAIL);
    EXPECT_EQ(sim.CoilEvents(), (std::vector<CoilEvent>{{COIL_DOWNLOAD_ABORTED, COIL_ON},
                                                        {AlarmFlagAddress(7), COIL_ON},
                                                        {AlarmFlagAddress(7), COIL_OFF}}));
    sim.Stop();
    lines.resize(4);
    EXPECT_EQ(lines, (std::vector<std::string>{"request unit=1 fn=4 addr=3495 qty=1: ok",
                                               "request unit=1 fn=3 addr=3000 qty=2: exception 1",
                                               "request unit=1 fn=5 addr=3394 qty=1: ok",
                                               "coil 3394 ON"}));
}

TEST(Simulator, StopEndsIdleAndStalledConnectionsPromptly) {
    EXPECT_THROW(OrxSimulator({.listenAddress = "not-an-address"}), std::runtime_error);
    auto sim = std::make_unique<OrxSimulator>(SimulatorOptions{.stallAfter = 0, .delayMs = 60000});
    const auto idle = ConnectLibmodbus(sim->Port());
    const auto stalled = ConnectLibmodbus(sim->Port());
    const Bytes request{1, 4, HIBYTE(REG_IDENTITY), LOBYTE(REG_IDENTITY), 0, 1};
    ASSERT_EQ(modbus_send_raw_request(stalled.get(), request.data(), 6), 6 + MBAP_UNIT_OFFSET);
    const auto start = Clock::now();
    sim.reset();
    EXPECT_LT(Clock::now() - start, 2s);
    uint8_t reply[MODBUS_TCP_MAX_ADU_LENGTH];
    EXPECT_EQ(ErrnoOf(modbus_receive_confirmation(stalled.get(), reply)), ECONNRESET);
}

TEST(Simulator, ServesBesideOverAThousandIdleConnectionsAndClosesOneIdleTooLong) {
    ASSERT_GE(RaiseOpenFileLimit(), 2 * MANY_CONNECTIONS + 100);
    OrxSimulator sim;
    std::vector<PlainClient> idle;
    for (int i = 0; i < MANY_CONNECTIONS; ++i)
        idle.emplace_back(sim.Port());
    const Bytes request{0, 7, 0, 0, 0, 6, 1, 4, HIBYTE(REG_IDENTITY), LOBYTE(REG_IDENTITY), 0, 1};
    const Bytes reply{0, 7, 0, 0, 0, 5, 1, 4, 2, HIBYTE(IDENTITY_CODE), LOBYTE(IDENTITY_CODE)};
    EXPECT_EQ(PlainClient(sim.Port()).Exchange(request), reply);
    EXPECT_EQ(idle.back().Exchange(request), reply);

    OrxSimulator quick({.idleTimeoutMs = SHORT_IDLE_MS});
    PlainClient quiet(quick.Port());
    const auto start = Clock::now();
    EXPECT_TRUE(quiet.Exchange({}).empty());
    EXPECT_GE(Clock::now() - start, std::chrono::milliseconds(SHORT_IDLE_MS));
}

} // namespace
