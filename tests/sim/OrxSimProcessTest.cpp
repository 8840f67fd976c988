// The built orx-sim program, run as a user runs it, and its configuration files.

#include "LibmodbusClient.h"
#include "sim/SimConfigFile.h"
#include "transfer/ConfigFile.h"
#include "upload/TestFiles.h"

#include <chrono>
#include <csignal>
#include <gtest/gtest.h>
#include <poll.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <thread>

namespace {

using namespace std::chrono_literals;

constexpr int FILE_LIMIT = 32;
const std::string LISTENING = "orx-sim listening on 127.0.0.1:";
const std::string HEADER = "1\n2\n3\n4\n5\n"; // the header lines, never read

// orx-sim with its standard output on a pipe; killed if a test leaves it running. The shell
// prints its process id, runs shellFirst, then becomes orx-sim.
struct SimProcess {
    FILE* pipe;
    pid_t pid;
    explicit SimProcess(const std::vector<std::string>& args, const std::string& shellFirst = "") {
        std::string command = "echo $$; " + shellFirst + "exec '" ORX_SIM_PATH "'";
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
    // The exit status, or -1 when the process has not ended within 5 s.
    int WaitForExit() {
        int status = 0;
        for (int i = 0; i < 500; ++i, std::this_thread::sleep_for(10ms)) {
            if (waitpid(pid, &status, WNOHANG) == pid) {
                pid = -1;
                return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
            }
        }
        return -1;
    }
};

TEST(OrxSimProcess, ServesLogsAndSavesItsAlarmsUntilSigtermOrSigint) {
    const ScratchDir dir;
    const std::string save = dir.File("saved.csv");
    std::vector<std::string> expected = ReadLines(SAMPLE_CONFIG_PATH);
    expected[HEADER_LINES + 4] = "5,0,0,0,7,0.0000,0.0000,1";
    expected[1] = expected[2] = "";
    for (int signal : {SIGTERM, SIGINT}) {
        SimProcess sim({"--port", "0", "--serial", "65538", "--config", SAMPLE_CONFIG_PATH,
                        "--save", save, "--log", "--locked"});
        {
            const auto client = ConnectLibmodbus(sim.Port());
            uint8_t bit = 0;
            ASSERT_EQ(modbus_read_input_bits(client.get(), INPUT_CONFIG_LOCKED, 1, &bit), 1);
            EXPECT_EQ(bit, 1);
            const uint16_t relay = 7;
            ASSERT_EQ(modbus_write_registers(client.get(), AlarmRegisterAddress(5) + 3, 1, &relay),
                      1);
            ASSERT_EQ(modbus_write_bit(client.get(), AlarmFlagAddress(5), TRUE), 1);
        }
        EXPECT_EQ(sim.ReadLine(), "request unit=1 fn=2 addr=3389 qty=1: ok");
        kill(sim.pid, signal);
        EXPECT_EQ(sim.WaitForExit(), EXIT_SUCCESS);
        std::vector<std::string> lines = ReadLines(save);
        ASSERT_EQ(lines.size(), expected.size());
        EXPECT_EQ(lines[2], "Serial Number: 65538");
        lines[1] = lines[2] = "";
        EXPECT_EQ(lines, expected) << signal;
    }
}

TEST(OrxSimProcess, PastItsOpenFilesRefusesAClientAtOnceAndServesAgainWhenFilesAreFree) {
#ifdef __SANITIZE_ADDRESS__
    GTEST_SKIP() << "the sanitizers probe memory through a pipe, which this file limit denies";
#endif
    SimProcess sim({"--port", "0"}, "ulimit -n " + std::to_string(FILE_LIMIT) + "; ");
    const int port = sim.Port();
    std::vector<LibmodbusClient> clients;
    // A long reply limit, so that a loaded machine is not taken for a client left waiting.
    for (int i = 0; i < FILE_LIMIT; ++i)
        clients.push_back(ConnectLibmodbus(port, 10));
    uint16_t word = 0;
    EXPECT_EQ(modbus_read_input_registers(clients.back().get(), REG_IDENTITY, 1, &word), -1);
    EXPECT_NE(errno, ETIMEDOUT) << "left waiting instead of refused";
    clients.clear();
    bool served = false;
    for (int i = 0; i < 500 && !served; ++i, std::this_thread::sleep_for(10ms))
        served =
            modbus_read_input_registers(ConnectLibmodbus(port).get(), REG_IDENTITY, 1, &word) == 1;
    EXPECT_TRUE(served);
}

// Exit codes before serving: 66 for a configuration that cannot be opened, 65 for a bad row.
TEST(OrxSimProcess, FailuresBeforeServingHaveTheirOwnExitCodes) {
    const ScratchDir dir;
    const std::string bad = dir.Write("bad.csv", HEADER + "1,7,2,1,0,0,0,0\n"),
                      folder = dir.File("folder"), fifo = dir.File("fifo");
    ASSERT_EQ(mkdir(folder.c_str(), S_IRWXU), 0);
    ASSERT_EQ(mkfifo(fifo.c_str(), S_IRUSR | S_IWUSR), 0);
    for (const auto& [config, code] : std::vector<std::pair<std::string, int>>{
             {dir.File("missing.csv"), 66}, {folder, 66}, {fifo, 66}, {"/dev/zero", 66}, {bad, 65}})
        EXPECT_EQ(SimProcess({"--port", "0", "--config", config}).WaitForExit(), code) << config;
}

// A short file leaves the alarms after it disabled and zero and the serial the device's own;
// a bad row and an unwritable path are reported and change nothing.
TEST(SimConfigFile, ShortAndBadFiles) {
    const ScratchDir dir;
    const std::string path = dir.Write("config.csv", HEADER + "1,1,2,1,0,5.0000,1.0000,1\n");
    const DeviceImage before = DefaultDeviceImage();
    DeviceImage image = before;
    std::string error;
    ASSERT_EQ(LoadConfigFile(path, image, error), ConfigLoad::Loaded) << error;
    EXPECT_EQ(GetAlarm(image, 1), (AlarmRecord{1, 2, 1, 0, 5.0f, 1.0f, true}));
    for (int n = 2; n <= ALARM_COUNT; ++n)
        EXPECT_EQ(GetAlarm(image, n), AlarmRecord{}) << "alarm " << n;
    EXPECT_EQ(image.serial, DEFAULT_SIM_SERIAL);

    image = before;
    std::ofstream(path, std::ios::app) << "2,1,1,1,0,5.0000,1.0000,0\n";
    EXPECT_EQ(LoadConfigFile(path, image, error), ConfigLoad::BadRow);
    EXPECT_NE(error.find("row 2, line 7: field 3"), std::string::npos) << error;
    EXPECT_EQ(image, before);
    EXPECT_FALSE(SaveConfigFile(dir.File("no-such-dir/saved.csv"), image));
}

} // namespace
