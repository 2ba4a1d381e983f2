#include "files.h"

#include <cerrno>
#include <cstring>
#include <random>
#include <system_error>

#include "failure.h"

namespace vrpack {

namespace fs = std::filesystem;

namespace {

std::string systemError(const char* doing) { return std::string(doing) + ": " + std::strerror(errno); }

}  // namespace

std::vector<uint8_t> readWholeFile(const fs::path& path, uint64_t limit) {
    std::error_code ec;
    fs::file_status status = fs::status(path, ec);
    if (ec) throw Failure{path.string(), "cannot open: " + ec.message()};
    if (fs::is_directory(status)) throw Failure{path.string(), "is a folder, not a file"};
    if (!fs::is_regular_file(status)) throw Failure{path.string(), "not a regular file"};
    std::FILE* f = std::fopen(path.c_str(), "rb");
    if (!f) throw Failure{path.string(), systemError("cannot open")};
    // The size is taken from the open file so that it cannot change between
    // asking and reading.
    if (std::fseek(f, 0, SEEK_END) != 0) {
        std::fclose(f);
        throw Failure{path.string(), systemError("cannot read")};
    }
    long end = std::ftell(f);
    std::rewind(f);
    if (end < 0 || uint64_t(end) > limit) {
        std::fclose(f);
        throw Failure{path.string(), end < 0 ? "cannot read" : "larger than 4 GiB"};
    }
    std::vector<uint8_t> bytes(static_cast<size_t>(end));
    size_t got = bytes.empty() ? 0 : std::fread(bytes.data(), 1, bytes.size(), f);
    bool error = std::ferror(f) != 0;
    std::fclose(f);
    if (error || got != bytes.size()) throw Failure{path.string(), "cannot read the whole file"};
    return bytes;
}

AtomicFile::AtomicFile(fs::path target) : target_(std::move(target)) {
    std::random_device random;
    fs::path folder = target_.parent_path();
    for (int attempt = 0; attempt < 16 && !file_; ++attempt) {
        char suffix[16];
        std::snprintf(suffix, sizeof suffix, "%08x", unsigned(random()));
        temporary_ = folder / ("." + target_.filename().string() + ".vrpack-" + suffix);
        // "x": never take over a file that already has the name.
        file_ = std::fopen(temporary_.c_str(), "wbx");
        if (!file_ && errno != EEXIST) break;
    }
    if (!file_) throw Failure{target_.string(), systemError("cannot create a file beside it")};
}

AtomicFile::~AtomicFile() {
    if (file_) std::fclose(file_);
    if (!committed_) {
        std::error_code ec;
        fs::remove(temporary_, ec);
    }
}

void AtomicFile::write(const void* bytes, size_t size) {
    if (size && std::fwrite(bytes, 1, size, file_) != size) throw Failure{target_.string(), systemError("cannot write")};
}

void AtomicFile::commit(std::optional<fs::perms> permissions) {
    int closed = std::fclose(file_);
    file_ = nullptr;
    if (closed != 0) throw Failure{target_.string(), systemError("cannot write")};
    std::error_code ec;
    if (permissions) {
        fs::permissions(temporary_, *permissions, ec);
        if (ec) throw Failure{target_.string(), "cannot set its permissions: " + ec.message()};
    }
    fs::rename(temporary_, target_, ec);
    if (ec) throw Failure{target_.string(), "cannot write: " + ec.message()};
    committed_ = true;
}

void writeFileAtomically(const fs::path& path, const std::vector<uint8_t>& bytes) {
    AtomicFile out(path);
    out.write(bytes.data(), bytes.size());
    out.commit();
}

}  // namespace vrpack
