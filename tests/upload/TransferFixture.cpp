#include "TransferFixture.h"

#include "platform/ui/Thread.h"

#include <map>
#include <numeric>
#include <tuple>

CString Numbered(const char* format, int n) {
    CString text;
    text.Format(format, n);
    return text;
}

std::vector<CString> Steps(const char* format, int last) {
    std::vector<CString> texts{CONNECTING_TEXT};
    for (int n = 1; n <= last; ++n)
        texts.push_back(Numbered(format, n));
    return texts;
}

std::vector<int> CountTo(int last) {
    std::vector<int> numbers(static_cast<std::size_t>(last) + 1);
    std::iota(numbers.begin(), numbers.end(), 0);
    return numbers;
}

TransferFixture::TransferFixture(SimulatorOptions options) {
    StartSimulator(std::move(options));
    m_dlg = std::make_unique<CORXConfigurationDlg>();
    m_dlg->m_strInitialHost = "127.0.0.1";
    m_dlg->m_backup.path = m_dir.File("backups");
    m_dlg->Create();
}

TransferFixture::~TransferFixture() {
    m_dlg.reset(); // waits for a worker still running
    m_sim.reset();
}

void TransferFixture::StartSimulator(SimulatorOptions options) {
    m_sim.reset();
    m_sim = std::make_unique<OrxSimulator>(std::move(options));
}

UINT TransferFixture::Run(CButton& button, const std::string& path, WORD port) {
    const std::size_t before = m_fe.ExitCodes().size();
    m_dlg->m_wPortOverride = port;
    m_fe.AnswerMessageBox(IDYES);
    m_fe.AnswerFileDialog(CString(path.c_str()));
    button.SendMessage(BM_CLICK);
    AfxWaitForWorkers();
    const std::vector<UINT> codes = m_fe.ExitCodes();
    EXPECT_EQ(codes.size(), before + 1) << "one worker ran";
    return codes.size() == before ? NO_WORKER_RESULT : codes.back();
}

void TransferFixture::CancelAt(const CString& text) {
    m_fe.OnText(IDC_STATUS, text, [this] { m_dlg->OnBnClickedCancel(); });
}

void TransferFixture::ExpectIdleArrangement() {
    EXPECT_EQ(m_dlg->m_transferState.load(), TRANSFER_IDLE);
    EXPECT_TRUE(m_dlg->m_btnUpload.IsWindowEnabled());
    EXPECT_TRUE(m_dlg->m_btnDownload.IsWindowEnabled());
    EXPECT_FALSE(m_dlg->m_btnCancel.IsWindowEnabled());
    EXPECT_EQ(m_dlg->m_modbus.m_socket.m_hSocket, 0) << "socket left open";
}

void TransferFixture::ExpectEnd(const char* box, const CString& status, int position) {
    EXPECT_EQ(ErrorBoxes(), box ? std::vector<CString>{box} : std::vector<CString>{});
    EXPECT_EQ(LastStatus(), status);
    EXPECT_EQ(m_dlg->m_progress.GetPos(), position);
    ExpectIdleArrangement();
}

void TransferFixture::ExpectOneFileDialog(bool open) {
    const auto requests = m_fe.FileRequests();
    ASSERT_EQ(requests.size(), 1u);
    const CFileRequest& r = requests[0];
    EXPECT_EQ(std::tie(r.strDefExt, r.strFileName, r.strFilter),
              std::make_tuple(CString("csv"), CString("*.csv"),
                              CString("Comma Separated Values (*.CSV)|*.CSV|")));
    EXPECT_EQ(r.dwFlags, static_cast<DWORD>(OFN_HIDEREADONLY | OFN_OVERWRITEPROMPT));
    EXPECT_EQ(static_cast<bool>(r.bOpenFileDialog), open);
}

CString TransferFixture::LastStatus() const {
    const std::vector<CString> texts = m_fe.Texts(IDC_STATUS);
    return texts.empty() ? CString() : texts.back();
}

std::vector<int> TransferFixture::Positions() const {
    std::vector<int> positions;
    for (const CUiEvent& event : m_fe.Events(CUiEvent::ProgressPos))
        positions.push_back(event.value);
    return positions;
}

std::string TransferFixture::Enabling() const {
    const std::map<int, char> names{
        {IDC_UPLOAD, 'U'}, {IDC_DOWNLOAD, 'D'}, {IDC_CANCEL_TRANSFER, 'C'}};
    std::string text;
    for (const CUiEvent& e : m_fe.Events(CUiEvent::Enabled)) {
        const auto name = names.find(e.id);
        if (!text.empty())
            text += ' ';
        text += name == names.end() ? '?' : name->second;
        text += e.value ? '+' : '-';
    }
    return text;
}

std::vector<CString> TransferFixture::ErrorBoxes() const {
    std::vector<CString> boxes;
    for (const CUiEvent& box : m_fe.Events(CUiEvent::MessageBox)) {
        if (box.value == static_cast<int>(MB_YESNO)) {
            EXPECT_TRUE(box.text == UPLOAD_QUESTION || box.text == DOWNLOAD_QUESTION)
                << box.text.str();
            continue;
        }
        EXPECT_EQ(box.value, static_cast<int>(ERROR_BOX_TYPE)) << box.text.str();
        boxes.push_back(box.text);
    }
    return boxes;
}

std::vector<CString> TransferFixture::ErrorDetails() const {
    std::vector<CString> details;
    for (const CUiEvent& box : m_fe.Events(CUiEvent::MessageBox))
        if (box.value != static_cast<int>(MB_YESNO))
            details.push_back(box.detail);
    return details;
}
