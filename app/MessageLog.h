#pragma once
// UserPrompts that pass everything on and keep the messages shown since
// they were last taken, so that a run can tell which file each was for.
#include <string>
#include <utility>

#include "app/FileRecord.h"
#include "platform/UserPrompts.h"

namespace sgry {

class MessageLog : public UserPrompts {
public:
    explicit MessageLog(UserPrompts& shown) : shown_(shown) {}

    void ShowMessage(const std::string& text, MessageIcon icon = MessageIcon::None) override {
        shown_.ShowMessage(text, icon);
        AppendMessage(kept_, text);
    }
    bool AskOkCancel(const std::string& text) override { return shown_.AskOkCancel(text); }
    std::optional<std::string> AskSaveFileName(const std::string& title, const std::string& filter) override {
        return shown_.AskSaveFileName(title, filter);
    }
    std::optional<std::string> AskPassword(const std::string& text) override { return shown_.AskPassword(text); }
    bool AskAllowChange(const std::string& text) override { return shown_.AskAllowChange(text); }

    // The messages kept (CR LF between them), which are then forgotten.
    std::string Take() { return std::exchange(kept_, std::string()); }

private:
    UserPrompts& shown_;
    std::string kept_;
};

}  // namespace sgry
