// sigilry-cli as a user runs it: exit statuses, messages on standard error,
// progress, settings overrides, list files and output names read from
// standard input; --keys against the settings file the writer produces, and
// values outside the allowed ones refused before anything is stamped; the
// password options on files that qpdf encrypts; signed, certified and
// usage-rights files.
#include <gtest/gtest.h>

#include <filesystem>
#include <map>
#include <sstream>

#include "platform/Format.h"
#include "platform/SjisText.h"
#include "settings/SettingsFile.h"
#include "tests/engine/TestPdf.h"
#include "tests/support/SamplePdfs.h"
#include "tests/support/ScratchDir.h"

namespace sgry {
namespace {

using test::Quoted;
using test::ScratchDir;

struct Result { int status = -1; std::string out; std::string err; };

// The program's messages are compared in Japanese, its first language, in
// every program this test starts, whatever locale the caller runs it under
// (C, or the de_DE of the second run): the command line takes only its
// messages' language from the locale.
const bool kJapaneseMessages = [] {
    unsetenv("LC_ALL");
    setenv("LC_MESSAGES", "ja_JP.UTF-8", 1);
    return setenv("LANGUAGE", "ja", 1) == 0;
}();

// Section, key and value (UTF-8) of each line, in file order.
std::vector<std::string> Entries(const std::string& text, char separator) {
    std::vector<std::string> entries;
    std::istringstream lines(text);
    std::string section;
    for (std::string line; std::getline(lines, line);) {
        if (!line.empty() && line.back() == '\r') line.pop_back();
        if (separator == '=' && line.starts_with("[")) {
            section = line.substr(1, line.size() - 2);
        } else if (separator == '=') {
            const std::size_t equals = line.find('=');
            entries.push_back(section + '\t' + line.substr(0, equals) + '\t' + sjis::ToUtf8(line.substr(equals + 1)));
        } else {
            std::size_t third = 0;
            for (int tab = 0; tab < 3; ++tab) third = line.find('\t', third) + 1;
            entries.push_back(line.substr(0, third - 1));
        }
    }
    return entries;
}

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
    // Runs the program with the arguments (each quoted), `input` on standard
    // input (a pipe, never a terminal) and the variables of `environment`
    // ("LC_ALL=C") added to the test's.
    Result Run(const std::vector<std::string>& arguments, const std::string& input = "",
               const std::string& environment = "") {
        std::string command = environment + " " + Quoted(SIGILRY_CLI_PATH);
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
    struct Row { const char* name; std::vector<std::string> arguments; std::string mentioned; };
    const std::vector<Row> rows = {
        {"no file", {"--settings", ini, "--yes"}, "PDF"},
        {"unknown option", {"--bogus", a}, "--bogus"},
        {"unknown key", {"--settings", ini, "--set", "NoSuchKey=1", "--yes", a}, "NoSuchKey"},
        {"set without value", {"--set", "Output", a}, "Output"},
        {"missing settings file", {"--settings", dir.File("none.ini"), "--yes", a}, "none.ini"},
        {"list without file", {"--yes", "--list"}, "--list"},
        {"record without file", {"--settings", ini, "--yes", a, "--bates-record"}, "--bates-record"},
        {"report and record on standard output", {"--settings", ini, "--yes", "--report", "-", "--bates-record", "-", a},
         "標準出力"},
        {"output folder without name", {"--settings", ini, "--yes", "--output-dir", "", a}, "--output-dir"},
        {"no terminal and no --yes", {"--settings", ini, a}, "--yes"},
        {"refused image, before any file",
         {"--settings", ini, "--yes", "--set", "ImageFileName=" + dir.File("logo.gif"), a},
         "透かし画像が未対応の形式です\n" + dir.File("logo.gif")},
        {"stamping option with --erase", {"--erase", "-o", dir.File("out"), a}, "--erase と一緒に使えないオプションです: -o"},
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

// The messages follow the locale: English in the C locale, and in a
// Japanese one exactly the Japanese bytes the program has always printed.
TEST_F(CliTest, MessagesSpeakTheLanguageOfTheLocale) {
    if (!test::ToolExists("qpdf")) GTEST_SKIP() << "qpdf missing";
    const std::string good = Pdf("good.pdf", 2), missing = dir.File("missing.pdf"), notPdf = dir.File("not.pdf"),
                      locked = dir.File("locked.pdf"), cut = dir.File("cut.pdf");
    ScratchDir::Write(notPdf, "hello\n");
    ASSERT_EQ(test::RunShell("qpdf --encrypt usr own 256 -- " + Quoted(good) + " " + Quoted(locked)), 0);
    ScratchDir::Write(cut, ScratchDir::Read(good).substr(0, 200));
    struct Row { const char* name; std::string file, english, japanese; };
    const Row rows[] = {
        {"missing", missing, "An error occurred while reading the PDF file\n" + missing + "\nError number=1\n",
         "PDFファイルの読み込みでエラーが発生しました\n" + missing + "\nエラー番号=1\n"},
        {"not a PDF", notPdf, "Not a PDF file\n" + notPdf + "\n", "PDFファイルではありません\n" + notPdf + "\n"},
        {"protected", locked,
         "The PDF file is password-protected (no password was given, or it is wrong)\n" + locked + "\n",
         "パスワードで保護されたPDFファイルです（パスワードが指定されていないか、違います）\n" + locked + "\n"},
        {"damaged", cut, "The PDF file is truncated and its pages cannot be read (error number=3)\n" + cut + "\n",
         "PDFファイルが途中で切れていて、ページを読めません（エラー番号=3）\n" + cut + "\n"},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        const std::vector<std::string> arguments = {"--settings", ini, "--yes", row.file};
        EXPECT_EQ(Run(arguments, "", "LANG=C LC_ALL=C LANGUAGE=").err, row.english + "No PDF files to process.\n");
        EXPECT_EQ(Run(arguments, "", "LANG=ja_JP.UTF-8 LC_ALL= LANGUAGE=").err,
                  row.japanese + "対象PDFファイルがありません\n");
    }
    // A LANGUAGE list without a language of ours leaves the choice to the
    // locale, and the program's own choice then overrides the list.
    EXPECT_EQ(Run({"--settings", ini, "--yes", notPdf}, "", "LANG=ja_JP.UTF-8 LC_ALL= LANGUAGE=de").err,
              "PDFファイルではありません\n" + notPdf + "\n対象PDFファイルがありません\n");
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

TEST_F(CliTest, KeysListsExactlyTheKeysTheSettingsWriterWritesWithTheirValues) {
    const std::string written = dir.File("written.ini");
    StampSettings stamp;
    stamp.Slots[kHeaderCenter].StyleType = HeaderFooterStyle::Text;
    stamp.Slots[kHeaderCenter].CustomText = sjis::FromUtf8("社外秘").value();
    stamp.Margin[kMarginLeft] = 12.5f;
    AppSettings app;
    app.Output = OutputMode::Overwrite;
    ASSERT_TRUE(SaveSettings(written, stamp));
    ASSERT_TRUE(SaveSettings(written, app));

    const Result listed = Run({"--keys", "--settings", written});
    ASSERT_EQ(listed.status, 0);
    const std::vector<std::string> entries = Entries(ScratchDir::Read(written), '=');
    EXPECT_EQ(Entries(listed.out, '\t'), entries);
    EXPECT_EQ(entries.size(), 42u + 2u + 6u * 10u + 5u);  // stamp keys, edge borders, slots, App
    EXPECT_NE(listed.out.find("OptionList1\tHF1_StyleType\t3\t0-4 (0 none, 1 page number, 2 date and time, 3 text, "
                              "4 file name)\t0\n"),
              std::string::npos)
        << listed.out;
    EXPECT_NE(listed.out.find("\tWaterMarkType\t0\t0-26 (0 none, 1 社外秘, "), std::string::npos);
}

// The settings file is written only with --save-next, and then only its
// BatesStart; --set changes stay this run's. A non-PDF among the arguments is
// never in the run and uses no number.
TEST_F(CliTest, NextBatesNumberIsSavedOnlyWhenAskedAndAlone) {
    const std::string a = Pdf("a.pdf", 3), c = Pdf("c.pdf", 2), bad = dir.File("bad.pdf");
    ScratchDir::Write(bad, std::string(200, 'x'));
    const std::string before = ScratchDir::Read(ini);
    const std::vector<std::string> common = {"--yes", "--settings", ini, "--set", "HF4_StylePageType=4",
                                             "--set", "BatesPrefix=P-", "--bates-record", "-"};
    auto args = [&](std::vector<std::string> extra) {
        extra.insert(extra.begin(), common.begin(), common.end());
        return extra;
    };
    const Result first = Run(args({a, bad, c}));
    EXPECT_EQ(first.status, 1);
    EXPECT_NE(first.err.find("次のBates番号：P-000006"), std::string::npos) << first.err;
    EXPECT_EQ(first.out, "source\toutput\tfirst\tlast\tpages\toutcome\n" + a + "\t" + dir.File("_a.pdf") +
                             "\tP-000001\tP-000003\t3\tstamped\n" + c + "\t" + dir.File("_c.pdf") +
                             "\tP-000004\tP-000005\t2\tstamped\n");
    EXPECT_EQ(ScratchDir::Read(ini), before);
    const Result saved = Run(args({"--save-next", c}));
    EXPECT_EQ(saved.status, 0) << saved.err;
    EXPECT_NE(saved.out.find("\tP-000001\tP-000002\t2\tstamped"), std::string::npos) << saved.out;
    std::string expected = before;
    expected.insert(expected.find("[App]"), "BatesStart=3\r\n");
    EXPECT_EQ(ScratchDir::Read(ini), expected);
    EXPECT_NE(Run(args({c})).out.find("\tP-000003\tP-000004\t"), std::string::npos);
}

TEST_F(CliTest, ValuesOutsideTheAllowedOnesAreUsageErrorsAndStampNothing) {
    const std::string a = Pdf("a.pdf");
    struct Row { const char* setting; const char* allowed; };
    const Row rows[] = {
        {"HF1_StyleType=9", "0-4 (0 none, 1 page number"},
        {"BatesStart=1000000000000", "0-999999999999"},
        {"BatesDigits=13", "1-12"},
        {"Margin0=-5", "0-100 (decimal)"},
        {"WaterMarkType=27", "0-26 (0 none"},
        {"Output=3", "2 overwrite the source)"},
        {"Undo=1", "True|False"},
        {"QRVersion=0", "1-40"},
        {"bWmBarColor=16777216", "0-16777215"},
        {"StartPage=first", "0-99999"},
        {"hf4_stylepagetype=2x", "0-4 (0 1, 1 -1-, 2 1/n, 3 -1/n-, 4 Bates number)"},
        {"bWmFont=Helvetika", "Courier|Helvetica|Times-Roman|"},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.setting);
        const Result r = Run({"--yes", "--set", row.setting, a});
        EXPECT_EQ(r.status, 2);
        EXPECT_NE(r.err.find(row.setting), std::string::npos) << r.err;
        EXPECT_NE(r.err.find(row.allowed), std::string::npos) << r.err;
        EXPECT_FALSE(Exists("_a.pdf"));
    }
}

// A file whose author forbids changes takes its owner password from the
// command line or from standard input ("-"); a file that needs a password to
// open takes --password, and without it is refused with one message, with
// classic cross-reference sections and with object streams. The source
// stays as it was.
TEST_F(CliTest, PasswordOptionsOpenWhatTheyShould) {
    if (!test::ToolExists("qpdf")) GTEST_SKIP() << "qpdf missing";
    const std::string plain = Pdf("plain.pdf"), source = dir.File("locked.pdf");
    const std::string refused =
        "パスワードで保護されたPDFファイルです（パスワードが指定されていないか、違います）\n" + source + "\n";
    const char* const kReadOnly = "--encrypt '' own 256 --modify=none --";
    const char* const kLocked = "--encrypt usr own 256 --";
    // qpdf's options, ours, standard input, the exit status and a part of standard error.
    struct Row { const char* name; std::string encrypt; std::vector<std::string> options; std::string input;
                 int status; std::string message; };
    const std::vector<Row> rows = {
        {"no owner password", kReadOnly, {}, "", 1, "変更が禁止された"},
        {"owner password", kReadOnly, {"--owner-password", "own"}, "", 0, "完了しました"},
        {"owner password from standard input", kReadOnly, {"--owner-password", "-"}, "own\n", 0, "完了しました"},
        {"wrong owner password", kReadOnly, {"--owner-password=nope"}, "", 1, "オーナーパスワードが違います"},
        {"empty standard input", kReadOnly, {"--owner-password", "-"}, "", 2, "パスワードを標準入力から読めません"},
        {"user password", kLocked, {"--password", "usr"}, "", 0, "完了しました"},
        {"no user password", kLocked, {}, "", 1, refused},
        {"no user password, object streams", kLocked + std::string(" --object-streams=generate"), {}, "", 1, refused},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        std::filesystem::remove(dir.File("_locked.pdf"));
        ASSERT_EQ(test::RunShell("qpdf " + row.encrypt + " " + Quoted(plain) + " " + Quoted(source) + " 2>&1"), 0);
        const std::string before = ScratchDir::Read(source);
        std::vector<std::string> arguments = {"--settings", ini, "--yes"};
        arguments.insert(arguments.end(), row.options.begin(), row.options.end());
        arguments.push_back(source);
        const Result r = Run(arguments, row.input);
        EXPECT_EQ(r.status, row.status);
        EXPECT_NE(r.err.find(row.message), std::string::npos) << r.err;
        EXPECT_EQ(Exists("_locked.pdf"), row.status == 0);
        EXPECT_EQ(ScratchDir::Read(source), before);
    }
}

// The password given for a batch opens the file that needs it and leaves the
// others as they were stamped without it; the erasable stamp of a file that
// needs a password is erased with it, back to the exact bytes of the source.
TEST_F(CliTest, ABatchPasswordAndErasingAProtectedFile) {
    if (!test::ToolExists("qpdf")) GTEST_SKIP() << "qpdf missing";
    const std::vector<std::string> files = {Pdf("a.pdf"), Pdf("locked.pdf"), Pdf("c.pdf")};
    const std::string plain = ScratchDir::Read(files[0]);
    ASSERT_EQ(test::RunShell("qpdf --encrypt usr own 256 -- " + Quoted(files[0]) + " " + Quoted(files[1])), 0);
    const std::string locked = ScratchDir::Read(files[1]);
    EXPECT_EQ(Run({"--settings", ini, "--yes", "--quiet", "--set", "Output=2", "--set", "Undo=True", "--password",
                   "usr", files[0], files[1], files[2]})
                  .status,
              0);
    for (const std::string& file : files) EXPECT_GT(ScratchDir::Read(file).size(), plain.size() + 100) << file;

    const Result refused = Run({"--erase", files[1]});
    EXPECT_EQ(refused.status, 1);
    EXPECT_NE(refused.err.find("パスワードで保護されたPDFファイルです"), std::string::npos);
    EXPECT_EQ(Run({"--erase", files[1], "--password=usr"}).status, 0);
    EXPECT_EQ(ScratchDir::Read(files[1]), locked);
}

// Damaged files as readers meet them, made from a three-page file that
// ReportLab writes: each opens in qpdf only with a repair; the output is a
// whole file (qpdf --check without a warning, the stamp on every page for
// pdftotext and mutool, nothing on pdftoppm's standard error), and erasing
// gives back the source's bytes. A file cut inside its last object is
// refused; with --no-repair every one of them is refused.
TEST_F(CliTest, DamagedFilesAreRepairedByTheUpdate) {
    for (const char* tool : {"qpdf", "pdftotext", "mutool", "pdftoppm", "/usr/bin/python3"})
        if (!test::ToolExists(tool)) GTEST_SKIP() << tool << " missing";
    const std::string plain = dir.File("plain.pdf");
    ASSERT_EQ(test::RunShell("/usr/bin/python3 -c " +
                             Quoted("import sys\nfrom reportlab.pdfgen import canvas\n"
                                    "c=canvas.Canvas(sys.argv[1],pagesize=(595,842),pageCompression=0)\n"
                                    "for i in range(3):\n"
                                    "    for k in range(60): c.drawString(72,780-12*k,'Body of page %d line %d'%(i+1,k))\n"
                                    "    c.showPage()\n"
                                    "c.save()\n") +
                             " " + Quoted(plain) + " 2>&1"),
              0);
    const std::string good = ScratchDir::Read(plain);
    const std::size_t xref = good.rfind("\nxref\n") + 1;
    const auto startxref = [](const std::string& bytes) { return bytes.rfind("startxref"); };
    const auto replaced = [](std::string bytes, std::size_t at, std::size_t length, const std::string& by) {
        return bytes.replace(at, length, by);
    };
    // The row of object n in the table (rows of 20 bytes after "xref\n0 N\n").
    const auto entry = [&](int n) { return good.find('\n', xref + 5) + 1 + static_cast<std::size_t>(n) * 20; };
    const auto offsetPlus = [&](int n, int64_t by) {
        return Format("%010ld", std::stol(good.substr(entry(n), 10)) + by);
    };
    // The file, whether it is stamped, whether qpdf opens it only with a repair.
    struct Row { const char* name; std::string bytes; bool repaired; bool qpdfRepairs = true; };
    std::vector<Row> rows = {
        {"startxref-off", replaced(good, startxref(good), good.size() - startxref(good),
                                   "startxref\n" + std::to_string(xref + 3) + "\n%%EOF\n"), true},
        {"shifted", replaced(good, good.find('\n') + 1, 0, "% seven\n"), true},
        {"other-object", replaced(good, entry(4), 10, Format("%010ld", static_cast<int64_t>(good.find("1 0 obj")))), true},
        // The document information, which the run never reads.
        {"unread-object-off", replaced(good, entry(7), 10, offsetPlus(7, 11)), true},
        {"no-trailer-keyword", replaced(good, good.rfind("trailer"), 7, "       "), true},
        {"count-too-large", replaced(good, xref + 5, 0, "9"), true},
        {"last-tenth-cut", good.substr(0, good.size() * 9 / 10), false},
        {"end-lines-cut", good.substr(0, startxref(good)), true},
        {"junk-before-header", std::string(29, 'J') + "\n" + good, true, false},
    };
    // A file of cross-reference streams, stamped once, whose update's /Prev
    // then misses the section before it by a few bytes.
    const std::string streams = dir.File("streams.pdf");
    ASSERT_EQ(test::RunShell("qpdf --object-streams=generate " + Quoted(plain) + " " + Quoted(streams)), 0);
    ASSERT_EQ(Run({"--settings", ini, "--yes", "--set", "Output=2", "--set", "HF0_StyleType=0", streams}).status, 0);
    std::string wrongPrev = ScratchDir::Read(streams);
    const std::size_t prev = wrongPrev.rfind("/Prev ") + 6;
    const std::size_t digits = wrongPrev.find_first_not_of("0123456789", prev) - prev;
    wrongPrev.replace(prev, digits, std::to_string(std::stol(wrongPrev.substr(prev, digits)) - 20));
    rows.push_back({"stream-prev-off", wrongPrev, true});
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        const std::string source = dir.File("d.pdf"), output = dir.File("_d.pdf");
        ScratchDir::Write(source, row.bytes);
        EXPECT_EQ(test::RunShell("qpdf --check " + Quoted(source) + " >/dev/null 2>&1") != 0, row.qpdfRepairs);
        std::filesystem::remove(output);
        const Result refused = Run({"--settings", ini, "--yes", "--no-repair", source});
        EXPECT_EQ(refused.status, 1);
        EXPECT_NE(refused.err.find(row.repaired ? "PDFファイルが壊れているため処理できません" : "途中で切れていて"),
                  std::string::npos)
            << refused.err;
        EXPECT_FALSE(Exists("_d.pdf"));

        const Result r = Run({"--settings", ini, "--yes", "--set", "Undo=True", source});
        EXPECT_EQ(r.status, row.repaired ? 0 : 1) << r.err;
        EXPECT_EQ(Exists("_d.pdf"), row.repaired);
        if (!row.repaired) continue;
        EXPECT_NE(r.err.find("作り直してからスタンプしました"), std::string::npos) << r.err;
        EXPECT_EQ(test::ShellOutput("qpdf --check " + Quoted(output) + " 2>&1 | grep WARNING"), "");
        EXPECT_EQ(test::ShellOutput("pdftotext " + Quoted(output) + " - | grep -c 'CLI header'"), "3\n");
        EXPECT_EQ(test::ShellOutput("mutool draw -F txt " + Quoted(output) + " 2>/dev/null | grep -c 'CLI header'"),
                  "3\n");
        EXPECT_EQ(test::ShellOutput("pdftoppm -r 10 " + Quoted(output) + " " + Quoted(dir.File("page")) + " 2>&1"), "");
        EXPECT_EQ(Run({"--erase", output}).status, 0);
        EXPECT_EQ(ScratchDir::Read(output), row.bytes);
    }
}

// The report's lines as fields, the header first.
std::vector<std::vector<std::string>> ReportRows(const std::string& text) {
    std::vector<std::vector<std::string>> rows;
    std::istringstream lines(text);
    for (std::string line; std::getline(lines, line);) {
        rows.emplace_back();
        std::istringstream fields(line);
        for (std::string field; std::getline(fields, field, '\t');) rows.back().push_back(field);
    }
    return rows;
}

// Every file below a folder with its bytes, by its path inside it.
std::map<std::string, std::string> Tree(const std::filesystem::path& folder) {
    std::map<std::string, std::string> files;
    for (const auto& entry : std::filesystem::recursive_directory_iterator(folder))
        if (entry.is_regular_file())
            files[entry.path().lexically_relative(folder).string()] = ScratchDir::Read(entry.path().string());
    return files;
}

// A tree of sources stamped into another folder through xargs: the sources
// stay as they were, the folder gets the tree of stamped copies, and the
// report says what became of each file. A second run leaves the copies alone
// unless it may replace them; its report goes to standard output alone.
TEST_F(CliTest, OutputDirKeepsTheTreeAndTheReportTellsEachFile) {
    for (const char* tool : {"qpdf", "pdftotext", "xargs", "jq", "/usr/bin/python3"})
        if (!test::ToolExists(tool)) GTEST_SKIP() << tool << " missing";
    for (const char* folder : {"src/a", "src/b", "src/c"}) {
        std::filesystem::create_directories(dir.File(folder));
        Pdf(std::string(folder) + "/one.pdf", 2);
        Pdf(std::string(folder) + "/two.pdf", 3);
    }
    ScratchDir::Write(dir.File("src/b/x.pdf"), "not a PDF");
    ASSERT_EQ(test::RunShell("qpdf --encrypt user owner 256 --modify=none -- " + Quoted(dir.File("src/a/one.pdf")) +
                             " " + Quoted(dir.File("src/c/protected.pdf"))),
              0);
    const std::map<std::string, std::string> sources = Tree(dir.File("src"));
    const std::string cli = Quoted(SIGILRY_CLI_PATH) + " --settings " + Quoted(ini) + " --yes --output-dir out";
    EXPECT_EQ(test::RunShell("cd " + Quoted(dir.Path()) + " && find src -name '*.pdf' -print0 | xargs -0 " + cli +
                             " --keep-tree --report r.tsv 2>/dev/null"),
              123);
    EXPECT_EQ(Tree(dir.File("src")), sources);
    const std::map<std::string, std::string> out = Tree(dir.File("out"));
    const std::vector<std::string> stamped = {"a/one.pdf", "a/two.pdf", "b/one.pdf", "b/two.pdf", "c/one.pdf", "c/two.pdf"};
    ASSERT_EQ(out.size(), stamped.size());
    for (const std::string& name : stamped) {
        SCOPED_TRACE(name);
        ASSERT_TRUE(out.contains(name));
        EXPECT_TRUE(test::QpdfCheckClean(dir.File("out/" + name)));
        EXPECT_NE(test::PageText(dir.File("out/" + name), 2).find("CLI header"), std::string::npos);
    }
    struct Expected { std::string output; const char* outcome; const char* code; const char* message; };
    std::map<std::string, Expected> expected = {
        {"src/b/x.pdf", {"", "refused", "17", "PDFファイルではありません\\nsrc/b/x.pdf"}},
        {"src/c/protected.pdf", {"", "refused", "25", "パスワードで保護されたPDFファイルです"}},
    };
    for (const std::string& name : stamped) expected["src/" + name] = {"out/" + name, "stamped", "0", ""};
    const std::vector<std::vector<std::string>> report = ReportRows(ScratchDir::Read(dir.File("r.tsv")));
    ASSERT_EQ(report.size(), 1 + expected.size());
    EXPECT_EQ(report[0], (std::vector<std::string>{"source", "output", "outcome", "code", "message", "pages", "seconds"}));
    for (std::size_t i = 1; i < report.size(); ++i) {
        const std::vector<std::string>& row = report[i];
        ASSERT_EQ(row.size(), 7u);
        SCOPED_TRACE(row[0]);
        const Expected& want = expected.at(row[0]);
        EXPECT_EQ(row[1], want.output);
        EXPECT_EQ(row[2], want.outcome);
        EXPECT_EQ(row[3], want.code);
        EXPECT_TRUE(row[4].starts_with(want.message)) << row[4];
        EXPECT_EQ(row[5], want.output.empty() ? "0" : row[0].ends_with("one.pdf") ? "2" : "3");
    }

    // Again: nothing replaced, the report alone on standard output.
    std::string csv;
    EXPECT_EQ(test::RunShell("cd " + Quoted(dir.Path()) + " && { " + cli + " --quiet --keep-tree --report - src/*/*.pdf " +
                             "2>err.txt; echo $? >status.txt; } | /usr/bin/python3 -c 'import csv,sys; print(\"\\n\".join(r[\"outcome\"] + \" \" + "
                             "r[\"code\"] for r in csv.DictReader(sys.stdin, delimiter=\"\\t\", quoting=csv.QUOTE_NONE)))'",
                             &csv),
              0);
    EXPECT_EQ(csv, "refused 17\nrefused 25\nskipped 27\nskipped 27\nskipped 27\nskipped 27\nskipped 27\nskipped 27\n");
    EXPECT_EQ(ScratchDir::Read(dir.File("status.txt")), "1\n");  // some file was not stamped
    EXPECT_EQ(Tree(dir.File("out")), out);
    const std::string err = ScratchDir::Read(dir.File("err.txt"));
    EXPECT_NE(err.find("出力先に同じ名前のファイルがあるため、スキップしました（置き換えるには --force を指定して下さい）\n"
                       "out/c/two.pdf\n"),
              std::string::npos)
        << err;

    // With --force, as JSON Lines.
    std::string json;
    EXPECT_EQ(test::RunShell("cd " + Quoted(dir.Path()) + " && { " + cli + " --quiet --keep-tree --force --set " +
                                 "HF0_CustomText=Forced --report - --report-format json src/*/*.pdf 2>/dev/null; " +
                                 "echo $? >status.txt; } | " +
                                 "jq -r 'select(.outcome == \"stamped\") | .output'",
                             &json),
              0);
    EXPECT_EQ(json, "out/a/one.pdf\nout/a/two.pdf\nout/b/one.pdf\nout/b/two.pdf\nout/c/one.pdf\nout/c/two.pdf\n");
    EXPECT_EQ(ScratchDir::Read(dir.File("status.txt")), "1\n");  // the two refused files
    EXPECT_NE(test::PageText(dir.File("out/b/two.pdf"), 1).find("Forced"), std::string::npos);
    EXPECT_EQ(Tree(dir.File("src")), sources);

    // An output folder that is the source's own folder passes the file over, even with --force.
    const Result own = Run({"--settings", ini, "--yes", "--output-dir", dir.File("src/a"), "--force", "--report", "-",
                            dir.File("src/a/two.pdf")});
    EXPECT_EQ(own.status, 1);
    const std::vector<std::vector<std::string>> ownRows = ReportRows(own.out);
    ASSERT_EQ(ownRows.size(), 2u);
    EXPECT_EQ(std::vector<std::string>(ownRows[1].begin() + 1, ownRows[1].begin() + 4),
              (std::vector<std::string>{"", "skipped", "33"}));
    EXPECT_NE(own.err.find("出力ファイルが元のファイルと同じになるため"), std::string::npos) << own.err;
    EXPECT_EQ(Tree(dir.File("src")), sources);
}

// Certified files are refused without a word written, stamped with
// --allow-certified, and erased back to their certified bytes; signed files
// and files with usage rights are stamped with their warnings.
TEST_F(CliTest, CertifiedFilesAreRefusedUnlessAllowedAndErasedBackToTheirBytes) {
    const std::string source = dir.File("c.pdf"), output = dir.File("_c.pdf");
    // The file, its refusal or warning, and the note of a certified file stamped.
    struct Row { const char* name; std::string bytes; std::string message; std::string allowed; };
    const std::string erasable = "（スタンプを消去すると、認証されたときのファイルに戻ります）";
    const std::vector<Row> rows = {
        {"P1", test::CertifiedPdf(1), "作成者の認証（DocMDP /P 1）により変更が許可されていない", erasable},
        {"P2", test::CertifiedPdf(2), "作成者の認証（DocMDP /P 2）により変更が許可されていない", erasable},
        {"P3", test::CertifiedPdf(3), "作成者の認証（DocMDP /P 3）により変更が許可されていない", erasable},
        {"usage rights", test::CatalogPdf("/Perms << /UR3 4 0 R >>", {"<< /Type /Sig >>"}),
         "無料の閲覧ソフトで使える拡張機能（フォームの保存など）は失われます\n" + output, ""},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        ScratchDir::Write(source, row.bytes);
        std::filesystem::remove(output);
        const Result r = Run({"--settings", ini, "--yes", "--set", "Undo=True", source});
        EXPECT_NE(r.err.find(row.message), std::string::npos) << r.err;
        EXPECT_EQ(r.status, row.allowed.empty() ? 0 : 1);
        EXPECT_EQ(Exists("_c.pdf"), row.allowed.empty());
        if (row.allowed.empty()) continue;
        const Result allowed = Run({"--settings", ini, "--yes", "--set", "Undo=True", "--allow-certified", source});
        EXPECT_EQ(allowed.status, 0);
        EXPECT_NE(allowed.err.find("設定によりスタンプしました。閲覧ソフトでは認証が無効と表示されます" + row.allowed),
                  std::string::npos)
            << allowed.err;
        const Result erased = Run({"--erase", "--report", "-", output});
        EXPECT_EQ(erased.status, 0);
        EXPECT_EQ(ScratchDir::Read(output), row.bytes);
        const std::vector<std::vector<std::string>> report = ReportRows(erased.out);
        ASSERT_EQ(report.size(), 2u);
        EXPECT_EQ(std::vector<std::string>(report[1].begin(), report[1].begin() + 4),
                  (std::vector<std::string>{output, output, "erased", "0"}));
    }
}

// A file signed by pdfsig with a throw-away certificate keeps a valid
// signature after it is stamped, and the run says how many it holds.
TEST_F(CliTest, SignatureOfPdfsigStaysValidAfterStamping) {
    for (const char* tool : {"pdfsig", "certutil", "pk12util", "openssl"})
        if (!test::ToolExists(tool)) GTEST_SKIP() << tool << " missing";
    const std::string nss = "sql:" + dir.File("nss"), key = dir.File("k.pem"), cert = dir.File("c.pem");
    const std::string p12 = dir.File("s.p12"), plain = Pdf("plain.pdf"), signedPdf = dir.File("s.pdf");
    std::filesystem::create_directory(dir.File("nss"));
    ASSERT_EQ(test::RunShell("{ certutil -N -d " + Quoted(nss) + " --empty-password && openssl req -x509 -newkey rsa:2048 "
                             "-nodes -subj /CN=Sigilry-Test -days 2 -keyout " + Quoted(key) + " -out " + Quoted(cert) +
                             " && openssl pkcs12 -export -name signer -passout pass:p -inkey " + Quoted(key) + " -in " +
                             Quoted(cert) + " -out " + Quoted(p12) + " && pk12util -W p -d " + Quoted(nss) + " -i " +
                             Quoted(p12) + " && certutil -M -n signer -t CT,C,C -d " + Quoted(nss) +
                             " && pdfsig -nssdir " + Quoted(nss) + " -nick signer -add-signature " + Quoted(plain) +
                             " " + Quoted(signedPdf) + "; } >/dev/null 2>&1"),
              0);
    const Result r = Run({"--settings", ini, "--yes", signedPdf});
    EXPECT_EQ(r.status, 0);
    EXPECT_NE(r.err.find("電子署名が1個あるPDFファイルにスタンプしました。各署名は署名された版に対して有効なままですが、"
                         "閲覧ソフトではスタンプが署名後の変更として表示されます\n" + dir.File("_s.pdf")),
              std::string::npos)
        << r.err;
    EXPECT_EQ(test::ShellOutput("pdfsig -nssdir " + Quoted(nss) + " " + Quoted(dir.File("_s.pdf")) +
                                " 2>/dev/null | grep -c 'Signature is Valid'"),
              "1\n");
}

}  // namespace
}  // namespace sgry
