#pragma once
// "フォントと色の選択": one of the ten fonts of FontTable and a colour. The
// font must belong to a class the caller allows (AllowedFonts bit 0 Latin,
// bit 1 Japanese); OK with any other font is refused and the dialog stays.
// Bold and italic travel through the dialog unchanged: their boxes exist but
// are hidden and disabled.
#include <QAbstractButton>
#include <QDialog>
#include <cstdint>
#include <string>

#include "platform/UserPrompts.h"

class QCheckBox;
class QComboBox;
class QLabel;

namespace sgry {

inline constexpr const char* kFontRefusedMessage = QT_TRANSLATE_NOOP("sgry::FontColorDialog", "That font cannot be selected");

// The colour swatch: the colour over the whole control less one pixel on
// every side; a click (or the space key) asks for another colour.
class ColorSwatch : public QAbstractButton {
    Q_OBJECT

public:
    explicit ColorSwatch(QWidget* parent = nullptr);
    void SetColor(const QColor& color);
    QColor Color() const { return color_; }
    QSize sizeHint() const override;

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    QColor color_;
};

class FontColorDialog : public QDialog {
    Q_OBJECT

public:
    // color 0x00BBGGRR; fontName a PDF font name (an unknown name selects row
    // 0); allowedFonts bits as above. `prompts` (not owned) gets the refusal.
    FontColorDialog(int32_t color, const std::string& fontName, bool bold, bool italic, int32_t allowedFonts,
                    UserPrompts& prompts, QWidget* parent = nullptr);

    // The results, valid after the dialog was accepted.
    int32_t Color() const { return color_; }
    const std::string& FontName() const { return fontName_; }
    bool Bold() const { return bold_; }
    bool Italic() const { return italic_; }

    void accept() override;

private:
    void ChooseColor();
    void ShowSample();

    UserPrompts& prompts_;
    int32_t color_;
    std::string fontName_;
    bool bold_;
    bool italic_;
    int32_t allowedFonts_;
    QComboBox* fonts_ = nullptr;     // 1091
    QCheckBox* boldBox_ = nullptr;   // 1139
    QCheckBox* italicBox_ = nullptr; // 1140
    ColorSwatch* swatch_ = nullptr;  // 1092
    QLabel* sample_ = nullptr;       // the chosen font's look
};

}  // namespace sgry
