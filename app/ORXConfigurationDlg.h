#pragma once
// The main dialog: address field, the two transfer buttons and Cancel, status line and
// progress bar; it owns the Modbus client and the worker of its transfers.

#include "app/Resource.h"
#include "modbus/RemoteModbus.h"
#include "platform/ui/Dialog.h"
#include "platform/ui/IPAddressCtrl.h"
#include "platform/ui/ProgressCtrl.h"
#include "platform/ui/Thread.h"
#include "transfer/Backups.h"
#include "transfer/DeviceAddress.h"

#include <atomic>
#include <mutex>

struct DownloadOptions;

// What the dialog's transfer is doing (m_transferState).
constexpr int TRANSFER_IDLE = 0;
constexpr int TRANSFER_UPLOAD = 1;
constexpr int TRANSFER_DOWNLOAD = 2;
constexpr int TRANSFER_CANCEL = 3;
constexpr int TRANSFER_RESTORE = 4;
constexpr int TRANSFER_VERIFY = 5;

// What the dialog is given before it runs: the device its address field starts with and how
// to reach it, where a download backs the device up, and who sees its client's exchanges.
struct TransferDialogSettings {
    DeviceEndpoint device; // host: "A.B.C.D" put in the address field at start-up, if valid
    BackupPlan backup = BackupPlan::IntoFolder(DefaultBackupFolder());
    ExchangeObserver exchangeObserver;
};

// The restore offered after a download stopped part way (its first line the download's
// error, or "Download Cancelled!"; No by default), and what verify says of a file the device
// holds.
constexpr UINT RESTORE_OFFER_BOX = MB_YESNO | MB_ICONEXCLAMATION | MB_DEFBUTTON2;
constexpr const char* RESTORE_OFFER = "Restore this backup now?";
constexpr const char* VERIFY_SAME = "The ORX holds exactly this file.";

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
    // For the transfers started from now on, given while none runs; the host is put in the
    // address field when the dialog is created.
    void UseSettings(TransferDialogSettings settings);
    // True while a transfer's worker runs.
    bool IsTransferRunning() const { return m_worker.IsRunning(); }
    // True while the client holds a connection to the device.
    bool IsConnectedToDevice() const { return m_modbus.m_socket.m_hSocket != 0; }
    // The device a transfer would reach: the address field's, at the port and time-out set.
    DeviceEndpoint DeviceToConnect() const;

    // The dialog stays open while a worker runs; it closes once the worker has ended.
    BOOL ContinueModal() override;

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
    class CDialogTransferView; // the transfer shown in these controls
    class CWorkerView;         // ... that holds its error box for the worker's own end
    static UINT UploadThreadProc(LPVOID pParam);
    // A download that stopped after its first write offers to put back its backup.
    static UINT DownloadThreadProc(LPVOID pParam);
    // The device's newest backup back into it, after a question that names its date.
    static UINT RestoreThreadProc(LPVOID pParam);
    // A chosen file against the device, read-only; the differences are listed in a box.
    static UINT VerifyThreadProc(LPVOID pParam);
    // On the worker: file (chosen in the file dialog when empty) into the device.
    UINT DownloadWithOffer(const std::string& file, const DownloadOptions& options);
    // On the worker: backup, or else the device's newest after a question.
    UINT RestoreBackup(const std::string& backup);

    void OnBnClickedUpload();
    void OnBnClickedDownload();
    void OnBnClickedCancel();
    void FinishTransfer();
    // A worker, unless one runs; question (if any) is asked first.
    void StartTransfer(const char* question, int state, AFX_THREADPROC proc);
    // The close box, confirmed while a worker runs: cancel it; the dialog closes once it has
    // ended.
    void CloseAfterTransfer();
    void OpenBackupFolder();

    HICON m_hIcon;
    CIPAddressCtrl m_ipAddress;
    CProgressCtrl m_progress;
    CStatic m_status;
    CButton m_btnUpload;
    CButton m_btnDownload;
    CButton m_btnCancel;
    std::atomic<int> m_transferState{0}; // TRANSFER_*; whole-value reads and writes
    CRemoteModbus m_modbus;
    TransferDialogSettings m_settings;
    bool m_bClosing = false;
    // The device whose serial number this run read last: the save dialog names a file after it.
    struct IdentifiedDevice {
        std::string host;
        WORD port = 0;
        DWORD serial = 0;
    };
    std::mutex m_identifiedMutex; // workers, one after another, read and write it
    IdentifiedDevice m_identified;
    CWorker m_worker; // last: it goes first, waiting for a transfer still using the rest
};
