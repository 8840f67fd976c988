#pragma once
// The main dialog, headless, under a scripted front end, with a simulated ORX on loopback
// and a chosen file that already holds known content.

#include "TestFiles.h"
#include "app/AppResources.h"
#include "app/ORXConfigurationDlg.h"
#include "platform/ui/ScriptedFrontEnd.h"
#include "sim/OrxSimulator.h"
#include "transfer/TransferResults.h"

#include <gtest/gtest.h>
#include <memory>

constexpr const char* PREVIOUS_CONTENT = "previous configuration\n";
constexpr UINT ERROR_BOX_TYPE = MB_ICONEXCLAMATION | MB_OK;
constexpr const char* UPLOAD_QUESTION = "Please verify you wish to upload the ORX's configuration.";
constexpr int CONFIG_FILE_LINES = 38;
constexpr UINT NO_UPLOAD_RESULT = 100; // no worker ended

class UploadFixture : public ::testing::Test {
protected:
    UploadFixture();
    ~UploadFixture() override;

    // Confirms, answers the file dialog with path, clicks Upload and waits for the worker.
    UINT Upload(const CString& path, WORD port);
    UINT Upload(WORD port) { return Upload(CString(m_target), port); }
    UINT Upload() { return Upload(m_sim->Port()); }
    // Press Cancel when the status line first shows text.
    void CancelAt(const char* text);
    void StartSimulator(SimulatorOptions options);

    // The end arrangement every transfer past the file choice leaves.
    void ExpectIdleArrangement();
    void ExpectChosenFileUnchanged();
    CString LastStatus() const;
    // Boxes after the confirmation.
    std::vector<CString> ErrorBoxes() const;

    CScriptedFrontEnd m_fe;
    CFrontEndScope m_scope{m_fe};
    ScratchDir m_dir;
    std::string m_target;
    std::unique_ptr<OrxSimulator> m_sim;
    std::unique_ptr<CORXConfigurationDlg> m_dlg;
};
