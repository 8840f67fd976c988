#pragma once
// Runs orx-transfer (ORX_TRANSFER_PATH), or another program, as a child process with input
// from /dev/null and its output caught in files; shared by the command-line tests.

#include "TestFiles.h"

#include <chrono>
#include <fcntl.h>
#include <functional>
#include <gtest/gtest.h>
#include <spawn.h>
#include <sys/wait.h>
#include <thread>
#include <unistd.h>

extern char** environ;

// Returns -1 when the program could not be started.
inline pid_t SpawnProgram(std::vector<std::string> args, const std::string& outPath,
                          const std::string& errPath,
                          const std::string& program = ORX_TRANSFER_PATH) {
    args.insert(args.begin(), program);
    std::vector<char*> argv;
    for (std::string& arg : args)
        argv.push_back(arg.data());
    argv.push_back(nullptr);
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_addopen(&actions, STDIN_FILENO, "/dev/null", O_RDONLY, 0);
    for (const auto& [fd, path] : {std::pair{STDOUT_FILENO, &outPath}, {STDERR_FILENO, &errPath}})
        posix_spawn_file_actions_addopen(&actions, fd, path->c_str(), O_WRONLY | O_CREAT | O_TRUNC,
                                         0644);
    pid_t pid = -1;
    const int spawned = posix_spawn(&pid, argv[0], &actions, nullptr, argv.data(), environ);
    posix_spawn_file_actions_destroy(&actions);
    return spawned == 0 ? pid : -1;
}

inline ProgramRun FinishProgram(pid_t pid, const std::string& outPath, const std::string& errPath) {
    int status = 0;
    const bool exited = pid > 0 && waitpid(pid, &status, 0) == pid && WIFEXITED(status);
    return {exited ? WEXITSTATUS(status) : -1, ReadText(outPath), ReadText(errPath)};
}

class ProgramTest : public ::testing::Test {
protected:
    // Downloads back the device up into the scratch folder, never into the user's.
    ProgramTest() { setenv("XDG_DATA_HOME", m_dir.File("data").c_str(), 1); }
    pid_t Start(const std::vector<std::string>& args,
                const std::string& program = ORX_TRANSFER_PATH) {
        return SpawnProgram(args, m_outPath, m_errPath, program);
    }
    ProgramRun Finish(pid_t pid) { return FinishProgram(pid, m_outPath, m_errPath); }
    ProgramRun Run(const std::vector<std::string>& args,
                   const std::string& program = ORX_TRANSFER_PATH) {
        return Finish(Start(args, program));
    }
    // Polls until reached() or a generous limit, to interrupt the program at a known point.
    static void WaitUntil(const std::function<bool()>& reached) {
        const auto limit = std::chrono::steady_clock::now() + std::chrono::seconds(20);
        while (!reached() && std::chrono::steady_clock::now() < limit)
            std::this_thread::sleep_for(std::chrono::milliseconds(1));
    }

    ScratchDir m_dir;
    std::string m_outPath = m_dir.File("stdout.txt");
    std::string m_errPath = m_dir.File("stderr.txt");
};
