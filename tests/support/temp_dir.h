// A temporary folder for a test, removed with everything in it afterwards.
#pragma once

#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

namespace vr::test {

class TempDir {
public:
    TempDir();
    ~TempDir();
    TempDir(const TempDir&) = delete;
    TempDir& operator=(const TempDir&) = delete;
    const std::filesystem::path& path() const { return path_; }
    std::string str() const { return path_.string() + "/"; }
    // Writes a file below the folder, creating folders on the way.
    void write(const std::string& relative, const std::vector<uint8_t>& bytes) const;
    void write(const std::string& relative, const std::string& text) const;

private:
    std::filesystem::path path_;
};

// Makes a folder the current directory for a scope.
class CurrentDir {
public:
    explicit CurrentDir(const std::filesystem::path& p);
    ~CurrentDir();

private:
    std::filesystem::path old_;
};

}  // namespace vr::test
