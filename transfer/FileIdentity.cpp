#include "transfer/FileIdentity.h"

#include <filesystem>
#ifndef _WIN32
#include <sys/stat.h>
#endif

namespace fs = std::filesystem;

namespace {

#ifdef _WIN32
bool IsNullDevice(const std::string& path) {
    return path.size() == 3 && (path[0] | ' ') == 'n' && (path[1] | ' ') == 'u' &&
           (path[2] | ' ') == 'l';
}
#else
// Whatever name leads to it: the character device of /dev/null.
bool IsNullDevice(const std::string& path) {
    struct stat file {};
    struct stat null {};
    return ::stat(path.c_str(), &file) == 0 && S_ISCHR(file.st_mode) &&
           ::stat("/dev/null", &null) == 0 && file.st_rdev == null.st_rdev;
}
#endif

bool Exists(const fs::path& path) {
    std::error_code error;
    return fs::exists(path, error);
}

} // namespace

bool SameFile(const std::string& a, const std::string& b) {
    std::error_code error;
    const bool aExists = Exists(a);
    if (aExists && Exists(b))
        return fs::is_regular_file(a, error) && fs::equivalent(a, b, error);
    if (aExists || Exists(b))
        return false;
    // Absolute first: a relative path with nothing of it there stays relative otherwise.
    const fs::path placeA = fs::weakly_canonical(fs::absolute(a, error), error);
    if (error)
        return false;
    const fs::path placeB = fs::weakly_canonical(fs::absolute(b, error), error);
    return !error && placeA == placeB;
}

std::string WhyNotAPlainFile(const std::string& path) {
    std::error_code error;
    const fs::file_status status = fs::status(path, error);
    if (error || !fs::exists(status) || fs::is_regular_file(status) || IsNullDevice(path))
        return {};
    return fs::is_directory(status) ? "a folder, not a file" : "not a regular file";
}
