// The simulator: its request handling and command line, in process with libmodbus's own
// client, and the built orx-sim program run as a user runs it, with its configuration files.

#include "sim/CommandLine.h"
#include "sim/OrxSimulator.h"
#include "sim/RequestHandler.h"
#include "sim/SimConfigFile.h"
#include "support/TestFiles.h"
#include "transfer/ConfigFile.h"

#include <algorithm>
#include <arpa/inet.h>
#include <chrono>
#include <csignal>
#include <gtest/gtest.h>
#include <iterator>
#include <memory>
#include <modbus/modbus.h>
#include <poll.h>
#include <sstream>
#include <stdexcept>
#include <sys/stat.h>
#include <sys/wait.h>
#include <thread>

// Options are given by name; the ones left out keep their defaults.
#pragma GCC diagnostic ignored "-Wmissing-field-initializers"

namespace {

using namespace std::chrono_literals;
using Clock = std::chrono::steady_clock;
using Bytes = std::vector<uint8_t>;

constexpr int MBAP_UNIT_OFFSET = 6; // where the unit byte starts in a received frame
constexpr int SHORT_IDLE_MS = 300;

// libmodbus's own client, connected to 127.0.0.1:port, so the simulator is checked by an
// implementation we did not write. Each reply is waited for up to a second.
struct LibmodbusClose {
    void operator()(modbus_t* ctx) const {
        modbus_close(ctx);
        modbus_free(ctx);
    }
};
using LibmodbusClient = std::unique_ptr<modbus_t, LibmodbusClose>;

LibmodbusClient ConnectLibmodbus(int port) {
    LibmodbusClient ctx(modbus_new_tcp("127.0.0.1", port));
    modbus_set_slave(ctx.get(), 1);
    modbus_set_response_timeout(ctx.get(), 1, 0);
    if (modbus_connect(ctx.get()) != 0)
        throw std::runtime_error("connect to port " + std::to_string(port) + ": " +
                                 modbus_strerror(errno));
    return ctx;
}

// A plain loopback client, for frames libmodbus would not send or wait for as sent. No receive
// waits longer than 5 s.
struct PlainClient {
    int fd = socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
    explicit PlainClient(WORD port) {
        sockaddr_in address{AF_INET, htons(port), {htonl(INADDR_LOOPBACK)}, {}};
        const timeval limit{5, 0};
        setsockopt(fd, SOL_SOCKET, SO_RCVTIMEO, &limit, sizeof limit);
        if (connect(fd, reinterpret_cast<sockaddr*>(&address), sizeof address) != 0)
            throw std::runtime_error(std::string("connect: ") + strerror(errno));
    }
    ~PlainClient() { close(fd); }
    // One frame out, whatever arrives first back.
    Bytes Exchange(const Bytes& frame) {
        send(fd, frame.data(), frame.size(), MSG_NOSIGNAL);
        uint8_t reply[MODBUS_TCP_MAX_ADU_LENGTH];
        return Bytes(reply, reply + std::max<ssize_t>(recv(fd, reply, sizeof reply, 0), 0));
    }
};

// Stop ends idle and stalled connections at once; a connection idle too long is closed.
TEST(Simulator, ConnectionsStopEndWhenIdleAndFaultAsSeeded) {
    const Bytes request{0, 7, 0, 0, 0, 6, 1, 4, HIBYTE(REG_IDENTITY), LOBYTE(REG_IDENTITY), 0, 1};
    auto slow = std::make_unique<OrxSimulator>(SimulatorOptions{.stallAfter = 0, .delayMs = 60000});
    const auto idleToo = ConnectLibmodbus(slow->Port());
    const auto stalled = ConnectLibmodbus(slow->Port());
    ASSERT_EQ(modbus_send_raw_request(stalled.get(), &request[MBAP_UNIT_OFFSET], 6),
              request.size());
    auto start = Clock::now();
    slow.reset();
    EXPECT_LT(Clock::now() - start, 2s);
    uint8_t answer[MODBUS_TCP_MAX_ADU_LENGTH];
    EXPECT_TRUE(modbus_receive_confirmation(stalled.get(), answer) < 0 && errno == ECONNRESET);

    OrxSimulator quick({.idleTimeoutMs = SHORT_IDLE_MS});
    PlainClient quiet(quick.Port());
    start = Clock::now();
    EXPECT_TRUE(quiet.Exchange({}).empty());
    EXPECT_GE(Clock::now() - start, std::chrono::milliseconds(SHORT_IDLE_MS));

    // Every Nth request of a connection goes unanswered while it stays open; larger reads get
    // exception 3.
    OrxSimulator faulty({.link = {.loseEvery = 3, .maxRegisters = 8}});
    const auto frame = [](BYTE id, BYTE function, BYTE quantity) { // at 3000 (0x0BB8)
        return Bytes{0, id, 0, 0, 0, 6, 1, function, 0x0B, 0xB8, 0, quantity};
    };
    for (int connection = 0; connection < 2; ++connection) {
        PlainClient client(faulty.Port());
        EXPECT_EQ(client.Exchange(frame(1, FN_READ_INPUT_REGISTERS, 8)).size(), 25u);
        EXPECT_EQ(client.Exchange(frame(2, FN_READ_DISCRETE_INPUTS, 9)),
                  (Bytes{0, 2, 0, 0, 0, 3, 1, 0x82, EXC_ILLEGAL_DATA_VALUE}));
        const Bytes lost = frame(3, FN_READ_DISCRETE_INPUTS, 8);
        send(client.fd, lost.data(), lost.size(), MSG_NOSIGNAL);
        EXPECT_EQ(client.Exchange(frame(4, FN_READ_DISCRETE_INPUTS, 8)),
                  (Bytes{0, 4, 0, 0, 0, 4, 1, 2, 1, 0x05}));
    }
    EXPECT_EQ(faulty.Requests().size(), 8u);
}

TEST(RequestHandler, RefusesWhatIsOutsideTheMapOfTheDefaultOrxAndSummarizesShortRequestsAsZero) {
    const std::vector<std::pair<BYTE, std::vector<std::string_view>>> refusals = {
        // Registers beside the serial, the table and the identity; inputs and coils beside
        // the flags, the lock and the download coils; holding writes beside the table.
        {EXC_ILLEGAL_DATA_ADDRESS,
         {"01 04 07 6A 00 01", "01 04 07 6B 00 03", "01 04 0C B7 00 02", "01 04 0D A7 00 05",
          "01 04 FF FF 00 02", "01 02 0B D7 00 02", "01 02 0D 3C 00 02", "01 05 0B D8 FF 00",
          "01 05 0D 43 FF 00", "01 05 0D 3D FF 00", "01 10 0B B7 00 01 02 00 01",
          "01 10 0C B7 00 02 04 00 01 00 01", "01 10 0D A7 00 01 02 00 01"}},
        // Holding read, single register write, diagnostics.
        {EXC_ILLEGAL_FUNCTION, {"01 03 0B B8 00 01", "01 06 0B B8 00 01", "01 08 00 00 12 34"}},
        // Quantities 0 and 126, bad coil value, byte count not 2 per register, data
        // shorter than the count, no quantity.
        {EXC_ILLEGAL_DATA_VALUE,
         {"01 04 0B B8 00 00", "01 04 0B B8 00 7E", "01 02 0B B8 00 00", "01 05 0B B8 12 34",
          "01 10 0B B8 00 01 04 00 01 00 01", "01 10 0B B8 00 02 04 00 01", "01 04 0B B8"}},
        // Another unit, broadcast.
        {EXC_GATEWAY_TARGET_FAILED, {"02 04 0D A7 00 04", "00 05 0D 42 FF 00"}},
        // Writes that cover the fail-write address, at their end or alone.
        {EXC_SERVER_DEVICE_FAILURE, {"01 10 0B BD 00 02 04 00 01 00 01", "01 05 0B BE FF 00"}},
    };
    constexpr WORD FAIL_WRITE = 3006;
    DeviceImage image = DefaultDeviceImage();
    const DeviceImage before = image;
    std::vector<CoilEvent> events;
    for (const auto& [code, requests] : refusals)
        for (const std::string_view hex : requests) {
            Bytes request; // two hex digits and a space per byte
            for (std::size_t i = 0; i < hex.size(); i += 3)
                request.push_back(std::stoi(std::string(hex.substr(i, 2)), 0, 16));
            EXPECT_EQ(HandleRequest(image, {FAIL_WRITE}, request, events),
                      (Bytes{request[0], static_cast<BYTE>(request[1] | EXCEPTION_FLAG), code}))
                << hex;
        }
    for (const Bytes& unframed : {Bytes{1}, Bytes{}})
        EXPECT_TRUE(HandleRequest(image, {}, unframed, events).empty());
    EXPECT_EQ(image, before);
    EXPECT_TRUE(events.empty());

    EXPECT_THROW(GetAlarm(image, 0), std::out_of_range);
    EXPECT_THROW(SetAlarm(image, ALARM_COUNT + 1, AlarmRecord{}), std::out_of_range);
    EXPECT_EQ(SummarizeRequest({7, 0x2B}), (RequestSummary{7, 0x2B, 0, 0}));
    EXPECT_EQ(SummarizeRequest({1, 8, 0, 0, 0x12, 0x34}), (RequestSummary{1, 8, 0, 0x1234}));
}

SimCommandLine Parse(const std::string& line) {
    std::istringstream in(line);
    CLI::App app;
    return ParseCommandLine({std::istream_iterator<std::string>(in), {}}, app);
}

// By default the Modbus port, as the default device without faults; every option is taken.
TEST(CommandLine, DefaultsEveryOptionAndUsageErrors) {
    const SimCommandLine d = Parse("");
    EXPECT_TRUE(d.simulator.port == MODBUS_TCP_PORT &&
                !(d.serial || d.identity || d.locked || d.simulator.split));
    EXPECT_NO_THROW(
        Parse("--listen 0.0.0.0 --port 0 --serial 4294967295 --identity 0x52c7 --locked "
              "--config in.csv --save=out.csv --log --fail-write 3006 --fail-write=3394 "
              "--drop-after 3 --stall-after 0 --split --delay-ms 250 --idle-timeout 5 "
              "--jitter-ms 20 --lose-every 40 --max-registers 16 --seed 7"));
    EXPECT_EQ(std::tuple(Parse("--identity 52C7").identity, Parse("--identity FFFF").identity,
                         Parse("--ports 200").devices),
              std::tuple(IDENTITY_CODE, 0xFFFF, 200));
    for (const char* bad :
         {"--bogus", "extra", "--port", "--port 65536", "--port -1", "--port 5o2",
          "--serial 4294967296", "--identity 10000", "--identity xyz", "--listen localhost",
          "--listen 1.2.3", "--fail-write 65536", "--delay-ms 1.5", "--idle-timeout 2147484",
          "--ports 0", "--ports 2 --save out.csv", "--lose-every 0", "--max-registers 2001",
          "--jitter-ms -1"})
        EXPECT_THROW(Parse(bad), CLI::ParseError) << bad;
}

const std::string LISTENING = "orx-sim listening on 127.0.0.1:";
const std::string HEADER = "1\n2\n3\n4\n5\n"; // the header lines, never read

// orx-sim with its standard output on a pipe; killed if a test leaves it running. The shell
// prints its process id, then becomes orx-sim.
struct SimProcess {
    FILE* pipe;
    pid_t pid;
    explicit SimProcess(const std::vector<std::string>& args) {
        std::string command = "echo $$; exec '" ORX_SIM_PATH "'";
        for (const std::string& arg : args)
            command += " '" + arg + "'";
        pipe = popen((command + " 2>/dev/null").c_str(), "r");
        pid = std::stoi(ReadLine());
    }
    ~SimProcess() {
        if (pid > 0)
            kill(pid, SIGKILL);
        pclose(pipe); // reaps it unless WaitForExit did
    }
    // The next line of standard output, or "" when none comes within 5 s.
    std::string ReadLine() {
        std::string line;
        char c = 0;
        pollfd p{fileno(pipe), POLLIN, 0};
        while (poll(&p, 1, 5000) == 1 && read(p.fd, &c, 1) == 1 && c != '\n')
            line += c;
        return c == '\n' ? line : "";
    }
    int Port() {
        const std::string line = ReadLine();
        EXPECT_TRUE(line.starts_with(LISTENING)) << line;
        return std::stoi(line.substr(LISTENING.size()));
    }
    // The exit status, or -1 when the process has not ended within 5 s. Once reaped, the
    // process id is cleared, as the destructor has nothing left to kill.
    int WaitForExit() {
        int status = 0;
        for (int i = 0; i < 500; ++i, std::this_thread::sleep_for(10ms))
            if (waitpid(pid, &status, WNOHANG) == pid && std::exchange(pid, -1) > 0)
                return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
        return -1;
    }
};

TEST(OrxSimProcess, ServesLogsAndSavesItsAlarmsUntilSigtermSigintOrSighup) {
    const ScratchDir dir;
    std::vector<std::string> expected = ReadLines(SAMPLE_CONFIG_PATH);
    expected[HEADER_LINES + 4] = "5,0,0,0,7,0.0000,0.0000,1";
    expected[1] = "";
    expected[2] = "Serial Number: 65538";
    for (int signal : {SIGTERM, SIGINT, SIGHUP}) {
        SimProcess sim({"--port", "0", "--serial", "65538", "--config", SAMPLE_CONFIG_PATH,
                        "--save", dir.File("saved.csv"), "--log", "--locked"});
        const auto client = ConnectLibmodbus(sim.Port());
        uint8_t bit = 0;
        ASSERT_EQ(modbus_read_input_bits(client.get(), INPUT_CONFIG_LOCKED, 1, &bit), 1);
        EXPECT_EQ(bit, 1);
        // An exception keeps the connection in step; a download coil is an event.
        uint16_t word = 0;
        EXPECT_EQ(modbus_read_registers(client.get(), REG_ALARM_BASE, 2, &word), -1);
        ASSERT_EQ(modbus_write_bit(client.get(), COIL_DOWNLOAD_ABORTED, TRUE), 1);
        for (const char* line : {"request unit=1 fn=2 addr=3389 qty=1: ok",
                                 "request unit=1 fn=3 addr=3000 qty=2: exception 1",
                                 "request unit=1 fn=5 addr=3394 qty=1: ok", "coil 3394 ON"})
            EXPECT_EQ(sim.ReadLine(), line);
        // A log nobody reads any more (`| head -1`) ends nothing: the device serves on.
        close(fileno(sim.pipe)); // pclose then only reaps it
        const uint16_t relay = 7;
        ASSERT_EQ(modbus_write_registers(client.get(), AlarmRegisterAddress(5) + 3, 1, &relay), 1);
        ASSERT_EQ(modbus_write_bit(client.get(), AlarmFlagAddress(5), TRUE), 1);
        kill(sim.pid, signal);
        EXPECT_EQ(sim.WaitForExit(), EXIT_SUCCESS);
        std::vector<std::string> lines = ReadLines(dir.File("saved.csv"));
        lines.at(1) = "";
        EXPECT_EQ(lines, expected) << signal;
    }
}

// A short file leaves the alarms after it disabled and zero and the serial the device's own;
// values no download takes load as a device holds them; a bad row and an unwritable path are
// reported and change nothing. The program exits before serving: 66 for a configuration that
// is no regular file, 65 for a bad row.
TEST(SimConfigFile, ShortAndBadFilesAndTheProgramsExitCodes) {
    const ScratchDir dir;
    const std::string path = dir.Write("config.csv", HEADER + "1,7,0,1,9,5.0000,1e14,1\n"),
                      fifo = dir.File("fifo");
    const DeviceImage before = DefaultDeviceImage();
    DeviceImage image = before;
    std::string error;
    ASSERT_EQ(LoadConfigFile(path, image, error), ConfigLoad::Loaded) << error;
    DeviceImage expected = before; // the serial and the identity stay the device's own
    for (int n = 1; n <= ALARM_COUNT; ++n)
        SetAlarm(expected, n, n == 1 ? AlarmRecord{7, 0, 1, 9, 5.0f, 1e14f, true} : AlarmRecord{});
    EXPECT_EQ(image, expected);

    image = before;
    std::ofstream(path, std::ios::app) << "2,1,65536,1,0,5.0000,1.0000,0\n";
    EXPECT_EQ(LoadConfigFile(path, image, error), ConfigLoad::BadRow);
    EXPECT_NE(error.find("row 2, line 7: field 3"), std::string::npos) << error;
    EXPECT_EQ(image, before);
    EXPECT_FALSE(SaveConfigFile(dir.File("no-such-dir/saved.csv"), image));
    ASSERT_EQ(mkfifo(fifo.c_str(), S_IRUSR | S_IWUSR), 0); // opened, it would wait for a writer
    EXPECT_EQ(SimProcess({"--port", "0", "--config", fifo}).WaitForExit(), 66);
    EXPECT_EQ(SimProcess({"--port", "0", "--config", path}).WaitForExit(), 65);
}

} // namespace
