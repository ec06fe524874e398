#include "platform/FileSystem.h"

#include <filesystem>
#include <system_error>

namespace sgry::fs {

PathParts SplitPath(const std::string& path) {
    PathParts parts;
    const size_t slash = path.find_last_of('/');
    const size_t nameStart = slash == std::string::npos ? 0 : slash + 1;
    parts.folder = path.substr(0, nameStart);
    const std::string name = path.substr(nameStart);
    const size_t dot = name.find_last_of('.');
    if (dot == std::string::npos) {
        parts.baseName = name;
    } else {
        parts.baseName = name.substr(0, dot);
        parts.extension = name.substr(dot);
    }
    return parts;
}

std::string FileNameOf(const std::string& path) {
    const PathParts parts = SplitPath(path);
    return parts.baseName + parts.extension;
}

bool CopyFileReplacing(const std::string& source, const std::string& target) {
    std::error_code ec;
    if (std::filesystem::equivalent(source, target, ec)) return false;
    ec.clear();
    const bool copied =
        std::filesystem::copy_file(source, target, std::filesystem::copy_options::overwrite_existing, ec);
    if (copied && !ec) return true;
    std::error_code ignored;
    if (std::filesystem::exists(target, ignored) && !std::filesystem::equivalent(source, target, ignored))
        std::filesystem::remove(target, ignored);
    return false;
}

bool EndsWithIgnoreCase(const std::string& text, const std::string& suffix) {
    if (suffix.size() > text.size()) return false;
    for (size_t i = 0; i < suffix.size(); ++i) {
        auto lower = [](char c) { return (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c; };
        if (lower(text[text.size() - suffix.size() + i]) != lower(suffix[i])) return false;
    }
    return true;
}

}  // namespace sgry::fs
