#pragma once
// The few ways the engine and the batch run talk to the user: message boxes,
// an OK/Cancel question and the save dialog of the output step. The desktop
// program answers with Qt dialogs, the command line with the terminal, tests
// with a recorder. Texts are UTF-8 with their CR LF line breaks as written.
#include <optional>
#include <string>

namespace sgry {

enum class MessageIcon { None, Information, Warning, Error };

class UserPrompts {
public:
    virtual ~UserPrompts() = default;

    virtual void ShowMessage(const std::string& text, MessageIcon icon = MessageIcon::None) = 0;
    // True for OK, false for Cancel.
    virtual bool AskOkCancel(const std::string& text) = 0;
    // A save dialog with the given title and filter ("label|pattern|...||");
    // the chosen path, or nothing when the user cancels.
    virtual std::optional<std::string> AskSaveFileName(const std::string& title, const std::string& filter) = 0;
    // A password, typed without being shown, after text that says which file
    // needs it and why; nothing when the user cancels. Prompts that cannot
    // ask (the command line takes its passwords as options) give nothing.
    virtual std::optional<std::string> AskPassword(const std::string& text) {
        (void)text;
        return std::nullopt;
    }
    // Whether to change a file although its author does not allow it, after
    // text that says which file and what breaks. Prompts that cannot ask
    // (the command line takes --allow-certified) say no.
    virtual bool AskAllowChange(const std::string& text) {
        (void)text;
        return false;
    }
};

}  // namespace sgry
