// An object's picture written as a BMP, PNG or JPEG file.
#pragma once

#include <string>
#include <string_view>

namespace vr {

enum class ExportFormat { Bmp, Png, Jpeg };

// `quality` is the PNG level or the JPEG quality, clamped to its range.  0,
// or -1 after a report (the object path) or the "File Create Error." box.
int exportObjectImage(std::string_view objectPath, std::string fileName, ExportFormat format, int64_t quality);

}  // namespace vr
