#pragma once
// A transfer shown in the main dialog: its buttons, status line and progress bar, message
// boxes with the cause as their detail, and the common file dialog. Called on the worker
// thread; the controls carry the changes out on the interface thread. The dialog's own part:
// only its workers make one.

#include "app/ORXConfigurationDlg.h"
#include "transfer/DeviceAddress.h"
#include "transfer/TransferView.h"

class CORXConfigurationDlg::CDialogTransferView : public CTransferView {
public:
    // device: where the transfer goes, with the settings that the advice of a failure names;
    // openTitle: the open dialog's title when it is not the download's.
    CDialogTransferView(CORXConfigurationDlg& dlg, DeviceEndpoint device,
                        const char* openTitle = nullptr)
        : m_dlg(dlg), m_device(std::move(device)), m_openTitle(openTitle) {}

    bool ChooseFile(bool open, std::string& path) override;
    void BeginTransfer() override;
    void EndTransfer() override;
    void SetStatus(const std::string& text) override;
    void StepProgress() override;
    void SetProgress(int position) override;
    void ShowError(const std::string& message, const std::string& cause) override;
    // The advice goes below the cause, on a line of its own.
    void ShowFailure(const std::string& message, const std::string& cause,
                     FailureKind kind) override;
    // The dialog asked before it started the worker; a file with warnings is asked about
    // again, with the warnings, before anything is written.
    bool Confirm(const std::string& question, const std::vector<std::string>& warnings) override;
    bool AsksQuestion() const override { return false; }
    bool IsCancelled() override;
    void DeviceIdentified(DWORD serial) override;

private:
    // ORX-<serial>-<date>.csv while this transfer's address is that of the device last
    // identified; otherwise empty.
    std::string ProposedFileName();

    CORXConfigurationDlg& m_dlg;
    DeviceEndpoint m_device;
    const char* m_openTitle;
};
