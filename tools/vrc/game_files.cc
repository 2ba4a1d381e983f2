#include "game_files.h"

#include <algorithm>
#include <fstream>
#include <system_error>

#include "archive_image.h"
#include "common/sjis.h"
#include "core/archive/pack_format.h"
#include "failure.h"
#include "member_check.h"

namespace vrc {

namespace fs = std::filesystem;

std::string lowered(const fs::path& p) { return vr::sjis::lowerAscii(p.filename().string()); }

// The smallest spelling when several differ only in case, so the choice does
// not depend on the listing.
fs::path entryNoCase(const fs::path& folder, const std::string& name, bool wantFolder) {
    fs::path found;
    std::error_code ec;
    for (auto it = fs::directory_iterator(folder, ec); !ec && it != fs::directory_iterator(); it.increment(ec)) {
        std::error_code kindError;
        if (lowered(it->path()) != name || it->is_directory(kindError) != wantFolder) continue;
        if (found.empty() || it->path() < found) found = it->path();
    }
    return found;
}

namespace {

// The packs the engine reads: those of the game folder and of its "pac"
// folder, update archives last so that their members hide earlier ones.
std::vector<fs::path> packFiles(const fs::path& game) {
    std::vector<fs::path> plain, updates;
    for (const fs::path& folder : {game, entryNoCase(game, "pac", true)}) {
        std::error_code ec;
        if (folder.empty()) continue;
        for (auto it = fs::directory_iterator(folder, ec); !ec && it != fs::directory_iterator(); it.increment(ec)) {
            std::string name = lowered(it->path());
            std::error_code kindError;
            if (name.size() <= 4 || !vr::sjis::endsWithNoCase(name, ".vpf") || it->is_directory(kindError)) continue;
            (vr::pack::updateArchiveSlot(name) ? updates : plain).push_back(it->path());
        }
    }
    std::sort(plain.begin(), plain.end());
    std::sort(updates.begin(), updates.end(),
              [](const fs::path& a, const fs::path& b) { return lowered(a) < lowered(b); });
    plain.insert(plain.end(), updates.begin(), updates.end());
    return plain;
}

}  // namespace

struct GameFiles::Packs {
    std::vector<fs::path> paths;
    std::vector<vrpack::ArchiveImage> images;
    std::map<std::string, std::pair<size_t, size_t>> members;  // name -> archive, entry
};

GameFiles::GameFiles() = default;
GameFiles::~GameFiles() = default;

bool GameFiles::open(const fs::path& game, std::string& error) {
    vrbin_ = entryNoCase(game, "vrbin", true);
    if (!vrbin_.empty()) return true;
    packs_ = std::make_unique<Packs>();
    for (const fs::path& path : packFiles(game)) {
        try {
            packs_->images.push_back(vrpack::readArchive(path.string()));
        } catch (const vrpack::Failure& f) {
            error = f.file + ": " + f.what;
            return false;
        }
        packs_->paths.push_back(path);
        const auto& entries = packs_->images.back().entries;
        for (size_t e = 0; e < entries.size(); ++e)
            packs_->members[entries[e].name] = {packs_->images.size() - 1, e};
    }
    if (packs_->images.empty()) {
        error = game.string() + ": neither a vrbin folder nor a pack archive";
        return false;
    }
    return true;
}

std::string GameFiles::where(const std::string& name) const {
    if (!vrbin_.empty()) {
        fs::path file = entryNoCase(vrbin_, name, false);
        return (file.empty() ? vrbin_ / name : file).string();
    }
    auto it = packs_->members.find("vrbin\\" + name);
    if (it == packs_->members.end()) return "vrbin\\" + name;
    return packs_->paths[it->second.first].string() + ": vrbin\\" + name;
}

bool GameFiles::read(const std::string& name, std::vector<uint8_t>& bytes, std::string& error) const {
    bytes.clear();
    if (!vrbin_.empty()) {
        fs::path file = entryNoCase(vrbin_, name, false);
        std::ifstream in(file, std::ios::binary);
        if (file.empty() || !in) {
            error = where(name) + ": cannot open";
            return false;
        }
        bytes.assign(std::istreambuf_iterator<char>(in), {});
        return true;
    }
    auto it = packs_->members.find("vrbin\\" + name);
    if (it == packs_->members.end()) {
        error = "vrbin\\" + name + ": in none of the game's packs";
        return false;
    }
    const vrpack::ArchiveImage& image = packs_->images[it->second.first];
    vrpack::MemberCheck check = vrpack::checkMember(
        image.bytes.data(), image.bytes.size(), image.entries[it->second.second],
        [&bytes](const uint8_t* piece, size_t size) { bytes.insert(bytes.end(), piece, piece + size); });
    if (check.state != vrpack::MemberState::Intact && check.state != vrpack::MemberState::Repaired) {
        error = where(name) + ": " + vrpack::describe(check);
        return false;
    }
    return true;
}

}  // namespace vrc
