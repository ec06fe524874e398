#pragma once
// The progress window of a batch run, "処理中…": the count of finished files
// (control 1111), the path of the file being stamped (1110, two lines), a bar
// (1108) and the button "中断(&C)" (1112) that raises the cancel flag.
//
// It is modeless (show, not exec) but blocks input to the other windows of
// the program while it is up, so the list cannot change under a run. Closing
// it with the window's close box or Esc raises the cancel flag as the button
// does; the run decides when the window goes.
#include <QDialog>
#include <QPointer>
#include <QString>
#include <functional>
#include <memory>

#include "app/BatchRun.h"

class QLabel;
class QProgressBar;
class QPushButton;

namespace sgry {

inline constexpr const char* kProgressTitle = QT_TRANSLATE_NOOP("sgry::ProgressDialog", "Working…");
inline constexpr const char* kProgressCancel = QT_TRANSLATE_NOOP("sgry::ProgressDialog", "&Cancel");
inline constexpr int kIdProgressBar = 1108;
inline constexpr int kIdProgressPath = 1110;
inline constexpr int kIdProgressCount = 1111;
inline constexpr int kIdProgressCancel = 1112;

class ProgressDialog : public QDialog {
    Q_OBJECT
public:
    explicit ProgressDialog(QWidget* parent);

    // Centres the window on the parent's rectangle, shows it and paints it.
    void ShowCentred();
    void SetTotal(int total);
    // Shows the count text and the path and paints them at once.
    void ShowFile(const QString& countText, const QString& path);
    void Step();
    bool CancelRequested() const { return cancelled_; }

    QString CountText() const;
    QString PathText() const;
    int BarValue() const;
    int BarMaximum() const;

signals:
    // After ShowFile has painted the new texts.
    void fileShown(const QString& countText, const QString& path);

public slots:
    void RequestCancel() { cancelled_ = true; }
    void reject() override { RequestCancel(); }

private:
    QLabel* count_;
    QLabel* path_;
    QProgressBar* bar_;
    QPushButton* cancel_;
    bool cancelled_ = false;
};

// BatchProgress through a ProgressDialog made over `parent` when the run
// starts and destroyed when it finishes, with the wait cursor in between.
// Between files the pending events are handled, so a click on "中断(&C)" is
// heard while the batch runs; it takes effect after the current file.
class ProgressWindow : public BatchProgress {
public:
    explicit ProgressWindow(QWidget* parent, std::function<void(ProgressDialog&)> onCreated = {});
    ~ProgressWindow() override;
    ProgressWindow(const ProgressWindow&) = delete;
    ProgressWindow& operator=(const ProgressWindow&) = delete;

    void Start(int32_t total) override;
    void Show(const std::string& countText, const std::string& path) override;
    void Step() override;
    bool Cancelled() override;
    void Finish() override;
    // The cancel button pressed from elsewhere (the main window being closed).
    void Cancel();

private:
    QPointer<QWidget> parent_;
    std::function<void(ProgressDialog&)> onCreated_;
    std::unique_ptr<ProgressDialog> dialog_;
    bool waitCursor_ = false;
};

}  // namespace sgry
