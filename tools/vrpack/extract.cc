// vrpack extract ARCHIVE DIR
#include <cstdio>
#include <filesystem>
#include <string>
#include <vector>

#include "archive_image.h"
#include "commands.h"
#include "failure.h"
#include "files.h"
#include "member_check.h"
#include "names.h"

namespace vrpack {

namespace fs = std::filesystem;

namespace {

// Writes one member; false (reported) when it could not be written whole.
bool extractMember(const std::string& archive, const ArchiveImage& image, const vr::pack::Entry& e,
                   const fs::path& folder) {
    const std::string shown = displayName(e.name);
    std::vector<std::string> components;
    if (const char* refused = memberPath(e.name, components)) {
        report(archive, "member " + shown + " not extracted: its name " + refused);
        return false;
    }
    fs::path target = folder;
    for (const std::string& c : components) target /= c;
    try {
        fs::create_directories(target.parent_path());
        // Written under a temporary name: a member found damaged half-way
        // through inflating leaves no partial file.
        AtomicFile out(target);
        MemberCheck c = checkMember(image.bytes.data(), image.bytes.size(), e,
                                    [&out](const uint8_t* bytes, size_t size) { out.write(bytes, size); });
        if (c.state != MemberState::Intact && c.state != MemberState::Repaired) {
            report(archive, "member " + shown + " not extracted: " + describe(c));
            return false;
        }
        out.commit();
        if (c.state == MemberState::Repaired) std::printf("%s: damaged, repaired from its repair data\n", shown.c_str());
        return true;
    } catch (const Failure& f) {
        report(f.file, f.what);
    } catch (const fs::filesystem_error& fe) {
        report(fe.path1().string(), fe.code().message());
    }
    return false;
}

}  // namespace

int runExtract(const Options& o) {
    const std::string& archive = o.files[0];
    ArchiveImage image = readArchive(archive);
    const fs::path folder = o.files[1];
    fs::create_directories(folder);
    size_t failed = 0;
    for (const vr::pack::Entry& e : image.entries)
        if (!extractMember(archive, image, e, folder)) ++failed;
    if (failed) {
        report(archive, std::to_string(failed) + " of " + std::to_string(image.entries.size()) +
                            " members not extracted whole");
        return 1;
    }
    return 0;
}

}  // namespace vrpack
