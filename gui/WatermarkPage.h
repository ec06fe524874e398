#pragma once
// "透かし": the text watermark (preset word, position, diagonal, margins,
// font and colour, density) and the image watermark (file, position,
// margins, density).
#include <cstdint>

#include "gui/SettingsPage.h"
#include "settings/StampSettings.h"

class QCheckBox;
class QComboBox;
class QLineEdit;
class QPushButton;
class QSlider;

namespace sgry {

inline constexpr const char* kImageDialogTitle = QT_TRANSLATE_NOOP("sgry::WatermarkPage", "Choose an Image File");
inline constexpr const char* kImageDialogFilter =
    QT_TRANSLATE_NOOP("sgry::WatermarkPage", "Supported images (*.jpg;*.jpeg;*.bmp;*.png)|*.jpg;*.jpeg;*.bmp;*.png|JPEG files (*.jpg;*.jpeg)|*.jpg;*.jpeg|BMP files (*.bmp)|*.bmp|PNG files (*.png)|*.png|All files (*.*)|*.*||");

class WatermarkPage : public SettingsPage {
    Q_OBJECT

public:
    // `settings` (not owned) is the live instance the page edits.
    WatermarkPage(StampSettings& settings, UserPrompts& prompts, QWidget* parent = nullptr);

    // ChangeFlags of the last store (kWatermark... bits of app/AutoFontChange.h).
    int32_t ChangeFlags() const { return changeFlags_; }

    void StorePage() override;
    // The same store into another settings object (the sheet's pending
    // values). Returns the ChangeFlags
    // this store would give.
    int32_t StoreInto(StampSettings& target) const;

protected:
    void FillControls() override;

private:
    void UpdateEnabling();
    void ChooseFont();
    void BrowseImage();

    StampSettings& settings_;
    int32_t changeFlags_ = 0;
    QComboBox* word_ = nullptr;             // 1081
    QComboBox* wordPosition_ = nullptr;     // 1083
    QCheckBox* diagonal_ = nullptr;         // 1140
    QCheckBox* wordMargin_ = nullptr;       // 1121
    QPushButton* font_ = nullptr;           // 1141
    QSlider* wordDensity_ = nullptr;        // 1084
    QLineEdit* imageFile_ = nullptr;        // 1085
    QPushButton* browse_ = nullptr;         // 1088
    QComboBox* imagePosition_ = nullptr;    // 1086
    QCheckBox* imageMargin_ = nullptr;      // 1138
    QSlider* imageDensity_ = nullptr;       // 1087
};

// The labels of StampPosition in value order, for the position lists.
void AddStampPositions(QComboBox* combo);

}  // namespace sgry
