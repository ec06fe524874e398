#pragma once
// The open-file dialogs of the list commands (the save dialogs go through
// UserPrompts::AskSaveFileName). The window answers with Qt dialogs, tests
// with a script. Titles and filters are UTF-8; a filter is written as
// "label|pattern|label|pattern||". Paths come back as native bytes.
#include <optional>
#include <string>
#include <vector>

namespace sgry {

class FileDialogs {
public:
    virtual ~FileDialogs() = default;
    // Several existing files; empty when the user cancels.
    virtual std::vector<std::string> AskOpenFileNames(const std::string& title, const std::string& filter) = 0;
    // One existing file; nothing when the user cancels.
    virtual std::optional<std::string> AskOpenFileName(const std::string& title, const std::string& filter) = 0;
};

}  // namespace sgry
