#pragma once
// Helpers of the settings sheet tests: controls by their id, a dialog runner
// installed for one test, CP932 literals, and a stamp sheet opened on a page.
#include <gtest/gtest.h>

#include <QAbstractButton>
#include <QApplication>
#include <QComboBox>
#include <QDialog>
#include <QLineEdit>
#include <QString>
#include <memory>
#include <string>
#include <vector>

#include "gui/CPSheetStampSetting.h"
#include "gui/PropertyPage.h"
#include "gui/SheetDialogRunner.h"
#include "platform/SjisText.h"
#include "support/RecordingPrompts.h"

namespace sgry::test {

// The control of `root` with the object name of `id`; fails the test when
// there is none.
template <class Widget>
Widget* Control(const QWidget* root, int id) {
    Widget* widget = root->findChild<Widget*>(QString::number(id));
    EXPECT_NE(widget, nullptr) << "no control " << id;
    return widget;
}

inline void Click(const QWidget* root, int id) {
    if (auto* button = Control<QAbstractButton>(root, id)) button->click();
}

inline void Select(const QWidget* root, int id, int index) {
    if (auto* combo = Control<QComboBox>(root, id)) combo->setCurrentIndex(index);
}

inline void Type(const QWidget* root, int id, const QString& text) {
    if (auto* edit = Control<QLineEdit>(root, id)) edit->setText(text);
}

inline bool Enabled(const QWidget* root, int id) {
    const QWidget* widget = Control<QWidget>(root, id);
    return widget && widget->isEnabled();
}

// UTF-8 to CP932 bytes for expected values.
inline std::string Cp932(const char* utf8) { return sjis::FromUtf8(utf8).value(); }

// Installs a dialog runner for the lifetime of the object.
class ScopedDialogRunner {
public:
    explicit ScopedDialogRunner(sheets::DialogRunner runner) : previous_(sheets::SetDialogRunner(std::move(runner))) {}
    ~ScopedDialogRunner() { sheets::SetDialogRunner(previous_); }
    ScopedDialogRunner(const ScopedDialogRunner&) = delete;
    ScopedDialogRunner& operator=(const ScopedDialogRunner&) = delete;

private:
    sheets::DialogRunner previous_;
};

// What a runner does with a dialog it does not expect: the test fails and
// the dialog is cancelled.
inline int UnexpectedDialog(QDialog& dialog) {
    ADD_FAILURE() << "unexpected dialog " << dialog.windowTitle().toStdString();
    return QDialog::Rejected;
}

// Accepts the dialog the way its OK button would and reports the result;
// a dialog that refuses stays un-accepted and counts as cancelled.
inline int PressOk(QDialog& dialog) {
    dialog.setResult(QDialog::Rejected);
    dialog.accept();
    return dialog.result();
}

using Strings = std::vector<std::string>;

// The stamp settings sheet over settings_, opened on a page (kPage unless told).
template <int kPage>
class SheetTest : public ::testing::Test {
protected:
    void OpenSheet(int page = kPage) {
        sheet_ = std::make_unique<CPSheetStampSetting>(settings_, prompts_);
        sheet_->show();
        sheet_->SetActivePage(page);
    }
    PropertyPage* Page(int page = kPage) const { return sheet_->Page(page); }
    void Ok() { sheet_->OkButton()->click(); }

    StampSettings settings_;
    RecordingPrompts prompts_;
    std::unique_ptr<CPSheetStampSetting> sheet_;
};

}  // namespace sgry::test
