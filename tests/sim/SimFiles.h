#pragma once
// Files of the simulator's tests: names unique to the running test and process.

#include <fstream>
#include <gtest/gtest.h>
#include <string>
#include <unistd.h>
#include <vector>

constexpr int FILE_LINES = 38;
constexpr int HEADER_LINES = 5;

inline std::string TempPath(const std::string& name) {
    return ::testing::TempDir() + "orx_sim_" +
           ::testing::UnitTest::GetInstance()->current_test_info()->name() + "_" +
           std::to_string(getpid()) + "_" + name;
}

inline std::vector<std::string> ReadLines(const std::string& path) {
    std::ifstream in(path);
    std::vector<std::string> lines;
    for (std::string line; std::getline(in, line);)
        lines.push_back(line);
    return lines;
}
