// Golden updates: every folder under tests/golden/cases is one run of the
// command line's path (settings, overrides, automatic font changes, the batch
// run) on one source PDF. The bytes the run appends after the source must
// equal the case's "appended" file, and their decoded view its "appended.txt";
// SIGILRY_UPDATE_GOLDEN=1 rewrites both instead. The output is also judged by
// real readers (qpdf, poppler, zbar), so a wrong golden file cannot pass
// unnoticed. The format of case.txt, of the view and the one normalisation
// rule are in tests/golden/README.md.
#include <gtest/gtest.h>
#include <zlib.h>

#include <algorithm>
#include <cstdio>
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

// One reader check of case.txt: "text 2 Body", "no-text 1 -1-", "qr 1 message",
// "pixels 1 0 4".
struct ReaderCheck { std::string kind; int page = 1; std::string value; };

struct GoldenCase {
    std::string source, ini, name = "source.pdf";
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
        else if (verb == "ini") c.ini = rest;
        else if (verb == "name") c.name = rest;
        else if (verb == "set") c.overrides.push_back(WithRoot(rest));
        else if (verb == "pages") c.pages = std::atoi(rest.c_str());
        else if (verb == "text" || verb == "no-text" || verb == "qr" || verb == "pixels") {
            ReaderCheck check{verb, 1, ""};
            std::istringstream(rest) >> check.page;
            check.value = rest.substr(std::min(rest.size(), rest.find(' ') + 1));
            c.checks.push_back(check);
        } else if (!line.empty()) {
            // A misspelt check would otherwise pass by checking nothing.
            ADD_FAILURE() << file << ": unknown line \"" << line << "\"";
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

// Inflates a FlateDecode stream; false when the data is not a whole one.
bool Inflate(const std::string& data, std::string& out) {
    z_stream z{};
    if (inflateInit(&z) != Z_OK) return false;
    z.next_in = reinterpret_cast<Bytef*>(const_cast<char*>(data.data()));
    z.avail_in = static_cast<uInt>(data.size());
    int rc = Z_OK;
    for (char chunk[16384]; rc == Z_OK;) {
        z.next_out = reinterpret_cast<Bytef*>(chunk);
        z.avail_out = sizeof chunk;
        rc = inflate(&z, Z_NO_FLUSH);
        out.append(chunk, sizeof chunk - z.avail_out);
    }
    inflateEnd(&z);
    return rc == Z_STREAM_END;
}

// Image samples, JPEG data and cross-reference rows have control bytes all
// over; content streams have none but in the odd string.
bool LooksBinary(const std::string& data) {
    const auto control = std::count_if(data.begin(), data.end(), [](char ch) {
        return static_cast<unsigned char>(ch) < 0x20 && ch != '\n' && ch != '\r' && ch != '\t';
    });
    return control * 20 > static_cast<long>(data.size());
}

// Length and CRC-32 of binary data, and a hex dump when it is short enough
// to read (cross-reference rows, not images).
std::string BinarySummary(const std::string& data) {
    const auto* bytes = reinterpret_cast<const Bytef*>(data.data());
    char line[64];
    std::snprintf(line, sizeof line, "[%zu bytes of binary data, crc32 %08lx]\n", data.size(),
                  crc32(0, bytes, static_cast<uInt>(data.size())));
    std::string out = line;
    for (std::size_t row = 0; data.size() <= 256 && row < data.size(); row += 16) {
        for (std::size_t i = row; i < std::min(data.size(), row + 16); ++i) {
            std::snprintf(line, sizeof line, i == row ? "%02x" : " %02x", bytes[i]);
            out += line;
        }
        out += '\n';
    }
    return out;
}

// The bytes a reviewer can read: CR LF ends a line as LF does, and any other
// byte outside printable ASCII reads \xHH.
std::string Printable(const std::string& text) {
    std::string out;
    for (std::size_t i = 0; i < text.size(); ++i) {
        const unsigned char ch = static_cast<unsigned char>(text[i]);
        if (ch == '\r' && i + 1 < text.size() && text[i + 1] == '\n') continue;
        char escaped[8];
        std::snprintf(escaped, sizeof escaped, "\\x%02x", ch);
        const bool plain = (ch >= 0x20 && ch < 0x7f) || ch == '\n' || ch == '\t';
        out += plain ? std::string(1, static_cast<char>(ch)) : std::string(escaped);
    }
    return out;
}

// The data of the stream whose keyword "stream" ends at `start`: /Length
// bytes when the dictionary gives it directly, else up to "endstream".
std::size_t StreamLength(const std::string& bytes, std::size_t keyword, std::size_t start) {
    const std::size_t at = bytes.find("/Length ", bytes.rfind("obj", keyword));
    long length = -1, generation = 0;
    char reference = 0;
    const int read =
        at < keyword ? std::sscanf(&bytes[at + 8], "%ld %ld %c", &length, &generation, &reference) : 0;
    if (read == 3 && reference == 'R') length = -1;  // indirect
    if (length >= 0 && start + static_cast<std::size_t>(length) <= bytes.size())
        return static_cast<std::size_t>(length);
    return std::min(bytes.find("endstream", start), bytes.size()) - start;
}

// The update as text: every stream inflated where it is FlateDecode, binary
// data summed up, the rest as written. A changed golden file then shows in
// the diff of its view what changed, where the raw bytes only say "binary".
std::string DecodedView(const std::string& bytes) {
    std::string view;
    std::size_t done = 0;
    for (std::size_t keyword; (keyword = bytes.find("stream", done)) != std::string::npos;) {
        std::size_t start = keyword + 6;
        start += bytes.compare(start, 2, "\r\n") == 0 ? 2 : bytes.compare(start, 1, "\n") == 0 ? 1 : 0;
        view += bytes.substr(done, start - done);
        done = start;
        // "endstream", or the word in a string: no dictionary before it
        const std::size_t before = keyword == 0 ? keyword : bytes.find_last_not_of(" \r\n", keyword - 1);
        if (before == std::string::npos || bytes[before] != '>' || start == keyword + 6) continue;
        const std::size_t length = StreamLength(bytes, keyword, start);
        const std::string data = bytes.substr(start, length);
        const bool flate = bytes.find("/FlateDecode", bytes.rfind("obj", keyword)) < keyword;
        std::string decoded;
        if (flate && !Inflate(data, decoded)) {
            view += "[FlateDecode data that does not inflate] " + BinarySummary(data);
        } else {
            const std::string& shown = flate ? decoded : data;
            view += LooksBinary(shown) ? BinarySummary(shown) : shown;
        }
        done = start + length;
    }
    return Printable(view + bytes.substr(done));
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
        const std::string source = dir.File(c.name);
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
        return app.Output == OutputMode::Overwrite ? source : dir.File("_" + c.name);
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
            if (check.kind == "pixels") {
                const std::string before = RenderPage((kRoot / c.source).string(), check.page, 20, "before");
                EXPECT_EQ(ChangedNinths(before, RenderPage(pdf, check.page, 20, "after")), check.value)
                    << "ninths of page " << check.page << " the stamp changed";
                continue;
            }
            if (check.kind == "qr") {
                EXPECT_EQ(DecodeQr(pdf, check.page), "QR-Code:" + check.value + "\n") << "page " << check.page;
                continue;
            }
            const bool found = test::PageText(pdf, check.page).find(check.value) != std::string::npos;
            EXPECT_EQ(found, check.kind == "text") << check.kind << " " << check.page << " " << check.value;
        }
    }

    // One page rendered in gray; the path of its PGM file.
    std::string RenderPage(const std::string& pdf, int page, int dpi, const std::string& name) {
        const std::string prefix = dir.File(name);
        const std::string pages = " -f " + std::to_string(page) + " -l " + std::to_string(page);
        RunShell("pdftoppm -gray -singlefile -r " + std::to_string(dpi) + pages + " " + Quoted(pdf) + " " +
                 Quoted(prefix));
        return prefix + ".pgm";
    }

    std::string DecodeQr(const std::string& pdf, int page) {
        return test::ShellOutput("zbarimg --nodbus -q -Sdisable -Sqrcode.enable " +
                                 Quoted(RenderPage(pdf, page, 300, "qr")) + " 2>/dev/null");
    }

    // The ninths of the page (0 top left to 8 bottom right, row by row) where
    // two renderings of it differ, e.g. "1 2": where the stamp landed.
    static std::string ChangedNinths(const std::string& beforePgm, const std::string& afterPgm) {
        const std::string a = ScratchDir::Read(beforePgm), b = ScratchDir::Read(afterPgm);
        int width = 0, height = 0, header = 0;
        std::sscanf(a.c_str(), "P5 %d %d 255%n", &width, &height, &header);
        const std::size_t pixels = static_cast<std::size_t>(width) * static_cast<std::size_t>(height);
        if (header == 0 || a.size() != header + 1 + pixels || a.compare(0, header, b, 0, header) != 0 ||
            a.size() != b.size())
            return "renderings that cannot be compared";
        bool changed[9] = {};
        for (std::size_t i = 0; i < pixels; ++i)
            if (a[header + 1 + i] != b[header + 1 + i])
                changed[i / width * 3 / height * 3 + i % width * 3 / width] = true;
        std::string ninths;
        for (int n = 0; n < 9; ++n)
            if (changed[n]) ninths += (ninths.empty() ? "" : " ") + std::to_string(n);
        return ninths;
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
    const std::string view = DecodedView(appended);
    const std::string goldenFile = (CaseDir() / "appended").string(), viewFile = goldenFile + ".txt";
    if (std::getenv("SIGILRY_UPDATE_GOLDEN")) {
        ScratchDir::Write(goldenFile, appended);
        ScratchDir::Write(viewFile, view);
    }
    const std::string expectedView = ScratchDir::Read(viewFile);
    EXPECT_TRUE(view == expectedView) << "appended.txt: " << FirstDifference(expectedView, view);
    EXPECT_TRUE(appended == ScratchDir::Read(goldenFile))
        << (view == expectedView ? "the views agree: line ends or the compression of a stream differ"
                                 : "the bytes differ as the view does");
    EXPECT_FALSE(c.checks.empty()) << "case.txt names no reader check (text, no-text, qr or pixels)";
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
