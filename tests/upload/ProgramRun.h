#pragma once
// Runs orx-transfer (ORX_TRANSFER_PATH), or another program, as a child process with input
// from /dev/null and its output caught in files.

#include "TestFiles.h"

#include <fcntl.h>
#include <gtest/gtest.h>
#include <spawn.h>
#include <sys/wait.h>
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
