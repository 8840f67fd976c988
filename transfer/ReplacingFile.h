#pragma once
// A file written beside its destination and put in its place only by Commit, so that the
// destination is either left as it was or holds the complete new content, with the owner,
// group and permissions it had (on Windows its attributes and security). On POSIX systems a
// destination that is a symbolic link stays one: the file it leads to is replaced.

#include "transfer/Failure.h"

#include <fstream>
#include <string>

class CReplacingFile {
public:
    CReplacingFile() = default;
    ~CReplacingFile(); // discards an uncommitted file
    CReplacingFile(const CReplacingFile&) = delete;
    CReplacingFile& operator=(const CReplacingFile&) = delete;

    // Creates a uniquely named file in the folder of the file that chosen names. The failures
    // of Open and Commit (RESULT_FILE_ERROR) name chosen, with the system's words where it gave
    // them: "chosen: Permission denied".
    std::optional<Failure> Open(const std::string& chosen);
    std::ostream& Stream() { return m_stream; }
    // Flushes, closes and renames over the destination; nothing is replaced when a write, the
    // close or the rename failed.
    std::optional<Failure> Commit();
    // Closes and removes the new file; the destination is untouched.
    void Discard();
    const std::string& TemporaryPath() const { return m_tempPath; }

private:
    Failure Refuse(const std::string& cause, bool discard = false);

    std::string m_chosen;
    std::string m_destination;
    std::string m_tempPath;
    std::ofstream m_stream;
};
