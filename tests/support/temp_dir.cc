#include "support/temp_dir.h"

#include <cstdlib>
#include <random>

namespace vr::test {

TempDir::TempDir() {
    std::random_device rd;
    auto base = std::filesystem::temp_directory_path();
    for (;;) {
        path_ = base / ("virelo-test-" + std::to_string(rd()));
        if (std::filesystem::create_directory(path_)) break;
    }
}

TempDir::~TempDir() {
    std::error_code ec;
    std::filesystem::permissions(path_, std::filesystem::perms::owner_all, std::filesystem::perm_options::add, ec);
    std::filesystem::remove_all(path_, ec);
}

void TempDir::write(const std::string& relative, const std::vector<uint8_t>& bytes) const {
    auto p = path_ / relative;
    std::filesystem::create_directories(p.parent_path());
    std::ofstream out(p, std::ios::binary);
    out.write(reinterpret_cast<const char*>(bytes.data()), std::streamsize(bytes.size()));
}

void TempDir::write(const std::string& relative, const std::string& text) const {
    write(relative, std::vector<uint8_t>(text.begin(), text.end()));
}

CurrentDir::CurrentDir(const std::filesystem::path& p) : old_(std::filesystem::current_path()) {
    std::filesystem::current_path(p);
}
CurrentDir::~CurrentDir() {
    std::error_code ec;
    std::filesystem::current_path(old_, ec);
}

}  // namespace vr::test
