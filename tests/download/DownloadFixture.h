#pragma once
// The main dialog, headless, under a scripted front end, with a simulated ORX on loopback
// whose alarms all start at zero.

#include "DownloadFiles.h"
#include "app/AppResources.h"
#include "app/ORXConfigurationDlg.h"
#include "platform/ui/ScriptedFrontEnd.h"
#include "sim/OrxSimulator.h"
#include "transfer/TransferResults.h"

#include <gtest/gtest.h>
#include <memory>
#include <vector>

constexpr UINT ERROR_BOX_TYPE = MB_ICONEXCLAMATION | MB_OK;
constexpr const char* DOWNLOAD_QUESTION =
    "Please verify you wish to download the configuration to the ORX.";
constexpr UINT NO_WORKER_RESULT = 100;

// A device image that has the identity of an ORX and nothing else.
DeviceImage ZeroedImage();
CString DownloadStatus(int n);

class DownloadFixture : public ::testing::Test {
protected:
    DownloadFixture();
    ~DownloadFixture() override;

    // Confirms, answers the file dialog with path, clicks Download and waits for the worker.
    UINT Download(const std::string& path, WORD port);
    UINT Download(const std::string& path) { return Download(path, m_sim->Port()); }
    // The same with Upload, for files the way an upload writes them.
    UINT Upload(const std::string& path);
    // Press Cancel when the status line first shows text.
    void CancelAt(const char* text);
    void StartSimulator(SimulatorOptions options);

    void ExpectIdleArrangement();
    CString LastStatus() const;
    std::vector<int> Positions() const;
    // Message boxes other than the confirmations, each checked to be an error box.
    std::vector<CString> ErrorBoxes() const;
    // Requests of the device's log with this function code.
    std::vector<RequestSummary> Requests(BYTE function) const;
    // How many leading alarms hold DistinctAlarm; the rest must be zero (checked).
    int DistinctAlarmsOnDevice() const;

    CScriptedFrontEnd m_fe;
    CFrontEndScope m_scope{m_fe};
    DownloadScratch m_dir;
    std::unique_ptr<OrxSimulator> m_sim;
    std::unique_ptr<CORXConfigurationDlg> m_dlg;
};
