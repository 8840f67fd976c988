#pragma once
// The main dialog, headless, under a scripted front end, with a simulated ORX on loopback:
// the ground of the upload and download tests.

#include "app/AppResources.h"
#include "app/ORXConfigurationDlg.h"
#include "sim/OrxSimulator.h"
#include "support/ScriptedFrontEnd.h"
#include "support/TestFiles.h"
#include "transfer/TransferJobs.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>
#include <numeric>

constexpr UINT NO_WORKER_RESULT = 100;
constexpr const char* CONNECTING_TEXT = "Connecting to ORX...";

// format with n filled in, e.g. "Uploading Alarm %d/32...".
inline CString Numbered(const char* format, int n) {
    CString text;
    text.Format(format, n);
    return text;
}

// The status texts of a transfer up to its alarm last: connecting, then format per alarm.
inline std::vector<CString> Steps(const char* format, int last) {
    std::vector<CString> texts{CONNECTING_TEXT};
    for (int n = 1; n <= last; ++n)
        texts.push_back(Numbered(format, n));
    return texts;
}

inline std::vector<int> CountTo(int last) {
    std::vector<int> numbers(static_cast<std::size_t>(last) + 1);
    std::iota(numbers.begin(), numbers.end(), 0);
    return numbers;
}

class TransferFixture : public ::testing::Test {
protected:
    explicit TransferFixture(SimulatorOptions device) : m_device(std::move(device)) {
        StartSimulator(m_device);
        m_settings.device.host = "127.0.0.1";
        m_settings.backup.path = m_dir.File("backups");
        m_dlg->UseSettings(m_settings);
        m_dlg->Create();
    }

    void StartSimulator(SimulatorOptions options) {
        m_sim.reset();
        m_sim = std::make_unique<OrxSimulator>(std::move(options));
    }
    // Confirms, answers the file dialog with path, clicks the button and waits for the worker.
    UINT Run(int button, const std::string& path, WORD port) {
        m_fe.AnswerMessageBox(IDYES);
        m_fe.AnswerFileDialog(CString(path.c_str()));
        return RunWorker(*m_dlg->GetDlgItem(button), BM_CLICK, 0, port);
    }
    // With m_settings at port: sends message to wnd and waits for the worker it starts.
    UINT RunWorker(CWnd& wnd, UINT message, WPARAM wParam, WORD port) {
        const std::size_t before = m_fe.ExitCodes().size();
        m_settings.device.port = port;
        m_dlg->UseSettings(m_settings);
        wnd.SendMessage(message, wParam);
        AfxWaitForWorkers();
        const std::vector<UINT> codes = m_fe.ExitCodes(); // exactly one worker ran
        return codes.size() == before + 1 ? codes.back() : NO_WORKER_RESULT;
    }
    // Press Cancel when the status line first shows text.
    void CancelAt(const CString& text) {
        m_fe.OnText(IDC_STATUS, text,
                    [this] { m_dlg->GetDlgItem(IDC_CANCEL_TRANSFER)->SendMessage(BM_CLICK); });
    }

    void ExpectIdleArrangement() {
        EXPECT_FALSE(m_dlg->IsTransferRunning());
        EXPECT_TRUE(m_dlg->GetDlgItem(IDC_UPLOAD)->IsWindowEnabled());
        EXPECT_TRUE(m_dlg->GetDlgItem(IDC_DOWNLOAD)->IsWindowEnabled());
        EXPECT_FALSE(m_dlg->GetDlgItem(IDC_CANCEL_TRANSFER)->IsWindowEnabled());
        EXPECT_FALSE(m_dlg->IsConnectedToDevice()) << "socket left open";
    }
    // One error box (nullptr: none), the last status text and the progress bar, at rest.
    void ExpectEnd(const char* box, const CString& status, int position) {
        EXPECT_EQ(ErrorBoxes(), box ? std::vector<CString>{box} : std::vector<CString>{});
        EXPECT_EQ(LastStatus(), status);
        EXPECT_EQ(m_dlg->GetDlgItem(IDC_PROGRESS)->SendMessage(PBM_GETPOS), position);
        ExpectIdleArrangement();
    }
    CString LastStatus() const {
        const std::vector<CString> texts = m_fe.Texts(IDC_STATUS);
        return texts.empty() ? CString() : texts.back();
    }
    std::vector<int> Positions() const {
        std::vector<int> positions;
        for (const CUiEvent& event : m_fe.Events(CUiEvent::ProgressPos))
            positions.push_back(event.value);
        return positions;
    }
    // Message boxes other than the confirmations, each checked to be an error box.
    std::vector<CString> ErrorBoxes() const { return Boxes(&CUiEvent::text); }
    std::vector<CString> ErrorDetails() const { return Boxes(&CUiEvent::detail); }

    const SimulatorOptions m_device; // the simulator's at the start
    CScriptedFrontEnd m_fe;
    CFrontEndScope m_scope{m_fe};
    ScratchDir m_dir;
    std::unique_ptr<OrxSimulator> m_sim;
    TransferDialogSettings m_settings; // given to the dialog at each run
    // Goes first, waiting for a worker still running.
    std::unique_ptr<CORXConfigurationDlg> m_dlg = std::make_unique<CORXConfigurationDlg>();

private:
    // A restore offer after a download that failed part way stands for the failure's error box:
    // its first line and its cause; one after a cancel the device was told of has no cause.
    std::vector<CString> Boxes(CString CUiEvent::*part) const {
        std::vector<CString> boxes;
        for (const CUiEvent& box : m_fe.Events(CUiEvent::MessageBox)) {
            const UINT type = static_cast<UINT>(box.value);
            if (type == MB_YESNO) {
                EXPECT_TRUE(box.text == UPLOAD_QUESTION || box.text == DOWNLOAD_QUESTION);
                continue;
            }
            if (type == RESTORE_OFFER_BOX && !box.detail.IsEmpty()) {
                const std::string text = (box.*part).str();
                boxes.emplace_back(part == &CUiEvent::text ? text.substr(0, text.find('\n'))
                                                           : text);
                continue;
            }
            if (type == RESTORE_OFFER_BOX || (type & MB_ICONMASK) != MB_ICONEXCLAMATION)
                continue; // questions and notes, checked where they are asked
            EXPECT_EQ(type, MB_ICONEXCLAMATION | MB_OK) << box.text.str();
            boxes.push_back(box.*part);
        }
        return boxes;
    }
};
