#pragma once
// Path and file operations of the output step and the file list.
#include <optional>
#include <string>
#include <string_view>

namespace sgry::fs {

// Drive (always empty here), folder with its trailing separator, base name and
// extension with its dot, as the Windows path splitter gives them.
struct PathParts {
    std::string drive;
    std::string folder;
    std::string baseName;
    std::string extension;
};

PathParts SplitPath(const std::string& path);
// File name and extension of a path ("/a/b/report.pdf" gives "report.pdf").
std::string FileNameOf(const std::string& path);
// All of a file's bytes, read to its end; nullopt when it cannot be opened
// or a read fails (a folder fails).
std::optional<std::string> ReadWholeFile(const std::string& path);
// Writes all of bytes at the descriptor's position (a short write goes on).
bool WriteAll(int fd, std::string_view bytes);
// Copies source over target, replacing an existing file without asking.
// A failed copy removes what it wrote. Copying a file onto itself fails.
bool CopyFileReplacing(const std::string& source, const std::string& target);
// Copies source to a new file at target: fails when anything has that name
// already, a symbolic link included (it is never followed).
bool CopyToNewFile(const std::string& source, const std::string& target);
// Opens a new file for writing the same way (O_EXCL | O_NOFOLLOW): the
// descriptor, or -1.
int CreateNewFile(const std::string& path, unsigned mode);
// True when the last characters of text equal suffix without regard to ASCII case.
bool EndsWithIgnoreCase(const std::string& text, const std::string& suffix);

}  // namespace sgry::fs
