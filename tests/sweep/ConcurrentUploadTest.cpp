// Several orx-transfer uploads from one simulated ORX at the same time.

#include "Faults.h"
#include "upload/TestFiles.h"

#include <fcntl.h>
#include <gtest/gtest.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

extern char** environ;

namespace {

constexpr int CLIENTS = 6;
constexpr int CONFIG_FILE_LINES = 38;
constexpr int TIME_LINE = 1; // differs between uploads

pid_t StartUpload(WORD port, const std::string& target) {
    std::vector<std::string> argv{ORX_TRANSFER_PATH,    "upload",    "--port",
                                  std::to_string(port), "127.0.0.1", target};
    std::vector<char*> raw;
    for (std::string& a : argv)
        raw.push_back(a.data());
    raw.push_back(nullptr);
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_addopen(&actions, STDOUT_FILENO, "/dev/null", O_WRONLY, 0);
    posix_spawn_file_actions_addopen(&actions, STDERR_FILENO, "/dev/null", O_WRONLY, 0);
    pid_t pid = -1;
    EXPECT_EQ(posix_spawn(&pid, raw[0], &actions, nullptr, raw.data(), environ), 0);
    posix_spawn_file_actions_destroy(&actions);
    return pid;
}

int ExitStatus(pid_t pid) {
    int status = 0;
    if (waitpid(pid, &status, 0) != pid || !WIFEXITED(status))
        return -1;
    return WEXITSTATUS(status);
}

TEST(ConcurrentUploads, EveryClientGetsTheWholeConfiguration) {
    OrxSimulator sim;
    ScratchDir dir;
    std::vector<pid_t> pids;
    for (int c = 0; c < CLIENTS; ++c)
        pids.push_back(StartUpload(sim.Port(), dir.File("up" + std::to_string(c) + ".csv")));
    for (pid_t pid : pids)
        EXPECT_EQ(ExitStatus(pid), static_cast<int>(RESULT_OK));

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
