#pragma once
// The transfer fixture for downloads: the simulated ORX's alarms all start at zero.

#include "DownloadFiles.h"
#include "upload/TransferFixture.h"

constexpr const char* DOWNLOAD_STEP = "Downloading Alarm %d/32";
constexpr const char* BACKUP_TEXT = "Backing up ORX...";

inline CString DownloadStatus(int n) {
    return Numbered(DOWNLOAD_STEP, n);
}

class DownloadFixture : public TransferFixture {
protected:
    DownloadFixture() : TransferFixture(ZeroedDevice()) {}

    UINT Download(const std::string& path, WORD port) {
        return Run(m_dlg->m_btnDownload, path, port);
    }
    UINT Download(const std::string& path) { return Download(path, m_sim->Port()); }
    UINT DownloadFull() { return Download(m_dir.Write("full.csv", FullFileText())); }
    UINT Upload(const std::string& path) { return Run(m_dlg->m_btnUpload, path, m_sim->Port()); }
    std::vector<RequestSummary> Requests(BYTE function) const {
        return RequestsOf(*m_sim, function);
    }
    int DistinctAlarmsOnDevice() const { return DistinctAlarmsOn(*m_sim); }
};
