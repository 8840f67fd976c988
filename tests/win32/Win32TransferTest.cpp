// Whole transfers through the real Win32 window under Wine, against orx-sim on Linux (see
// programs.py): the Upload or Download button, the confirmation and the file choice answered
// by the test, the worker, and the controls it leaves; then orx-config.exe worked as a user
// works it, with the system's message box and Save dialog.

#include "NativeProbe.h"
#include "app/ORXConfigurationDlg.h"
#include "platform/ui/Thread.h"
#include "platform/win32/Win32FrontEnd.h"
#include "support/YesAnswers.h"
#include "transfer/RegisterMap.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <cstdlib>
#include <fstream>
#include <iterator>

namespace {

constexpr auto WAIT_LIMIT = std::chrono::seconds(30);
constexpr const char* UPLOAD_TEXT = "Please verify you wish to upload the ORX's configuration.";
constexpr const char* DOWNLOAD_TEXT =
    "Please verify you wish to download the configuration to the ORX.";
constexpr int LINES = 38;
constexpr auto QUESTION_WAIT = std::chrono::seconds(1);

// The shared simulator's files: its port, its log, and what the Linux program uploaded.
std::string SimFile(const char* name) {
    const char* folder = std::getenv("ORX_SIM_DIR");
    return std::string(folder != nullptr ? folder : ".") + "/" + name;
}

std::string ReadAll(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), {}};
}

std::string SimPort() {
    return ReadAll(SimFile("port"));
}

// The file with LF line ends and without its time line (line 2), for the comparison.
std::string WithoutTimeLine(std::string text) {
    for (std::size_t cr = text.find("\r\n"); cr != std::string::npos; cr = text.find("\r\n", cr))
        text.erase(cr, 1);
    const std::size_t second = text.find('\n') + 1;
    return text.erase(second, text.find('\n', second) + 1 - second);
}

// Every line ends in CR LF, and the file is the Linux upload but for them and the time.
void ExpectLinuxUploadWithCrLf(const std::string& path) {
    const std::string file = ReadAll(path);
    std::size_t crLf = 0;
    for (std::size_t at = file.find("\r\n"); at != std::string::npos;
         at = file.find("\r\n", at + 2))
        ++crLf;
    EXPECT_EQ(crLf, static_cast<std::size_t>(LINES));
    EXPECT_EQ(std::count(file.begin(), file.end(), '\n'), LINES);
    EXPECT_EQ(WithoutTimeLine(file), WithoutTimeLine(ReadAll(SimFile("linux-upload.csv"))));
}

class Win32Transfer : public ::testing::Test {
protected:
    void SetUp() override {
        dlg.m_wPortOverride = static_cast<WORD>(std::stoi(SimPort()));
        dlg.m_strInitialHost = "127.0.0.1";
        AnswerYes(frontEnd, asked, file);
        ASSERT_TRUE(dlg.Create());
        view = frontEnd.ViewOf(dlg);
        ASSERT_NE(view, nullptr);
    }
    void TearDown() override { dlg.DestroyWindow(); }

    // A click on the real button, then the transfer to its end with status shown.
    bool Transfer(int button, const std::string& status) {
        probe::Send(view->Item(button), BM_CLICK);
        const auto deadline = std::chrono::steady_clock::now() + WAIT_LIMIT;
        const auto ended = [&] {
            return probe::HeldText(view->Item(IDC_STATUS)) == status && AfxGetWorkerCount() == 0;
        };
        frontEnd.RunUntil([&] { return ended() || std::chrono::steady_clock::now() >= deadline; });
        return ended();
    }
    void ExpectAtRest() {
        EXPECT_EQ(probe::Send(view->Item(IDC_PROGRESS), PBM_GETPOS), ALARM_COUNT);
        EXPECT_TRUE(probe::IsEnabled(view->Item(IDC_UPLOAD)));
        EXPECT_TRUE(probe::IsEnabled(view->Item(IDC_DOWNLOAD)));
        EXPECT_FALSE(probe::IsEnabled(view->Item(IDC_CANCEL_TRANSFER)));
    }

    orxwin::Win32FrontEnd frontEnd;
    CFrontEndScope scope{frontEnd};
    CORXConfigurationDlg dlg;
    orxwin::Win32DialogView* view = nullptr;
    std::vector<CString> asked;
    std::string file;
};

TEST_F(Win32Transfer, UploadWritesTheLinuxUploadWithCrLf) {
    file = probe::TemporaryFolder() + "orx-dialog-upload.csv";
    ASSERT_TRUE(Transfer(IDC_UPLOAD, "Upload Complete!"));
    EXPECT_EQ(asked, std::vector<CString>{UPLOAD_TEXT});
    ExpectLinuxUploadWithCrLf(file);
    ExpectAtRest();
    std::remove(file.c_str());
}

// The Linux upload, downloaded: the device holds what it held, and was told it is complete.
TEST_F(Win32Transfer, DownloadWritesTheDeviceAndSetsTheCompleteCoil) {
    file = SimFile("linux-upload.csv");
    ASSERT_TRUE(Transfer(IDC_DOWNLOAD, "Download Complete!"));
    EXPECT_EQ(asked, std::vector<CString>{DOWNLOAD_TEXT});
    EXPECT_NE(ReadAll(SimFile("log")).find("coil 3396 ON"), std::string::npos);
    ExpectAtRest();
}

TEST(Win32Program, OrxConfigUploadsTheLinuxUploadWithCrLf) {
    const std::string file = probe::TemporaryFolder() + "orx-config-upload.csv";
    std::remove(file.c_str());
    const probe::Program program =
        probe::StartProgram(std::string(ORX_CONFIG_PATH) + " --host 127.0.0.1 --port " + SimPort());
    ASSERT_NE(program, nullptr);
    const probe::Window dialog = probe::WaitForTopWindow(
        "ORX Configuration Transfer Utility, Version 1.0.00 — port " + SimPort());
    ASSERT_NE(dialog, nullptr);
    probe::Send(probe::Item(dialog, IDC_UPLOAD), BM_CLICK);
    const probe::Window box = probe::WaitForOwnedWindow(dialog);
    ASSERT_NE(box, nullptr);
    EXPECT_EQ(probe::TextOf(box), "ORX Configuration");
    EXPECT_EQ(probe::TextOf(probe::Item(box, probe::MESSAGE_TEXT_ID)), UPLOAD_TEXT);
    probe::Send(box, WM_COMMAND, IDYES);
    const probe::Window save = probe::WaitForOwnedWindow(dialog);
    ASSERT_NE(save, nullptr);
    const std::wstring name = orxwin::Widen(file);
    probe::Send(probe::Item(save, probe::FILE_NAME_ID), WM_SETTEXT, 0,
                reinterpret_cast<LPARAM>(name.c_str()));
    probe::Send(save, WM_COMMAND, IDOK);
    EXPECT_TRUE(probe::WaitForText(probe::Item(dialog, IDC_STATUS), "Upload Complete!"));
    probe::Post(dialog, WM_CLOSE);
    // A worker that is still ending makes the close box ask first; Yes closes all the same.
    if (const probe::Window question = probe::WaitForOwnedWindow(dialog, QUESTION_WAIT))
        probe::Send(question, WM_COMMAND, IDYES);
    EXPECT_EQ(probe::FinishProgram(program), 0);
    ExpectLinuxUploadWithCrLf(file);
    std::remove(file.c_str());
}

} // namespace
