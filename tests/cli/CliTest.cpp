// sigilry-cli as a user runs it: exit statuses, messages on standard error,
// progress, settings overrides, list files and output names read from
// standard input.
#include <gtest/gtest.h>

#include <filesystem>

#include "tests/engine/TestPdf.h"
#include "tests/support/SamplePdfs.h"
#include "tests/support/ScratchDir.h"

namespace sgry {
namespace {

using test::Quoted;
using test::ScratchDir;

struct Result {
    int status = -1;
    std::string out;
    std::string err;
};

class CliTest : public ::testing::Test {
protected:
    void SetUp() override {
        ini = dir.File("sgry.ini");
        ScratchDir::Write(ini,
                          "[OptionList1]\r\nHF0_StyleType=3\r\nHF0_CustomText=CLI header\r\n"
                          "HF4_StyleType=1\r\nHF4_StylePageType=3\r\n[App]\r\nOutput=0\r\n");
    }
    std::string Pdf(const std::string& name, int pages = 1) {
        const std::string path = dir.File(name);
        ScratchDir::Write(path, test::FlatPdf(std::vector<std::string>(static_cast<size_t>(pages),
                                                                       "/MediaBox [0 0 595 842] /Resources << >>")));
        return path;
    }
    // Runs the program with the arguments (each quoted) and `input` on
    // standard input (a pipe, never a terminal).
    Result Run(const std::vector<std::string>& arguments, const std::string& input = "") {
        std::string command = Quoted(SIGILRY_CLI_PATH);
        for (const std::string& a : arguments) command += " " + Quoted(a);
        const std::string inFile = dir.File("stdin.txt"), errFile = dir.File("stderr.txt");
        ScratchDir::Write(inFile, input);
        Result r;
        r.status = test::RunShell(command + " <" + Quoted(inFile) + " 2>" + Quoted(errFile), &r.out);
        r.err = ScratchDir::Read(errFile);
        return r;
    }
    bool Exists(const std::string& name) const { return std::filesystem::exists(dir.File(name)); }

    ScratchDir dir{"cli"};
    std::string ini;
};

TEST_F(CliTest, VersionAndHelp) {
    const Result version = Run({"--version"});
    EXPECT_EQ(version.status, 0);
    EXPECT_EQ(version.out, "Sigilry ver1.08\n");
    const Result help = Run({"--help"});
    EXPECT_EQ(help.status, 0);
    EXPECT_NE(help.out.find("--set KEY=VALUE"), std::string::npos);
}

TEST_F(CliTest, UsageErrorsAndRefusedSettingsExitWithTwoAndStampNothing) {
    const std::string a = Pdf("a.pdf");
    struct Row {
        const char* name;
        std::vector<std::string> arguments;
        std::string mentioned;
    };
    const std::vector<Row> rows = {
        {"no file", {"--settings", ini, "--yes"}, "PDF"},
        {"unknown option", {"--bogus", a}, "--bogus"},
        {"unknown key", {"--settings", ini, "--set", "NoSuchKey=1", "--yes", a}, "NoSuchKey"},
        {"set without value", {"--set", "Output", a}, "Output"},
        {"missing settings file", {"--settings", dir.File("none.ini"), "--yes", a}, "none.ini"},
        {"list without file", {"--yes", "--list"}, "--list"},
        {"no terminal and no --yes", {"--settings", ini, a}, "--yes"},
        {"refused image, before any file",
         {"--settings", ini, "--yes", "--set", "ImageFileName=" + dir.File("logo.gif"), a},
         "透かし画像が未対応の形式です\n" + dir.File("logo.gif")},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        const Result r = Run(row.arguments);
        EXPECT_EQ(r.status, 2);
        EXPECT_NE(r.err.find(row.mentioned), std::string::npos) << r.err;
        EXPECT_FALSE(Exists("_a.pdf"));
    }
}

TEST_F(CliTest, StampsEveryFileInTheOrderGivenWithProgress) {
    const std::string b = Pdf("b.pdf", 2), a = Pdf("a.pdf", 3);
    const Result r = Run({"--settings", ini, "--yes", b, a});
    EXPECT_EQ(r.status, 0) << r.err;
    EXPECT_EQ(r.err, "0 / 2 " + b + "\n1 / 2 " + a +
                         "\n完了しました\n\n出力ファイルは、ファイル名の先頭に \" _ \"(アンダーライン)が付加されています。\n");
    if (test::ToolExists("pdftotext")) {
        EXPECT_NE(test::PageText(dir.File("_a.pdf"), 3).find("-3/3-"), std::string::npos);
        EXPECT_NE(test::PageText(dir.File("_b.pdf"), 1).find("CLI header"), std::string::npos);
    }
    const Result quiet = Run({"--settings", ini, "--yes", "--quiet", a});
    EXPECT_EQ(quiet.status, 0);
    EXPECT_EQ(quiet.err.find(" / "), std::string::npos) << quiet.err;
}

TEST_F(CliTest, FileThatIsNoPdfIsReportedAndSkipped) {
    const std::string bad = dir.File("bad.pdf");
    ScratchDir::Write(bad, std::string(300, 'z'));
    const std::string a = Pdf("a.pdf");
    const Result r = Run({"--settings", ini, "--yes", bad, a});
    EXPECT_EQ(r.status, 1);
    EXPECT_NE(r.err.find("PDFファイルではありません\n" + bad + "\n"), std::string::npos) << r.err;
    EXPECT_NE(r.err.find("完了しました"), std::string::npos);
    EXPECT_TRUE(Exists("_a.pdf"));
}

// Classic cross-reference sections and object streams: a file that needs a
// password to open is refused with the same message when none is given.
TEST_F(CliTest, EncryptedFileIsRefused) {
    if (!test::ToolExists("qpdf")) GTEST_SKIP() << "qpdf missing";
    const std::string plain = Pdf("plain.pdf");
    for (const std::string options : {"", "--object-streams=generate"}) {
        SCOPED_TRACE(options);
        const std::string locked = dir.File("locked.pdf");
        ASSERT_EQ(test::RunShell("qpdf --encrypt u o 256 -- " + options + " " + Quoted(plain) + " " + Quoted(locked) +
                                 " 2>&1"),
                  0);
        const std::string before = ScratchDir::Read(locked);
        const Result r = Run({"--settings", ini, "--yes", locked});
        EXPECT_EQ(r.status, 1);
        EXPECT_NE(r.err.find("パスワードで保護されたPDFファイルです（パスワードが指定されていないか、違います）\n" + locked +
                             "\n"),
                  std::string::npos)
            << r.err;
        EXPECT_EQ(ScratchDir::Read(locked), before);
        EXPECT_FALSE(Exists("_locked.pdf"));
    }
}

TEST_F(CliTest, NamesAreReadFromStandardInputInDialogMode) {
    const std::string a = Pdf("a.pdf"), b = Pdf("b.pdf"), c = Pdf("c.pdf");
    const std::string missing = dir.File("no-folder/x");
    const Result r =
        Run({"--settings", ini, "--set", "Output=1", "--yes", a, b, c}, "\n" + missing + "\n" + dir.File("named") + "\n");
    EXPECT_EQ(r.status, 1);
    // a: empty answer, skipped silently; b: the copy fails; c: stamped.
    EXPECT_NE(r.err.find("ファイルに書き込めません\n" + missing + ".pdf\n"), std::string::npos) << r.err;
    EXPECT_TRUE(Exists("named.pdf"));
    EXPECT_NE(r.err.find("\n完了しました\n"), std::string::npos);
    EXPECT_EQ(r.err.find("完了しました\n\n出力"), std::string::npos);
}

TEST_F(CliTest, ListFilesAddTheirPathsWhereTheyStand) {
    const std::string a = Pdf("a.pdf"), b = Pdf("b.pdf"), c = Pdf("c.pdf");
    const std::string lst = dir.File("files.lst");
    ScratchDir::Write(lst, b + "\r\n\r\n" + a + "\r\n");
    const Result r = Run({"--settings", ini, "--yes", c, "--list", lst});
    EXPECT_EQ(r.status, 0) << r.err;
    EXPECT_TRUE(r.err.starts_with("0 / 3 " + c + "\n1 / 3 " + b + "\n2 / 3 " + a + "\n")) << r.err;

    const Result missing = Run({"--settings", ini, "--yes", "--list", dir.File("none.lst"), c});
    EXPECT_EQ(missing.status, 1);
    EXPECT_NE(missing.err.find("ファイルが開けませんでした\n" + dir.File("none.lst") + "\n"), std::string::npos);
}

TEST_F(CliTest, SetReplacesKeysForThisRunOnly) {
    if (!test::ToolExists("pdftotext")) GTEST_SKIP() << "pdftotext missing";
    const std::string a = Pdf("a.pdf");
    const std::string before = ScratchDir::Read(ini);
    const Result r = Run({"--settings", ini, "--yes", "--set", "HF2_StyleType=3", "--set", "HF2_CustomText=日本語のテキスト",
                          "--set", "HF2_FontName=HeiseiMin-W3", "--set", "Output=2", a});
    EXPECT_EQ(r.status, 0) << r.err;
    EXPECT_FALSE(Exists("_a.pdf"));
    const std::string text = test::PageText(a, 1);
    EXPECT_NE(text.find("日本語のテキスト"), std::string::npos) << text;
    EXPECT_NE(text.find("CLI header"), std::string::npos) << text;
    EXPECT_EQ(ScratchDir::Read(ini), before);
    EXPECT_TRUE(r.err.ends_with("\n完了しました\n")) << r.err;
}

// A Japanese watermark word with the default Latin font, as --set or a file
// edited by hand can give it, would draw garbage: the run makes the sheet's
// automatic change and says so, and leaves the settings file as it was.
TEST_F(CliTest, WatermarkWordGetsAFontThatCanDrawIt) {
    if (!test::ToolExists("pdftotext")) GTEST_SKIP() << "pdftotext missing";
    const std::string a = Pdf("a.pdf");
    const std::string before = ScratchDir::Read(ini);
    const Result r = Run({"--settings", ini, "--yes", "--quiet", "--set", "WaterMarkType=1", a});
    EXPECT_EQ(r.status, 0) << r.err;
    EXPECT_TRUE(r.err.starts_with("設定の一部を以下のように自動変更しました\n\n"
                                  "・文字透かしのフォントを全角フォントに変更しました\n\n"))
        << r.err;
    const std::string text = test::PageText(dir.File("_a.pdf"), 1);
    EXPECT_NE(text.find("社外秘"), std::string::npos) << text;
    EXPECT_EQ(ScratchDir::Read(ini), before);

    // Settings the sheet would store unchanged run without a report.
    const Result plain = Run({"--settings", ini, "--yes", "--quiet", a});
    EXPECT_EQ(plain.status, 0) << plain.err;
    EXPECT_EQ(plain.err.find("自動変更"), std::string::npos) << plain.err;
}

}  // namespace
}  // namespace sgry
