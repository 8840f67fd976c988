#pragma once
// A transfer shown in the main dialog: its buttons, status line and progress bar, message
// boxes with the cause as their detail, and the common file dialog. Called on the worker
// thread; the controls carry the changes out on the interface thread. The dialog's own part:
// only its workers make one.

#include "app/ORXConfigurationDlg.h"
#include "transfer/TransferView.h"

class CORXConfigurationDlg::CDialogTransferView : public CTransferView {
public:
    // openTitle: the open dialog's title when it is not the download's.
    explicit CDialogTransferView(CORXConfigurationDlg& dlg, const char* openTitle = nullptr)
        : m_dlg(dlg), m_openTitle(openTitle) {}

    bool ChooseFile(bool open, std::string& path) override;
    void BeginTransfer() override;
    void EndTransfer() override;
    void SetStatus(const std::string& text) override;
    void StepProgress() override;
    void SetProgress(int position) override;
    void ShowError(const std::string& message, const std::string& cause) override;
    // The dialog asked before it started the worker.
    bool Confirm(const std::string&, const std::vector<std::string>&) override { return true; }
    bool IsCancelled() override;

private:
    CORXConfigurationDlg& m_dlg;
    const char* m_openTitle;
};
