#pragma once
// "プレビュー": one file's pages as the run will write them with the saved
// settings, in a dialog of its own (the main window's preview command).
#include <QDialog>
#include <string>

#include "settings/StampSettings.h"

namespace sgry {

class PreviewPane;

class PreviewDialog : public QDialog {
    Q_OBJECT

public:
    // `sourcePath` "" shows the example page. The settings are copied.
    // Private copies go under `tempParent` ("" for the system's folder).
    PreviewDialog(const StampSettings& stamp, const AppSettings& app, std::string sourcePath,
                  const QString& tempParent = QString(), QWidget* parent = nullptr);

    PreviewPane* Pane() const { return pane_; }

private:
    PreviewPane* pane_ = nullptr;
};

}  // namespace sgry
