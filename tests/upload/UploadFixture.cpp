#include "UploadFixture.h"

#include "platform/ui/Thread.h"

UploadFixture::UploadFixture() : m_target(m_dir.File("config.csv")) {
    WriteText(m_target, PREVIOUS_CONTENT);
    StartSimulator({});
    m_dlg = std::make_unique<CORXConfigurationDlg>();
    m_dlg->m_strInitialHost = "127.0.0.1";
    m_dlg->Create();
}

UploadFixture::~UploadFixture() {
    m_dlg.reset(); // waits for a worker still running
    m_sim.reset();
}

void UploadFixture::StartSimulator(SimulatorOptions options) {
    m_sim.reset();
    m_sim = std::make_unique<OrxSimulator>(std::move(options));
}

UINT UploadFixture::Upload(const CString& path, WORD port) {
    const std::size_t before = m_fe.ExitCodes().size();
    m_dlg->m_wPortOverride = port;
    m_fe.AnswerMessageBox(IDYES);
    m_fe.AnswerFileDialog(path);
    m_dlg->m_btnUpload.SendMessage(BM_CLICK);
    AfxWaitForWorkers();
    const std::vector<UINT> codes = m_fe.ExitCodes();
    EXPECT_EQ(codes.size(), before + 1) << "one worker ran";
    return codes.size() == before ? NO_UPLOAD_RESULT : codes.back();
}

void UploadFixture::CancelAt(const char* text) {
    m_fe.OnText(IDC_STATUS, text, [this] { m_dlg->OnBnClickedCancel(); });
}

void UploadFixture::ExpectIdleArrangement() {
    EXPECT_EQ(m_dlg->m_transferState.load(), TRANSFER_IDLE);
    EXPECT_TRUE(m_dlg->m_btnUpload.IsWindowEnabled());
    EXPECT_TRUE(m_dlg->m_btnDownload.IsWindowEnabled());
    EXPECT_FALSE(m_dlg->m_btnCancel.IsWindowEnabled());
}

void UploadFixture::ExpectChosenFileUnchanged() {
    EXPECT_EQ(ReadText(m_target), PREVIOUS_CONTENT);
    EXPECT_EQ(m_dir.Entries(), std::vector<std::string>{"config.csv"}) << "no temporary left";
}

CString UploadFixture::LastStatus() const {
    const std::vector<CString> texts = m_fe.Texts(IDC_STATUS);
    return texts.empty() ? CString() : texts.back();
}

std::vector<CString> UploadFixture::ErrorBoxes() const {
    std::vector<CString> boxes;
    for (const CUiEvent& box : m_fe.Events(CUiEvent::MessageBox)) {
        if (box.text == UPLOAD_QUESTION) {
            EXPECT_EQ(box.value, static_cast<int>(MB_YESNO));
            continue;
        }
        EXPECT_EQ(box.value, static_cast<int>(ERROR_BOX_TYPE)) << box.text.str();
        boxes.push_back(box.text);
    }
    return boxes;
}
