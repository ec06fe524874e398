#pragma once
// The page preview: one page of a PDF as the run will write it, with the
// stamps the settings ask for. Every frame stamps a private copy of the file
// in a temporary folder of the pane's own and renders that copy on a worker
// thread; the folder goes with the pane.
//
// Requests are gathered: ScheduleRender waits for a pause of about 300 ms,
// at most one frame is made at a time, and a frame that an edit has
// overtaken is dropped and made again, so the newest settings win.
#include <QFutureWatcher>
#include <QImage>
#include <QTemporaryDir>
#include <QTimer>
#include <QWidget>
#include <cstdint>
#include <functional>
#include <string>

#include "gui/PreviewRender.h"
#include "settings/StampSettings.h"

class QLabel;
class QPushButton;

namespace sgry {

inline constexpr int kPreviewPauseMs = 300;

// The settings the next frame is made with (asked for on the user-interface
// thread when the frame starts).
using PreviewSettingsSource = std::function<StampSettings()>;

class PreviewPane : public QWidget {
    Q_OBJECT

public:
    // `sourcePath` "" shows the program's example page. The temporary folder
    // is made under `tempParent` ("" for the system's).
    PreviewPane(PreviewSettingsSource settings, AppSettings app, std::string sourcePath,
                const QString& tempParent = QString(), QWidget* parent = nullptr);
    // Waits for a frame in progress, then removes the temporary folder.
    ~PreviewPane() override;

    // A new frame after the pause; every call restarts the pause.
    void ScheduleRender();
    void ShowPage(int pageIndex);

    // What the pane shows now.
    const QImage& ShownImage() const { return shown_.image; }
    int ShownDpi() const { return shown_.dpi; }
    int PageIndex() const { return pageIndex_; }
    int PageCount() const { return shown_.pageCount; }
    QString ShownMessage() const { return shown_.message; }
    QString ShownNote() const { return shown_.note; }
    // False while a pause runs or a frame is being made.
    // No edit waiting, no frame being made, and the newest frame shown (the
    // worker's result reaches the pane through the event loop after it ends).
    bool Idle() const {
        return !pause_.isActive() && !worker_.isRunning() && started_ > 0 && shown_.generation == generation_;
    }
    int FramesStarted() const { return started_; }
    const std::string& SourcePath() const { return sourcePath_; }

signals:
    void frameShown();

protected:
    void resizeEvent(QResizeEvent* event) override;
    void showEvent(QShowEvent* event) override;

private:
    QWidget* BuildPageSelector();
    void StartFrame();
    void OnFrameDone();
    void Show(const PreviewFrame& frame);
    void UpdateSelector();
    std::string ExampleCopy();

    PreviewSettingsSource settings_;
    AppSettings app_;
    std::string sourcePath_;
    QTemporaryDir folder_;
    QTimer pause_;
    QFutureWatcher<PreviewFrame> worker_;
    uint64_t generation_ = 0;  // of the newest frame asked for
    bool again_ = false;       // an edit came while a frame was being made
    int started_ = 0;
    int pageIndex_ = 0;
    PreviewFrame shown_;

    QLabel* page_ = nullptr;
    QLabel* note_ = nullptr;
    QLabel* position_ = nullptr;
    QPushButton* first_ = nullptr;
    QPushButton* previous_ = nullptr;
    QPushButton* next_ = nullptr;
    QPushButton* last_ = nullptr;
};

}  // namespace sgry
