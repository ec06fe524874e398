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

}  // namespace
}  // namespace sgry
