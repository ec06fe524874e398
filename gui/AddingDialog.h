#pragma once
// The small notice shown while a file is read to learn its page count: a
// modeless window titled "Sigilry" with one line of text, centred on its
// owner. Reading blocks the interface, so the notice and its owner are
// painted at once rather than when the event loop next runs.
#include <QDialog>
#include <QPointer>
#include <memory>

#include "app/FileList.h"

namespace sgry {

inline constexpr const char* kAddingTitle = "Sigilry";
inline constexpr const char* kAddingText = QT_TRANSLATE_NOOP("sgry::AddingDialog", "Adding PDF files to the list…");

class AddingDialog : public QDialog {
    Q_OBJECT
public:
    explicit AddingDialog(QWidget* owner);
    // Centres the notice on its owner (integer halves), shows it and paints
    // it and the owner now.
    void ShowNow();
};

// Shows an AddingDialog over the owner's window for as long as a file is
// read; the notice is made afresh for every file.
class AddingDialogNotice : public AddingNotice {
public:
    explicit AddingDialogNotice(QWidget* owner) : owner_(owner) {}
    void Show() override;
    void Hide() override;

    int ShownCount() const { return shownCount_; }
    bool Showing() const { return dialog_ != nullptr; }

private:
    QPointer<QWidget> owner_;
    std::unique_ptr<AddingDialog> dialog_;
    int shownCount_ = 0;
};

// Top-left corner that puts a window of `size` centred on `owner`.
QPoint CentredOn(const QRect& owner, const QSize& size);

}  // namespace sgry
