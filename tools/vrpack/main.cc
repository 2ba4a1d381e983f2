// vrpack: makes, lists, unpacks, checks and mends pack archives, and appends
// one to the runtime executable for a single-file game.
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <new>
#include <string>
#include <string_view>
#include <vector>

#include "commands.h"
#include "failure.h"

namespace {

const char kUsage[] =
    "usage: vrpack COMMAND ARGUMENTS\n"
    "\n"
    "  create OUT.vpf DIR [--store] [--level N]\n"
    "      pack every file below DIR; --store never compresses, --level sets\n"
    "      the zlib level (1-9, 9 by default)\n"
    "  list ARCHIVE\n"
    "      one line per member: name, type, storage, unpacked and stored size\n"
    "  extract ARCHIVE DIR\n"
    "      write every member below DIR, mending damaged ones where possible\n"
    "  verify ARCHIVE\n"
    "      check every member and its repair data; tell whether damaged ones can be repaired\n"
    "  repair IN OUT\n"
    "      write a copy of IN with every damaged member mended and its repair data rebuilt\n"
    "  append EXE ARCHIVE OUT [--screensaver]\n"
    "      write the runtime EXE with ARCHIVE appended as its only archive\n"
    "  images OUT DIR [--quality Q] [--values A,B,C]\n"
    "      write a packed image file of the PNG files in DIR, in name order, each\n"
    "      as a colour JPEG and (when any picture has transparency) an alpha JPEG\n"
    "      of quality Q (1-100, 90 by default); the values the game reads default\n"
    "      to the first picture's width and height, and 0\n"
    "  --version\n"
    "      print the version\n";

struct UsageError {
    std::string what;
};

struct Command {
    std::string_view name;
    size_t files;
    bool packOptions;  // --store, --level
    bool screenSaverOption;
    int (*run)(const vrpack::Options&);
    bool imageOptions = false;  // --quality, --values
};

const Command kCommands[] = {
    {"create", 2, true, false, &vrpack::runCreate},  {"list", 1, false, false, &vrpack::runList},
    {"extract", 2, false, false, &vrpack::runExtract}, {"verify", 1, false, false, &vrpack::runVerify},
    {"repair", 2, false, false, &vrpack::runRepair},  {"append", 3, false, true, &vrpack::runAppend},
    {"images", 2, false, false, &vrpack::runImages, true},
};

int parseQuality(std::string_view text) {
    int q = 0;
    for (char c : text) {
        if (c < '0' || c > '9' || q > 100) q = 1000;
        q = q * 10 + (c - '0');
    }
    if (text.empty() || q < 1 || q > 100)
        throw UsageError{"--quality wants a number from 1 to 100, not \"" + std::string(text) + "\""};
    return q;
}

std::vector<uint32_t> parseValues(std::string_view text) {
    std::vector<uint32_t> values;
    std::string_view rest = text;
    for (;;) {
        size_t comma = rest.find(',');
        std::string_view one = rest.substr(0, comma);
        uint64_t v = 0;
        if (one.empty() || one.size() > 10) throw UsageError{"--values wants three numbers, as 640,480,12"};
        for (char c : one) {
            if (c < '0' || c > '9') throw UsageError{"--values wants three numbers, as 640,480,12"};
            v = v * 10 + uint64_t(c - '0');
        }
        if (v > UINT32_MAX) throw UsageError{"--values: " + std::string(one) + " is beyond 4294967295"};
        values.push_back(uint32_t(v));
        if (comma == std::string_view::npos) break;
        rest.remove_prefix(comma + 1);
    }
    if (values.size() != 3) throw UsageError{"--values wants three numbers, as 640,480,12"};
    return values;
}

int parseLevel(std::string_view text) {
    if (text.size() == 1 && text[0] >= '1' && text[0] <= '9') return text[0] - '0';
    throw UsageError{"--level wants a number from 1 to 9, not \"" + std::string(text) + "\""};
}

vrpack::Options parseOptions(const Command& command, int argc, char** argv) {
    vrpack::Options o;
    bool optionsEnded = false;
    for (int i = 2; i < argc; ++i) {
        std::string_view a = argv[i];
        if (optionsEnded || a.size() < 2 || a[0] != '-') {
            o.files.emplace_back(a);
        } else if (a == "--") {
            optionsEnded = true;
        } else if (command.packOptions && a == "--store") {
            o.store = true;
        } else if (command.packOptions && a == "--level") {
            if (i + 1 >= argc) throw UsageError{"--level wants a number"};
            o.level = parseLevel(argv[++i]);
        } else if (command.packOptions && a.substr(0, 8) == "--level=") {
            o.level = parseLevel(a.substr(8));
        } else if (command.imageOptions && (a == "--quality" || a == "--values")) {
            if (i + 1 >= argc) throw UsageError{std::string(a) + " wants a value"};
            if (a == "--quality")
                o.quality = parseQuality(argv[++i]);
            else
                o.values = parseValues(argv[++i]);
        } else if (command.screenSaverOption && a == "--screensaver") {
            o.screenSaver = true;
        } else {
            throw UsageError{std::string(command.name) + ": unknown option " + std::string(a)};
        }
    }
    if (o.files.size() != command.files)
        throw UsageError{std::string(command.name) + " takes " + std::to_string(command.files) + " file arguments, not " +
                         std::to_string(o.files.size())};
    return o;
}

int run(int argc, char** argv) {
    if (argc < 2) {
        std::fputs(kUsage, stderr);
        return 2;
    }
    std::string_view name = argv[1];
    if (name == "--help" || name == "-h" || name == "help") {
        std::fputs(kUsage, stdout);
        return 0;
    }
    if (name == "--version") {
        std::printf("vrpack %s\n", VIRELO_VERSION);
        return 0;
    }
    for (const Command& command : kCommands)
        if (command.name == name) return command.run(parseOptions(command, argc, argv));
    throw UsageError{"unknown command " + std::string(name)};
}

}  // namespace

int main(int argc, char** argv) {
    try {
        return run(argc, argv);
    } catch (const UsageError& e) {
        std::fprintf(stderr, "vrpack: %s\n\n%s", e.what.c_str(), kUsage);
        return 2;
    } catch (const vrpack::Failure& f) {
        vrpack::report(f.file, f.what);
    } catch (const std::filesystem::filesystem_error& e) {
        vrpack::report(e.path1().string(), e.code().message());
    } catch (const std::bad_alloc&) {
        std::fprintf(stderr, "vrpack: out of memory\n");
    } catch (const std::exception& e) {
        std::fprintf(stderr, "vrpack: %s\n", e.what());
    }
    return 1;
}

namespace vrpack {

void report(const std::string& file, const std::string& what) {
    std::fprintf(stderr, "vrpack: %s: %s\n", file.c_str(), what.c_str());
}

}  // namespace vrpack
