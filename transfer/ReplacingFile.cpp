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

// Creates the file under a name no other file has; a failure when no unique name could be
// made.
OrFailure<std::string> CreateUnique(const std::string& destination) {
    for (int attempt = 0; attempt < NAME_ATTEMPTS; ++attempt) {
        std::string path = TemporaryName(destination);
        const OrFailure<replacing::Created> created = replacing::CreateFor(path, destination);
        if (!created)
            return created.Error();
        if (*created == replacing::Created::Yes)
            return path;
    }
    return Failure{RESULT_FILE_ERROR, {}};
}

} // namespace

CReplacingFile::~CReplacingFile() {
    Discard();
}

std::optional<Failure> CReplacingFile::Open(const std::string& chosen) {
    Discard();
    m_chosen = chosen;
    const OrFailure<std::string> destination = replacing::Destination(chosen);
    if (!destination)
        return Refuse(destination.Error().cause);
    // A file that could not be overwritten in place is not replaced either.
    if (const auto refused = replacing::MayReplace(*destination))
        return Refuse(refused->cause);
    const OrFailure<std::string> path = CreateUnique(*destination);
    if (!path)
        return Refuse(path.Error().cause);
    m_destination = *destination;
    m_tempPath = *path;
    m_stream.open(m_tempPath, std::ios::out | std::ios::trunc);
    if (!m_stream.is_open()) {
        const int error = errno;
        Discard();
        return Refuse(std::strerror(error));
    }
    return std::nullopt;
}

std::optional<Failure> CReplacingFile::Commit() {
    if (m_tempPath.empty())
        return Refuse("no file open");
    errno = 0;
    m_stream.flush();
    const bool written = m_stream.good();
    m_stream.close();
    const bool closed = !m_stream.fail();
    if (!written || !closed)
        return Refuse(errno != 0 ? std::strerror(errno) : "write error", true);
    if (const auto failure = replacing::PutInPlace(m_tempPath, m_destination))
        return Refuse(failure->cause, true);
    m_tempPath.clear();
    return std::nullopt;
}

Failure CReplacingFile::Refuse(const std::string& cause, bool discard) {
    if (discard)
        Discard();
    return {RESULT_FILE_ERROR, m_chosen + ": " + cause};
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
