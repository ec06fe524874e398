#pragma once
// The running executable's own path (read from /proc/self/exe).
#include <string>

namespace sgry {

// Full path of the running executable; "" when it cannot be had.
std::string ExeFilePath();

// Folder of the running executable, ending with '/'; "" when unknown.
std::string ExeFolder();

}  // namespace sgry
