// The built orx-sim program, run as a user runs it.

#include "LibmodbusClient.h"
#include "transfer/RegisterMap.h"

#include <chrono>
#include <csignal>
#include <fcntl.h>
#include <fstream>
#include <gtest/gtest.h>
#include <poll.h>
#include <spawn.h>
#include <sys/wait.h>
#include <thread>
#include <unistd.h>

extern char** environ;

namespace {

using namespace std::chrono_literals;

constexpr int EXIT_USAGE = 64;
constexpr int EXIT_DATA_ERROR = 65;
constexpr int EXIT_NO_INPUT = 66;
constexpr int FILE_LINES = 38;
constexpr int HEADER_LINES = 5;
constexpr int START_TIMEOUT_MS = 5000;
constexpr auto EXIT_TIMEOUT = 5s;
const std::string LISTENING = "orx-sim listening on 127.0.0.1:";

std::string TempPath(const std::string& name) {
    const auto* info = ::testing::UnitTest::GetInstance()->current_test_info();
    return ::testing::TempDir() + "orx_sim_" + info->name() + "_" + std::to_string(getpid()) + "_" +
           name;
}

std::vector<std::string> ReadLines(const std::string& path) {
    std::ifstream in(path);
    std::vector<std::string> lines;
    for (std::string line; std::getline(in, line);)
        lines.push_back(line);
    return lines;
}

// orx-sim with its standard output on a pipe; killed if a test leaves it running.
class SimProcess {
public:
    explicit SimProcess(std::vector<std::string> args) {
        int fds[2];
        if (pipe2(fds, O_CLOEXEC) != 0)
            throw std::runtime_error("pipe failed");
        posix_spawn_file_actions_t actions;
        posix_spawn_file_actions_init(&actions);
        posix_spawn_file_actions_adddup2(&actions, fds[1], STDOUT_FILENO);
        posix_spawn_file_actions_addopen(&actions, STDERR_FILENO, "/dev/null", O_WRONLY, 0);
        args.insert(args.begin(), ORX_SIM_PATH);
        std::vector<char*> argv;
        for (std::string& a : args)
            argv.push_back(a.data());
        argv.push_back(nullptr);
        const int rc = posix_spawn(&m_pid, ORX_SIM_PATH, &actions, nullptr, argv.data(), environ);
        posix_spawn_file_actions_destroy(&actions);
        close(fds[1]);
        m_out = fds[0];
        if (rc != 0)
            throw std::runtime_error("cannot start " ORX_SIM_PATH);
    }
    ~SimProcess() {
        if (m_pid > 0) {
            kill(m_pid, SIGKILL);
            waitpid(m_pid, nullptr, 0);
        }
        close(m_out);
    }

    // The next line of standard output, or "" when none comes in time.
    std::string ReadLine(int timeoutMs = START_TIMEOUT_MS) {
        std::string line;
        char c = 0;
        pollfd p{m_out, POLLIN, 0};
        while (poll(&p, 1, timeoutMs) == 1 && read(m_out, &c, 1) == 1) {
            if (c == '\n')
                return line;
            line += c;
        }
        return "";
    }

    // The exit status, or -1 when the process has not ended in time.
    int WaitForExit() {
        const auto deadline = std::chrono::steady_clock::now() + EXIT_TIMEOUT;
        int status = 0;
        while (std::chrono::steady_clock::now() < deadline) {
            if (waitpid(m_pid, &status, WNOHANG) == m_pid) {
                m_pid = -1;
                return WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
            }
            std::this_thread::sleep_for(10ms);
        }
        return -1;
    }

    void Signal(int signal) { kill(m_pid, signal); }

private:
    pid_t m_pid = -1;
    int m_out = -1;
};

int PortFrom(const std::string& line) {
    if (line.rfind(LISTENING, 0) != 0)
        return -1;
    return std::stoi(line.substr(LISTENING.size()));
}

TEST(OrxSimProcessTest, ServesUntilSigtermAndSavesItsAlarms) {
    const std::string save = TempPath("saved.csv");
    SimProcess sim(
        {"--port", "0", "--serial", "65538", "--config", SAMPLE_CONFIG_PATH, "--save", save});
    const int port = PortFrom(sim.ReadLine());
    ASSERT_GT(port, 0);
    {
        LibmodbusClient client(port);
        uint16_t words[2] = {};
        ASSERT_EQ(modbus_read_input_registers(client.get(), REG_SERIAL_NUMBER, 2, words), 2);
        EXPECT_EQ(words[0], 1);
        EXPECT_EQ(words[1], 2);
        ASSERT_EQ(modbus_read_input_registers(client.get(), AlarmRegisterAddress(3), 1, words), 1);
        EXPECT_EQ(words[0], 2) << "alarm 3 of the sample configuration trips high";
        const uint16_t relay = 7;
        ASSERT_EQ(modbus_write_registers(client.get(), AlarmRegisterAddress(5) + 3, 1, &relay), 1);
        ASSERT_EQ(modbus_write_bit(client.get(), AlarmFlagAddress(5), TRUE), 1);
    }
    sim.Signal(SIGTERM);
    EXPECT_EQ(sim.WaitForExit(), EXIT_SUCCESS);

    const std::vector<std::string> lines = ReadLines(save);
    ASSERT_EQ(lines.size(), static_cast<std::size_t>(FILE_LINES));
    EXPECT_EQ(lines[0], "ORX Configuration Transfer Utility Version 1.00.00");
    EXPECT_EQ(lines[2], "Serial Number: 65538");
    EXPECT_EQ(lines[HEADER_LINES + 4], "5,0,0,0,7,0.0000,0.0000,1");
    const std::vector<std::string> sample = ReadLines(SAMPLE_CONFIG_PATH);
    for (int row = HEADER_LINES; row < FILE_LINES; ++row) {
        if (row != HEADER_LINES + 4) {
            EXPECT_EQ(lines[row], sample[row]) << "line " << row + 1;
        }
    }
    std::remove(save.c_str());
}

TEST(OrxSimProcessTest, LogsRequestsAndStopsOnSigint) {
    SimProcess sim({"--port", "0", "--log", "--locked"});
    const int port = PortFrom(sim.ReadLine());
    ASSERT_GT(port, 0);
    {
        LibmodbusClient client(port);
        uint8_t bit = 0;
        ASSERT_EQ(modbus_read_input_bits(client.get(), INPUT_CONFIG_LOCKED, 1, &bit), 1);
        EXPECT_EQ(bit, 1);
        ASSERT_EQ(modbus_write_bit(client.get(), COIL_DOWNLOAD_ABORTED, TRUE), 1);
    }
    EXPECT_EQ(sim.ReadLine(), "request unit=1 fn=2 addr=3389 qty=1: ok");
    EXPECT_EQ(sim.ReadLine(), "request unit=1 fn=5 addr=3394 qty=1: ok");
    EXPECT_EQ(sim.ReadLine(), "coil 3394 ON");
    sim.Signal(SIGINT);
    EXPECT_EQ(sim.WaitForExit(), EXIT_SUCCESS);
}

TEST(OrxSimProcessTest, FailuresBeforeServingHaveTheirOwnExitCodes) {
    SimProcess usage({"--port", "70000"});
    EXPECT_EQ(usage.WaitForExit(), EXIT_USAGE);
    SimProcess missing({"--port", "0", "--config", TempPath("missing.csv")});
    EXPECT_EQ(missing.WaitForExit(), EXIT_NO_INPUT);

    const std::string bad = TempPath("bad.csv");
    std::ofstream(bad) << "1\n2\n3\n4\n5\n1,7,2,1,0,0,0,0\n";
    SimProcess badRow({"--port", "0", "--config", bad});
    EXPECT_EQ(badRow.WaitForExit(), EXIT_DATA_ERROR);
    std::remove(bad.c_str());

    SimProcess help({"--help"});
    EXPECT_NE(help.ReadLine().find("usage: orx-sim"), std::string::npos);
    EXPECT_EQ(help.WaitForExit(), EXIT_SUCCESS);
}

} // namespace
