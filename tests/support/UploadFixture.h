#pragma once
// The transfer fixture for uploads: the simulator holds its default alarms and the chosen
// file already holds known content.

#include "support/TransferFixture.h"

constexpr const char* PREVIOUS_CONTENT = "previous configuration\n";
constexpr const char* UPLOAD_STEP = "Uploading Alarm %d/32...";
constexpr int CONFIG_FILE_LINES = 38;

inline CString UploadStatus(int n) {
    return Numbered(UPLOAD_STEP, n);
}

class UploadFixture : public TransferFixture {
protected:
    UploadFixture() : TransferFixture({}) { WriteText(m_target, PREVIOUS_CONTENT); }

    UINT Upload(const std::string& path, WORD port) { return Run(IDC_UPLOAD, path, port); }
    UINT Upload(WORD port) { return Upload(m_target, port); }
    UINT Upload() { return Upload(m_sim->Port()); }

    void ExpectChosenFileUnchanged() {
        EXPECT_EQ(ReadText(m_target), PREVIOUS_CONTENT);
        EXPECT_EQ(m_dir.Entries(), std::vector<std::string>{"config.csv"}) << "no temporary left";
    }

    std::string m_target = m_dir.File("config.csv");
};
