// The download, check and verify read the same files alike.

#include "DownloadFixture.h"
#include "FileCases.h"
#include "cli/DownloadCommands.h"
#include "transfer/ConfigCheck.h"
#include "transfer/DeviceCompare.h"

#include <fstream>

namespace {

constexpr int EXIT_CONFIG_ERROR = 6;

class FileAgreement : public DownloadFixture, public ::testing::WithParamInterface<FileCase> {
protected:
    int Verify(const std::string& path) {
        return RunCommand(RunVerifyCommand,
                          {"--port", std::to_string(m_sim->Port()), "127.0.0.1", path})
            .code;
    }
};

TEST_P(FileAgreement, DownloadCheckAndVerifyAgree) {
    const FileCase& c = GetParam();
    const std::string path = m_dir.Write("case.csv", c.text);
    const int refused = c.accepted ? 0 : EXIT_CONFIG_ERROR;

    std::ifstream file(path);
    const ConfigCheckResult check = CheckConfigFile(file);
    EXPECT_EQ(check.Accepted(), c.accepted);
    EXPECT_EQ(check.rowsWritten, c.rowsWritten);
    EXPECT_EQ(check.problems.size(), static_cast<std::size_t>(c.problems));
    EXPECT_EQ(RunCommand(RunCheckCommand, {path}).code, refused);

    const int differs = c.rowsWritten > 0 ? static_cast<int>(RESULT_DIFFERENT) : 0;
    EXPECT_EQ(Verify(path), c.accepted ? differs : refused) << "before the download";
    EXPECT_EQ(Download(path), c.accepted ? RESULT_OK : RESULT_CONFIG_ERROR);
    EXPECT_EQ(DistinctAlarmsOnDevice(), c.rowsWritten);
    EXPECT_EQ(Verify(path), refused) << "after the download";
}

INSTANTIATE_TEST_SUITE_P(Files, FileAgreement, ::testing::ValuesIn(FileCases()),
                         [](const ::testing::TestParamInfo<FileCase>& info) {
                             return std::string(info.param.name);
                         });

} // namespace
