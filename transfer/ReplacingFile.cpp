#include "transfer/ReplacingFile.h"

#include "transfer/FileReplacement.h"

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <random>

namespace {

constexpr int NAME_ATTEMPTS = 100;
constexpr const char* SUFFIX_CHARS = "abcdefghijklmnopqrstuvwxyz0123456789";
constexpr int SUFFIX_LENGTH = 8;
constexpr const char* TEMPORARY_PREFIX = ".orx-";
constexpr const char* TEMPORARY_SUFFIX = ".tmp";

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
    const std::size_t slash = destination.find_last_of(replacing::PATH_SEPARATORS);
    const std::string dir = slash == std::string::npos ? "" : destination.substr(0, slash + 1);
    return dir + TEMPORARY_PREFIX + RandomSuffix() + TEMPORARY_SUFFIX;
}

// Creates the file under a name no other file has; false when no unique name could be made.
bool CreateUnique(const std::string& destination, std::string& path, std::string& why) {
    for (int attempt = 0; attempt < NAME_ATTEMPTS; ++attempt) {
        path = TemporaryName(destination);
        switch (replacing::CreateFor(path, destination, why)) {
        case replacing::Created::Yes:
            return true;
        case replacing::Created::Failed:
            return false;
        case replacing::Created::NameTaken:
            break;
        }
    }
    return false;
}

} // namespace

CReplacingFile::~CReplacingFile() {
    Discard();
}

bool CReplacingFile::Open(const std::string& chosen) {
    Discard();
    std::string why;
    const std::string destination = replacing::Destination(chosen, why);
    if (destination.empty())
        return Refuse(why);
    // A file that could not be overwritten in place is not replaced either.
    if (!replacing::MayReplace(destination, why))
        return Refuse(why);
    std::string path;
    if (!CreateUnique(destination, path, why))
        return Refuse(why);
    m_destination = destination;
    m_tempPath = path;
    m_stream.open(path, std::ios::out | std::ios::trunc);
    if (!m_stream.is_open()) {
        const int error = errno;
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
    std::string why;
    if (!replacing::PutInPlace(m_tempPath, m_destination, why))
        return Refuse(why, true);
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
