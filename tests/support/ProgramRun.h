#pragma once
// Runs orx-transfer (ORX_TRANSFER_PATH), or another program, as a child process with input
// from /dev/null and its output caught in files.

#include "support/TestFiles.h"

#include <csignal>
#include <fcntl.h>
#include <gtest/gtest.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

extern char** environ;

// Returns -1 when the program could not be started. It starts with every signal's default
// action, as from a shell, whatever the test ignores; actions then redirect its output.
inline pid_t SpawnWith(std::vector<std::string> args, const std::string& program,
                       posix_spawn_file_actions_t& actions) {
    args.insert(args.begin(), program);
    std::vector<char*> argv;
    for (std::string& arg : args)
        argv.push_back(arg.data());
    argv.push_back(nullptr);
    posix_spawnattr_t attributes;
    posix_spawnattr_init(&attributes);
    sigset_t all;
    sigfillset(&all);
    posix_spawnattr_setsigdefault(&attributes, &all);
    posix_spawnattr_setflags(&attributes, POSIX_SPAWN_SETSIGDEF);
    posix_spawn_file_actions_addopen(&actions, STDIN_FILENO, "/dev/null", O_RDONLY, 0);
    pid_t pid = -1;
    const int spawned = posix_spawn(&pid, argv[0], &actions, &attributes, argv.data(), environ);
    posix_spawn_file_actions_destroy(&actions);
    posix_spawnattr_destroy(&attributes);
    return spawned == 0 ? pid : -1;
}

inline pid_t SpawnProgram(std::vector<std::string> args, const std::string& outPath,
                          const std::string& errPath,
                          const std::string& program = ORX_TRANSFER_PATH) {
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    for (const auto& [fd, path] : {std::pair{STDOUT_FILENO, &outPath}, {STDERR_FILENO, &errPath}})
        posix_spawn_file_actions_addopen(&actions, fd, path->c_str(), O_WRONLY | O_CREAT | O_TRUNC,
                                         0644);
    return SpawnWith(std::move(args), program, actions);
}

// Standard output and error both to outFd.
inline pid_t SpawnProgram(std::vector<std::string> args, int outFd,
                          const std::string& program = ORX_TRANSFER_PATH) {
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    for (const int fd : {STDOUT_FILENO, STDERR_FILENO})
        posix_spawn_file_actions_adddup2(&actions, outFd, fd);
    return SpawnWith(std::move(args), program, actions);
}

inline ProgramRun FinishProgram(pid_t pid, const std::string& outPath, const std::string& errPath) {
    int status = 0;
    const bool exited = pid > 0 && waitpid(pid, &status, 0) == pid && WIFEXITED(status);
    return {exited ? WEXITSTATUS(status) : -1, ReadText(outPath), ReadText(errPath)};
}
