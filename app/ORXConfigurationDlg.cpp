#include "app/ORXConfigurationDlg.h"

#include "app/AboutDlg.h"
#include "app/AppResources.h"
#include "platform/ui/MessageBox.h"
#include "transfer/TransferJobs.h"

#include <filesystem>

IMPLEMENT_DYNAMIC(CORXConfigurationDlg, CDialog)

namespace {
// The caption when the dialog talks to another port than the device's: caption, port.
constexpr const char* PORT_CAPTION_FORMAT = "%s — port %u";

// The dialog's own entries of the system menu, each with its keyboard shortcut, if any.
struct MenuEntry {
    UINT command;
    UINT text;
    const char* shortcut;
};
constexpr MenuEntry MENU_ENTRIES[] = {
    {IDM_ABOUTBOX, IDS_ABOUTBOX, nullptr},
    {IDM_OPENBACKUPS, IDS_OPENBACKUPS, nullptr},
    {IDM_RESTORE, IDS_RESTORE, "Ctrl+R"},
    {IDM_VERIFY, IDS_VERIFY, "Ctrl+Shift+V"},
};
} // namespace

CORXConfigurationDlg::CORXConfigurationDlg(CWnd* pParent) : CDialog(IDD, pParent) {
    LoadOrxResources();
    m_hIcon = AfxLoadIcon(IDR_MAINFRAME);
}

CORXConfigurationDlg::~CORXConfigurationDlg() = default;

void CORXConfigurationDlg::UseSettings(TransferDialogSettings settings) {
    m_settings = std::move(settings);
    m_modbus.SetExchangeObserver(m_settings.exchangeObserver);
}

void CORXConfigurationDlg::DoDataExchange(CDataExchange* pDX) {
    CDialog::DoDataExchange(pDX);
    DDX_Control(pDX, IDC_IPADDRESS, m_ipAddress);
    DDX_Control(pDX, IDC_PROGRESS, m_progress);
    DDX_Control(pDX, IDC_STATUS, m_status);
    DDX_Control(pDX, IDC_UPLOAD, m_btnUpload);
    DDX_Control(pDX, IDC_DOWNLOAD, m_btnDownload);
    DDX_Control(pDX, IDC_CANCEL_TRANSFER, m_btnCancel);
}

BOOL CORXConfigurationDlg::OnInitDialog() {
    CDialog::OnInitDialog();
    if (CMenu* pSysMenu = GetSystemMenu(FALSE)) {
        pSysMenu->AppendMenu(MF_SEPARATOR);
        for (const MenuEntry& entry : MENU_ENTRIES) {
            CString text;
            if (!AfxLoadString(entry.text, text))
                continue;
            pSysMenu->AppendMenu(MF_STRING, entry.command, text, entry.shortcut);
        }
    }
    SetIcon(m_hIcon, TRUE);
    SetIcon(m_hIcon, FALSE);
    m_ipAddress.SendMessage(IPM_SETADDRESS, 0, 0);
    DWORD address = 0;
    if (ParseDottedAddress(m_settings.device.host.c_str(), address))
        m_ipAddress.SetAddress(address);
    // A port other than the device's is easily forgotten once the window is open.
    if (m_settings.device.port != MODBUS_TCP_PORT) {
        CString caption;
        caption.Format(PORT_CAPTION_FORMAT, GetWindowText().GetString(),
                       static_cast<unsigned>(m_settings.device.port));
        SetWindowText(caption);
    }
    return TRUE;
}

BOOL CORXConfigurationDlg::OnCommand(WPARAM wParam, LPARAM lParam) {
    if (HIWORD(static_cast<DWORD>(wParam)) == BN_CLICKED) {
        switch (LOWORD(static_cast<DWORD>(wParam))) {
        case IDC_UPLOAD:
            OnBnClickedUpload();
            return TRUE;
        case IDC_DOWNLOAD:
            OnBnClickedDownload();
            return TRUE;
        case IDC_CANCEL_TRANSFER:
            OnBnClickedCancel();
            return TRUE;
        default:
            break;
        }
    }
    return CDialog::OnCommand(wParam, lParam);
}

void CORXConfigurationDlg::OnSysCommand(UINT nID, LPARAM lParam) {
    if ((nID & SC_MASK) == IDM_ABOUTBOX) {
        CAboutDlg dlgAbout;
        dlgAbout.DoModal();
        return;
    }
    if ((nID & SC_MASK) == IDM_OPENBACKUPS) {
        OpenBackupFolder();
        return;
    }
    // Each asks its own questions on its worker, once it knows what it is about.
    if ((nID & SC_MASK) == IDM_RESTORE) {
        StartTransfer(nullptr, TRANSFER_RESTORE, RestoreThreadProc);
        return;
    }
    if ((nID & SC_MASK) == IDM_VERIFY) {
        StartTransfer(nullptr, TRANSFER_VERIFY, VerifyThreadProc);
        return;
    }
    CDialog::OnSysCommand(nID, lParam);
}

// Made first, so that the file manager has a folder to show before the first download.
void CORXConfigurationDlg::OpenBackupFolder() {
    const std::string& folder = m_settings.backup.path;
    std::error_code error;
    if (!folder.empty())
        std::filesystem::create_directories(folder, error);
    if (folder.empty() || error || !AfxGetFrontEnd().OpenFolder(folder.c_str())) {
        const std::string detail = folder.empty() ? NO_BACKUP_FOLDER
                                   : error        ? folder + ": " + error.message()
                                                  : folder;
        AfxMessageBox(BACKUP_FOLDER_NOT_SHOWN, MB_ICONEXCLAMATION | MB_OK, 0, detail.c_str());
    }
}

void CORXConfigurationDlg::OnBnClickedUpload() {
    StartTransfer(UPLOAD_QUESTION, TRANSFER_UPLOAD, UploadThreadProc);
}

void CORXConfigurationDlg::OnBnClickedDownload() {
    StartTransfer(DOWNLOAD_QUESTION, TRANSFER_DOWNLOAD, DownloadThreadProc);
}

void CORXConfigurationDlg::StartTransfer(const char* question, int state, AFX_THREADPROC proc) {
    // One worker at a time: a second one would share the client and the controls.
    if (m_bClosing || IsTransferRunning())
        return;
    if (question != nullptr && AfxMessageBox(question, MB_YESNO) != static_cast<int>(IDYES))
        return;
    m_transferState = state;
    m_worker.Start(proc, this);
}

void CORXConfigurationDlg::OnBnClickedCancel() {
    m_transferState = TRANSFER_CANCEL;
}

DeviceEndpoint CORXConfigurationDlg::DeviceToConnect() const {
    DWORD address = 0;
    m_ipAddress.GetAddress(address);
    DeviceEndpoint device = m_settings.device;
    device.host = DottedAddress(address).str();
    return device;
}

void CORXConfigurationDlg::FinishTransfer() {
    m_transferState = TRANSFER_IDLE;
    m_btnUpload.EnableWindow(TRUE);
    m_btnDownload.EnableWindow(TRUE);
    m_btnCancel.EnableWindow(FALSE);
}

BOOL CORXConfigurationDlg::ContinueModal() {
    return CDialog::ContinueModal() || IsTransferRunning();
}

// Enter and Esc never end a running transfer; only the close box, after asking, does.
void CORXConfigurationDlg::OnOK() {
    if (!IsTransferRunning())
        CDialog::OnOK();
}

void CORXConfigurationDlg::OnCancel() {
    if (!IsTransferRunning())
        CDialog::OnCancel();
}

void CORXConfigurationDlg::OnClose() {
    if (!IsTransferRunning()) {
        CDialog::OnClose();
        return;
    }
    // A transfer that ends meanwhile takes the question with it: the dialog stays open at
    // rest, its end on the status line.
    if (m_bClosing || AfxMessageBoxWhile(CLOSE_QUESTION, MB_YESNO, [this] {
                          return IsTransferRunning();
                      }) != static_cast<int>(IDYES))
        return;
    CloseAfterTransfer();
    EndDialog(IDCANCEL);
}

void CORXConfigurationDlg::OnEndSession(BOOL bEnding) {
    if (!bEnding)
        return;
    if (IsTransferRunning() && !m_bClosing)
        CloseAfterTransfer();
    EndDialog(IDCANCEL);
}

void CORXConfigurationDlg::CloseAfterTransfer() {
    m_bClosing = true;
    m_transferState = TRANSFER_CANCEL;
    m_status.SetWindowText(CLOSING_STATUS_TEXT);
}
