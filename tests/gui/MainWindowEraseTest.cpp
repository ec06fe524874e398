// The erase command of the main window: the checked rows' files lose their
// last erasable stamp, unchecked rows and refused files keep their bytes.
#include <algorithm>

#include "MainWindowFixture.h"
#include "app/BatchRun.h"
#include "engine/EraseStamp.h"
#include "gui/ProgressDialog.h"
#include "platform/Format.h"

namespace sgry::test {
namespace {

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
        ProgressWindow progress(frame_.get());
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
    void Uncheck(int row) { frame_->View().topLevelItem(row)->setCheckState(kColumnName, Qt::Unchecked); }
    void Erase() { frame_->Command(kIdEraseStamps)->trigger(); }
};

TEST_F(EraseTest, CheckedFilesGetTheirSourceBackAndTheUncheckedOneIsUntouched) {
    const std::string first = MakeStamped("a.pdf", true);
    const std::string skipped = MakeStamped("b.pdf", true);
    const std::string second = MakeStamped("c.pdf", true);
    const std::string skippedBytes = ScratchDir::Read(skipped);
    List({first, skipped, second});
    Uncheck(1);

    Erase();

    EXPECT_EQ(prompts_.questions, Strings{"チェックしたファイルからスタンプを消去しますか？"});
    EXPECT_EQ(ScratchDir::Read(first), SmallPdf(1));
    EXPECT_EQ(ScratchDir::Read(second), SmallPdf(1));
    EXPECT_EQ(ScratchDir::Read(skipped), skippedBytes);
    EXPECT_EQ(prompts_.Texts(), Strings{"消去しました"});
    EXPECT_EQ(prompts_.messages[0].icon, MessageIcon::Information);
    EXPECT_EQ(ListedPaths(), (Strings{first, skipped, second}));
    EXPECT_FALSE(frame_->Document().Running());
}

TEST_F(EraseTest, RefusedAndVanishedFilesAreReportedAndTheOthersAreStillErased) {
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
                                         Format(erase_message::kCannotRead, gone), "消去しました"}));
}

TEST_F(EraseTest, OnlyRefusalsGiveNoSummary) {
    const std::string plain = MakeStamped("plain.pdf", false);
    const std::string source = MakePdf("source.pdf", 1);
    const std::string plainBytes = ScratchDir::Read(plain);
    List({plain, source});

    Erase();

    EXPECT_EQ(ScratchDir::Read(plain), plainBytes);
    EXPECT_EQ(ScratchDir::Read(source), SmallPdf(1));
    EXPECT_EQ(prompts_.Texts(),
              (Strings{Format(erase_message::kNoMarker, plain), Format(erase_message::kNoMarker, source)}));
    EXPECT_EQ(prompts_.messages[0].icon, MessageIcon::None);
}

}  // namespace
}  // namespace sgry::test
