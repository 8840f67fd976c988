#pragma once
// Backups of a device's configuration, made before every download: where they go, how they
// are named, and how many of them a folder keeps.

#include "platform/AfxTypes.h"
#include "transfer/Failure.h"

#include <ctime>
#include <string>
#include <vector>

constexpr int DEFAULT_BACKUPS_KEPT = 20;

// Where a download keeps the device's configuration before its first write.
struct BackupPlan {
    enum class Kind { None, File, Folder };
    Kind kind = Kind::None;
    std::string path;                // the file, or the folder
    int keep = DEFAULT_BACKUPS_KEPT; // in a folder: the newest backups kept per serial number

    static BackupPlan IntoFolder(std::string folder, int keep = DEFAULT_BACKUPS_KEPT) {
        return {Kind::Folder, std::move(folder), keep};
    }
};

// $XDG_DATA_HOME/orx-config/backups, or ~/.local/share/orx-config/backups where it is not set
// or not an absolute path (on Windows %LOCALAPPDATA%\orx-config\backups); empty when the
// environment names no home.
std::string DefaultBackupFolder();
// Why there is no backup folder when DefaultBackupFolder() is empty.
constexpr const char* NO_BACKUP_FOLDER = "no backup folder: the environment names no home";

// The name proposed for an upload of the device: ORX-<serial>-<YYYY-MM-DD>.csv, local date.
std::string UploadFileName(DWORD serial, std::time_t when);

// A backup in a folder: ORX-<serial>-<YYYYMMDD-HHMMSS>.csv, with -2, -3... added for further
// backups of the same second.
struct BackupFile {
    std::string path;
    DWORD serial = 0;
    std::string stamp; // YYYYMMDD-HHMMSS, local time
    int sequence = 1;

    std::string Made() const; // "2025-01-05 14:02:11"
};

// A backup's name in a folder, held by an empty file from Claim on, so that no other
// download takes it; the file is removed again unless the backup was put in its place.
class CBackupClaim {
public:
    CBackupClaim() = default;
    ~CBackupClaim();
    CBackupClaim(const CBackupClaim&) = delete;
    CBackupClaim& operator=(const CBackupClaim&) = delete;

    // Creates the first name no file has, of a backup of serial made at when; the path, or
    // the failure (RESULT_FILE_ERROR) to create one.
    OrFailure<std::string> Claim(const std::string& folder, DWORD serial, std::time_t when);
    // The backup replaced the empty file: it stays.
    void Keep() { m_path.clear(); }

private:
    std::string m_path;
};

// The backups of serial in folder, oldest first by the time in their names; only regular
// files count (not folders or links). None when the folder cannot be read.
std::vector<BackupFile> ListBackups(const std::string& folder, DWORD serial);
// Removes all but keep backups of serial: the one just made, whatever the time in its name,
// and the newest others. A failure naming each one that could not be removed; the others are
// removed all the same.
std::optional<Failure> PruneBackups(const std::string& folder, DWORD serial, int keep,
                                    const std::string& justMade);
