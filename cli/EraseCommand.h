#pragma once
// sigilry-cli --erase [--password PW] [--owner-password PW] FILE...: removes
// the last stamp written in the erasable form from each file
// (engine/EraseStamp.h), in the order given; an encrypted file is read with
// the passwords ("-" reads one from standard input), given anywhere.
// Each file's message goes to standard error. Exit status: 0 every file was
// erased, 1 a file was refused or could not be cut back, 2 no file given.
#include <string>
#include <vector>

#include "cli/Terminal.h"

namespace sgry::cli {

inline constexpr const char* kEraseOption = "--erase";

// arguments: those after --erase.
int RunEraseCommand(const std::vector<std::string>& arguments, ErrorStream& err);

}  // namespace sgry::cli
