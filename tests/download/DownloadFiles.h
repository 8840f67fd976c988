#pragma once
// Configuration file texts for the download tests, a scratch folder to put them in, and a
// port on which nothing listens.

#include "support/LoopbackPorts.h"

#include "transfer/RegisterMap.h"

#include <filesystem>
#include <string>

extern const char* const DOWNLOAD_FILE_HEADER;
extern const char* const DOWNLOAD_FILE_NOTE;

// Alarm n of a configuration that differs from a zeroed device in every alarm: each field
// lies within the accepted ranges and the module is never 0.
AlarmRecord DistinctAlarm(int n);
// Rows first..last of DistinctAlarm, as an upload writes them.
std::string DistinctRows(int first, int last);
// Header, the 32 rows and the note.
std::string FullFileText();
// The text with every '\n' written as CR LF.
std::string CrLf(const std::string& text);

class DownloadScratch {
public:
    DownloadScratch();
    ~DownloadScratch();
    DownloadScratch(const DownloadScratch&) = delete;
    DownloadScratch& operator=(const DownloadScratch&) = delete;

    // Writes text to a file of the folder and returns its path.
    std::string Write(const std::string& name, const std::string& text) const;
    std::string File(const std::string& name) const { return (m_path / name).string(); }

private:
    std::filesystem::path m_path;
};
