#include "transfer/FileReplacement.h"

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <fcntl.h>
#include <filesystem>
#include <sys/stat.h>
#include <unistd.h>

namespace replacing {

namespace {

constexpr mode_t NEW_FILE_MODE = 0666; // less the umask, as for any new file
constexpr int LINK_HOPS = 40;          // as many links as the system itself follows in a path
constexpr mode_t PERMISSION_BITS = 07777;

Failure Fail(int error = errno) {
    return {RESULT_FILE_ERROR, std::strerror(error)};
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

bool SyncToDisk(const std::string& path) {
    const int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
    if (fd < 0)
        return false;
    const bool synced = ::fsync(fd) == 0;
    return ::close(fd) == 0 && synced;
}

} // namespace

const char* const PATH_SEPARATORS = "/";

// A link stays a link: the file it leads to is the one replaced.
OrFailure<std::string> Destination(const std::string& chosen) {
    std::string destination = FollowLinks(chosen);
    if (destination.empty())
        return Failure{RESULT_FILE_ERROR, "its symbolic links cannot be followed"};
    return destination;
}

std::optional<Failure> MayReplace(const std::string& destination) {
    struct stat existing {};
    if (::stat(destination.c_str(), &existing) != 0)
        return std::nullopt;
    if (!S_ISREG(existing.st_mode))
        return Failure{RESULT_FILE_ERROR, "not a regular file"};
    if (::access(destination.c_str(), W_OK) != 0)
        return Fail();
    return std::nullopt;
}

OrFailure<Created> CreateFor(const std::string& path, const std::string& destination) {
    const int fd = ::open(path.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, NEW_FILE_MODE);
    if (fd < 0) {
        if (errno == EEXIST)
            return Created::NameTaken;
        return Fail();
    }
    struct stat existing {};
    const bool kept = ::stat(destination.c_str(), &existing) != 0 || KeepOwnerAndMode(fd, existing);
    const int error = errno;
    ::close(fd);
    if (kept)
        return Created::Yes;
    std::remove(path.c_str());
    return Fail(error);
}

std::optional<Failure> PutInPlace(const std::string& path, const std::string& destination) {
    if (SyncToDisk(path) && std::rename(path.c_str(), destination.c_str()) == 0)
        return std::nullopt;
    return Fail();
}

} // namespace replacing
