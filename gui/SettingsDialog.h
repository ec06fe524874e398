#pragma once
// A tabbed settings dialog with OK, Cancel and Apply. Apply is enabled by any
// edit on a page and disabled again when the changes are stored. OK and Apply
// first validate every opened page, in page order; the first refusal keeps
// the dialog open on that page and nothing is stored. Otherwise every opened
// page stores its controls. Cancel stores nothing.
#include <QDialog>
#include <QPushButton>
#include <QString>
#include <vector>

#include "gui/QtUserPrompts.h"
#include "gui/SheetDialogRunner.h"
#include "platform/UserPrompts.h"

class QDialogButtonBox;
class QHBoxLayout;
class QTabWidget;

namespace sgry {

class SettingsPage;

class SettingsDialog : public QDialog {
    Q_OBJECT

public:
    SettingsDialog(const QString& title, UserPrompts& prompts, QWidget* parent = nullptr);

    // The sheet takes the page (Qt ownership); pages are shown in this order.
    void AddPage(SettingsPage* page);
    int PageCount() const { return static_cast<int>(pages_.size()); }
    SettingsPage* Page(int index) const { return pages_.at(static_cast<std::size_t>(index)); }
    int ActivePageIndex() const;
    // Shows the page (opening it when the sheet is visible).
    void SetActivePage(int index);

    QPushButton* OkButton() const { return ok_; }
    QPushButton* CancelButton() const { return cancel_; }
    QPushButton* ApplyButton() const { return apply_; }

    // Validates and stores every opened page; false after a refusal.
    bool ApplyChanges();

protected:
    void showEvent(QShowEvent* event) override;
    UserPrompts& Prompts() { return prompts_; }
    // After every opened page stored: a hook for sheets that gather results.
    virtual void AfterStore() {}
    // Puts `widget` to the right of the pages (the sheet takes it).
    void AddBesidePages(QWidget* widget);
    QDialogButtonBox* Buttons() const { return buttons_; }

private:
    void OnOk();
    void OnApply();
    void OnCurrentChanged(int index);
    void OnPageModified();

    UserPrompts& prompts_;
    QTabWidget* tabs_ = nullptr;
    QHBoxLayout* body_ = nullptr;
    QDialogButtonBox* buttons_ = nullptr;
    QPushButton* ok_ = nullptr;
    QPushButton* cancel_ = nullptr;
    QPushButton* apply_ = nullptr;
    std::vector<SettingsPage*> pages_;  // owned by tabs_
};

// Creates a sheet of type Sheet for `settings`, runs it modally over
// `parent` and returns its result (QDialog::Accepted or Rejected). Messages
// go to `prompts`, or to message boxes over the sheet when it is null.
template <class Sheet, class Settings>
int RunSettingsDialog(QWidget* parent, Settings& settings, UserPrompts* prompts) {
    QtUserPrompts boxes;
    Sheet sheet(settings, prompts ? *prompts : boxes, parent);
    boxes.SetParent(&sheet);
    return sheets::RunDialog(sheet);
}

}  // namespace sgry
