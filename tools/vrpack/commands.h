// The vrpack commands.  Each returns the exit code and throws Failure for
// an error that ends it.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace vrpack {

struct Options {
    std::vector<std::string> files;  // the positional arguments
    bool store = false;
    int level = 9;
    bool screenSaver = false;
    // images: the JPEG quality and the file's three values (empty: the
    // first picture's width and height, and 0).
    int quality = 90;
    std::vector<uint32_t> values;
};

int runCreate(const Options& options);
int runList(const Options& options);
int runExtract(const Options& options);
int runVerify(const Options& options);
int runRepair(const Options& options);
int runAppend(const Options& options);
int runImages(const Options& options);

// "vrpack: FILE: what", on standard error.
void report(const std::string& file, const std::string& what);

}  // namespace vrpack
