// vrpack verify ARCHIVE and vrpack repair IN OUT
#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

#include "archive_image.h"
#include "commands.h"
#include "failure.h"
#include "files.h"
#include "member_check.h"
#include "names.h"

namespace vrpack {

namespace {

void discard(const uint8_t*, size_t) {}

// "a, b, c and 4 more": a report stays one line however much is damaged.
std::string nameList(const std::vector<std::string>& names) {
    constexpr size_t kShown = 8;
    std::string text;
    for (size_t i = 0; i < names.size() && i < kShown; ++i) text += (i ? ", " : "") + names[i];
    if (names.size() > kShown) text += " and " + std::to_string(names.size() - kShown) + " more";
    return text;
}

}  // namespace

int runVerify(const Options& o) {
    const std::string& path = o.files[0];
    ArchiveImage image = readArchive(path);
    size_t damaged = 0, repairable = 0;
    for (const vr::pack::Entry& e : image.entries) {
        MemberCheck c = checkMember(image.bytes.data(), image.bytes.size(), e, &discard);
        if (c.state == MemberState::Intact) continue;
        ++damaged;
        if (c.state == MemberState::Repaired) ++repairable;
        std::printf("%s: %s\n", displayName(e.name).c_str(), describe(c).c_str());
    }
    if (damaged == 0) {
        std::printf("%s: %zu members, all intact\n", path.c_str(), image.entries.size());
        return 0;
    }
    std::printf("%s: %zu members, %zu damaged, %zu of them can be repaired\n", path.c_str(), image.entries.size(),
                damaged, repairable);
    return 1;
}

int runRepair(const Options& o) {
    const std::string& in = o.files[0];
    ArchiveImage image = readArchive(in);
    std::vector<std::string> repaired, beyond;
    for (const vr::pack::Entry& e : image.entries) {
        MemberCheck c = checkMember(image.bytes.data(), image.bytes.size(), e, &discard);
        if (c.state == MemberState::Intact) continue;
        if (c.state != MemberState::Repaired) {
            beyond.push_back(displayName(e.name));
            continue;
        }
        // The mended bytes are the ones the repair record was made from, so
        // the record stays valid as it is.
        std::memcpy(image.bytes.data() + e.offset, c.repairedBytes.data(), c.repairedBytes.size());
        repaired.push_back(displayName(e.name));
    }
    if (!beyond.empty()) throw Failure{in, "cannot repair " + nameList(beyond) + "; nothing written"};
    writeFileAtomically(o.files[1], image.bytes);
    for (const std::string& name : repaired) std::printf("%s: repaired\n", name.c_str());
    std::printf("%s: %zu members, %zu repaired\n", o.files[1].c_str(), image.entries.size(), repaired.size());
    return 0;
}

}  // namespace vrpack
