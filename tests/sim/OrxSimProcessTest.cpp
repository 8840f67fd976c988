// The built orx-sim program, run as a user runs it.

#include "LibmodbusClient.h"
#include "SimFiles.h"
#include "transfer/RegisterMap.h"

#include <chrono>
#include <csignal>
#include <poll.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <thread>

namespace {

using namespace std::chrono_literals;

constexpr int EXIT_DATA_ERROR = 65;
constexpr int EXIT_NO_INPUT = 66;
constexpr int LINE_TIMEOUT_MS = 5000;
constexpr auto EXIT_TIMEOUT = 5s;
constexpr int FILE_LIMIT = 32;
const std::string LISTENING = "orx-sim listening on 127.0.0.1:";

// orx-sim with its standard output on a pipe; killed if a test leaves it running. The
// shell prints its process id, runs shellFirst, then becomes orx-sim.
class SimProcess {
public:
    explicit SimProcess(const std::vector<std::string>& args, const std::string& shellFirst = "") {
        std::string command = "echo $$; " + shellFirst + "exec '" ORX_SIM_PATH "'";
        for (const std::string& arg : args)
            command += " '" + arg + "'";
        m_pipe = popen((command + " 2>/dev/null").c_str(), "r");
        if (m_pipe == nullptr)
            throw std::runtime_error("cannot start " ORX_SIM_PATH);
        m_pid = std::stoi(ReadLine());
    }
    ~SimProcess() {
        if (m_pid > 0)
            kill(m_pid, SIGKILL);
        pclose(m_pipe); // reaps it unless WaitForExit did
    }

    // The next line of standard output, or "" when none comes in time.
    std::string ReadLine() {
        std::string line;
        char c = 0;
        pollfd p{fileno(m_pipe), POLLIN, 0};
        while (poll(&p, 1, LINE_TIMEOUT_MS) == 1 && read(p.fd, &c, 1) == 1 && c != '\n')
            line += c;
        return c == '\n' ? line : "";
    }

    // The exit status, or -1 when the process has not ended in time.
    int WaitForExit() {
        int status = 0;
        for (auto deadline = std::chrono::steady_clock::now() + EXIT_TIMEOUT;
             std::chrono::steady_clock::now() < deadline; std::this_thread::sleep_for(10ms)) {
            if (waitpid(m_pid, &status, WNOHANG) == m_pid) {
                m_pid = -1;
                return WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
            }
        }
        return -1;
    }

    void Signal(int signal) { kill(m_pid, signal); }

private:
    FILE* m_pipe = nullptr;
    pid_t m_pid = -1;
};

TEST(OrxSimProcess, ServesLogsAndSavesItsAlarmsUntilSigtermOrSigint) {
    const std::string save = TempPath("saved.csv");
    std::vector<std::string> expected = ReadLines(SAMPLE_CONFIG_PATH);
    expected[HEADER_LINES + 4] = "5,0,0,0,7,0.0000,0.0000,1";
    for (int signal : {SIGTERM, SIGINT}) {
        SCOPED_TRACE(signal);
        SimProcess sim({"--port", "0", "--serial", "65538", "--config", SAMPLE_CONFIG_PATH,
                        "--save", save, "--log", "--locked"});
        const std::string started = sim.ReadLine();
        ASSERT_EQ(started.rfind(LISTENING, 0), 0u) << started;
        {
            const auto client = ConnectLibmodbus(std::stoi(started.substr(LISTENING.size())));
            uint8_t bit = 0;
            ASSERT_EQ(modbus_read_input_bits(client.get(), INPUT_CONFIG_LOCKED, 1, &bit), 1);
            EXPECT_EQ(bit, 1);
            const uint16_t relay = 7;
            ASSERT_EQ(modbus_write_registers(client.get(), AlarmRegisterAddress(5) + 3, 1, &relay),
                      1);
            ASSERT_EQ(modbus_write_bit(client.get(), AlarmFlagAddress(5), TRUE), 1);
        }
        EXPECT_EQ(sim.ReadLine(), "request unit=1 fn=2 addr=3389 qty=1: ok");
        sim.Signal(signal);
        EXPECT_EQ(sim.WaitForExit(), EXIT_SUCCESS);

        const std::vector<std::string> lines = ReadLines(save);
        ASSERT_EQ(lines.size(), static_cast<std::size_t>(FILE_LINES));
        EXPECT_EQ(lines[2], "Serial Number: 65538");
        for (int row = HEADER_LINES; row < FILE_LINES; ++row)
            EXPECT_EQ(lines[row], expected[row]) << "line " << row + 1;
        std::remove(save.c_str());
    }
}

TEST(OrxSimProcess, PastItsOpenFilesRefusesAClientAtOnceAndServesAgainWhenFilesAreFree) {
#ifdef __SANITIZE_ADDRESS__
    GTEST_SKIP() << "the sanitizers probe memory through a pipe, which this file limit denies";
#endif
    SimProcess sim({"--port", "0"}, "ulimit -n " + std::to_string(FILE_LIMIT) + "; ");
    const std::string started = sim.ReadLine();
    ASSERT_EQ(started.rfind(LISTENING, 0), 0u) << started;
    const int port = std::stoi(started.substr(LISTENING.size()));
    std::vector<LibmodbusClient> clients;
    // A long reply limit, so that a loaded machine is not taken for a client left waiting.
    constexpr uint32_t PATIENT_US = 10'000'000;
    for (int i = 0; i < FILE_LIMIT; ++i)
        clients.push_back(ConnectLibmodbus(port, PATIENT_US));
    uint16_t word = 0;
    EXPECT_EQ(modbus_read_input_registers(clients.back().get(), REG_IDENTITY, 1, &word), -1);
    EXPECT_NE(errno, ETIMEDOUT) << "left waiting instead of refused";
    clients.clear();
    bool served = false;
    for (auto deadline = std::chrono::steady_clock::now() + EXIT_TIMEOUT;
         !served && std::chrono::steady_clock::now() < deadline; std::this_thread::sleep_for(10ms))
        served =
            modbus_read_input_registers(ConnectLibmodbus(port).get(), REG_IDENTITY, 1, &word) == 1;
    EXPECT_TRUE(served);
}

TEST(OrxSimProcess, FailuresBeforeServingHaveTheirOwnExitCodes) {
    const std::string bad = TempPath("bad.csv");
    std::ofstream(bad) << "1\n2\n3\n4\n5\n1,7,2,1,0,0,0,0\n";
    const std::string folder = TempPath("folder");
    const std::string fifo = TempPath("fifo");
    ASSERT_EQ(mkdir(folder.c_str(), S_IRWXU), 0);
    ASSERT_EQ(mkfifo(fifo.c_str(), S_IRUSR | S_IWUSR), 0);
    const std::vector<std::pair<std::vector<std::string>, int>> cases{
        {{"--port", "0", "--config", TempPath("missing.csv")}, EXIT_NO_INPUT},
        {{"--port", "0", "--config", folder}, EXIT_NO_INPUT},
        {{"--port", "0", "--config", fifo}, EXIT_NO_INPUT},
        {{"--port", "0", "--config", "/dev/zero"}, EXIT_NO_INPUT},
        {{"--port", "0", "--config", bad}, EXIT_DATA_ERROR}};
    for (const auto& [args, code] : cases) {
        SimProcess sim(args);
        EXPECT_EQ(sim.WaitForExit(), code) << args.back();
    }
    std::remove(bad.c_str());
    std::remove(fifo.c_str());
    rmdir(folder.c_str());
}

} // namespace
