#pragma once
// Which file a job's update is appended to, decided once per job after the
// source has been read and closed:
//   OutputMode::PrefixedCopy  a copy next to the source named "_" + its name
//   OutputMode::SaveAsDialog  a copy under the name chosen in the save dialog
//   OutputMode::Overwrite     the source itself (nothing is copied)
// A copy is complete before anything is appended, so the source's bytes keep
// their offsets in the output. It is made under a temporary name in the
// destination's folder (platform/DurableFile.h, ProcessTempPathFor), and the
// update is appended there; only a finished, synced output is renamed to the
// destination (by the pass), replacing an existing file of that name without
// asking. A run that stops or fails leaves nothing under the destination's
// name; temporary files of runs that were killed are removed by the next
// copy into that folder.
//
// A fixed output (sigilry-cli --output-dir) overrides the mode: a copy under
// exactly that name, its folders created when missing; a file already there
// is replaced only when the caller allows it, otherwise the copy never takes
// the name.
//
// Error codes (Error(), the job's codes of engine/JobError.h): None when an
// output path was determined, CopyFailed or DialogCancelled when not; and,
// for a report of the run, OutputExists and OutputNameTaken for a fixed
// output that is passed over before the job begins (engine/OutputFolder.h).
#include <optional>
#include <string>

#include "engine/JobError.h"
#include "platform/Translation.h"
#include "platform/UserPrompts.h"
#include "settings/StampSettings.h"

namespace sgry {

// The exact output of a run in place of the output mode's.
struct FixedOutput {
    std::string path;
    bool replace = false;  // a file already under that name may be replaced
};

// Gives the finished work file its output name: over an existing file, or
// only when the name is free (false with EEXIST otherwise).
bool RenameToOutput(const std::string& workPath, const std::string& outputPath, bool replace);

// Title and filter of the save dialog of OutputMode::SaveAsDialog.
inline constexpr Translatable kSaveAsTitle = N_("Save As");
inline constexpr Translatable kSaveAsFilter = N_("PDF files (*.pdf)|*.pdf|All files (*.*)|*.*||");

// "<folder>_<name><extension>" of a source path: "/docs/report.pdf" gives
// "/docs/_report.pdf", "/docs/_a.pdf" gives "/docs/__a.pdf".
std::string PrefixedOutputPath(const std::string& sourcePath);

// A chosen name whose last four characters are not ".pdf" in any case gets
// ".pdf" appended ("out" gives "out.pdf", "OUT.PDF" stays).
std::string WithPdfExtension(const std::string& chosenPath);

class OutputNaming {
public:
    // The prompts are used for the save dialog only; both must outlive the call.
    OutputNaming(OutputMode mode, UserPrompts& prompts) : mode_(mode), prompts_(prompts) {}
    // The output of every later DetermineOutput, whatever the mode.
    void Fix(const FixedOutput& output) { fixed_ = output; }

    // The output path, or "" with Error() CopyFailed or DialogCancelled.
    std::string DetermineOutput(const std::string& sourcePath);
    // The file the update is appended to: the temporary copy in the copy
    // modes, the source in the overwrite mode ("" without an output).
    const std::string& WorkPath() const { return work_; }

    JobError Error() const { return error_; }
    // The destination tried last (quoted by "ファイルに書き込めません"); "" when
    // the dialog was cancelled.
    const std::string& AttemptedPath() const { return attempted_; }
    // True when DetermineOutput made a copy for this run (modes 0 and 1).
    bool MadeCopy() const { return madeCopy_; }
    // With CopyFailed: the fixed output's folder could not be created (errno
    // tells why), rather than the copy.
    bool FolderFailed() const { return folderFailed_; }

private:
    std::string CopyTo(const std::string& sourcePath, const std::string& target);
    std::string CopyToFixed(const std::string& sourcePath);

    OutputMode mode_;
    UserPrompts& prompts_;
    std::optional<FixedOutput> fixed_;
    bool folderFailed_ = false;
    JobError error_ = JobError::None;
    std::string attempted_;
    std::string work_;
    bool madeCopy_ = false;
};

}  // namespace sgry
