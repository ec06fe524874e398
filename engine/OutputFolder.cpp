#include "engine/OutputFolder.h"

#include <sys/stat.h>

#include "engine/OutputNaming.h"
#include "platform/FileSystem.h"

namespace sgry {

namespace {

// Without following links, so that a tree reached through a linked folder
// keeps the names it was given.
std::filesystem::path AbsoluteFolderOf(const std::string& source) {
    std::error_code error;
    const std::filesystem::path absolute = std::filesystem::absolute(source, error);
    return (error ? std::filesystem::path(source) : absolute).lexically_normal().parent_path();
}

std::filesystem::path CommonFolder(const std::filesystem::path& a, const std::filesystem::path& b) {
    std::filesystem::path common;
    for (auto x = a.begin(), y = b.begin(); x != a.end() && y != b.end() && *x == *y; ++x, ++y) common /= *x;
    return common;
}

}  // namespace

void OutputFolder::SetSources(const std::vector<std::string>& sources) {
    common_.clear();
    for (std::size_t i = 0; i < sources.size(); ++i) {
        const std::filesystem::path folder = AbsoluteFolderOf(sources[i]);
        common_ = i == 0 ? folder : CommonFolder(common_, folder);
    }
}

std::string OutputFolder::TargetOf(const std::string& source) const {
    std::filesystem::path target = options_.folder;
    if (options_.keepTree) target /= AbsoluteFolderOf(source).lexically_relative(common_);
    target /= (options_.prefix ? "_" : "") + fs::FileNameOf(source);
    return target.lexically_normal().native();
}

JobError OutputFolder::Claim(const std::string& source, const std::string& target) {
    struct stat info {}, sourceInfo {};
    // Replacing the source by its own copy would leave nothing to copy from.
    if (::stat(target.c_str(), &info) == 0 && ::stat(source.c_str(), &sourceInfo) == 0 &&
        info.st_dev == sourceInfo.st_dev && info.st_ino == sourceInfo.st_ino)
        return JobError::OutputIsSource;
    if (!claimed_.insert(target).second) return JobError::OutputNameTaken;
    if (!options_.replace && ::lstat(target.c_str(), &info) == 0) return JobError::OutputExists;
    return JobError::None;
}

}  // namespace sgry
