// The main window under widget tests, with settings in a scratch folder,
// every message and dialog answered by a script, and small PDF files made on
// the spot. The run command:
// confirmation, the progress window with its counts, cancel between files
// and the summary; what the run and erase commands do with an empty list or
// a "no"; and the progress window's own controls with the cancel flag that
// its button or the Escape key raises. The window's edges: dropped files are
// listed and marked when signed or certified, a file that is no PDF is
// refused with its message, and closing the window, by its close box or the
// exit command, saves both settings. The
// erase command: the checked rows' files lose their last erasable stamp,
// unchecked rows and refused files keep their bytes.
#include <gtest/gtest.h>

#include <QApplication>
#include <QDropEvent>
#include <QLabel>
#include <QMimeData>
#include <QProgressBar>
#include <QPushButton>
#include <QTest>
#include <QTranslator>
#include <QUrl>
#include <algorithm>
#include <cstdlib>
#include <filesystem>
#include <memory>
#include <string>
#include <vector>

#include "app/BatchRun.h"
#include "engine/EraseStamp.h"
#include "gui/MainWindow.h"
#include "gui/PreviewPane.h"
#include "gui/ProgressDialog.h"
#include "gui/StampSettingsDialog.h"
#include "gui/Translations.h"
#include "platform/Format.h"
#include "support/RecordingPrompts.h"
#include "support/ScratchDir.h"
#include "tests/engine/TestPdf.h"

namespace sgry::test {

using Strings = std::vector<std::string>;

namespace {

// A PDF of `pages` empty A4 pages with a classic cross-reference table.
std::string SmallPdf(int pages) {
    return FlatPdf(std::vector<std::string>(static_cast<std::size_t>(pages), "/MediaBox [0 0 595 842]"));
}

// Open dialogs that answer from a script: the files to add; a single file is never chosen.
class ScriptedDialogs : public FileDialogs {
public:
    std::vector<std::string> AskOpenFileNames(const std::string&, const std::string&) override {
        return openFiles;
    }
    std::optional<std::string> AskOpenFileName(const std::string&, const std::string&) override {
        return std::nullopt;
    }

    std::vector<std::string> openFiles;  // empty = Cancel
};

class MainWindowTest : public ::testing::Test {
protected:
    MainWindowTest() : app_(dir_.File("sgry.ini")) {}

    void SetUp() override {
        app_.LoadSettings();
        MainWindowServices services;
        services.prompts = &prompts_;
        services.dialogs = &dialogs_;
        services.openInShell = [this](const std::string& path) { opened_.push_back(path); };
        window_ = std::make_unique<MainWindow>(app_, services);
        window_->show();
        QApplication::processEvents();
    }

    // A PDF of `pages` pages in the scratch folder; its path.
    std::string MakePdf(const std::string& name, int pages = 1) {
        const std::string path = dir_.File(name);
        ScratchDir::Write(path, SmallPdf(pages));
        return path;
    }
    bool Exists(const std::string& name) const { return std::filesystem::exists(dir_.File(name)); }

    // Adds the files through the add command, in this order.
    void AddThroughCommand(const std::vector<std::string>& paths) {
        dialogs_.openFiles = paths;
        window_->Action("actionAddFiles")->trigger();
    }
    std::vector<std::string> ListedPaths() const {
        std::vector<std::string> paths;
        for (const FileListRow& row : window_->ListView().List().Rows()) paths.push_back(row.path);
        return paths;
    }

    ScratchDir dir_{"mainwin"};
    ProgramSettings app_;
    RecordingPrompts prompts_;
    ScriptedDialogs dialogs_;
    std::unique_ptr<MainWindow> window_;
    std::vector<std::string> opened_;  // what the desktop was asked to open
};

class BatchTest : public MainWindowTest {
protected:
    void SetUp() override {
        MainWindowTest::SetUp();
        window_->Controller().SetProgressObserver([this](ProgressDialog& dialog) {
            dialogTitle_ = dialog.windowTitle().toStdString();
            maximum_ = dialog.BarMaximum();
            QObject::connect(&dialog, &ProgressDialog::fileShown, [this, &dialog](const QString& count, const QString&) {
                counts_.push_back(dialog.CountText().toStdString());  // what the labels show
                paths_.push_back(dialog.PathText().toStdString());
                bars_.push_back(dialog.BarValue());
                visible_ = dialog.isVisible();
                waitCursor_ = QApplication::overrideCursor() && QApplication::overrideCursor()->shape() == Qt::WaitCursor;
                if (count == cancelAt_)
                    QMetaObject::invokeMethod(dialog.findChild<QPushButton*>(QStringLiteral("1112")), "click",
                                              Qt::QueuedConnection);
            });
        });
    }

    // Files named "fN.pdf", added so that the list shows them 1..n from the top.
    std::vector<std::string> AddFiles(int n) {
        std::vector<std::string> paths;
        for (int i = n; i >= 1; --i) paths.push_back(MakePdf("f" + std::to_string(i) + ".pdf", 1));
        AddThroughCommand(paths);
        std::reverse(paths.begin(), paths.end());
        return paths;
    }
    void Run() { window_->Action("actionRun")->trigger(); }
    bool Stamped(const std::string& source) const { return ScratchDir::Read(source) != SmallPdf(1); }

    std::string dialogTitle_;
    int maximum_ = -1;
    bool visible_ = false;
    bool waitCursor_ = false;
    std::vector<std::string> counts_;
    std::vector<std::string> paths_;
    std::vector<int> bars_;
    QString cancelAt_;
};

TEST_F(BatchTest, ThreeTickedOneUntickedCountsToThreeAndLeavesTheUntickedFile) {
    const std::vector<std::string> files = AddFiles(4);
    window_->ListView().topLevelItem(2)->setCheckState(kColumnName, Qt::Unchecked);  // f3

    Run();

    EXPECT_EQ(prompts_.questions, Strings{"Stamp the checked files?"});
    EXPECT_EQ(dialogTitle_, "Working…");
    EXPECT_EQ(maximum_, 3);
    EXPECT_TRUE(visible_);
    EXPECT_TRUE(waitCursor_);
    EXPECT_EQ(counts_, (Strings{"0 / 3", "1 / 3", "2 / 3"}));
    EXPECT_EQ(paths_, (Strings{files[0], files[1], files[3]}));
    EXPECT_EQ(bars_, (std::vector<int>{0, 1, 2}));
    for (const char* name : {"_f1.pdf", "_f2.pdf", "_f4.pdf"}) EXPECT_TRUE(Exists(name)) << name;
    EXPECT_FALSE(Exists("_f3.pdf"));
    EXPECT_FALSE(Stamped(files[2]));
    EXPECT_EQ(prompts_.Texts(),
              Strings{"Done.\r\n\r\nThe names of the output files begin with \" _ \" (an underscore)."});
    EXPECT_EQ(prompts_.messages[0].icon, MessageIcon::Information);
    EXPECT_EQ(window_->findChild<ProgressDialog*>(), nullptr);  // gone after the run, with the wait cursor
    EXPECT_EQ(QApplication::overrideCursor(), nullptr);
    EXPECT_FALSE(window_->Controller().Running());
}

TEST_F(BatchTest, CancelWhileTheSecondOfFiveRunsFinishesTheSecondOnly) {
    const std::vector<std::string> files = AddFiles(5);
    cancelAt_ = QStringLiteral("1 / 5");  // the click arrives while the second file runs

    Run();

    EXPECT_EQ(counts_, (Strings{"0 / 5", "1 / 5"}));
    EXPECT_TRUE(Exists("_f1.pdf"));
    EXPECT_TRUE(Exists("_f2.pdf"));
    for (const char* untouched : {"_f3.pdf", "_f4.pdf", "_f5.pdf"}) EXPECT_FALSE(Exists(untouched)) << untouched;
    for (int i = 2; i < 5; ++i) EXPECT_FALSE(Stamped(files[static_cast<std::size_t>(i)])) << i;
    EXPECT_EQ(prompts_.Texts(), Strings{"Cancelled."});
    EXPECT_EQ(window_->Controller().LastOutcome().finished, 2);
    EXPECT_EQ(window_->Controller().LastOutcome().succeeded, 2);
}

// A run with Bates numbers writes their record beside the first output,
// offers to open it and keeps the next free number for the next run.
TEST_F(BatchTest, BatesNumbersLeaveTheirRecordAndTheNextNumber) {
    StampSettings& stamp = app_.Stamp();
    stamp.Slots[kFooterCenter].StyleType = HeaderFooterStyle::PageNumber;
    stamp.Slots[kFooterCenter].StylePageType = PageNumberFormat::Bates;
    stamp.BatesPrefix = "ABC";
    stamp.BatesStart = 41;
    const std::vector<std::string> files = {MakePdf("f2.pdf", 3), MakePdf("f1.pdf", 2)};
    AddThroughCommand(files);  // the list shows f1.pdf above f2.pdf

    Run();

    const std::string record = dir_.File("ABC000041.tsv");
    EXPECT_EQ(ScratchDir::Read(record), "source\toutput\tfirst\tlast\tpages\toutcome\n" + files[1] + "\t" +
                                            dir_.File("_f1.pdf") + "\tABC000041\tABC000042\t2\tstamped\n" + files[0] +
                                            "\t" + dir_.File("_f2.pdf") + "\tABC000043\tABC000045\t3\tstamped\n");
    EXPECT_EQ(stamp.BatesStart, 46);
    ASSERT_EQ(prompts_.questions.size(), 2u);
    EXPECT_EQ(prompts_.questions[1], "The Bates number record was written. Open it?\r\n" + record +
                                         "\r\n\r\nNext Bates number: ABC000046");
    EXPECT_EQ(opened_, Strings{record});

    prompts_.answerOk = false;  // the run's question too: nothing more happens
    Run();
    EXPECT_EQ(stamp.BatesStart, 46);
    EXPECT_EQ(opened_, Strings{record});
}

// With SIGILRY_SCREENSHOT_DIR=<folder> (skipped without), pictures of the
// main window, the stamp settings dialog with its preview and the progress
// window in the language of the environment: main-window-en.png or
// main-window-ja.png and so on.
class ScreenshotTest : public BatchTest {
protected:
    void SetUp() override {
        const char* folder = std::getenv("SIGILRY_SCREENSHOT_DIR");
        if (!folder || !*folder) GTEST_SKIP() << "set SIGILRY_SCREENSHOT_DIR to save screenshots";
        const Language language = LanguageFromEnvironment();
        UseProgramLanguage(language);  // before the windows are made
        prefix_ = std::string(folder) + "/";
        suffix_ = language == Language::Japanese ? "-ja.png" : "-en.png";
        BatchTest::SetUp();
    }
    // The other tests of the process speak English again.
    void TearDown() override {
        for (QTranslator* translator : qApp->findChildren<QTranslator*>()) {
            QApplication::removeTranslator(translator);
            delete translator;
        }
        UseProgramLanguage(Language::English);
    }
    bool Save(QWidget& widget, const std::string& name) const {
        return widget.grab().save(QString::fromStdString(prefix_ + name + suffix_));
    }

    std::string prefix_;
    std::string suffix_;
};

TEST_F(ScreenshotTest, MainWindowStampSettingsAndProgress) {
    AddFiles(3);
    window_->resize(640, 320);
    QApplication::processEvents();
    EXPECT_TRUE(Save(*window_, "main-window"));

    StampSettings& stamp = app_.Stamp();
    stamp.Slots[kHeaderLeft].StyleType = HeaderFooterStyle::Text;
    stamp.Slots[kHeaderLeft].CustomText = "Draft";
    stamp.Slots[kFooterCenter].StyleType = HeaderFooterStyle::PageNumber;
    stamp.WaterMarkType = 16;
    std::filesystem::create_directories(dir_.File("tmp"));
    {
        StampSettingsDialog dialog(stamp, prompts_, window_.get());
        dialog.EnablePreview(PreviewSetup{std::string(), app_.App(), &app_.Layout(), QString::fromStdString(dir_.File("tmp"))});
        dialog.show();
        dialog.SetActivePage(1);
        ASSERT_TRUE(QTest::qWaitFor([&] { return dialog.Preview()->Idle(); }, 10000));
        EXPECT_TRUE(Save(dialog, "stamp-settings"));
    }

    bool saved = false;
    window_->Controller().SetProgressObserver([&](ProgressDialog& dialog) {
        QObject::connect(&dialog, &ProgressDialog::fileShown, [&](const QString& count, const QString&) {
            if (count == QStringLiteral("1 / 3")) saved = Save(dialog, "progress-window");
        });
    });
    Run();
    EXPECT_TRUE(saved);
}

struct CommandRow { const char* name; const char* action; const char* question; };

TEST_F(BatchTest, EmptyListOrADeclinedQuestionRunsNothing) {
    const CommandRow rows[] = {{"run", "actionRun", "Stamp the checked files?"},
                               {"erase", "actionUndoStamps", "Erase the stamps from the checked files?"}};
    for (const CommandRow& row : rows) {
        SCOPED_TRACE(row.name);
        window_->Action(row.action)->trigger();
        EXPECT_TRUE(prompts_.questions.empty());
        EXPECT_EQ(prompts_.Texts(), Strings{"No PDF files to process."});
        prompts_.messages.clear();
    }
    const std::string file = AddFiles(1)[0];
    prompts_.answerOk = false;
    for (const CommandRow& row : rows) {
        SCOPED_TRACE(row.name);
        window_->Action(row.action)->trigger();
        EXPECT_EQ(prompts_.questions.back(), row.question);
        EXPECT_TRUE(prompts_.messages.empty());
    }
    EXPECT_EQ(prompts_.questions.size(), 2u);
    EXPECT_EQ(maximum_, -1);  // no progress window was made
    EXPECT_FALSE(Exists("_f1.pdf"));
    EXPECT_FALSE(Stamped(file));
}

TEST(ProgressDialogTest, ControlsAndTheCancelFlagRaisedByTheButtonOrEscape) {
    QWidget owner;
    owner.resize(400, 300);
    owner.show();
    ProgressDialog dialog(&owner);
    EXPECT_EQ(dialog.windowTitle(), QStringLiteral("Working…"));
    auto* count = dialog.findChild<QLabel*>(QStringLiteral("1111"));
    auto* path = dialog.findChild<QLabel*>(QStringLiteral("1110"));
    auto* cancel = dialog.findChild<QPushButton*>(QStringLiteral("1112"));
    ASSERT_TRUE(count && path && dialog.findChild<QProgressBar*>(QStringLiteral("1108")) && cancel);
    EXPECT_EQ(count->text(), QStringLiteral(" 1 / 1"));
    EXPECT_EQ(cancel->text(), QStringLiteral("&Cancel"));
    EXPECT_TRUE(path->wordWrap());

    dialog.ShowCentred();  // counts, path and bar during a run: BatchTest
    EXPECT_FALSE(dialog.CancelRequested());
    QTest::mouseClick(cancel, Qt::LeftButton);
    EXPECT_TRUE(dialog.CancelRequested());
    EXPECT_TRUE(dialog.isVisible());  // the run decides when it goes

    ProgressDialog escaped(nullptr);
    escaped.ShowCentred();
    QTest::keyClick(&escaped, Qt::Key_Escape);
    EXPECT_TRUE(escaped.CancelRequested());
    EXPECT_TRUE(escaped.isVisible());
}

using WindowTest = MainWindowTest;

TEST_F(WindowTest, DroppedFilesAreAddedAndTheTitleStays) {
    const std::string a = MakePdf("a.pdf", 2), b = MakePdf("b.pdf", 1);
    QMimeData data;
    data.setUrls({QUrl::fromLocalFile(QString::fromStdString(a)), QUrl::fromLocalFile(QString::fromStdString(b))});
    const QPoint centre = window_->rect().center();
    QDragEnterEvent enter(centre, Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(window_.get(), &enter);
    EXPECT_TRUE(enter.isAccepted());
    QDropEvent drop(QPointF(centre), Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(window_.get(), &drop);
    QApplication::processEvents();

    EXPECT_EQ(ListedPaths(), (Strings{b, a}));
    EXPECT_EQ(window_->windowTitle(), QStringLiteral("Sigilry ver1.08"));
}

// The list marks signed and certified files as they are added; with
// SIGILRY_SCREENSHOT_DIR=<folder> the window is saved there as list-signed.png.
TEST_F(WindowTest, SignedAndCertifiedFilesAreMarkedInTheList) {
    const std::string plain = MakePdf("plain.pdf"), signedPdf = dir_.File("signed.pdf");
    const std::string certified = dir_.File("certified.pdf");
    ScratchDir::Write(signedPdf, CatalogPdf("/AcroForm << /Fields [ 4 0 R ] /SigFlags 3 >>",
                                            {"<< /FT /Sig /T (s) /V 5 0 R >>", "<< /Type /Sig /Contents <00> >>"}));
    ScratchDir::Write(certified, CertifiedPdf(2));
    for (const std::string& path : {plain, signedPdf, certified})
        EXPECT_TRUE(window_->ListView().AddFileToList(path));
    std::vector<QString> marks;
    for (int row = 0; row < 3; ++row) marks.push_back(window_->ListView().topLevelItem(row)->text(kColumnSigning));
    EXPECT_EQ(marks, (std::vector<QString>{QStringLiteral("Certified"), QStringLiteral("Signed"), QString()}));
    for (int column : {kColumnName, kColumnPages, kColumnSigning, kColumnPath})
        EXPECT_GE(window_->ListView().columnWidth(column), window_->ListView().NarrowestWidth(column)) << column;
    EXPECT_GT(window_->ListView().NarrowestWidth(kColumnSigning),
              window_->ListView().fontMetrics().horizontalAdvance(QStringLiteral("Certified")));
    if (const char* folder = std::getenv("SIGILRY_SCREENSHOT_DIR"); folder && *folder) {
        window_->resize(900, 300);
        QApplication::processEvents();
        EXPECT_TRUE(window_->grab().save(QString::fromStdString(std::string(folder) + "/list-signed.png")));
    }
}

TEST_F(WindowTest, AddingANonPdfReportsAndKeepsTheWindow) {
    const std::string text = dir_.File("readme.txt");
    ScratchDir::Write(text, "hello\n");
    EXPECT_FALSE(window_->Controller().AddFile(text));
    EXPECT_EQ(prompts_.Texts(), Strings{"Not a PDF file\r\n" + text});
    EXPECT_TRUE(window_->isVisible());
}

struct CloseRow { const char* name; bool throughMenu; };

class CloseTest : public MainWindowTest, public ::testing::WithParamInterface<CloseRow> {};

TEST_P(CloseTest, ClosingTheWindowSavesBothSettingsForTheNextStart) {
    app_.App().Output = OutputMode::Overwrite;
    app_.Stamp().WaterMarkDensity = 37;
    if (GetParam().throughMenu)
        window_->Action("actionExit")->trigger();
    else
        EXPECT_TRUE(window_->close());

    EXPECT_FALSE(window_->isVisible());
    EXPECT_TRUE(app_.Saved());
    ProgramSettings next(app_.IniPath());
    next.LoadSettings();
    EXPECT_EQ(next.App().Output, OutputMode::Overwrite);
    EXPECT_EQ(next.Stamp().WaterMarkDensity, 37);
}

INSTANTIATE_TEST_SUITE_P(Ways, CloseTest,
                         ::testing::Values(CloseRow{"close_box", false}, CloseRow{"exit_command", true}),
                         [](const auto& info) { return std::string(info.param.name); });

class EraseTest : public MainWindowTest {
protected:
    // A one-page file in the scratch folder stamped in place with a header
    // text; erasable selects the marker line.
    std::string MakeStamped(const std::string& name, bool erasable) {
        const std::string path = MakePdf(name, 1);
        StampSettings stamp;
        stamp.Slots[kHeaderLeft].StyleType = HeaderFooterStyle::Text;
        stamp.Slots[kHeaderLeft].CustomText = "Erasable";
        AppSettings app;
        app.Output = OutputMode::Overwrite;
        app.Undo = erasable;
        RecordingPrompts quiet;
        ProgressWindow progress(window_.get());
        EXPECT_EQ(BatchRun(stamp, app, quiet, progress).RunBatch({BatchRow{path, true}}).succeeded, 1);
        EXPECT_NE(ScratchDir::Read(path), SmallPdf(1));
        return path;
    }
    // Puts the files on the list so that it shows them in this order from
    // the top.
    void List(std::vector<std::string> paths) {
        std::reverse(paths.begin(), paths.end());
        AddThroughCommand(paths);
    }
    void Uncheck(int row) { window_->ListView().topLevelItem(row)->setCheckState(kColumnName, Qt::Unchecked); }
    void Erase() { window_->Action("actionUndoStamps")->trigger(); }
};

TEST_F(EraseTest, CheckedFilesGetTheirSourceBackAndTheUncheckedOneIsUntouched) {
    const std::string first = MakeStamped("a.pdf", true);
    const std::string skipped = MakeStamped("b.pdf", true);
    const std::string second = MakeStamped("c.pdf", true);
    const std::string skippedBytes = ScratchDir::Read(skipped);
    List({first, skipped, second});
    Uncheck(1);

    Erase();

    EXPECT_EQ(prompts_.questions, Strings{"Erase the stamps from the checked files?"});
    EXPECT_EQ(ScratchDir::Read(first), SmallPdf(1));
    EXPECT_EQ(ScratchDir::Read(second), SmallPdf(1));
    EXPECT_EQ(ScratchDir::Read(skipped), skippedBytes);
    EXPECT_EQ(prompts_.Texts(), Strings{"Stamps erased."});
    EXPECT_EQ(prompts_.messages[0].icon, MessageIcon::Information);
    EXPECT_EQ(ListedPaths(), (Strings{first, skipped, second}));
    EXPECT_FALSE(window_->Controller().Running());
}

// Refused and vanished files are reported and the others still erased; a
// second erase, where nothing is left to erase, gives no summary.
TEST_F(EraseTest, RefusedAndVanishedFilesAreReportedAndOnlyRefusalsGiveNoSummary) {
    const std::string plain = MakeStamped("plain.pdf", false);
    const std::string gone = MakeStamped("gone.pdf", true);
    const std::string erasable = MakeStamped("erasable.pdf", true);
    const std::string plainBytes = ScratchDir::Read(plain);
    List({plain, gone, erasable});
    std::filesystem::remove(gone);

    Erase();

    EXPECT_EQ(ScratchDir::Read(plain), plainBytes);
    EXPECT_EQ(ScratchDir::Read(erasable), SmallPdf(1));
    EXPECT_EQ(prompts_.Texts(), (Strings{Format(erase_message::kNoMarker, plain),
                                         Format(erase_message::kCannotRead, gone), "Stamps erased."}));

    prompts_.messages.clear();
    Erase();

    EXPECT_EQ(ScratchDir::Read(plain), plainBytes);
    EXPECT_EQ(ScratchDir::Read(erasable), SmallPdf(1));
    EXPECT_EQ(prompts_.Texts(), (Strings{Format(erase_message::kNoMarker, plain),
                                         Format(erase_message::kCannotRead, gone),
                                         Format(erase_message::kNoMarker, erasable)}));
    EXPECT_EQ(prompts_.messages[0].icon, MessageIcon::None);
}

}  // namespace
}  // namespace sgry::test
