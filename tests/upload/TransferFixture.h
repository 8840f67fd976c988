#pragma once
// The main dialog, headless, under a scripted front end, with a simulated ORX on loopback:
// the ground of the upload and download tests.

#include "TestFiles.h"
#include "app/AppResources.h"
#include "app/ORXConfigurationDlg.h"
#include "sim/OrxSimulator.h"
#include "support/ScriptedFrontEnd.h"
#include "transfer/TransferResults.h"

#include <gtest/gtest.h>
#include <memory>
#include <vector>

constexpr UINT ERROR_BOX_TYPE = MB_ICONEXCLAMATION | MB_OK;
constexpr const char* UPLOAD_QUESTION = "Please verify you wish to upload the ORX's configuration.";
constexpr const char* DOWNLOAD_QUESTION =
    "Please verify you wish to download the configuration to the ORX.";
constexpr UINT NO_WORKER_RESULT = 100;
constexpr const char* CONNECTING_TEXT = "Connecting to ORX...";

// format with n filled in, e.g. "Uploading Alarm %d/32...".
CString Numbered(const char* format, int n);
// The status texts of a transfer up to its alarm last: connecting, then format per alarm.
std::vector<CString> Steps(const char* format, int last);
// 0, 1, ..., last.
std::vector<int> CountTo(int last);

class TransferFixture : public ::testing::Test {
protected:
    explicit TransferFixture(SimulatorOptions options);
    ~TransferFixture() override;

    void StartSimulator(SimulatorOptions options);
    // Confirms, answers the file dialog with path, clicks button and waits for the worker.
    UINT Run(CButton& button, const std::string& path, WORD port);
    // Press Cancel when the status line first shows text.
    void CancelAt(const CString& text);

    // The end arrangement every transfer past the file choice leaves.
    void ExpectIdleArrangement();
    // A transfer past the file choice ended with its one error box (nullptr: none), its last
    // status text and the progress bar at position, the dialog back at rest.
    void ExpectEnd(const char* box, const CString& status, int position);
    // The transfer asked for one .csv file, to open or to save.
    void ExpectOneFileDialog(bool open);
    CString LastStatus() const;
    std::vector<int> Positions() const;
    // The buttons' enabled changes in order, e.g. "U- D- C+": Upload, Download, Cancel.
    std::string Enabling() const;
    // Message boxes other than the confirmations, each checked to be an error box.
    std::vector<CString> ErrorBoxes() const;
    // Their detail texts, in the same order.
    std::vector<CString> ErrorDetails() const;

    CScriptedFrontEnd m_fe;
    CFrontEndScope m_scope{m_fe};
    ScratchDir m_dir;
    std::unique_ptr<OrxSimulator> m_sim;
    std::unique_ptr<CORXConfigurationDlg> m_dlg;
};
