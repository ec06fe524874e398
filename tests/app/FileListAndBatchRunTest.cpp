// The file list and the run command without a window. The list: rows on
// top, messages of files that cannot be listed, list files written and read,
// long lines cut into pieces. The run: the image check, the summaries of the
// output modes and the cancelled save dialog (the loop with its progress and
// cancel is run through the progress window in the GUI tests).
#include <gtest/gtest.h>

#include <filesystem>

#include "app/BatchRun.h"
#include "app/FileList.h"
#include "engine/JobRunner.h"
#include "image/JpegReader.h"
#include "tests/engine/TestPdf.h"
#include "tests/image/ImageFixtures.h"
#include "tests/support/RecordingPrompts.h"
#include "tests/support/ScratchDir.h"

namespace sgry {
namespace {

using test::RecordingPrompts;
using test::ScratchDir;

class FileListTest : public ::testing::Test {
protected:
    std::string Pdf(const std::string& name, int pages = 1) {
        const std::string path = dir.File(name);
        ScratchDir::Write(path, test::FlatPdf(std::vector<std::string>(static_cast<size_t>(pages), "")));
        return path;
    }
    std::vector<std::string> Paths() const {
        std::vector<std::string> paths;
        for (const FileListRow& row : list.Rows()) paths.push_back(row.path);
        return paths;
    }

    ScratchDir dir{"filelist"};
    RecordingPrompts prompts;
    FileList list{prompts};
};

TEST_F(FileListTest, NewRowsGoOnTopCheckedWithNameAndPageCount) {
    const std::string a = Pdf("a.pdf", 2), b = Pdf("b.pdf"), c = Pdf("c.pdf", 5);
    for (const std::string& p : {a, b, c}) EXPECT_TRUE(list.AddFileToList(p));
    EXPECT_EQ(Paths(), (std::vector<std::string>{c, b, a}));
    EXPECT_EQ(list.Row(0).fileName, "c.pdf");
    EXPECT_EQ(list.Row(0).pageCount, 5);
    EXPECT_EQ(list.Row(2).pageCount, 2);
    EXPECT_TRUE(list.Row(1).checked);
    EXPECT_TRUE(prompts.messages.empty());
}

TEST_F(FileListTest, FilesThatCannotBeListedAreReported) {
    const std::string notPdf = dir.File("x.pdf");
    ScratchDir::Write(notPdf, std::string(200, 'x'));
    EXPECT_FALSE(list.AddFileToList(notPdf));
    EXPECT_FALSE(list.AddFileToList(dir.File("missing.pdf")));
    EXPECT_EQ(list.Count(), 0);
    ASSERT_EQ(prompts.messages.size(), 2u);
    EXPECT_EQ(prompts.messages[0].text, "Not a PDF file\r\n" + notPdf);
    EXPECT_EQ(prompts.messages[1].text,
              "An error occurred while reading the PDF file\n\r" + dir.File("missing.pdf") + "\r\nError number=1");
}

TEST_F(FileListTest, SaveAndLoadReverseTheOrderAndTickEveryRow) {
    const std::string a = Pdf("a.pdf"), b = Pdf("b.pdf"), c = Pdf("c.pdf");
    for (const std::string& p : {a, b, c}) list.AddFileToList(p);
    list.SetChecked(1, false);
    const std::string lst = dir.File("files.lst");
    ASSERT_TRUE(list.WriteListFile(lst));
    EXPECT_EQ(ScratchDir::Read(lst), c + "\r\n" + b + "\r\n" + a + "\r\n");

    list.Clear();
    ASSERT_TRUE(list.ReadListFile(lst));
    EXPECT_EQ(Paths(), (std::vector<std::string>{a, b, c}));
    for (const FileListRow& row : list.Rows()) EXPECT_TRUE(row.checked);
}

TEST_F(FileListTest, ReadingAcceptsLineFeedsAndSkipsEmptyLines) {
    const std::string a = Pdf("a.pdf"), b = Pdf("b.pdf");
    const std::string lst = dir.File("mixed.lst");
    ScratchDir::Write(lst, a + "\n\r\n\n" + b + "\r\n" + a);
    std::vector<std::string> paths;
    ASSERT_TRUE(FileList::ReadListPaths(lst, paths));
    EXPECT_EQ(paths, (std::vector<std::string>{a, b, a}));
    ASSERT_TRUE(list.ReadListFile(lst));
    EXPECT_EQ(list.Count(), 3);
    EXPECT_TRUE(prompts.messages.empty());
}

TEST_F(FileListTest, ListFilesThatCannotBeOpened) {
    EXPECT_FALSE(list.ReadListFile(dir.File("none.lst")));
    EXPECT_FALSE(list.WriteListFile(dir.File("no/such/folder.lst")));
    ASSERT_EQ(prompts.messages.size(), 2u);
    EXPECT_EQ(prompts.messages[0].text, "Could not open the file\r\n" + dir.File("none.lst"));
    EXPECT_EQ(prompts.messages[1].text, "Could not open the file\r\n" + dir.File("no/such/folder.lst"));
}

TEST_F(FileListTest, RemovingThreeOfFiveKeepsTheOthersInOrder) {
    std::vector<std::string> added;
    for (const char* name : {"1.pdf", "2.pdf", "3.pdf", "4.pdf", "5.pdf"}) {
        added.push_back(Pdf(name));
        list.AddFileToList(added.back());
    }
    list.RemoveRows({3, 0, 2, 2, 9});
    EXPECT_EQ(Paths(), (std::vector<std::string>{added[3], added[0]}));
}

// A line of a megabyte is read in pieces of 2047 bytes, each tried as a path
// of its own and reported once, with memory in proportion to the file.
TEST_F(FileListTest, MegabyteLineIsReadInPieces) {
    std::string line;
    for (int i = 0; line.size() < (1u << 20); ++i) line += "/no/such/folder/file" + std::to_string(i) + ".pdf;";
    line.resize(1u << 20);
    const std::string path = dir.File("huge.lst");
    ScratchDir::Write(path, line + "\r\n/tail.pdf\r\n");
    std::vector<std::string> paths;
    ASSERT_TRUE(FileList::ReadListPaths(path, paths));
    const size_t pieces = (line.size() + kListLinePieceBytes - 1) / kListLinePieceBytes;
    ASSERT_EQ(paths.size(), pieces + 1);
    EXPECT_EQ(paths[0].size(), 2047u);
    std::string joined;
    for (size_t i = 0; i < pieces; ++i) {
        EXPECT_LE(paths[i].size(), kListLinePieceBytes);
        joined += paths[i];
    }
    EXPECT_EQ(joined, line);
    EXPECT_EQ(paths.back(), "/tail.pdf");

    ASSERT_TRUE(list.ReadListFile(path));
    EXPECT_EQ(list.Count(), 0);
    ASSERT_EQ(prompts.messages.size(), pieces + 1);
    EXPECT_NE(prompts.messages.back().text.find("/tail.pdf"), std::string::npos);
}

// Records the counts the progress dialog would show.
class RecordingProgress : public BatchProgress {
public:
    void Start(int32_t) override {}
    void Show(const std::string& countText, const std::string&) override { counts.push_back(countText); }
    void Step() override {}
    bool Cancelled() override { return false; }

    std::vector<std::string> counts;
};

class BatchRunTest : public ::testing::Test {
protected:
    std::string Pdf(const std::string& name) {
        const std::string path = dir.File(name);
        ScratchDir::Write(path, test::FlatPdf({"/MediaBox [0 0 595 842] /Resources << >>"}));
        return path;
    }
    BatchOutcome Run(const std::vector<BatchRow>& rows) {
        BatchRun run(stamp, app, prompts, progress);
        return run.OnRun(rows);
    }

    ScratchDir dir{"batch"};
    StampSettings stamp;
    AppSettings app;
    RecordingPrompts prompts;
    RecordingProgress progress;
};

TEST_F(BatchRunTest, PrefixModeWithEveryFileFailingShowsNoSummary) {
    const std::string notPdf = dir.File("not.pdf");
    ScratchDir::Write(notPdf, "this is no PDF file at all, but it is long enough to be read as one............");
    const BatchOutcome outcome = Run({{notPdf, true}, {dir.File("gone.pdf"), true}});
    EXPECT_EQ(outcome.succeeded, 0);
    EXPECT_EQ(outcome.finished, 2);
    EXPECT_EQ(prompts.Texts(), (std::vector<std::string>{
                           "Not a PDF file\r\n" + notPdf,
                           "An error occurred while opening the PDF file\r\n" + dir.File("gone.pdf") + "\r\n\r\n Error code=1"}));
    EXPECT_EQ(progress.counts, (std::vector<std::string>{"0 / 2", "1 / 2"}));
}

TEST_F(BatchRunTest, OtherOutputModesEndWithAPlainSummary) {
    app.Output = OutputMode::Overwrite;
    const std::string a = Pdf("a.pdf");
    const size_t before = ScratchDir::Read(a).size();
    Run({{a, true}});
    EXPECT_GT(ScratchDir::Read(a).size(), before);
    ASSERT_EQ(prompts.Texts(), std::vector<std::string>{"Done."});
    EXPECT_EQ(prompts.messages[0].icon, MessageIcon::None);
}

// A certified file is asked about, unless the setting allows it; a "no"
// refuses it with the message the question showed.
TEST_F(BatchRunTest, CertifiedFileIsStampedOnlyWhenTheQuestionOrTheSettingAllowsIt) {
    const std::string path = dir.File("c.pdf"), output = dir.File("_c.pdf");
    const std::string refusal = CertifiedRefusal({1, true, 2, false}, path);
    ScratchDir::Write(path, test::CertifiedPdf(2));
    for (const auto& [answer, setting] : {std::pair{false, false}, {true, false}, {false, true}}) {
        SCOPED_TRACE(std::to_string(answer) + std::to_string(setting));
        std::filesystem::remove(output);
        prompts = RecordingPrompts();
        prompts.allowChange = answer;
        app.AllowCertified = setting;
        EXPECT_EQ(Run({{path, true}}).succeeded, answer || setting ? 1 : 0);
        EXPECT_EQ(prompts.questions.size(), setting ? 1u : 2u);  // the run's confirmation comes first
        const std::string asked = refusal + "\r\n\r\n" + run_message::kAskStampCertified.Text();
        EXPECT_EQ(prompts.questions.back(), setting ? std::string(batch_message::kConfirm) : asked);
        EXPECT_EQ(std::filesystem::exists(output), answer || setting);
        const std::string shown = answer || setting ? "it was stamped as the settings allow" : refusal;
        EXPECT_NE(prompts.Texts().front().find(shown), std::string::npos);
    }
}

TEST_F(BatchRunTest, CancelledNameSkipsTheFileWithoutAMessage) {
    app.Output = OutputMode::SaveAsDialog;
    prompts.saveAnswers = {std::nullopt, dir.File("named")};
    const BatchOutcome outcome = Run({{Pdf("a.pdf"), true}, {Pdf("b.pdf"), true}});
    EXPECT_EQ(outcome.succeeded, 1);
    EXPECT_TRUE(std::filesystem::exists(dir.File("named.pdf")));
    EXPECT_EQ(prompts.Texts(), (std::vector<std::string>{"Done."}));
}

TEST_F(BatchRunTest, ImageCheckStopsTheRunBeforeTheConfirmation) {
    const std::string bmpDamaged = dir.File("bad.bmp");
    ScratchDir::Write(bmpDamaged, "XX not a bitmap");
    const std::string jpeg = dir.File("logo.JPEG");
    ScratchDir::Write(jpeg, "not a jpeg");
    struct Row { std::string image; std::string message; MessageIcon icon; };
    const std::vector<Row> rows = {
        {dir.File("logo.gif"),
         "The watermark image is in an unsupported format\r\n" + dir.File("logo.gif") + "\r\n\r\nPlease choose another watermark image in the stamp settings",
         MessageIcon::Warning},
        {dir.File("missing.bmp"), "Cannot open the image file\r\n" + dir.File("missing.bmp"), MessageIcon::None},
        {bmpDamaged, "The image file is damaged\r\n" + bmpDamaged, MessageIcon::None},
        {jpeg, "An error occurred while reading the watermark image\r\n" + jpeg + "\r\n\r\nDetails:\r\n" +
                   JpegReader::ErrorText(JpegReader::kBadHeader) + "\r\n\r\nPlease choose another watermark image in the stamp settings",
         MessageIcon::Warning},
    };
    const std::string a = Pdf("a.pdf");
    for (const Row& row : rows) {
        SCOPED_TRACE(row.image);
        prompts.messages.clear();
        stamp.ImageFileName = row.image;
        EXPECT_EQ(Run({{a, true}}).status, BatchOutcome::Status::ImageRefused);
        ASSERT_EQ(prompts.Texts(), std::vector<std::string>{row.message});
        EXPECT_EQ(prompts.messages[0].icon, row.icon);
    }
    EXPECT_TRUE(prompts.questions.empty());
}

TEST_F(BatchRunTest, ImageWhoseExtensionIsUpperCaseJpegIsAccepted) {
    stamp.ImageFileName = dir.File("logo.JPEG");
    ScratchDir::Write(stamp.ImageFileName, test::MakeJpeg(8, 4, 3, false));
    const std::string a = Pdf("a.pdf");
    const BatchOutcome outcome = Run({{a, true}});
    EXPECT_EQ(outcome.succeeded, 1);
    EXPECT_EQ(prompts.questions.size(), 1u);
    EXPECT_NE(ScratchDir::Read(dir.File("_a.pdf")).find("/Subtype/Image"), std::string::npos);
}

}  // namespace
}  // namespace sgry
