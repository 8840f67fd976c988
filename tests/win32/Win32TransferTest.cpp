// orx-config.exe against orx-sim on Linux (see programs.py), worked as a user works it: the
// Upload button, the system's message box and Save dialog; then the controls at rest and the
// file: the Linux upload but for its CR LF line ends and its time; the trace: a line for each
// exchange, as many as the Linux upload's.

#include "NativeProbe.h"
#include "app/AppResources.h"
#include "app/ORXConfigurationDlg.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <process.h>

namespace {

using orxwin::DialogItem;
using probe::Caption;
using probe::Text;

std::string ReadAll(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), {}};
}

TEST(Win32Program, OrxConfigUploadsThroughTheSystemsBoxAndSaveDialog) {
    const std::string sim = std::getenv("ORX_SIM_DIR"), port = ReadAll(sim + "/port");
    const std::string file = (std::filesystem::temp_directory_path() / "orx-config-up").string();
    const std::string trace = file + ".trace";
    std::remove((file + ".csv").c_str());
    const auto program = _spawnl(_P_NOWAIT, ORX_CONFIG_PATH, ORX_CONFIG_PATH, "--host", "127.0.0.1",
                                 "--port", port.c_str(), "--trace", trace.c_str(), nullptr);
    ASSERT_NE(program, -1);
    const auto dialog =
        probe::Wait([&] { return probe::TopWindow(APP_CAPTION + (" — port " + port)); });
    ASSERT_NE(dialog, nullptr);
    const auto owned = [&] { return probe::OwnedWindow(dialog); };
    probe::Send(DialogItem(dialog, IDC_UPLOAD), BM_CLICK);
    const auto box = probe::Wait(owned);
    ASSERT_NE(box, nullptr);
    EXPECT_EQ(Text(Caption, box), "ORX Configuration");
    EXPECT_EQ(Text(Caption, DialogItem(box, probe::MESSAGE_TEXT_ID)),
              "Please verify you wish to upload the ORX's configuration.");
    probe::Send(box, WM_COMMAND, IDYES);
    const auto save = probe::Wait([&] { return owned() != box ? owned() : nullptr; });
    ASSERT_NE(save, nullptr);
    EXPECT_EQ(Text(Caption, DialogItem(save, probe::FILE_TYPE_ID)),
              "Comma Separated Values (*.CSV)");
    const std::wstring name = orxwin::Widen(file); // without .csv, which the dialog adds
    probe::Send(DialogItem(save, probe::FILE_NAME_ID), WM_SETTEXT, 0,
                reinterpret_cast<LPARAM>(name.c_str()));
    probe::Send(save, WM_COMMAND, IDOK);
    // The worker shows the status, then puts the buttons back: both are waited for.
    EXPECT_TRUE(probe::Wait([&] {
        return Text(Caption, DialogItem(dialog, IDC_STATUS)) == "Upload Complete!" &&
               probe::IsEnabled(DialogItem(dialog, IDC_UPLOAD)) &&
               !probe::IsEnabled(DialogItem(dialog, IDC_CANCEL_TRANSFER));
    }));
    probe::Send(dialog, WM_CLOSE, 0, 0, true);
    // A worker that is still ending makes the close box ask first; Yes closes all the same.
    if (const auto question = probe::Wait(owned, std::chrono::seconds(1)))
        probe::Send(question, WM_COMMAND, IDYES);
    int code = -1;
    _cwait(&code, program, 0);
    EXPECT_EQ(code, 0);
    const std::string upload = ReadAll(file + ".csv");
    EXPECT_EQ(std::count(upload.begin(), upload.end(), '\r'), 38);
    // The Linux upload but for CR LF and the time line (line 2).
    const auto compared = [](std::string text) {
        std::erase(text, '\r');
        const std::size_t second = text.find('\n') + 1;
        return text.erase(second, text.find('\n', second) + 1 - second);
    };
    EXPECT_EQ(compared(upload), compared(ReadAll(sim + "/linux-upload.csv")));
    const auto lines = [](const std::string& text) {
        return std::count(text.begin(), text.end(), '\n');
    };
    EXPECT_GT(lines(ReadAll(trace)), 0);
    EXPECT_EQ(lines(ReadAll(trace)), lines(ReadAll(sim + "/linux-trace")));
    std::remove((file + ".csv").c_str());
    std::remove(trace.c_str());
}

} // namespace
