// Several orx-transfer uploads at the same time: from one simulated ORX, and a site's backup;
// the simulator's exception at one chosen request, seen by libmodbus's client.

#include "Faults.h"
#include "sim/LibmodbusClient.h"
#include "upload/ProgramRun.h"

#include <memory>

namespace {

constexpr int CLIENTS = 6;
constexpr int CONFIG_FILE_LINES = 38;
constexpr int TIME_LINE = 1; // differs between uploads

TEST(ConcurrentUploads, EveryClientGetsTheWholeConfiguration) {
    OrxSimulator sim;
    ScratchDir dir;
    std::vector<pid_t> pids;
    for (int c = 0; c < CLIENTS; ++c)
        pids.push_back(SpawnProgram({"upload", "--port", std::to_string(sim.Port()), "127.0.0.1",
                                     dir.File("up" + std::to_string(c) + ".csv")},
                                    "/dev/null", "/dev/null"));
    for (pid_t pid : pids)
        EXPECT_EQ(FinishProgram(pid, "/dev/null", "/dev/null").status, static_cast<int>(RESULT_OK));

    std::vector<std::string> first = ReadLines(dir.File("up0.csv"));
    ASSERT_EQ(first.size(), static_cast<std::size_t>(CONFIG_FILE_LINES));
    first[TIME_LINE].clear();
    for (int c = 1; c < CLIENTS; ++c) {
        std::vector<std::string> lines = ReadLines(dir.File("up" + std::to_string(c) + ".csv"));
        ASSERT_EQ(lines.size(), static_cast<std::size_t>(CONFIG_FILE_LINES)) << "client " << c;
        lines[TIME_LINE].clear();
        EXPECT_EQ(lines, first) << "client " << c;
    }
    // Each upload makes its own exchanges on its own connection.
    EXPECT_EQ(sim.Requests().size(), static_cast<std::size_t>(CLIENTS * UPLOAD_EXCHANGES));
}

// A dead device does not stop the others; the exit status is its result.
TEST(SiteBackup, EveryLiveDeviceIsBackedUpBesideADeadOne) {
    ScratchDir dir;
    std::vector<std::string> args{
        "backup", "--into", dir.File("site"),
        "--jobs", "2",      "127.0.0.1:" + std::to_string(RefusingPort())};
    std::vector<std::unique_ptr<OrxSimulator>> sims;
    for (DWORD serial = 1; serial <= 3; ++serial) {
        SimulatorOptions options;
        options.image.serial = serial;
        sims.push_back(std::make_unique<OrxSimulator>(options));
        args.push_back("127.0.0.1:" + std::to_string(sims.back()->Port()));
    }
    const ProgramRun run = FinishProgram(SpawnProgram(args, dir.File("out"), dir.File("err")),
                                         dir.File("out"), dir.File("err"));
    EXPECT_EQ(run.status, static_cast<int>(RESULT_DEVICE_ERROR)) << run.err;
    for (DWORD serial = 1; serial <= 3; ++serial)
        EXPECT_EQ(ReadLines(dir.File("site/ORX-" + std::to_string(serial) + ".csv")).size(),
                  static_cast<std::size_t>(CONFIG_FILE_LINES));
    EXPECT_NE(run.out.find("3 Error connecting to ORX!"), std::string::npos) << run.out;
    EXPECT_NE(run.out.find("3 of 4 device(s) backed up"), std::string::npos) << run.out;
}

// Counted on each connection; the refused request is logged but not carried out.
TEST(FailRequest, OnlyTheChosenRequestOfEachConnectionIsRefusedAndNothingIsDone) {
    SimulatorOptions options;
    options.failRequest = 2;
    OrxSimulator sim(options);
    uint16_t words[IDENTITY_WORDS] = {};
    for (int connection = 0; connection < 2; ++connection) {
        const LibmodbusClient client = ConnectLibmodbus(sim.Port());
        EXPECT_EQ(modbus_read_input_registers(client.get(), REG_IDENTITY, IDENTITY_WORDS, words),
                  IDENTITY_WORDS);
        EXPECT_EQ(modbus_write_bit(client.get(), COIL_DOWNLOAD_ABORTED, 1), -1);
        EXPECT_EQ(errno, EMBXSFAIL) << "exception 4, server device failure";
        EXPECT_EQ(modbus_write_bit(client.get(), COIL_DOWNLOAD_COMPLETE, 1), 1);
    }
    EXPECT_EQ(sim.Requests().size(), 6u);
    EXPECT_EQ(sim.CoilEvents(), (std::vector<CoilEvent>(2, {COIL_DOWNLOAD_COMPLETE, COIL_ON})));
}

} // namespace
