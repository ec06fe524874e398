#pragma once
// sigilry-cli --erase FILE...: removes the last stamp written in the
// erasable form from each file (engine/EraseStamp.h), in the order given.
// Each file's message goes to standard error. Exit status: 0 every file was
// erased, 1 a file was refused or could not be cut back, 2 no file given.
#include <string>
#include <vector>

#include "cli/Terminal.h"

namespace sgry::cli {

inline constexpr const char* kEraseOption = "--erase";

// files: the arguments after --erase.
int RunEraseCommand(const std::vector<std::string>& files, ErrorStream& err);

}  // namespace sgry::cli
