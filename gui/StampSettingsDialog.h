#pragma once
// "書き出しの設定": the stamp settings sheet with its five pages. When it
// closes, by OK or Cancel, it reports the automatic font changes its pages
// made while it was open.
//
// With a preview (EnablePreview) a pane beside the pages shows one page of a
// PDF stamped with the values the pages show now, stored or not.
#include <cstdint>
#include <string>

#include "gui/PreviewLayout.h"
#include "gui/SettingsDialog.h"
#include "settings/StampSettings.h"

namespace sgry {

class HeaderFooterPage;
class MarginPage;
class QrPage;
class WatermarkPage;
class PreviewPane;

// What the sheet's preview needs besides the settings the sheet edits.
struct PreviewSetup {
    std::string sourcePath;           // the file to show; "" for the example page
    AppSettings app;
    PreviewLayout* layout = nullptr;  // not owned; read now, written when the sheet closes
    QString tempParent;               // where the private copies go; "" for the system's
};

class StampSettingsDialog : public SettingsDialog {
    Q_OBJECT

public:
    // `settings` and `prompts` (not owned) must outlive the sheet.
    StampSettingsDialog(StampSettings& settings, UserPrompts& prompts, QWidget* parent = nullptr);

    MarginPage* marginPage() const { return margin_; }
    HeaderFooterPage* headerPage() const { return header_; }
    HeaderFooterPage* footerPage() const { return footer_; }
    WatermarkPage* watermarkPage() const { return waterMark_; }
    QrPage* qrPage() const { return qr_; }

    // Adds the preview pane and the button that hides and shows it.
    void EnablePreview(PreviewSetup setup);
    PreviewPane* Preview() const { return preview_; }
    QPushButton* PreviewButton() const { return previewButton_; }
    // The live settings with the values of every opened page as OK would
    // store them; neither the settings nor the pages change.
    StampSettings PendingSettings() const;

    // The report the sheet shows when it closes; "" for none.
    std::string ClosingReport() const;

    void done(int result) override;

protected:
    void AfterStore() override;

private:
    StampSettings& settings_;
    MarginPage* margin_ = nullptr;
    HeaderFooterPage* header_ = nullptr;
    HeaderFooterPage* footer_ = nullptr;
    WatermarkPage* waterMark_ = nullptr;
    QrPage* qr_ = nullptr;
    // ChangeFlags of every store since the sheet opened, so that an Apply
    // followed by OK still reports what the Apply changed.
    int32_t headerFlags_ = 0;
    int32_t footerFlags_ = 0;
    int32_t waterMarkFlags_ = 0;
    bool reported_ = false;
    PreviewPane* preview_ = nullptr;
    QPushButton* previewButton_ = nullptr;
    PreviewLayout* layout_ = nullptr;
};

// Opens the stamp settings sheet modally over `parent` and returns after the
// closing report: QDialog::Accepted after OK, Rejected after Cancel.
// Messages go to Qt message boxes, or to `prompts` in the second form.
int ShowStampSettingsDialog(QWidget* parent, StampSettings& settings);
int ShowStampSettingsDialog(QWidget* parent, StampSettings& settings, UserPrompts& prompts);
// The same with the page preview.
int ShowStampSettingsDialog(QWidget* parent, StampSettings& settings, UserPrompts& prompts, PreviewSetup preview);

}  // namespace sgry
