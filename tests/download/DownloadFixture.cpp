#include "DownloadFixture.h"

#include "platform/ui/Thread.h"

DeviceImage ZeroedImage() {
    DeviceImage image;
    return image;
}

CString DownloadStatus(int n) {
    CString text;
    text.Format("Downloading Alarm %d/32", n);
    return text;
}

DownloadFixture::DownloadFixture() {
    SimulatorOptions options;
    options.image = ZeroedImage();
    StartSimulator(std::move(options));
    m_dlg = std::make_unique<CORXConfigurationDlg>();
    m_dlg->m_strInitialHost = "127.0.0.1";
    m_dlg->Create();
}

DownloadFixture::~DownloadFixture() {
    m_dlg.reset(); // waits for a worker still running
    m_sim.reset();
}

void DownloadFixture::StartSimulator(SimulatorOptions options) {
    m_sim.reset();
    m_sim = std::make_unique<OrxSimulator>(std::move(options));
}

UINT DownloadFixture::Download(const std::string& path, WORD port) {
    m_dlg->m_wPortOverride = port;
    m_fe.AnswerMessageBox(IDYES);
    m_fe.AnswerFileDialog(CString(path.c_str()));
    m_dlg->m_btnDownload.SendMessage(BM_CLICK);
    const std::size_t before = m_fe.ExitCodes().size();
    AfxWaitForWorkers();
    const std::vector<UINT> codes = m_fe.ExitCodes();
    EXPECT_EQ(codes.size(), before + 1);
    return codes.empty() ? NO_WORKER_RESULT : codes.back();
}

UINT DownloadFixture::Upload(const std::string& path) {
    m_dlg->m_wPortOverride = m_sim->Port();
    m_fe.AnswerMessageBox(IDYES);
    m_fe.AnswerFileDialog(CString(path.c_str()));
    m_dlg->m_btnUpload.SendMessage(BM_CLICK);
    AfxWaitForWorkers();
    const std::vector<UINT> codes = m_fe.ExitCodes();
    return codes.empty() ? NO_WORKER_RESULT : codes.back();
}

void DownloadFixture::CancelAt(const char* text) {
    m_fe.OnText(IDC_STATUS, text, [this] { m_dlg->OnBnClickedCancel(); });
}

void DownloadFixture::ExpectIdleArrangement() {
    EXPECT_EQ(m_dlg->m_transferState.load(), TRANSFER_IDLE);
    EXPECT_TRUE(m_dlg->m_btnUpload.IsWindowEnabled());
    EXPECT_TRUE(m_dlg->m_btnDownload.IsWindowEnabled());
    EXPECT_FALSE(m_dlg->m_btnCancel.IsWindowEnabled());
    EXPECT_EQ(m_dlg->m_modbus.m_socket.m_hSocket, 0) << "socket left open";
}

CString DownloadFixture::LastStatus() const {
    const std::vector<CString> texts = m_fe.Texts(IDC_STATUS);
    return texts.empty() ? CString() : texts.back();
}

std::vector<int> DownloadFixture::Positions() const {
    std::vector<int> positions;
    for (const CUiEvent& event : m_fe.Events(CUiEvent::ProgressPos))
        positions.push_back(event.value);
    return positions;
}

std::vector<CString> DownloadFixture::ErrorBoxes() const {
    std::vector<CString> boxes;
    for (const CUiEvent& box : m_fe.Events(CUiEvent::MessageBox)) {
        if ((static_cast<UINT>(box.value) & MB_TYPEMASK) == MB_YESNO)
            continue;
        EXPECT_EQ(box.value, static_cast<int>(ERROR_BOX_TYPE)) << box.text.str();
        boxes.push_back(box.text);
    }
    return boxes;
}

std::vector<RequestSummary> DownloadFixture::Requests(BYTE function) const {
    std::vector<RequestSummary> out;
    for (const RequestSummary& request : m_sim->Requests())
        if (request.function == function)
            out.push_back(request);
    return out;
}

int DownloadFixture::DistinctAlarmsOnDevice() const {
    int n = 1;
    while (n <= ALARM_COUNT && m_sim->Alarm(n) == DistinctAlarm(n))
        ++n;
    for (int rest = n; rest <= ALARM_COUNT; ++rest)
        EXPECT_EQ(m_sim->Alarm(rest), AlarmRecord{}) << "alarm " << rest << " changed";
    return n - 1;
}
