#pragma once
// Which file a path names, asked before a command opens anything: a path that would block in
// open() or be written over while it is still to be read is refused up front.

#include <string>

// True when a and b name one regular file (hard and symbolic links and "./" spellings
// count), or, when neither exists yet, the same place.
bool SameFile(const std::string& a, const std::string& b);

// Why path is no file to read or write from start to end: a folder, FIFO, socket or device
// would fail or block in open(). Empty for a regular file, the null device (nothing is lost
// into it) and a path with nothing there yet (opening it then says why it fails).
std::string WhyNotAPlainFile(const std::string& path);
