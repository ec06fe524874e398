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
#include "engine/OutputGroup.h"
#include "image/JpegReader.h"
#include "platform/Format.h"
#include "tests/engine/TestPdf.h"
#include "tests/image/ImageFixtures.h"
#include "tests/support/RecordingPrompts.h"
#include "tests/support/SamplePdfs.h"
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
    void Step() override { ++steps; }
    bool Cancelled() override { return steps == cancelAfter; }

    std::vector<std::string> counts;
    int steps = 0;
    int cancelAfter = -1;  // the cancel button is pressed during file cancelAfter + 1
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

// More files in place than one group takes: the second group locks and
// journals the files from where the first one ended.
TEST_F(BatchRunTest, FilesInPlaceBeyondOneGroupAreAllStamped) {
    app.Output = OutputMode::Overwrite;
    std::vector<BatchRow> rows;
    for (std::size_t i = 0; i < OutputGroup::kMaxFiles + 3; ++i) rows.push_back({Pdf("f" + std::to_string(i) + ".pdf"), true});
    const std::size_t before = ScratchDir::Read(rows[0].path).size();
    const BatchOutcome outcome = Run(rows);
    EXPECT_EQ(outcome.succeeded, static_cast<int>(rows.size()));
    for (const BatchRow& row : rows) {
        EXPECT_GT(ScratchDir::Read(row.path).size(), before) << row.path;
        EXPECT_FALSE(std::filesystem::exists(JournalPathOf(row.path))) << row.path;
    }
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

// Bates numbers run across the files in list order, one a stamped page:
// a page the odd/even rule leaves out, a file that fails and the files a
// cancel never reached use none, and the record lists what each file got.
TEST_F(BatchRunTest, BatesNumbersRunOnlyAcrossPagesThatReachTheDisk) {
    const auto pdf = [&](const std::string& name, std::size_t pages) {
        ScratchDir::Write(dir.File(name), test::FlatPdf(std::vector<std::string>(pages, "/MediaBox [0 0 595 842]")));
        return BatchRow{dir.File(name), true};
    };
    const BatchRow a = pdf("a.pdf", 3), b = pdf("b.pdf", 1), c = pdf("c.pdf", 5), bad{dir.File("bad.pdf"), true};
    ScratchDir::Write(bad.path, std::string(200, 'x'));
    stamp.Slots[kFooterRight].StyleType = HeaderFooterStyle::PageNumber;
    stamp.Slots[kFooterRight].StylePageType = PageNumberFormat::Bates;
    stamp.BatesStart = 41;
    stamp.BatesPrefix = "ABC";
    struct Case {
        const char* name;
        std::vector<BatchRow> rows;
        bool evenOnly;
        int cancelAfter;
        std::vector<std::vector<int>> numbers;  // per row and page: the number printed, 0 none
        std::vector<std::string> ranges;         // per row: first, last, pages and outcome in the record
        int64_t next;
    };
    const Case cases[] = {
        {"three files", {a, b, c}, false, -1, {{41, 42, 43}, {44}, {45, 46, 47, 48, 49}},
         {"ABC000041\tABC000043\t3\tstamped", "ABC000044\tABC000044\t1\tstamped", "ABC000045\tABC000049\t5\tstamped"}, 50},
        {"even pages", {a, b, c}, true, -1, {{0, 41, 0}, {0}, {0, 42, 0, 43, 0}},
         {"ABC000041\tABC000041\t1\tstamped", "\t\t0\tstamped", "ABC000042\tABC000043\t2\tstamped"}, 44},
        {"failed file", {a, bad, c}, false, -1, {{41, 42, 43}, {}, {44, 45, 46, 47, 48}},
         {"ABC000041\tABC000043\t3\tstamped", "\t\t0\trefused", "ABC000044\tABC000048\t5\tstamped"}, 49},
        {"cancelled", {a, b, c}, false, 1, {{41, 42, 43}, {}, {}},
         {"ABC000041\tABC000043\t3\tstamped", "\t\t0\tcancelled", "\t\t0\tcancelled"}, 44},
    };
    for (const Case& row : cases) {
        SCOPED_TRACE(row.name);
        for (const char* name : {"_a.pdf", "_b.pdf", "_c.pdf"}) std::filesystem::remove(dir.File(name));
        stamp.OddFlag = {true, !row.evenOnly};
        progress.steps = 0;
        progress.cancelAfter = row.cancelAfter;
        BatchRun run(stamp, app, prompts, progress);
        struct Outcomes : FileRecordSink {
            void Record(const FileRecord& record) override { seen.push_back(OutcomeName(record.outcome)); }
            std::vector<std::string> seen;
        } handedOn;  // what a report receives: every file, also those a cancel never began
        run.SetRecordSink(&handedOn);
        const BatchOutcome outcome = run.RunBatch(row.rows);
        EXPECT_TRUE(outcome.bates);
        EXPECT_EQ(outcome.batesNext, row.next);
        ASSERT_EQ(handedOn.seen.size(), row.ranges.size());
        for (std::size_t f = 0; f < row.ranges.size(); ++f) EXPECT_TRUE(row.ranges[f].ends_with(handedOn.seen[f])) << f;
        std::string record = "source\toutput\tfirst\tlast\tpages\toutcome\n";
        for (std::size_t f = 0; f < row.rows.size(); ++f) {
            const std::string output = dir.File("_" + std::filesystem::path(row.rows[f].path).filename().string());
            const bool written = row.ranges[f].ends_with("stamped");
            record += row.rows[f].path + "\t" + (written ? output : "") + "\t" + row.ranges[f] + "\n";
            for (std::size_t p = 0; p < row.numbers[f].size(); ++p) {
                const std::string text = test::PageText(output, static_cast<int>(p + 1));
                const int n = row.numbers[f][p];
                const std::string expected = n == 0 ? std::string("ABC") : Format("ABC%06d", n);
                EXPECT_EQ(text.find(expected) != std::string::npos, n != 0) << output << " page " << p + 1 << ": " << text;
            }
        }
        EXPECT_EQ(BatesRecordText(stamp, run.Records()), record);
    }
}

// A file whose last number would need more digits is refused and uses no
// number; a later file that still fits gets them.
TEST_F(BatchRunTest, BatesNumbersBeyondTheDigitCountRefuseTheFile) {
    stamp.Slots[kHeaderLeft].StyleType = HeaderFooterStyle::PageNumber;
    stamp.Slots[kHeaderLeft].StylePageType = PageNumberFormat::Bates;
    stamp.BatesStart = 98;
    stamp.BatesDigits = 2;
    ScratchDir::Write(dir.File("a.pdf"), test::FlatPdf(std::vector<std::string>(3, "/MediaBox [0 0 595 842]")));
    const std::string b = Pdf("b.pdf");
    const BatchOutcome outcome = BatchRun(stamp, app, prompts, progress).RunBatch({{dir.File("a.pdf"), true}, {b, true}});
    EXPECT_EQ(outcome.batesNext, 99);
    EXPECT_FALSE(std::filesystem::exists(dir.File("_a.pdf")));
    EXPECT_NE(test::PageText(dir.File("_b.pdf"), 1).find("98"), std::string::npos);
    ASSERT_FALSE(prompts.messages.empty());
    EXPECT_EQ(prompts.messages[0].text,
              "The last Bates number does not fit in 2 digits, so this file was not written (last number: 100)\r\n" + dir.File("a.pdf"));
}

TEST(FileNameTextTest, NameWithOrWithoutItsLastExtension) {
    const struct { const char* path; FileNameFormat format; const char* text; } rows[] = {
        {"/d/report.final.pdf", FileNameFormat::WithExtension, "report.final.pdf"},
        {"/d/report.final.pdf", FileNameFormat::WithoutExtension, "report.final"},
        {"/d.x/.hidden", FileNameFormat::WithoutExtension, ".hidden"},
        {"plain", FileNameFormat::WithoutExtension, "plain"},
        {"/d/\xE5\xA5\x91 \xF0\x9F\x98\x80\xFF.pdf", FileNameFormat::WithoutExtension, "\x8C\x5F ??"},
    };
    for (const auto& row : rows) EXPECT_EQ(FileNameText(row.path, row.format), row.text) << row.path;
}

}  // namespace
}  // namespace sgry
