#pragma once
// Backups of a device's configuration, made before every download: where they go, how they
// are named, and how many of them a folder keeps.

#include "platform/AfxTypes.h"

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
// (on Windows %LOCALAPPDATA%\orx-config\backups); empty when the environment names no home.
std::string DefaultBackupFolder();
// Why there is no backup folder when DefaultBackupFolder() is empty.
constexpr const char* NO_BACKUP_FOLDER = "no backup folder: the environment names no home";

// A backup in a folder: ORX-<serial>-<YYYYMMDD-HHMMSS>.csv, with -2, -3... added for further
// backups of the same second.
struct BackupFile {
    std::string path;
    DWORD serial = 0;
    std::string stamp; // YYYYMMDD-HHMMSS, local time
    int sequence = 1;

    std::string Made() const; // "2025-01-05 14:02:11"
};

// A path in folder that no backup has yet, for a backup of serial made at when.
std::string NewBackupPath(const std::string& folder, DWORD serial, std::time_t when);
// The backups of serial in folder, oldest first; none when the folder cannot be read.
std::vector<BackupFile> ListBackups(const std::string& folder, DWORD serial);
// Removes all but the newest keep backups of serial; false, with why, when one could not be
// removed.
bool PruneBackups(const std::string& folder, DWORD serial, int keep, std::string& why);
