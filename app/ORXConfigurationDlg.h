#pragma once
// The main dialog: address field, the two transfer buttons and Cancel, status line and
// progress bar; it owns the Modbus client that both workers use.

#include "app/Resource.h"
#include "modbus/RemoteModbus.h"
#include "platform/ui/Dialog.h"
#include "platform/ui/IPAddressCtrl.h"
#include "platform/ui/ProgressCtrl.h"
#include "platform/ui/Thread.h"
#include "transfer/Backups.h"
#include "transfer/DeviceAddress.h"

#include <atomic>

// What the dialog's transfer is doing (m_transferState).
constexpr int TRANSFER_IDLE = 0;
constexpr int TRANSFER_UPLOAD = 1;
constexpr int TRANSFER_DOWNLOAD = 2;
constexpr int TRANSFER_CANCEL = 3;

// Shown while the dialog waits for a running transfer before it closes.
constexpr const char* CLOSING_STATUS_TEXT = "Stopping the transfer before closing...";
// Asked when the close box is used while a transfer runs; it closes itself, as "No", when the
// transfer ends meanwhile.
constexpr const char* CLOSE_QUESTION = "A transfer is running. Cancel it and quit?";
// Shown when the platform cannot show the backup folder; the folder is the detail.
constexpr const char* BACKUP_FOLDER_NOT_SHOWN = "The backup folder cannot be opened.";

class CORXConfigurationDlg : public CDialog {
    DECLARE_DYNAMIC(CORXConfigurationDlg)
public:
    enum { IDD = IDD_TRANSFER_DIALOG };

    explicit CORXConfigurationDlg(CWnd* pParent = nullptr);
    // Waits for a worker still running, since it uses the controls and the client.
    ~CORXConfigurationDlg() override;
    // True while a transfer's worker runs.
    bool IsTransferRunning() const { return m_worker.IsRunning(); }

    void OnBnClickedUpload();
    void OnBnClickedDownload();
    void OnBnClickedCancel();
    // The address field's device, at the port and with the exchange time-out set.
    DeviceEndpoint DeviceToConnect();
    void FinishTransfer();
    HICON OnQueryDragIcon() { return m_hIcon; }

    // The dialog stays open while a worker runs; it closes once the worker has ended.
    BOOL ContinueModal() override;

    HICON m_hIcon;
    CIPAddressCtrl m_ipAddress;
    CProgressCtrl m_progress;
    CStatic m_status;
    std::atomic<int> m_transferState{0}; // TRANSFER_*; whole-value reads and writes
    CRemoteModbus m_modbus;
    CButton m_btnUpload;
    CButton m_btnDownload;
    CButton m_btnCancel;
    WORD m_wPortOverride = MODBUS_TCP_PORT; // the device's port; other values for simulators
    DWORD m_dwExchangeTimeout = EXCHANGE_TIMEOUT_MS;
    WORD m_wAttempts = DEFAULT_ATTEMPTS;
    BOOL m_bBlockReads = FALSE;
    CString m_strInitialHost; // "A.B.C.D" put in the address field at start-up, if valid
    // Where every download keeps the device's configuration before its first write.
    BackupPlan m_backup = BackupPlan::IntoFolder(DefaultBackupFolder());

protected:
    void DoDataExchange(CDataExchange* pDX) override;
    BOOL OnInitDialog() override;
    void OnOK() override;
    void OnCancel() override;
    void OnClose() override;
    // As the close box after "Yes": a running transfer is cancelled after the alarm in
    // progress (a download sets its abort coil) and the dialog closes once it has ended.
    void OnEndSession(BOOL bEnding) override;
    BOOL OnCommand(WPARAM wParam, LPARAM lParam) override;
    void OnSysCommand(UINT nID, LPARAM lParam) override;

private:
    void StartTransfer(const char* question, int state, AFX_THREADPROC proc);
    // The close box, confirmed while a worker runs: cancel it; the dialog closes once it has
    // ended.
    void CloseAfterTransfer();
    void OpenBackupFolder();

    bool m_bClosing = false;
    CWorker m_worker; // last: it goes first, waiting for a transfer still using the rest
};
