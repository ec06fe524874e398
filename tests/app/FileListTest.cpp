// The file list without a window: rows on top, messages of files that cannot
// be listed, list files written and read.
#include <gtest/gtest.h>

#include "app/FileList.h"
#include "tests/engine/TestPdf.h"
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
    EXPECT_EQ(prompts.messages[0].text, "PDFファイルではありません\r\n" + notPdf);
    EXPECT_EQ(prompts.messages[1].text,
              "PDFファイルの読み込みでエラーが発生しました\n\r" + dir.File("missing.pdf") + "\r\nエラー番号=1");
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

// Long lines are cut into pieces: see ListFileBoundsTest.
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
    EXPECT_EQ(prompts.messages[0].text, "ファイルが開けませんでした\r\n" + dir.File("none.lst"));
    EXPECT_EQ(prompts.messages[1].text, "ファイルが開けませんでした\r\n" + dir.File("no/such/folder.lst"));
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

}  // namespace
}  // namespace sgry
