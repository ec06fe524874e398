#pragma once
// Passwords of encrypted PDFs given on the command line; "-" reads the
// password as one line of standard input, with echo off on a terminal.
#include <cstdio>
#include <string>

#include "pdf/SecurityHandler.h"

namespace sgry::cli {

// Replaces each "-" by a line read from input (its line end removed); false
// when the input ends before a line is read.
bool ResolvePasswords(const std::string& user, const std::optional<std::string>& owner, std::FILE* input,
                      bool inputIsTerminal, Passwords& out);

}  // namespace sgry::cli
