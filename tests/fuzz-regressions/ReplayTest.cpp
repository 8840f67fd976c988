// Replays the seed corpus and every input that once broke a fuzzer through that fuzzer's
// harness, whose own checks abort on a broken invariant. No inputs at all fail the
// uninstantiated-suite check.
#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size);

namespace {

std::vector<std::string> InputFiles() {
    std::vector<std::string> files;
    for (const char* dir : {FUZZ_CORPUS_DIR, FUZZ_REGRESSION_DIR})
        if (std::filesystem::is_directory(dir))
            for (const auto& entry : std::filesystem::directory_iterator(dir))
                files.push_back(entry.path().string());
    std::sort(files.begin(), files.end());
    return files;
}

class Replay : public testing::TestWithParam<std::string> {};

TEST_P(Replay, HarnessChecksHold) {
    std::ifstream file(GetParam(), std::ios::binary);
    ASSERT_TRUE(file) << GetParam();
    const std::string bytes{std::istreambuf_iterator<char>(file), {}};
    LLVMFuzzerTestOneInput(reinterpret_cast<const uint8_t*>(bytes.data()), bytes.size());
}

INSTANTIATE_TEST_SUITE_P(FUZZ_SUITE, Replay, testing::ValuesIn(InputFiles()));

} // namespace
