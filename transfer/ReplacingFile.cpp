#include "transfer/ReplacingFile.h"

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <fcntl.h>
#include <filesystem>
#include <random>
#include <sys/stat.h>
#include <unistd.h>

namespace {

constexpr int NAME_ATTEMPTS = 100;
constexpr mode_t NEW_FILE_MODE = 0666; // less the umask, as for any new file
constexpr const char* SUFFIX_CHARS = "abcdefghijklmnopqrstuvwxyz0123456789";
constexpr int SUFFIX_LENGTH = 8;
constexpr const char* TEMPORARY_PREFIX = ".orx-";
constexpr const char* TEMPORARY_SUFFIX = ".tmp";
constexpr int LINK_HOPS = 40; // as many links as the system itself follows in a path
constexpr mode_t PERMISSION_BITS = 07777;

std::string RandomSuffix() {
    thread_local std::mt19937 generator{std::random_device{}()};
    std::uniform_int_distribution<int> pick(0, 35);
    std::string suffix;
    for (int i = 0; i < SUFFIX_LENGTH; ++i)
        suffix += SUFFIX_CHARS[pick(generator)];
    return suffix;
}

// Hidden name beside the destination, "dir/.orx-xxxxxxxx.tmp": of fixed length, so that any
// name the folder takes can be the destination.
std::string TemporaryName(const std::string& destination) {
    const std::size_t slash = destination.rfind('/');
    const std::string dir = slash == std::string::npos ? "" : destination.substr(0, slash + 1);
    return dir + TEMPORARY_PREFIX + RandomSuffix() + TEMPORARY_SUFFIX;
}

// The file that path names once symbolic links are followed, also where a link's target does
// not exist yet; empty when the links loop or cannot be read.
std::string FollowLinks(std::filesystem::path path) {
    for (int hop = 0; hop < LINK_HOPS; ++hop) {
        std::error_code error;
        if (!std::filesystem::is_symlink(std::filesystem::symlink_status(path, error)))
            return path.string();
        const std::filesystem::path target = std::filesystem::read_symlink(path, error);
        if (error)
            return {};
        path = target.is_absolute() ? target : path.parent_path() / target;
    }
    return {};
}

// The replacement gets the owner, group and permissions of the file it replaces. Only the
// superuser may give a file to someone else; anyone else keeps the group where allowed.
bool KeepOwnerAndMode(int fd, const struct stat& replaced) {
    if (::fchown(fd, replaced.st_uid, replaced.st_gid) != 0) {
        if (errno != EPERM || ::geteuid() == 0)
            return false;
        if (::fchown(fd, static_cast<uid_t>(-1), replaced.st_gid) != 0 && errno != EPERM)
            return false;
    }
    // After the owner: a change of owner clears the set-id bits.
    return ::fchmod(fd, replaced.st_mode & PERMISSION_BITS) == 0;
}

// Creates the file exclusively; -1 when no unique name could be made.
int CreateUnique(const std::string& destination, std::string& path) {
    for (int attempt = 0; attempt < NAME_ATTEMPTS; ++attempt) {
        path = TemporaryName(destination);
        const int fd = ::open(path.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, NEW_FILE_MODE);
        if (fd >= 0 || errno != EEXIST)
            return fd;
    }
    return -1;
}

bool SyncToDisk(const std::string& path) {
    const int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
    if (fd < 0)
        return false;
    const bool synced = ::fsync(fd) == 0;
    return ::close(fd) == 0 && synced;
}

} // namespace

CReplacingFile::~CReplacingFile() {
    Discard();
}

bool CReplacingFile::Open(const std::string& chosen) {
    Discard();
    // A link stays a link: the file it leads to is the one replaced.
    const std::string destination = FollowLinks(chosen);
    if (destination.empty())
        return Refuse("its symbolic links cannot be followed");
    // A file that could not be overwritten in place is not replaced either.
    struct stat existing {};
    const bool exists = ::stat(destination.c_str(), &existing) == 0;
    if (exists && !S_ISREG(existing.st_mode))
        return Refuse("not a regular file");
    if (exists && ::access(destination.c_str(), W_OK) != 0)
        return Refuse(std::strerror(errno));
    std::string path;
    const int fd = CreateUnique(destination, path);
    if (fd < 0)
        return Refuse(std::strerror(errno));
    const bool kept = !exists || KeepOwnerAndMode(fd, existing);
    const int keptError = errno;
    ::close(fd);
    m_destination = destination;
    m_tempPath = path;
    if (kept)
        m_stream.open(path, std::ios::out | std::ios::trunc);
    if (!m_stream.is_open()) {
        const int error = kept ? errno : keptError;
        Discard();
        return Refuse(std::strerror(error));
    }
    return true;
}

bool CReplacingFile::Commit() {
    if (m_tempPath.empty())
        return Refuse("no file open");
    errno = 0;
    m_stream.flush();
    const bool written = m_stream.good();
    m_stream.close();
    const bool closed = !m_stream.fail();
    if (!written || !closed)
        return Refuse(errno != 0 ? std::strerror(errno) : "write error", true);
    if (!SyncToDisk(m_tempPath) || std::rename(m_tempPath.c_str(), m_destination.c_str()) != 0)
        return Refuse(std::strerror(errno), true);
    m_tempPath.clear();
    return true;
}

bool CReplacingFile::Refuse(const std::string& why, bool discard) {
    m_why = why;
    if (discard)
        Discard();
    return false;
}

void CReplacingFile::Discard() {
    if (m_stream.is_open())
        m_stream.close();
    m_stream.clear();
    if (!m_tempPath.empty()) {
        std::remove(m_tempPath.c_str());
        m_tempPath.clear();
    }
}
