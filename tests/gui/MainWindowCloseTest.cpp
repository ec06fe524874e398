// What a person sees and does at the main window's edges: dropped files are
// listed, a document that is no PDF is refused with its message, and closing
// the window, by its close box or the exit command, saves both settings.
#include <QDropEvent>
#include <QMimeData>
#include <QUrl>

#include "MainWindowFixture.h"

namespace sgry::test {
namespace {

using FrameTest = MainWindowTest;

TEST_F(FrameTest, DroppedFilesAreAddedAndTheTitleStays) {
    const std::string a = MakePdf("a.pdf", 2), b = MakePdf("b.pdf", 1);
    QMimeData data;
    data.setUrls({QUrl::fromLocalFile(QString::fromStdString(a)), QUrl::fromLocalFile(QString::fromStdString(b))});
    const QPoint centre = frame_->rect().center();
    QDragEnterEvent enter(centre, Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(frame_.get(), &enter);
    EXPECT_TRUE(enter.isAccepted());
    QDropEvent drop(QPointF(centre), Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(frame_.get(), &drop);
    QApplication::processEvents();

    EXPECT_EQ(ListedPaths(), (Strings{b, a}));
    EXPECT_EQ(frame_->windowTitle(), QStringLiteral("Sigilry ver1.08"));
}

TEST_F(FrameTest, DocumentOpenOfANonPdfReportsAndKeepsTheWindow) {
    const std::string text = dir_.File("readme.txt");
    ScratchDir::Write(text, "hello\n");
    EXPECT_FALSE(frame_->Document().OpenDocument(text));
    EXPECT_EQ(prompts_.Texts(), Strings{"PDFファイルではありません\r\n" + text});
    EXPECT_TRUE(frame_->isVisible());
}

struct CloseRow {
    const char* name;
    bool throughMenu;
};

class CloseTest : public MainWindowTest, public ::testing::WithParamInterface<CloseRow> {};

TEST_P(CloseTest, ClosingTheWindowSavesBothSettingsForTheNextStart) {
    app_.App().Output = OutputMode::Overwrite;
    app_.Stamp().WaterMarkDensity = 37;
    if (GetParam().throughMenu)
        frame_->Command(kIdAppExit)->trigger();
    else
        EXPECT_TRUE(frame_->close());

    EXPECT_FALSE(frame_->isVisible());
    EXPECT_TRUE(app_.Saved());
    SgryApp next(app_.IniPath());
    next.LoadSettings();
    EXPECT_EQ(next.App().Output, OutputMode::Overwrite);
    EXPECT_EQ(next.Stamp().WaterMarkDensity, 37);
}

INSTANTIATE_TEST_SUITE_P(Ways, CloseTest,
                         ::testing::Values(CloseRow{"close_box", false}, CloseRow{"exit_command", true}),
                         [](const auto& info) { return std::string(info.param.name); });


}  // namespace
}  // namespace sgry::test
