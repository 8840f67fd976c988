#pragma once
// Scratch folders and file contents for the transfer tests.

#include "support/LoopbackPorts.h"

#include <filesystem>
#include <string>
#include <vector>

// A fresh folder under the system's temporary folder, removed with its content at the end.
class ScratchDir {
public:
    ScratchDir();
    ~ScratchDir();
    ScratchDir(const ScratchDir&) = delete;
    ScratchDir& operator=(const ScratchDir&) = delete;

    const std::filesystem::path& Path() const { return m_path; }
    std::string File(const std::string& name) const { return (m_path / name).string(); }
    // Writes text to a file of the folder and returns its path.
    std::string Write(const std::string& name, const std::string& text) const;
    // Names of everything in the folder, sorted.
    std::vector<std::string> Entries() const;

private:
    std::filesystem::path m_path;
};

std::string ReadText(const std::string& path);
void WriteText(const std::string& path, const std::string& text);
std::vector<std::string> ReadLines(const std::string& path);
