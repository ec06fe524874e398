#pragma once
// The job's error codes: why a file was not read, not stamped or passed
// over. A job keeps the code of its failure (PdfJob::ErrorCode); the run,
// the output naming and the file's guard set theirs in the same list, so
// that a report of the run has one code per file. The numbers are shown to
// the user and written to reports (platform/CodeNumber.h); they never change.
namespace sgry {

enum class JobError : int {
    None = 0,
    // --- reading the source (engine/PdfJob.h) ----------------------------
    Open = 1,            // the source ("rb") or the output ("r+b") cannot be opened,
                         // or the journal of an update in place cannot be made
    ShortFile = 2,       // seeking to 100 bytes before the end fails (a file shorter than 100 bytes)
    NoStartxref = 3,     // no "startxref" token in the last 100 bytes
    NoSize = 4,          // "/Size" not found after the startxref offset, that offset cannot be
                         // reached, or /Size is not a usable object count (negative, beyond 32
                         // bits); also a cross-reference stream at that offset that cannot be
                         // decoded
    TableMemory = 5,     // the object-offset table cannot be allocated (or grown)
    PrevUnreadable = 6,  // an older cross-reference section named by /Prev cannot be read (also
                         // a /Prev chain that comes back to a section already read, and an
                         // older cross-reference stream that cannot be decoded)
    NoPagesOrCount = 7,  // the root object has no /Pages, or the root page tree node has no /Count
    NoRoot = 8,          // no "/Root" after the startxref offset
    ObjectNotFound = 9,  // an object is not in the object-offset table (or lies in an object
                         // stream that cannot be decoded)
    // --- the stamping pass (engine/JobRunner.h) --------------------------
    ResourcesFailed = 16,  // writing the resources of a page failed
    NotPdf = 17,           // the file does not begin with "%PDF"
    // --- the output (engine/OutputNaming.h) ------------------------------
    CopyFailed = 18,       // copying the source to the output name failed (or the output mode
                           // is none of the three)
    DialogCancelled = 19,  // the save dialog was cancelled (the run shows nothing for it)
    WriteFailed = 20,      // a write of the update failed: the update is not finished
    // --- an encrypted or damaged source ----------------------------------
    EncryptedSource = 21,  // its encryption cannot be used
    Damaged = 22,          // its startxref or a /Prev offset holds no cross-reference section,
                           // or an offset of its table holds no header "N G obj" of the object
                           // listed there (found while the file is read or its pages walked;
                           // PdfJob::IsDamaged() stays true once it was found)
    ModifyForbidden = 23,     // it forbids changes and the owner password was not given
    OwnerPasswordWrong = 24,  // the owner password given is wrong
    PasswordRequired = 25,    // none of the passwords given opens it
    ImageUnreadable = 26,     // the watermark image could not be read during the pass (it was
                              // read when the run began): the file is not stamped without it
    // --- a fixed output passed over before the job begins -----------------
    OutputExists = 27,     // a file of that name exists and may not be replaced
    OutputNameTaken = 28,  // an earlier file of the same run has that output name
    // --- a file the run's guard passes over (engine/FileRunGuard.h) -------
    FileBusy = 29,        // another run holds the file
    JournalRefused = 30,  // its journal of an earlier run does not match it
    Certified = 31,       // a certified source (engine/SignatureSurvey.h) without AllowCertified
    BatesOverflow = 32,   // its last Bates number would need more than BatesDigits digits: it
                          // is not stamped and uses no numbers
    OutputIsSource = 33,  // its output would be the source itself (an output folder that is
                          // the source's own folder): passed over before the job begins
};

}  // namespace sgry
