// vrpack create OUT.vpf DIR [--store] [--level N]
#include <algorithm>
#include <cstdint>
#include <filesystem>
#include <map>
#include <string>
#include <vector>

#include "commands.h"
#include "core/archive/pack_format.h"
#include "core/archive/pack_writer.h"
#include "failure.h"
#include "files.h"
#include "names.h"

namespace vrpack {

namespace fs = std::filesystem;
namespace pack = vr::pack;

namespace {

// The member name of a file below the folder: each component in Shift_JIS,
// '\\' between them, ASCII lower case.
std::string memberNameOf(const fs::path& file, const fs::path& relative) {
    std::string sjis;
    for (const fs::path& element : relative) {
        std::string component;
        if (const char* refused = hostComponentToShiftJis(element.native(), component))
            throw Failure{file.string(), refused};
        if (!sjis.empty()) sjis += '\\';
        sjis += component;
    }
    std::string name = pack::memberName(sjis);
    if (name.size() > 255) throw Failure{file.string(), "member name longer than 255 bytes"};
    return name;
}

// Regular files below the folder, in a fixed order so that errors name the
// same files on every run.
std::vector<fs::path> filesBelow(const fs::path& folder, const fs::path& skip) {
    std::vector<fs::path> files;
    std::error_code ec;
    fs::path skipCanonical = fs::weakly_canonical(skip, ec);
    for (auto it = fs::recursive_directory_iterator(folder); it != fs::recursive_directory_iterator(); ++it) {
        if (!it->is_regular_file()) continue;
        // Packing into the folder being packed must not take in the
        // archive made by an earlier run.
        if (!skipCanonical.empty() && fs::weakly_canonical(it->path(), ec) == skipCanonical) continue;
        files.push_back(it->path());
    }
    std::sort(files.begin(), files.end());
    return files;
}

}  // namespace

int runCreate(const Options& o) {
    const fs::path out = o.files[0];
    const fs::path folder = o.files[1];
    std::error_code ec;
    if (!fs::is_directory(folder, ec)) throw Failure{folder.string(), "not a folder"};

    std::map<std::string, fs::path> taken;
    std::vector<pack::MemberInput> members;
    for (const fs::path& file : filesBelow(folder, out)) {
        pack::MemberInput m;
        m.name = memberNameOf(file, file.lexically_relative(folder));
        auto [at, inserted] = taken.emplace(m.name, file);
        if (!inserted)
            throw Failure{file.string(), "same member name \"" + displayName(m.name) + "\" as " + at->second.string() +
                                             " (names do not tell case apart)"};
        m.bytes = readWholeFile(file, UINT32_MAX);
        members.push_back(std::move(m));
    }

    pack::WriteOptions options;
    options.store = o.store;
    options.level = o.level;
    pack::WriteResult written = pack::writeArchive(std::move(members), options);
    if (!written.error.empty()) throw Failure{out.string(), written.error};
    writeFileAtomically(out, written.bytes);
    return 0;
}

}  // namespace vrpack
