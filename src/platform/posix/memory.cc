// Physical memory figures of the host.
#include <sys/sysinfo.h>

#include <cstdlib>
#include <string>
#include <vector>

#include "common/text_lines.h"
#include "platform/platform.h"

namespace vr::platform {
namespace {

// The value of a "Name:   1234 kB" line of /proc/meminfo, in bytes.
bool meminfoValue(const std::string& text, const std::string& key, uint64_t& bytes) {
    bool found = false;
    forEachLine(text, [&](std::string_view line) {
        if (!line.starts_with(key) || line.size() <= key.size() || line[key.size()] != ':') return true;
        // The number ends the line or is followed by its unit.
        const std::string number(line.substr(key.size() + 1));
        char* stop = nullptr;
        unsigned long long v = std::strtoull(number.c_str(), &stop, 10);
        if (stop != number.c_str()) {
            bytes = uint64_t(v) * 1024;
            found = true;
        }
        return false;
    });
    return found;
}

int loadOf(uint64_t total, uint64_t available) {
    if (total == 0 || available >= total) return 0;
    return int((total - available) * 100 / total);
}

}  // namespace

MemoryStatus hostMemoryStatus() {
    MemoryStatus m;
    std::vector<uint8_t> data;
    // MemAvailable counts the page cache the kernel would give back, which is
    // what "available" means to a program asking before it allocates.
    if (readHostFile("/proc/meminfo", data)) {
        std::string text(data.begin(), data.end());
        uint64_t total = 0, available = 0;
        if (meminfoValue(text, "MemTotal", total) && meminfoValue(text, "MemAvailable", available)) {
            m.totalBytes = total;
            m.availableBytes = available < total ? available : total;
            m.loadPercent = loadOf(m.totalBytes, m.availableBytes);
            return m;
        }
    }
    struct sysinfo info {};
    if (sysinfo(&info) == 0) {
        uint64_t unit = info.mem_unit ? info.mem_unit : 1;
        m.totalBytes = uint64_t(info.totalram) * unit;
        m.availableBytes = (uint64_t(info.freeram) + uint64_t(info.bufferram)) * unit;
        if (m.availableBytes > m.totalBytes) m.availableBytes = m.totalBytes;
        m.loadPercent = loadOf(m.totalBytes, m.availableBytes);
    }
    return m;
}

}  // namespace vr::platform
