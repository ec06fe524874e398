#pragma once
// The running executable's own path (read from /proc/self/exe).
#include <string>

namespace sgry {

// Full path of the running executable; "" when it cannot be had.
std::string ExeFilePath();

// Everything of `filePath` up to and including its last '/'; "" when it has none.
std::string FolderOf(const std::string& filePath);

// Folder of the running executable, ending with '/'; "" when unknown.
std::string ExeFolder();

}  // namespace sgry
