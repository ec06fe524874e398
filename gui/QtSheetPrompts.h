#pragma once
// UserPrompts for the settings sheets: Qt message boxes over a parent window.
#include <QPointer>
#include <QWidget>

#include "platform/UserPrompts.h"

namespace sgry::sheets {

class QtSheetPrompts : public UserPrompts {
public:
    // `parent` (not owned, may be null or go away) is the boxes' owner window.
    explicit QtSheetPrompts(QWidget* parent = nullptr) : parent_(parent) {}

    void SetParent(QWidget* parent) { parent_ = parent; }

    void ShowMessage(const std::string& text, MessageIcon icon = MessageIcon::None) override;
    bool AskOkCancel(const std::string& text) override;
    std::optional<std::string> AskSaveFileName(const std::string& title, const std::string& filter) override;

private:
    QPointer<QWidget> parent_;
};

}  // namespace sgry::sheets
