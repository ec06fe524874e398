#pragma once
// sigilry-cli --erase [--password PW] [--owner-password PW] FILE...: removes
// the last stamp written in the erasable form from each file
// (engine/EraseStamp.h), in the order given; an encrypted file is read with
// the passwords ("-" reads one from standard input), given anywhere.
// Each file's message goes to standard error. Exit status: AllDone when every
// file was erased, SomeNotDone when a file was refused or could not be cut
// back, UsageError when no file was given.
#include <string>
#include <vector>

#include "cli/ExitStatus.h"
#include "cli/Terminal.h"

namespace sgry::cli {

inline constexpr const char* kEraseOption = "--erase";

// arguments: those after --erase.
ExitStatus RunEraseCommand(const std::vector<std::string>& arguments, ErrorStream& err);

}  // namespace sgry::cli
