// Reading whole files and writing files so that a failure never leaves a
// half-written one behind.
#pragma once

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <filesystem>
#include <optional>
#include <string>
#include <vector>

namespace vrpack {

// Reads a regular file whole; files longer than `limit` are refused before
// anything is allocated.  Throws Failure.
std::vector<uint8_t> readWholeFile(const std::filesystem::path& path, uint64_t limit);

// A file written under a temporary name beside its target and renamed over
// it by commit(); destroyed without commit() it leaves nothing behind.
class AtomicFile {
public:
    explicit AtomicFile(std::filesystem::path target);
    ~AtomicFile();
    AtomicFile(const AtomicFile&) = delete;
    AtomicFile& operator=(const AtomicFile&) = delete;

    void write(const void* bytes, size_t size);
    void commit(std::optional<std::filesystem::perms> permissions = std::nullopt);

private:
    std::filesystem::path target_, temporary_;
    std::FILE* file_ = nullptr;
    bool committed_ = false;
};

void writeFileAtomically(const std::filesystem::path& path, const std::vector<uint8_t>& bytes);

}  // namespace vrpack
