// Golden updates: every folder under tests/golden/cases is one run of the
// command line's path (settings, overrides, automatic font changes, the batch
// run) on one source PDF. The bytes the run appends after the source must
// equal the case's "appended" file; SIGILRY_UPDATE_GOLDEN=1 rewrites those
// files instead. The output is also judged by real readers (qpdf, poppler,
// zbar), so a wrong golden file cannot pass unnoticed. The format of case.txt
// and the one normalisation rule are in tests/golden/README.md.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <ctime>
#include <filesystem>
#include <fstream>
#include <sstream>

#include "app/BatchRun.h"
#include "app/RunSettings.h"
#include "support/RecordingPrompts.h"
#include "support/SamplePdfs.h"
#include "support/ScratchDir.h"

namespace sgry {
namespace {

namespace fs = std::filesystem;
using test::Quoted;
using test::RunShell;
using test::ScratchDir;

const fs::path kRoot = SIGILRY_SOURCE_DIR;
const fs::path kCases = kRoot / "tests/golden/cases";

// Every stamped date and time reads 2009-02-13 23:31:30 (a Friday): second
// 1234567890 of the epoch, in UTC.
std::tm FixedTime() {
    const std::time_t second = 1234567890;
    std::tm time{};
    gmtime_r(&second, &time);
    return time;
}

class SilentProgress : public BatchProgress {
public:
    void Start(int32_t) override {}
    void Show(const std::string&, const std::string&) override {}
    void Step() override {}
    bool Cancelled() override { return false; }
};

// One reader check of case.txt: "text 2 Body", "no-text 1 -1-", "qr 1 message".
struct ReaderCheck { std::string kind; int page = 1; std::string value; };

struct GoldenCase {
    std::string source, ini;
    std::vector<std::string> overrides;
    std::vector<ReaderCheck> checks;
    int pages = 0;
};

std::string WithRoot(std::string text) {
    for (std::size_t at; (at = text.find("@ROOT@")) != std::string::npos;) text.replace(at, 6, kRoot.string());
    return text;
}

GoldenCase ReadCase(const fs::path& file) {
    GoldenCase c;
    std::ifstream in(file);
    for (std::string line; std::getline(in, line);) {
        std::istringstream words(line);
        std::string verb;
        words >> verb;
        std::string rest;
        std::getline(words >> std::ws, rest);
        if (verb == "source") c.source = rest;
        if (verb == "ini") c.ini = rest;
        if (verb == "set") c.overrides.push_back(WithRoot(rest));
        if (verb == "pages") c.pages = std::atoi(rest.c_str());
        if (verb == "text" || verb == "no-text" || verb == "qr") {
            ReaderCheck check{verb, 1, ""};
            std::istringstream(rest) >> check.page;
            check.value = rest.substr(std::min(rest.size(), rest.find(' ') + 1));
            c.checks.push_back(check);
        }
    }
    return c;
}

std::vector<std::string> CaseNames() {
    std::vector<std::string> names;
    for (const fs::directory_entry& entry : fs::directory_iterator(kCases))
        if (entry.is_directory()) names.push_back(entry.path().filename().string());
    std::sort(names.begin(), names.end());
    return names;
}

// The first line where the two differ, both sides shown, for the failure message.
std::string FirstDifference(const std::string& expected, const std::string& actual) {
    std::istringstream a(expected), b(actual);
    std::string lineA, lineB;
    for (int number = 1;; ++number) {
        const bool moreA = static_cast<bool>(std::getline(a, lineA));
        const bool moreB = static_cast<bool>(std::getline(b, lineB));
        if (!moreA && !moreB) return "the files differ only in their line ends";
        if (!moreA || !moreB || lineA != lineB)
            return "first difference in line " + std::to_string(number) + "\n  expected: " +
                   (moreA ? lineA : "<end>") + "\n  actual:   " + (moreB ? lineB : "<end>");
    }
}

class GoldenTest : public ::testing::TestWithParam<std::string> {
protected:
    fs::path CaseDir() const { return kCases / GetParam(); }

    // Stamps a copy of the source; the output's path.
    std::string Stamp(const GoldenCase& c) {
        const std::string source = dir.File("source.pdf");
        fs::copy_file(kRoot / c.source, source);
        std::vector<SettingOverride> overrides;
        for (const std::string& text : c.overrides) {
            SettingOverride setting;
            std::string reason;
            EXPECT_TRUE(ParseOverride(text, setting, reason)) << text << ": " << reason;
            overrides.push_back(setting);
        }
        StampSettings stamp;
        AppSettings app;
        std::string reason;
        const std::string ini = c.ini.empty() ? dir.File("none.ini") : (kRoot / c.ini).string();
        EXPECT_TRUE(LoadRunSettings(ini, overrides, stamp, app, reason)) << reason;
        ApplyAutoFontChanges(stamp);
        test::RecordingPrompts prompts;
        SilentProgress progress;
        const BatchOutcome outcome = BatchRun(stamp, app, prompts, progress, FixedTime).OnRun({{source, true}});
        EXPECT_EQ(outcome.succeeded, 1) << ::testing::PrintToString(prompts.Texts());
        return app.Output == OutputMode::Overwrite ? source : dir.File("_source.pdf");
    }

    void JudgeWithReaders(const GoldenCase& c, const std::string& pdf) {
        std::string report;
        EXPECT_TRUE(test::QpdfCheckClean(pdf, &report)) << report;
        if (c.pages > 0) {
            EXPECT_EQ(std::atoi(test::ShellOutput("qpdf --show-npages " + Quoted(pdf)).c_str()), c.pages);
        }
        std::string errors;
        EXPECT_EQ(RunShell("pdftoppm -r 20 " + Quoted(pdf) + " " + Quoted(dir.File("page")) + " 2>&1", &errors), 0);
        EXPECT_EQ(errors, "") << "poppler complained while rendering";
        for (const ReaderCheck& check : c.checks) {
            if (check.kind == "qr") {
                EXPECT_EQ(DecodeQr(pdf, check.page), "QR-Code:" + check.value + "\n") << "page " << check.page;
                continue;
            }
            const bool found = test::PageText(pdf, check.page).find(check.value) != std::string::npos;
            EXPECT_EQ(found, check.kind == "text") << check.kind << " " << check.page << " " << check.value;
        }
    }

    std::string DecodeQr(const std::string& pdf, int page) {
        const std::string prefix = dir.File("qr");
        RunShell("pdftoppm -gray -r 300 -singlefile -f " + std::to_string(page) + " -l " + std::to_string(page) +
                 " " + Quoted(pdf) + " " + Quoted(prefix));
        return test::ShellOutput("zbarimg --nodbus -q -Sdisable -Sqrcode.enable " + Quoted(prefix + ".pgm") +
                                 " 2>/dev/null");
    }

    ScratchDir dir{"golden"};
};

TEST_P(GoldenTest, AppendsTheExpectedUpdate) {
    const GoldenCase c = ReadCase(CaseDir() / "case.txt");
    const std::string sourceBytes = ScratchDir::Read((kRoot / c.source).string());
    ASSERT_FALSE(sourceBytes.empty()) << c.source;
    const std::string output = Stamp(c);
    const std::string written = ScratchDir::Read(output);
    ASSERT_GT(written.size(), sourceBytes.size());
    ASSERT_EQ(written.compare(0, sourceBytes.size(), sourceBytes), 0) << "the source bytes changed";
    const std::string appended = written.substr(sourceBytes.size());
    const std::string goldenFile = (CaseDir() / "appended").string();
    if (std::getenv("SIGILRY_UPDATE_GOLDEN")) ScratchDir::Write(goldenFile, appended);
    const std::string expected = ScratchDir::Read(goldenFile);
    EXPECT_TRUE(appended == expected) << FirstDifference(expected, appended);
    for (const char* tool : {"qpdf", "pdftoppm", "pdftotext", "zbarimg"})
        if (!test::ToolExists(tool)) GTEST_SKIP() << tool << " missing: the readers' judgement is left out";
    JudgeWithReaders(c, output);
}

std::string CaseTestName(const ::testing::TestParamInfo<std::string>& info) {
    std::string name = info.param;
    std::replace_if(name.begin(), name.end(), [](char ch) { return !std::isalnum(static_cast<unsigned char>(ch)); },
                    '_');
    return name;
}

INSTANTIATE_TEST_SUITE_P(Cases, GoldenTest, ::testing::ValuesIn(CaseNames()), CaseTestName);

}  // namespace
}  // namespace sgry
