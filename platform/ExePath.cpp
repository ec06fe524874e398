#include "platform/ExePath.h"

#include <unistd.h>

#include <vector>

#include "platform/FileSystem.h"

namespace sgry {

std::string ExeFilePath() {
    // readlink does not say how long the name is: grow until it fits.
    for (size_t size = 256; size <= 65536; size *= 2) {
        std::vector<char> buffer(size);
        const ssize_t length = readlink("/proc/self/exe", buffer.data(), buffer.size());
        if (length < 0) return "";
        if (static_cast<size_t>(length) < buffer.size()) return std::string(buffer.data(), static_cast<size_t>(length));
    }
    return "";
}

std::string ExeFolder() { return fs::SplitPath(ExeFilePath()).folder; }

}  // namespace sgry
