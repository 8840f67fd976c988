#pragma once
// The system's side of CReplacingFile: POSIX files (PosixFileReplacement.cpp) or Win32
// files (Win32FileReplacement.cpp). Paths are UTF-8. A failure (RESULT_FILE_ERROR) has its
// cause in the system's words where it gave them.

#include "transfer/Failure.h"

#include <string>

namespace replacing {

// Separators of folders in the system's paths.
extern const char* const PATH_SEPARATORS;

// The file that replacing chosen replaces (on POSIX systems the file a link leads to);
// a failure when there is none.
OrFailure<std::string> Destination(const std::string& chosen);

// A failure when destination exists but could not be overwritten in place.
std::optional<Failure> MayReplace(const std::string& destination);

enum class Created { Yes, NameTaken };
// Creates path as a new, empty file that is to replace destination; where the system keeps
// owner, group and permissions on the new file, it gets destination's. An empty destination
// makes a file of its own, as any new file.
OrFailure<Created> CreateFor(const std::string& path, const std::string& destination);

// Puts the complete file at path in destination's place, on the disk before it returns.
std::optional<Failure> PutInPlace(const std::string& path, const std::string& destination);

} // namespace replacing
