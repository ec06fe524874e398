#include "engine/OutputNaming.h"

#include <cstdio>
#include <filesystem>

#include "engine/TestStopPoint.h"
#include "platform/DurableFile.h"
#include "platform/FileSystem.h"
#include "platform/Format.h"

namespace sgry {

std::string PrefixedOutputPath(const std::string& sourcePath) {
    const fs::PathParts parts = fs::SplitPath(sourcePath);
    return Format("%s%s_%s%s", parts.drive, parts.folder, parts.baseName, parts.extension);
}

std::string WithPdfExtension(const std::string& chosenPath) {
    if (fs::EndsWithIgnoreCase(chosenPath, ".pdf")) return chosenPath;
    return chosenPath + ".pdf";
}

bool RenameToOutput(const std::string& workPath, const std::string& outputPath, bool replace) {
    if (replace) return std::rename(workPath.c_str(), outputPath.c_str()) == 0;
    return fs::RenameWithoutReplacing(workPath, outputPath);
}

std::string OutputNaming::CopyTo(const std::string& sourcePath, const std::string& target) {
    attempted_ = target;
    fs::RemoveOrphanedTempFiles(fs::FolderOf(target));
    const std::string work = fs::ProcessTempPathFor(target);
    // The name is this process's own; whatever has it now (left by an earlier
    // process of the same number, or planted) is removed, not followed.
    std::remove(work.c_str());
    // The source itself as the destination (a save-as onto the source) is
    // refused like a failed copy, as copying a file onto itself is.
    std::error_code error;
    if (std::filesystem::equivalent(sourcePath, target, error) || !fs::CopyToNewFile(sourcePath, work)) {
        error_ = JobError::CopyFailed;
        return std::string();
    }
    // The copy's bytes go to the disk while the pages are stamped.
    fs::StartWriteback(work);
    madeCopy_ = true;
    work_ = work;
    StopHereForTest("copied");
    return target;
}

std::string OutputNaming::CopyToFixed(const std::string& sourcePath) {
    attempted_ = fixed_->path;
    if (!fs::CreateFoldersDurably(fs::FolderOf(fixed_->path))) {
        folderFailed_ = true;
        error_ = JobError::CopyFailed;
        return std::string();
    }
    return CopyTo(sourcePath, fixed_->path);
}

std::string OutputNaming::DetermineOutput(const std::string& sourcePath) {
    error_ = JobError::None;
    attempted_.clear();
    work_.clear();
    madeCopy_ = false;
    folderFailed_ = false;
    if (fixed_) return CopyToFixed(sourcePath);
    switch (mode_) {
        case OutputMode::PrefixedCopy:
            return CopyTo(sourcePath, PrefixedOutputPath(sourcePath));
        case OutputMode::SaveAsDialog: {
            const std::optional<std::string> chosen = prompts_.AskSaveFileName(kSaveAsTitle.Text(), kSaveAsFilter.Text());
            if (!chosen || chosen->empty()) {
                error_ = JobError::DialogCancelled;
                return std::string();
            }
            return CopyTo(sourcePath, WithPdfExtension(*chosen));
        }
        case OutputMode::Overwrite:
            attempted_ = sourcePath;
            work_ = sourcePath;
            return sourcePath;
    }
    // A mode none of the three: no output, reported like a failed copy.
    error_ = JobError::CopyFailed;
    return std::string();
}

}  // namespace sgry
