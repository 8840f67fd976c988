#include "transfer/Backups.h"

#include "transfer/FileReplacement.h"
#include "transfer/LocalTime.h"

#include <algorithm>
#include <cstdlib>
#include <filesystem>
#include <regex>
#include <tuple>

namespace fs = std::filesystem;

namespace {

constexpr int MAX_SEQUENCE = 1000; // backups of one device in one second
constexpr std::size_t STAMP_LENGTH = 15;

// The folder a user's application data goes in, or empty.
fs::path UserDataFolder() {
#ifdef _WIN32
    if (const char* local = std::getenv("LOCALAPPDATA"); local != nullptr && *local != '\0')
        return local;
#else
    // A relative one is to be ignored, as the XDG rules say.
    if (const char* data = std::getenv("XDG_DATA_HOME");
        data != nullptr && fs::path(data).is_absolute())
        return data;
    if (const char* home = std::getenv("HOME"); home != nullptr && *home != '\0')
        return fs::path(home) / ".local" / "share";
#endif
    return {};
}

std::string BaseName(DWORD serial, const std::string& stamp, int sequence) {
    std::string name = "ORX-" + std::to_string(serial) + '-' + stamp;
    if (sequence > 1)
        name += '-' + std::to_string(sequence);
    return name + ".csv";
}

std::string Stamp(std::time_t when) {
    std::tm local{};
    char text[STAMP_LENGTH + 1] = "00000000-000000";
    if (ToLocalTime(when, local))
        std::strftime(text, sizeof text, "%Y%m%d-%H%M%S", &local);
    return text;
}

} // namespace

std::string DefaultBackupFolder() {
    const fs::path data = UserDataFolder();
    return data.empty() ? std::string() : (data / "orx-config" / "backups").string();
}

std::string UploadFileName(DWORD serial, std::time_t when) {
    std::tm local{};
    char date[sizeof "0000-00-00"] = "0000-00-00";
    if (ToLocalTime(when, local))
        std::strftime(date, sizeof date, "%Y-%m-%d", &local);
    return "ORX-" + std::to_string(serial) + '-' + date + ".csv";
}

std::string BackupFile::Made() const {
    if (stamp.size() != STAMP_LENGTH)
        return stamp;
    return stamp.substr(0, 4) + '-' + stamp.substr(4, 2) + '-' + stamp.substr(6, 2) + ' ' +
           stamp.substr(9, 2) + ':' + stamp.substr(11, 2) + ':' + stamp.substr(13, 2);
}

CBackupClaim::~CBackupClaim() {
    std::error_code ignored; // a name left behind is an empty file, refused by a restore
    if (!m_path.empty())
        fs::remove(m_path, ignored);
}

OrFailure<std::string> CBackupClaim::Claim(const std::string& folder, DWORD serial,
                                           std::time_t when) {
    const std::string stamp = Stamp(when);
    for (int sequence = 1; sequence <= MAX_SEQUENCE; ++sequence) {
        const std::string path = (fs::path(folder) / BaseName(serial, stamp, sequence)).string();
        const OrFailure<replacing::Created> created = replacing::CreateFor(path, {});
        if (!created)
            return Failure{RESULT_FILE_ERROR, path + ": " + created.Error().cause};
        if (*created == replacing::Created::Yes)
            return m_path = path;
    }
    return Failure{RESULT_FILE_ERROR, "more than " + std::to_string(MAX_SEQUENCE) +
                                          " backups of ORX " + std::to_string(serial) +
                                          " made at " + stamp};
}

std::vector<BackupFile> ListBackups(const std::string& folder, DWORD serial) {
    static const std::regex NAME(R"(ORX-(\d+)-(\d{8}-\d{6})(?:-(\d+))?\.csv)");
    std::vector<BackupFile> found;
    std::error_code error;
    for (fs::directory_iterator it(folder, error), end; !error && it != end; it.increment(error)) {
        const std::string name = it->path().filename().string();
        std::smatch match;
        std::error_code unknown;
        if (!std::regex_match(name, match, NAME) || match[1].str() != std::to_string(serial) ||
            !it->is_regular_file(unknown) || it->is_symlink(unknown))
            continue;
        const int sequence = match[3].matched ? std::atoi(match[3].str().c_str()) : 1;
        found.push_back({it->path().string(), serial, match[2].str(), sequence});
    }
    std::sort(found.begin(), found.end(), [](const BackupFile& a, const BackupFile& b) {
        return std::tie(a.stamp, a.sequence) < std::tie(b.stamp, b.sequence);
    });
    return found;
}

std::optional<Failure> PruneBackups(const std::string& folder, DWORD serial, int keep,
                                    const std::string& justMade) {
    std::vector<BackupFile> others = ListBackups(folder, serial);
    const fs::path made = fs::path(justMade).filename();
    std::erase_if(others,
                  [&made](const BackupFile& b) { return fs::path(b.path).filename() == made; });
    const std::size_t kept = static_cast<std::size_t>(std::max(keep - 1, 0));
    std::string failed;
    for (std::size_t i = 0; i + kept < others.size(); ++i) {
        std::error_code error;
        if (!fs::remove(others[i].path, error) && error)
            failed += (failed.empty() ? "" : "; ") + others[i].path + ": " + error.message();
    }
    if (failed.empty())
        return std::nullopt;
    return Failure{RESULT_FILE_ERROR, failed};
}
