// The stamp settings sheet. The header page: what its store step does to
// fonts and texts with the report when the sheet closes, and the refusal of
// a text without a Shift-JIS form. The page range and margins page: its
// refusals keep the sheet open, name the wrong entry and store nothing, on
// any page of the sheet. The QR page: the fit check and its messages, the
// empty-message refusals, and the preview dialog judged by a real reader.
// The sheet's page preview: it shows the bytes a run writes, keeps up with
// typing without piling up work, and leaves the user's file and the
// temporary folder as it found them. Controls are found by their ids.
#include <gtest/gtest.h>

#include <QAbstractButton>
#include <QCheckBox>
#include <QApplication>
#include <QComboBox>
#include <QDialog>
#include <QImage>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QString>
#include <QTest>
#include <algorithm>
#include <cstdlib>
#include <filesystem>
#include <memory>
#include <string>
#include <vector>

#include "app/QrPageCheck.h"
#include "gui/HeaderFooterPage.h"
#include "gui/MarginPage.h"
#include "gui/PreferencesDialog.h"
#include "gui/QrPage.h"
#include "gui/StampSettingsDialog.h"
#include "gui/PreviewDialog.h"
#include "gui/PreviewPane.h"
#include "gui/SettingsPage.h"
#include "gui/QrPreviewDialog.h"
#include "gui/SheetDialogRunner.h"
#include "platform/SjisText.h"
#include "settings/SettingsFile.h"
#include "support/RecordingPrompts.h"
#include "support/SamplePdfs.h"
#include "support/ScratchDir.h"
#include "support/SymbolImages.h"

namespace sgry::test {

using Strings = std::vector<std::string>;

namespace {

// The control of `root` with the object name of `id`; fails the test when
// there is none.
template <class Widget>
Widget* Control(const QWidget* root, int id) {
    Widget* widget = root->findChild<Widget*>(QString::number(id));
    EXPECT_NE(widget, nullptr) << "no control " << id;
    return widget;
}

void Click(const QWidget* root, int id) {
    if (auto* button = Control<QAbstractButton>(root, id)) button->click();
}

void Select(const QWidget* root, int id, int index) {
    if (auto* combo = Control<QComboBox>(root, id)) combo->setCurrentIndex(index);
}

void Type(const QWidget* root, int id, const QString& text) {
    if (auto* edit = Control<QLineEdit>(root, id)) edit->setText(text);
}

bool Enabled(const QWidget* root, int id) {
    const QWidget* widget = Control<QWidget>(root, id);
    return widget && widget->isEnabled();
}

// UTF-8 to CP932 bytes for expected values.
std::string Cp932(const char* utf8) { return sjis::FromUtf8(utf8).value(); }

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
int UnexpectedDialog(QDialog& dialog) {
    ADD_FAILURE() << "unexpected dialog " << dialog.windowTitle().toStdString();
    return QDialog::Rejected;
}

// The stamp settings sheet over settings_, opened on a page (kPage unless told).
template <int kPage>
class SheetTest : public ::testing::Test {
protected:
    void OpenSheet(int page = kPage) {
        sheet_ = std::make_unique<StampSettingsDialog>(settings_, prompts_);
        sheet_->show();
        sheet_->SetActivePage(page);
    }
    SettingsPage* Page(int page = kPage) const { return sheet_->Page(page); }
    void Ok() { sheet_->OkButton()->click(); }

    StampSettings settings_;
    RecordingPrompts prompts_;
    std::unique_ptr<StampSettingsDialog> sheet_;
};

using HeaderPageTest = SheetTest<1>;

TEST_F(HeaderPageTest, CourierTextWithKanjiGetsMinchoAndTheClosingReport) {
    OpenSheet();
    Click(Page(), 1005);  // left column: text
    Type(Page(), 1006, QStringLiteral("社外"));
    Ok();

    EXPECT_EQ(sheet_->result(), QDialog::Accepted);
    EXPECT_EQ(settings_.Slots[kHeaderLeft].FontName, "HeiseiMin-W3");
    EXPECT_EQ(settings_.Slots[kHeaderLeft].CustomText, Cp932("社外"));
    EXPECT_EQ(settings_.Slots[kHeaderLeft].StyleType, HeaderFooterStyle::Text);
    EXPECT_EQ(prompts_.Texts(), Strings{"Some settings were changed automatically:\r\n\r\n- Header and footer texts that contain full-width characters now use a Japanese font\r\n"});
    EXPECT_EQ(prompts_.messages[0].icon, MessageIcon::Information);
}

// The Bates fields are one numbering for both pages: the footer page, opened
// but left alone, keeps what the header page changed. A Bates slot whose
// prefix is Japanese gets a Japanese font; the file-name slot keeps its font.
TEST_F(HeaderPageTest, BatesFieldsAndTheFileNameKindAreStored) {
    OpenSheet(2);
    sheet_->SetActivePage(1);
    Click(Page(), 1017);
    Select(Page(), 1018, 4);
    Click(Page(), 1150);
    EXPECT_TRUE(Enabled(Page(), 1153));
    Select(Page(), 1153, 1);
    Type(Page(), 1160, QStringLiteral("41"));
    Type(Page(), 1162, QStringLiteral("証拠"));
    Ok();

    EXPECT_EQ(settings_.BatesStart, 41);
    EXPECT_EQ(settings_.BatesPrefix, Cp932("証拠"));
    EXPECT_EQ(settings_.Slots[kHeaderRight].StylePageType, PageNumberFormat::Bates);
    EXPECT_EQ(settings_.Slots[kHeaderRight].FontName, "HeiseiMin-W3");
    EXPECT_EQ(settings_.Slots[kHeaderLeft].StyleType, HeaderFooterStyle::FileName);
    EXPECT_EQ(settings_.Slots[kHeaderLeft].StyleNameType, FileNameFormat::WithoutExtension);
    EXPECT_EQ(settings_.Slots[kHeaderLeft].FontName, "Courier");
}

TEST_F(HeaderPageTest, TextWithoutAShiftJisFormIsRefusedNamingTheCharacter) {
    OpenSheet();
    Click(Page(), 1021);
    Type(Page(), 1022, QStringLiteral("Café №1 é"));
    Ok();

    EXPECT_TRUE(sheet_->isVisible());
    EXPECT_EQ(settings_.Slots[kHeaderRight], HeaderFooterSlot{});
    ASSERT_EQ(prompts_.messages.size(), 1u);
    const QString message = QString::fromStdString(prompts_.messages[0].text);
    EXPECT_TRUE(message.contains(QStringLiteral("Header: Right")));
    EXPECT_TRUE(message.contains(QStringLiteral("\r\né\r\n"))) << message.toStdString();  // № is CP932, é is not
}

class MarginPageTest : public SheetTest<0> {
protected:
    void SetNumber(int editId, const QString& text) {
        QLineEdit* edit = Control<QLineEdit>(Page(), editId);
        edit->selectAll();
        QTest::keyClicks(edit, text);
    }
};

// The preferences' general page shows the settings it is given and stores
// what the user ticks and chooses, each into its own key.
TEST(PreferencesTest, GeneralPageStoresEveryControlInItsKey) {
    AppSettings settings;
    settings.Repair = true;
    RecordingPrompts prompts;
    PreferencesDialog dialog(settings, prompts);
    dialog.show();
    const auto box = [&](const char* name) { return dialog.findChild<QCheckBox*>(QString::fromLatin1(name)); };
    ASSERT_NE(box("allowCertified"), nullptr);
    ASSERT_NE(box("repair"), nullptr);
    EXPECT_FALSE(box("allowCertified")->isChecked());
    EXPECT_TRUE(box("repair")->isChecked());
    box("allowCertified")->click();
    box("repair")->click();
    Click(&dialog, 1137);
    Select(&dialog, 1136, 2);
    dialog.findChild<QComboBox*>(QStringLiteral("language"))->setCurrentIndex(2);
    dialog.OkButton()->click();

    EXPECT_TRUE(settings.AllowCertified);
    EXPECT_FALSE(settings.Repair);
    EXPECT_TRUE(settings.Undo);
    EXPECT_EQ(settings.Output, OutputMode::Overwrite);
    EXPECT_EQ(settings.Language, UiLanguage::Japanese);
    EXPECT_TRUE(prompts.messages.empty());
}

TEST_F(MarginPageTest, PagesFiveToThreeAreRefusedOnlyForPartOfThePages) {
    OpenSheet();
    EXPECT_FALSE(Enabled(Page(), 1066));
    EXPECT_FALSE(Enabled(Page(), 1064));
    Click(Page(), 1063);
    EXPECT_TRUE(Enabled(Page(), 1066));
    EXPECT_TRUE(Enabled(Page(), 1064));
    SetNumber(1066, QStringLiteral("5"));
    SetNumber(1064, QStringLiteral("3"));
    Ok();
    EXPECT_TRUE(sheet_->isVisible());
    EXPECT_EQ(prompts_.Texts(), Strings{"The first page must not be after the last page."});
    EXPECT_EQ(settings_, StampSettings{});

    Click(Page(), 1062);
    EXPECT_FALSE(Enabled(Page(), 1067));
    Ok();
    EXPECT_EQ(sheet_->result(), QDialog::Accepted);
    EXPECT_TRUE(settings_.IsAllPage);
    EXPECT_EQ(settings_.StartPage, 5);
    EXPECT_EQ(settings_.EndPage, 3);
    EXPECT_EQ(prompts_.messages.size(), 1u);
}

struct RangeRow { const char* name; int editId; const char* entry; const char* message; };

TEST_F(MarginPageTest, NumbersOutsideTheirRangeAreRefused) {
    const RangeRow rows[] = {
        {"from page", 1066, "100000", "Please enter a whole number from 0 to 99999."},
        {"to page", 1064, "1000000", "Please enter a whole number from 0 to 999999."},
        {"first number high", 1068, "65536", "Please enter a whole number from -65535 to 65535."},
        {"first number low", 1068, "-65536", "Please enter a whole number from -65535 to 65535."},
        {"top margin", 1072, "100.5", "Please enter a number from 0 to 100."},
        {"right margin", 1076, "-1", "Please enter a number from 0 to 100."},
    };
    for (const RangeRow& row : rows) {
        SCOPED_TRACE(row.name);
        prompts_.messages.clear();
        OpenSheet();
        Click(Page(), 1063);
        SetNumber(row.editId, QString::fromUtf8(row.entry));
        Ok();
        EXPECT_TRUE(sheet_->isVisible());
        EXPECT_EQ(prompts_.Texts(), Strings{row.message});
        EXPECT_EQ(settings_, StampSettings{});
        sheet_->CancelButton()->click();
    }
}

TEST_F(MarginPageTest, ARefusalOnALaterPageStoresNoPage) {
    OpenSheet();
    Select(Page(), 1069, 1);
    sheet_->SetActivePage(1);
    Click(Page(1), 1001);
    sheet_->SetActivePage(4);
    Click(Page(4), 1113);  // QR watermark on, message empty
    sheet_->SetActivePage(1);
    Ok();
    EXPECT_TRUE(sheet_->isVisible());
    EXPECT_EQ(sheet_->ActivePageIndex(), 4);  // back on the page at fault
    EXPECT_EQ(prompts_.messages.size(), 1u);
    EXPECT_EQ(settings_, StampSettings{});
}

class QrPageTest : public SheetTest<4> {
protected:
    void SetMessage(const QString& text) { Control<QPlainTextEdit>(Page(), 1116)->setPlainText(text); }
    // Turns the QR watermark on, with the manual choice when asked.
    void OpenSwitchedOn(bool manual = false) {
        OpenSheet();
        Click(Page(), 1113);
        if (manual) Click(Page(), 1122);
    }
};

TEST_F(QrPageTest, SevenThousandEightyNineDigitsAtManualVersionOneGetTheFourPartMessage) {
    settings_.QRVersion = 7;
    const StampSettings before = settings_;
    OpenSwitchedOn(true);
    auto* versions = Control<QComboBox>(Page(), 1123);
    ASSERT_EQ(versions->count(), 40);
    EXPECT_EQ(versions->itemText(0), QStringLiteral(" 1"));
    EXPECT_EQ(versions->currentIndex(), 6);
    EXPECT_EQ(Control<QComboBox>(Page(), 1124)->currentIndex(), 3);
    Select(Page(), 1123, 0);
    SetMessage(QString(7089, QChar(u'7')));
    Ok();

    EXPECT_TRUE(sheet_->isVisible());
    EXPECT_EQ(prompts_.Texts(), Strings{"The message for the QR code is too long. Please try one of these:\r\n- choose a higher version\r\n- choose a lower error correction level\r\n- shorten the message\r\n"});
    EXPECT_EQ(settings_, before);

    Select(Page(), 1123, 39);
    Select(Page(), 1124, 0);  // 40-L holds 7089 digits
    Ok();
    EXPECT_EQ(sheet_->result(), QDialog::Accepted);
    EXPECT_EQ(settings_.QRString, std::string(7089, '7'));
    EXPECT_EQ(settings_.QRVersion, 40);
    EXPECT_EQ(settings_.QRECLevel, QrEcLevel::L);
    EXPECT_FALSE(settings_.QRIsVersionAuto);
}

TEST_F(QrPageTest, AutomaticModeWithThePhoneLimitRefusesWhatVersionTenCannotHold) {
    OpenSwitchedOn();
    SetMessage(QString(700, QChar(u'a')));  // more than 10-L holds in bytes (271)
    Ok();
    EXPECT_EQ(prompts_.Texts(), Strings{"The message for the QR code is too long\r\nPlease shorten the message"});

    Click(Page(), 1128);  // phone limit off: up to 40
    Ok();
    EXPECT_EQ(sheet_->result(), QDialog::Accepted);
    EXPECT_FALSE(settings_.QRPhone);
    EXPECT_TRUE(settings_.QRIsValid);
}

TEST_F(QrPageTest, EmptyMessageIsRefusedOnlyWhileTheWatermarkIsOn) {
    OpenSwitchedOn();
    Ok();
    EXPECT_EQ(prompts_.Texts(), Strings{"No message is set for the QR code\r\nPlease enter a message or turn the QR code watermark off"});
    EXPECT_FALSE(settings_.QRIsValid);

    Click(Page(), 1113);
    Ok();
    EXPECT_EQ(sheet_->result(), QDialog::Accepted);
    EXPECT_EQ(prompts_.messages.size(), 1u);
}

TEST_F(QrPageTest, MessageWithoutAShiftJisFormIsRefused) {
    OpenSwitchedOn();
    SetMessage(QStringLiteral("price 5€"));
    Ok();
    EXPECT_TRUE(sheet_->isVisible());
    ASSERT_EQ(prompts_.messages.size(), 1u);
    EXPECT_NE(prompts_.messages[0].text.find("€"), std::string::npos);
    EXPECT_EQ(settings_, StampSettings{});
}

TEST_F(QrPageTest, PreviewRefusesAnEmptyMessageAndATooLongOne) {
    OpenSwitchedOn();
    ScopedDialogRunner runner(UnexpectedDialog);
    Click(Page(), 1119);
    SetMessage(QString(400, QChar(u'x')));
    Click(Page(), 1119);
    EXPECT_EQ(prompts_.Texts(),
              (Strings{"Please enter the message for the QR code", qr_page_message::kTooLongAuto}));
}

struct PreviewRow { const char* name; std::string message; bool automatic; int version, level, modulesPerRow; };

TEST(QrPreviewDialogTest, PaintsASymbolThatAReaderDecodes) {
    if (!ToolExists("zbarimg")) GTEST_SKIP() << "zbarimg is not installed";
    const PreviewRow rows[] = {
        {"automatic", "Sigilry preview 0123456789 ABCDEF", true, 0, 0, 0},
        {"kanji at version 12", Cp932("社外秘の書類"), false, 12, 3, 17 + 4 * 12 + 8},
    };
    ScratchDir dir("qr-preview");
    for (const PreviewRow& row : rows) {
        SCOPED_TRACE(row.name);
        RecordingPrompts prompts;
        QrPreviewDialog dialog(row.message, row.automatic, row.version, row.level, prompts);
        dialog.show();
        ASSERT_FALSE(dialog.Failed());
        if (row.modulesPerRow) {
            EXPECT_EQ(dialog.ModulesPerRow(), row.modulesPerRow);
        }
        const std::string png = dir.File("preview.png");
        ASSERT_TRUE(dialog.grab().save(QString::fromStdString(png), "PNG"));
        EXPECT_EQ(ZbarDecodeBinary({png}), row.message);
        EXPECT_TRUE(prompts.messages.empty());
    }
}

TEST(QrPreviewDialogTest, EncodingFailureIsToldOnceAndPaintsOnlyWhite) {
    RecordingPrompts prompts;
    QrPreviewDialog dialog(std::string(30, '1'), false, 1, 3, prompts);  // 1-H holds 17 digits
    EXPECT_TRUE(dialog.Failed());
    dialog.show();
    QApplication::processEvents();
    dialog.update();
    QApplication::processEvents();
    EXPECT_EQ(prompts.Texts(), Strings{"An error occurred while creating the QR code"});
    const QImage image = dialog.findChild<QrPreviewCanvas*>()->grab().toImage();
    for (int y = 0; y < 390; y += 7)
        for (int x = 0; x < 390; x += 7) ASSERT_EQ(image.pixelColor(x, y), QColor(Qt::white)) << x << "," << y;
}

namespace fs = std::filesystem;

const std::string kExample = std::string(SIGILRY_SOURCE_DIR) + "/examples/example.pdf";

// Share of pixels whose colour differs by more than anti-aliasing explains,
// over the area both pictures cover: pdftoppm rounds a page's pixel size up,
// the library's own rendering rounds it off, so sizes may differ by one.
double DifferingShare(const QImage& a, const QImage& b) {
    const QSize common = a.size().boundedTo(b.size());
    const QSize slack = a.size().expandedTo(b.size()) - common;
    if (common.isEmpty() || slack.width() > 1 || slack.height() > 1) return 1.0;
    const QImage x = a.convertToFormat(QImage::Format_RGB32);
    const QImage y = b.convertToFormat(QImage::Format_RGB32);
    int differing = 0;
    for (int row = 0; row < common.height(); ++row)
        for (int column = 0; column < common.width(); ++column) {
            const QRgb p = x.pixel(column, row);
            const QRgb q = y.pixel(column, row);
            const int d = std::max({std::abs(qRed(p) - qRed(q)), std::abs(qGreen(p) - qGreen(q)),
                                    std::abs(qBlue(p) - qBlue(q))});
            if (d > 48) ++differing;
        }
    return static_cast<double>(differing) / (common.width() * common.height());
}

// Page `page` (1-based) of `pdf` stamped by the command line with `stamp`,
// rendered by pdftoppm at `dpi`.
QImage StampedByCli(const ScratchDir& dir, const std::string& pdf, const StampSettings& stamp, int page, int dpi) {
    const std::string ini = dir.File("cli.ini");
    SaveSettings(ini, stamp);
    SaveSettings(ini, AppSettings{});
    const std::string copy = dir.File("cli.pdf");
    fs::copy_file(pdf, copy, fs::copy_options::overwrite_existing);
    const std::string cli = std::string(SIGILRY_BINARY_DIR) + "/sigilry-cli";
    EXPECT_EQ(RunShell(cli + " --yes --quiet --settings " + Quoted(ini) + " " + Quoted(copy) + " 2>&1"), 0);
    const std::string page_ = std::to_string(page);
    EXPECT_EQ(RunShell("pdftoppm -cropbox -png -singlefile -r " + std::to_string(dpi) + " -f " + page_ + " -l " +
                       page_ + " " + Quoted(dir.File("_cli.pdf")) + " " + Quoted(dir.File("cli-page"))),
              0);
    return QImage(QString::fromStdString(dir.File("cli-page.png")));
}

class PreviewTest : public ::testing::Test {
protected:
    void SetUp() override {
        source_ = scratch_.File("source.pdf");
        fs::copy_file(kExample, source_);
        fs::create_directories(temp_);
        settings_.Slots[kHeaderLeft].StyleType = HeaderFooterStyle::Text;
        settings_.Slots[kHeaderLeft].CustomText = "Draft";
        settings_.Slots[kFooterCenter].StyleType = HeaderFooterStyle::PageNumber;
    }

    // A sheet over settings_ whose preview shows `pdf`, with the header page in front.
    std::unique_ptr<StampSettingsDialog> OpenSheet(const std::string& pdf) {
        auto sheet = std::make_unique<StampSettingsDialog>(settings_, prompts_);
        sheet->EnablePreview(PreviewSetup{pdf, AppSettings{}, &layout_, QString::fromStdString(temp_.string())});
        sheet->resize(1600, 1000);
        sheet->show();
        sheet->SetActivePage(1);
        return sheet;
    }

    static bool WaitIdle(const PreviewPane& pane, int milliseconds) {
        return QTest::qWaitFor([&] { return pane.Idle(); }, milliseconds);
    }

    bool TempFolderEmpty() const { return fs::is_empty(temp_); }

    ScratchDir scratch_{"preview"};
    fs::path temp_ = scratch_.Path() / "tmp";
    std::string source_;
    StampSettings settings_;
    PreviewLayout layout_;
    RecordingPrompts prompts_;
};

// Ten characters typed in a burst start at most two frames; the new frame
// arrives within 2 s and matches pdftoppm's picture of the command line's
// output with the same settings.
TEST_F(PreviewTest, TypingShowsWhatTheRunWrites) {
    const std::string bytes = ScratchDir::Read(source_);
    const auto modified = fs::last_write_time(source_);
    {
        auto sheet = OpenSheet(source_);
        PreviewPane& pane = *sheet->Preview();
        ASSERT_TRUE(WaitIdle(pane, 10000));
        ASSERT_FALSE(pane.ShownImage().isNull()) << pane.ShownMessage().toStdString();
        EXPECT_FALSE(TempFolderEmpty()) << "the pane works in a folder of its own";
        const QImage before = pane.ShownImage();
        const int framesBefore = pane.FramesStarted();

        auto* text = Control<QLineEdit>(sheet->headerPage(), 1006);
        ASSERT_NE(text, nullptr);
        text->setFocus();
        text->end(false);
        QTest::keyClicks(text, QStringLiteral("Sigilry 01"));
        EXPECT_TRUE(QTest::qWaitFor([&] { return pane.ShownImage() != before; }, 2000));
        ASSERT_TRUE(WaitIdle(pane, 5000));
        EXPECT_LE(pane.FramesStarted() - framesBefore, 2);

        const StampSettings pending = sheet->PendingSettings();
        EXPECT_EQ(pending.Slots[kHeaderLeft].CustomText, "DraftSigilry 01");
        EXPECT_EQ(settings_.Slots[kHeaderLeft].CustomText, "Draft") << "nothing stored before OK";
        const QImage cli = StampedByCli(scratch_, source_, pending, 1, pane.ShownDpi());
        EXPECT_LT(DifferingShare(cli, pane.ShownImage()), 0.00004);  // about 20 pixels
        EXPECT_GT(DifferingShare(cli, before), 0.00012) << "the old frame is told apart";
        sheet->PreviewButton()->click();
        EXPECT_FALSE(pane.isVisible());
        sheet->reject();
    }
    // The sheet's size and the hidden pane are kept in the settings file.
    PreviewLayout loaded;
    ASSERT_TRUE(SavePreviewLayout(scratch_.File("sgry.ini"), layout_));
    LoadPreviewLayout(scratch_.File("sgry.ini"), loaded);
    EXPECT_EQ(loaded.width, 1600);
    EXPECT_EQ(loaded.height, 1000);
    EXPECT_FALSE(loaded.paneShown);
    EXPECT_EQ(ScratchDir::Read(source_), bytes);
    EXPECT_EQ(fs::last_write_time(source_), modified);
    EXPECT_TRUE(TempFolderEmpty());
}

// A page outside the range shows unstamped with the reason; a file that
// cannot be stamped shows the run's message instead of a page.
TEST_F(PreviewTest, LeftOutPagesAndFailuresAreExplained) {
    settings_.IsAllPage = false;
    settings_.StartPage = 2;
    settings_.EndPage = 3;
    auto sheet = OpenSheet(source_);
    PreviewPane& pane = *sheet->Preview();
    ASSERT_TRUE(WaitIdle(pane, 10000));
    EXPECT_EQ(pane.PageCount(), 3);
    EXPECT_FALSE(pane.ShownNote().isEmpty());
    pane.ShowPage(1);
    ASSERT_TRUE(WaitIdle(pane, 10000));
    EXPECT_EQ(pane.PageIndex(), 1);
    EXPECT_TRUE(pane.ShownNote().isEmpty());

    PreviewDialog example(settings_, AppSettings{}, std::string(), QString::fromStdString(temp_.string()));
    example.show();
    ASSERT_TRUE(WaitIdle(*example.Pane(), 10000));
    EXPECT_EQ(example.Pane()->PageCount(), 3) << "the example page built into the program";

    ScratchDir::Write(source_, "not a PDF");
    pane.ScheduleRender();
    ASSERT_TRUE(WaitIdle(pane, 10000));
    EXPECT_TRUE(pane.ShownImage().isNull());
    EXPECT_NE(pane.ShownMessage().toStdString().find("Not a PDF file"), std::string::npos);
}

// Pictures of the sheet with its preview under a real X server: run with
// SIGILRY_SCREENSHOT_DIR=<folder> (skipped without).
TEST_F(PreviewTest, Screenshots) {
    const char* dir = std::getenv("SIGILRY_SCREENSHOT_DIR");
    if (!dir || !*dir) GTEST_SKIP() << "set SIGILRY_SCREENSHOT_DIR to save screenshots";
    fs::create_directories(dir);
    const std::string rotated = scratch_.File("rotated.pdf");
    ASSERT_EQ(RunShell("qpdf --rotate=+90:1 " + Quoted(kExample) + " " + Quoted(rotated)), 0);
    const StampSettings plain = settings_;
    auto shoot = [&](const std::string& name, const std::string& pdf, auto change) {
        settings_ = plain;
        change(settings_);
        auto sheet = OpenSheet(pdf);
        ASSERT_TRUE(WaitIdle(*sheet->Preview(), 10000)) << name;
        EXPECT_FALSE(sheet->Preview()->ShownImage().isNull()) << name;
        EXPECT_TRUE(sheet->grab().save(QString::fromStdString(std::string(dir) + "/" + name + ".png"))) << name;
    };
    shoot("preview-texts", source_, [](StampSettings& s) {
        s.Slots[kHeaderCenter].StyleType = HeaderFooterStyle::DateTime;
        s.Slots[kHeaderRight].StyleType = HeaderFooterStyle::PageNumber;
        s.Slots[kHeaderRight].StylePageType = PageNumberFormat::DashedOfTotal;
        s.Slots[kFooterLeft].StyleType = HeaderFooterStyle::Text;
        s.Slots[kFooterLeft].CustomText = Cp932("社外秘");
        s.Slots[kFooterLeft].FontName = "HeiseiMin-W3";
        s.Groups[0].EdgeBorder = true;
    });
    shoot("preview-watermark", source_, [](StampSettings& s) {
        s.WaterMarkType = 16;
        s.WawterMarkDiagonal = true;
        s.WaterMarkColor = 255;
    });
    shoot("preview-band", source_, [](StampSettings& s) {
        s.bWmNeed = true;
        s.bWmText = "Sigilry";
        s.bWmIsRepeat = true;
    });
    shoot("preview-image", source_, [](StampSettings& s) {
        s.ImageFileName = std::string(SIGILRY_SOURCE_DIR) + "/examples/sgry-seal.png";
        s.ImagePosition = StampPosition::Center;
        s.ImageDensity = 80;
    });
    shoot("preview-qr", source_, [](StampSettings& s) {
        s.QRIsValid = true;
        s.QRString = "https://example.com/0001";
        s.QRPosition = StampPosition::BottomRight;
    });
    shoot("preview-rotated", rotated, [](StampSettings& s) { s.WaterMarkType = 16; });
    shoot("preview-bates", source_, [](StampSettings& s) {
        s.Slots[kHeaderLeft].StyleType = HeaderFooterStyle::FileName;
        s.Slots[kHeaderRight].StyleType = HeaderFooterStyle::PageNumber;
        s.Slots[kHeaderRight].StylePageType = PageNumberFormat::Bates;
        s.BatesStart = 41;
        s.BatesPrefix = "ABC";
    });
}

}  // namespace
}  // namespace sgry::test
