#pragma once
// "ＱＲコードのプレビュー": the symbol the QR settings page would stamp, drawn
// with 2 x 2 pixel modules centred in a 390 x 390 white area, and under it
// the version and the error-correction level in red.
#include <QDialog>
#include <QWidget>
#include <string>

#include "platform/UserPrompts.h"
#include "qr/QrEncoder.h"

namespace sgry {

inline constexpr const char* kQrPreviewErrorMessage = QT_TRANSLATE_NOOP("sgry::QrPreviewDialog", "An error occurred while creating the QR code");

// The 390 x 390 drawing area.
class QrPreviewCanvas : public QWidget {
    Q_OBJECT

public:
    static constexpr int kSide = 390;
    static constexpr int kModulePixels = 2;
    static constexpr int kCaptionTop = 372;

    QrPreviewCanvas(const QrMatrix& matrix, int version, int level, bool failed, QWidget* parent = nullptr);
    QSize sizeHint() const override { return QSize(kSide, kSide); }
    // "バージョン:%d  誤り訂正レベル:%s" with the version and the level's name.
    QString Caption() const;

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    const QrMatrix& matrix_;
    int version_;
    int level_;
    bool failed_;
};

class QrPreviewDialog : public QDialog {
    Q_OBJECT

public:
    // message: CP932 bytes. automatic: choose version and level (version and
    // level are then ignored); otherwise encode at version 1-40 and level
    // 0-3. The encoding happens here; a failure is reported (through
    // `prompts`, not owned) when the dialog is first shown.
    QrPreviewDialog(const std::string& message, bool automatic, int version, int level, UserPrompts& prompts,
                    QWidget* parent = nullptr);

    bool Failed() const { return failed_; }
    int Version() const { return version_; }
    int Level() const { return level_; }
    // Module count per row of the symbol with its quiet zone (0 on failure).
    int ModulesPerRow() const { return modulesPerRow_; }

protected:
    void showEvent(QShowEvent* event) override;

private:
    UserPrompts& prompts_;
    QrMatrix matrix_;
    int version_ = 0;
    int level_ = 0;
    int modulesPerRow_ = 0;
    bool failed_ = false;
    bool errorShown_ = false;
};

}  // namespace sgry
