#pragma once
// The system's side of CReplacingFile: POSIX files (PosixFileReplacement.cpp) or Win32
// files (Win32FileReplacement.cpp). Paths are UTF-8. A false result comes with why, in the
// system's words where it gave them.

#include <string>

namespace replacing {

// Separators of folders in the system's paths.
extern const char* const PATH_SEPARATORS;

// The file that replacing chosen replaces (on POSIX systems the file a link leads to);
// empty, with why, when there is none.
std::string Destination(const std::string& chosen, std::string& why);

// False when destination exists but could not be overwritten in place.
bool MayReplace(const std::string& destination, std::string& why);

enum class Created { Yes, NameTaken, Failed };
// Creates path as a new, empty file that is to replace destination; where the system keeps
// owner, group and permissions on the new file, it gets destination's. An empty destination
// makes a file of its own, as any new file.
Created CreateFor(const std::string& path, const std::string& destination, std::string& why);

// Puts the complete file at path in destination's place, on the disk before it returns.
bool PutInPlace(const std::string& path, const std::string& destination, std::string& why);

} // namespace replacing
