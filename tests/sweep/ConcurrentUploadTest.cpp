// Several orx-transfer uploads from one simulated ORX at the same time.

#include "Faults.h"
#include "upload/ProgramRun.h"

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

} // namespace
