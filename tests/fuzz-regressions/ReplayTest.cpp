// Replays the seed corpus and every input that once broke a fuzzer through that fuzzer's
// harness, whose own checks abort on a broken invariant.

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size);

namespace {

namespace fs = std::filesystem;

std::vector<std::string> InputFiles() {
    std::vector<std::string> files;
    for (const char* dir : {FUZZ_CORPUS_DIR, FUZZ_REGRESSION_DIR}) {
        if (!fs::is_directory(dir))
            continue;
        for (const auto& entry : fs::directory_iterator(dir))
            if (entry.is_regular_file())
                files.push_back(entry.path().string());
    }
    std::sort(files.begin(), files.end());
    return files;
}

std::string TestName(const testing::TestParamInfo<std::string>& info) {
    const fs::path path(info.param);
    std::string name = path.parent_path().filename().string() + "_" + path.filename().string();
    std::replace_if(
        name.begin(), name.end(),
        [](char c) { return !std::isalnum(static_cast<unsigned char>(c)); }, '_');
    return name + "_" + std::to_string(info.index);
}

class Replay : public testing::TestWithParam<std::string> {};

TEST_P(Replay, HarnessChecksHold) {
    std::ifstream file(GetParam(), std::ios::binary);
    ASSERT_TRUE(file) << GetParam();
    const std::vector<char> bytes{std::istreambuf_iterator<char>(file), {}};
    EXPECT_EQ(LLVMFuzzerTestOneInput(reinterpret_cast<const uint8_t*>(bytes.data()), bytes.size()),
              0);
}

INSTANTIATE_TEST_SUITE_P(FUZZ_SUITE, Replay, testing::ValuesIn(InputFiles()), TestName);

TEST(FUZZ_SUITE, SeedCorpusIsPresent) {
    EXPECT_FALSE(InputFiles().empty()) << "no inputs under " << FUZZ_CORPUS_DIR;
}

} // namespace
