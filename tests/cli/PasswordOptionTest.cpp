// The password options of sigilry-cli on files that qpdf encrypts: a file
// whose author forbids changes takes its owner password from the command
// line or from standard input ("-"); a file that needs a password to open
// takes --password.
#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <vector>

#include "tests/engine/TestPdf.h"
#include "tests/support/SamplePdfs.h"
#include "tests/support/ScratchDir.h"

namespace sgry {
namespace {

using test::Quoted;
using test::ScratchDir;

struct PasswordCase {
    const char* name;
    const char* encrypt;  // qpdf's options
    std::vector<std::string> options;
    std::string input;  // standard input
    int status;
    std::string message;  // part of standard error
};

TEST(PasswordOptionTest, OptionsOpenWhatTheyShould) {
    if (!test::ToolExists("qpdf")) GTEST_SKIP() << "qpdf missing";
    ScratchDir dir("cli-password");
    const std::string ini = dir.File("sgry.ini");
    ScratchDir::Write(ini, "[OptionList1]\r\nHF1_StyleType=3\r\nHF1_CustomText=CLI header\r\n[App]\r\nOutput=0\r\n");
    const std::string plain = dir.File("plain.pdf");
    ScratchDir::Write(plain, test::FlatPdf({"/MediaBox [0 0 595 842] /Resources << >>"}));
    const char* const kReadOnly = "--encrypt '' own 256 --modify=none --";
    const std::vector<PasswordCase> rows = {
        {"no owner password", kReadOnly, {}, "", 1, "変更が禁止された"},
        {"owner password", kReadOnly, {"--owner-password", "own"}, "", 0, "完了しました"},
        {"owner password from standard input", kReadOnly, {"--owner-password", "-"}, "own\n", 0, "完了しました"},
        {"wrong owner password", kReadOnly, {"--owner-password=nope"}, "", 1, "オーナーパスワードが違います"},
        {"empty standard input", kReadOnly, {"--owner-password", "-"}, "", 2, "パスワードを標準入力から読めません"},
        {"user password", "--encrypt usr own 256 --", {"--password", "usr"}, "", 0, "完了しました"},
    };
    for (const PasswordCase& row : rows) {
        SCOPED_TRACE(row.name);
        const std::string source = dir.File("locked.pdf");
        std::filesystem::remove(dir.File("_locked.pdf"));
        ASSERT_EQ(test::RunShell(std::string("qpdf ") + row.encrypt + " " + Quoted(plain) + " " + Quoted(source)), 0);
        std::string command = Quoted(SIGILRY_CLI_PATH) + " --settings " + Quoted(ini) + " --yes";
        for (const std::string& option : row.options) command += " " + Quoted(option);
        const std::string input = dir.File("stdin.txt");
        const std::string err = dir.File("stderr.txt");
        ScratchDir::Write(input, row.input);
        EXPECT_EQ(test::RunShell(command + " " + Quoted(source) + " <" + Quoted(input) + " 2>" + Quoted(err)),
                  row.status);
        EXPECT_NE(ScratchDir::Read(err).find(row.message), std::string::npos) << ScratchDir::Read(err);
        EXPECT_EQ(std::filesystem::exists(dir.File("_locked.pdf")), row.status == 0);
    }
}

// The password given for a batch opens the file that needs it and leaves the
// others as they were stamped without it; the erasable stamp of a file that
// needs a password is erased with it, back to the exact bytes of the source.
TEST(PasswordOptionTest, ABatchPasswordAndErasingAProtectedFile) {
    if (!test::ToolExists("qpdf")) GTEST_SKIP() << "qpdf missing";
    ScratchDir dir("cli-password-erase");
    const std::string ini = dir.File("sgry.ini");
    ScratchDir::Write(ini, "[OptionList1]\r\nHF1_StyleType=3\r\nHF1_CustomText=CLI header\r\n[App]\r\nOutput=2\r\n"
                           "Undo=True\r\n");
    const std::string plain = test::FlatPdf({"/MediaBox [0 0 595 842] /Resources << >>"});
    const std::vector<std::string> files = {dir.File("a.pdf"), dir.File("locked.pdf"), dir.File("c.pdf")};
    for (const std::string& file : files) ScratchDir::Write(file, plain);
    ASSERT_EQ(test::RunShell("qpdf --encrypt usr own 256 -- " + Quoted(files[0]) + " " + Quoted(files[1])), 0);
    const std::string locked = ScratchDir::Read(files[1]);
    const std::string cli = Quoted(SIGILRY_CLI_PATH);
    EXPECT_EQ(test::RunShell(cli + " --settings " + Quoted(ini) + " --yes --quiet --password usr " + Quoted(files[0]) +
                             " " + Quoted(files[1]) + " " + Quoted(files[2]) + " 2>/dev/null"),
              0);
    for (const std::string& file : files) EXPECT_GT(ScratchDir::Read(file).size(), plain.size() + 100) << file;

    const std::string err = dir.File("stderr.txt");
    EXPECT_EQ(test::RunShell(cli + " --erase " + Quoted(files[1]) + " 2>" + Quoted(err)), 1);
    EXPECT_NE(ScratchDir::Read(err).find("パスワードで保護されたPDFファイルです"), std::string::npos);
    EXPECT_EQ(test::RunShell(cli + " --erase " + Quoted(files[1]) + " --password=usr 2>/dev/null"), 0);
    EXPECT_EQ(ScratchDir::Read(files[1]), locked);
}

}  // namespace
}  // namespace sgry
