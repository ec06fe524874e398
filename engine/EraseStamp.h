#pragma once
// Removing a stamp that was written in the erasable form: the update then
// begins with the marker line "%Sigilry 1.08" CR LF (PdfJob::WriteMarker),
// and everything before that line is the file as it was before the stamp.
//
// EraseLastStamp cuts the file back at the LAST marker line. It refuses, and
// leaves the file unchanged, when
//   - the file has no marker line,
//   - the bytes before the marker are not a complete PDF (their "startxref"
//     must lie in their last 100 bytes and a PdfJob must read them without
//     error),
//   - a later update that was not written in the erasable form follows the
//     marked one (the newest section of the whole file does not lead back,
//     through its /Prev, to the section just before the marker): cutting
//     would remove that update as well.
// A marked update that never got its cross-reference section (a run that was
// stopped) is removed like a finished one.
//
// Result codes (EraseOutcome::code), each with its message (UTF-8, the path
// in place of %s) of erase_message below; the report of sigilry-cli --erase
// writes their numbers.
#include <cstdint>
#include <string>

#include "engine/JobError.h"
#include "pdf/SecurityHandler.h"
#include "platform/Translation.h"

namespace sgry {

enum class EraseResult : int {
    Erased = 0,
    CannotRead = 1,        // the file cannot be read
    NoMarker = 2,          // no marker line
    IncompletePrefix = 3,  // the part before it is not a complete PDF
    LaterUpdate = 4,       // a later update not in the erasable form
    CannotWrite = 5,       // the file cannot be cut back
    Protected = 6,         // the file is encrypted and the passwords given do not open it, or its
                           // encryption cannot be used: the run's message for it
                           // (engine/JobRunner.h, SecurityRefusal)
};

namespace erase_message {
inline constexpr Translatable kErased = N_("Stamps erased\r\n%s");
inline constexpr Translatable kCannotRead = N_("Cannot open the file\r\n%s");
inline constexpr Translatable kNoMarker = N_("The file has no erasable stamps\r\n%s");
inline constexpr Translatable kIncompletePrefix =
    N_("Cannot erase: the part before the stamps is not a complete PDF file\r\n%s");
inline constexpr Translatable kLaterUpdate =
    N_("Cannot erase: a stamp that is not erasable was added after it\r\n%s");
inline constexpr Translatable kCannotWrite = N_("Cannot write to the file\r\n%s");
}  // namespace erase_message

struct EraseOutcome {
    EraseResult code = EraseResult::Erased;
    std::string message;
    int64_t newLength = -1;  // the file's length after erasing (Erased)
    // Protected: the job error that refused it (PasswordRequired needs the user password).
    JobError securityCode = JobError::None;
};

// Removes the last stamp of the file at path when it was written in the
// erasable form (see above). The whole file is read into memory.
// An encrypted file is read with the passwords given.
EraseOutcome EraseLastStamp(const std::string& path, const Passwords& passwords = Passwords());

// Where the last marked update begins in bytes (its marker line, or the line
// end written before a marker that says one was added), or -1.
int64_t FindLastMarker(const std::string& bytes);

}  // namespace sgry
