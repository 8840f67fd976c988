#pragma once
// Files that the download, check and verify must all read alike, with what each must make
// of them.

#include <string>
#include <vector>

struct FileCase {
    const char* name;
    std::string text;
    bool accepted;   // the download completes; check exits 0; verify compares
    int rowsWritten; // alarms the download writes (from alarm 1); check's count
    int problems;    // unacceptable rows that check reports
};

std::vector<FileCase> FileCases();
