#pragma once
// One page of a settings sheet. A page fills its controls from the settings
// the first time it is shown (Open) and never before; a page never opened
// stores nothing. On OK or Apply the sheet asks every opened page to validate
// and then to store its controls into the settings.
#include <QPointer>
#include <QString>
#include <QWidget>
#include <string>

#include "platform/UserPrompts.h"

namespace sgry {

class SettingsPage : public QWidget {
    Q_OBJECT

public:
    // `prompts` (not owned) receives the page's messages and must outlive it.
    SettingsPage(const QString& title, UserPrompts& prompts, QWidget* parent = nullptr);

    QString Title() const { return title_; }
    void SetTitle(const QString& title) { title_ = title; }

    bool IsOpened() const { return opened_; }
    // Fills the controls from the settings; only the first call does anything.
    void Open();

    // Checks the controls; on a refusal shows the message, puts the focus on
    // the control at fault and returns false. Pages without checks accept.
    virtual bool ValidatePage() { return true; }
    // Copies the controls into the settings.
    virtual void StorePage() = 0;

    // The control the last refusal named; the sheet focuses it once the page
    // is in front again.
    QWidget* Culprit() const { return culprit_; }

signals:
    // The user edited, selected or clicked something on the page.
    void modified();

protected:
    virtual void FillControls() = 0;

    // Connects the change signals of every control of the page to modified().
    // Call once after the controls are built.
    void WatchControls();
    // Shows the refusal and focuses `culprit` (may be null); returns false.
    bool Refuse(const std::string& message, QWidget* culprit);
    UserPrompts& Prompts() { return prompts_; }

    // While one exists, control changes made by the page itself are not edits.
    class QuietChanges {
    public:
        explicit QuietChanges(SettingsPage& page) : page_(page), previous_(page.quiet_) { page_.quiet_ = true; }
        ~QuietChanges() { page_.quiet_ = previous_; }
        QuietChanges(const QuietChanges&) = delete;
        QuietChanges& operator=(const QuietChanges&) = delete;

    private:
        SettingsPage& page_;
        bool previous_;
    };

private:
    void OnControlChanged();

    QString title_;
    UserPrompts& prompts_;
    QPointer<QWidget> culprit_;
    bool opened_ = false;
    bool quiet_ = false;
};

}  // namespace sgry
