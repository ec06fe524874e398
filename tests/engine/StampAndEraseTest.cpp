// Pages as real files write them: boxes away from the origin, cropped,
// indirect, inherited, rotated or empty; dictionaries holding strings,
// comments, TABs and form feeds; content that closes more states than it
// opens. Each row is stamped with header, footer, text watermark and QR code,
// and real readers judge the output: mutool finds the texts inside the crop
// box, pdftoppm renders the crop box and zbarimg reads the code there, qpdf
// shows every resource entry of the source in the merged dictionary. Then
// sources that end without a line end or are damaged, and the removal of the
// last stamp written in the erasable form: two stamps erased one after the
// other give back the source byte for byte, on classic and on
// cross-reference-stream sources; every refusal leaves the file unchanged.
// Last, writes that fail: a full disk (a file-size limit in a child process,
// with SIGXFSZ ignored, stands in for it) at every point of an update in
// place, and a source that cannot be opened for update. Whatever fails, the
// source is changed only by a complete update. A full disk in prefix mode is
// InterruptTest's, every other failed call the system failure sweep's.
#include <gtest/gtest.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <csignal>
#include <filesystem>
#include <regex>

#include "engine/EraseStamp.h"
#include "engine/JobRunner.h"
#include "platform/CodeNumber.h"
#include "platform/Format.h"
#include "tests/engine/TestPdf.h"
#include "tests/engine/XrefStreamPdf.h"
#include "tests/support/RecordingPrompts.h"
#include "tests/support/SamplePdfs.h"
#include "tests/support/ScratchDir.h"

namespace sgry {
namespace {

using test::Quoted;
using test::RunShell;
using test::ShellOutput;
using test::ScratchDir;

const char* const kBody = "BT /F1 18 Tf 100 400 Td (PAGEBODY) Tj ET";
const char* const kFont = "<< /Type /Font /Subtype /Type1 /BaseFont /Helvetica >>";
const char* const kQrMessage = "SIGILRY-VISIBLE-AREA";

// Objects: 1 catalog, 2 pages node, 3 page, 4 content, 5 resources, 6 font,
// 7 and up as the row needs them.
struct PageCase {
    const char* name;
    std::string pageKeys;
    std::string nodeKeys = "/MediaBox [0 0 612 792]";
    std::string resources = "<< /Font << /F1 6 0 R >> >>";
    std::string content = kBody;
    std::vector<std::string> extraObjects = {};  // numbers 7, 8, ...
    bool commentedObjectStream = false;          // objects 1, 2, 3 and 5 in one, each after "% N 0 obj"
    std::vector<std::string> keptEntries = {"/F1"};
    std::string contentKeys = "";  // of the content stream, beside /Length
};

void PrintTo(const PageCase& c, std::ostream* out) { *out << c.name; }

std::string Stream(const std::string& data, const std::string& keys = "") {
    return "<< /Length " + std::to_string(data.size()) + keys + " >>\nstream\n" + data + "\nendstream";
}

std::string BuildSource(const PageCase& c) {
    const std::vector<std::pair<int, std::string>> tree = {
        {1, "<< /Type /Catalog /Pages 2 0 R >>"},
        {2, "<< /Type /Pages /Kids [3 0 R] /Count 1 " + c.nodeKeys + " >>"},
        {3, "<< /Type /Page /Parent 2 0 R " + c.pageKeys + " /Contents 4 0 R /Resources 5 0 R >>"},
        {5, c.resources}};
    const int size = 7 + static_cast<int>(c.extraObjects.size());
    if (c.commentedObjectStream) {  // as pdfTeX writes its object streams
        test::XrefStreamPdf pdf;
        pdf.Object(4, Stream(c.content)).Object(6, kFont);
        for (const auto& [number, body] : tree) pdf.Compressed(number, "% " + std::to_string(number) + " 0 obj\n" + body);
        return pdf.ObjectStream(size).EndStreamSection(size + 1, size + 2).Bytes();
    }
    test::TestPdf pdf;
    for (const auto& [number, body] : tree) pdf.Object(number, body);
    pdf.Object(4, Stream(c.content, c.contentKeys)).Object(6, kFont);
    for (std::size_t i = 0; i < c.extraObjects.size(); ++i) pdf.Object(7 + static_cast<int>(i), c.extraObjects[i]);
    return pdf.EndSection(size).Bytes();
}

StampSettings FullStamp() {
    StampSettings stamp;
    stamp.Slots[kHeaderLeft].StyleType = HeaderFooterStyle::Text;
    stamp.Slots[kHeaderLeft].CustomText = "HEADTXT";
    stamp.Slots[kFooterRight].StyleType = HeaderFooterStyle::Text;
    stamp.Slots[kFooterRight].CustomText = "FOOTTXT";
    for (const WatermarkWord& word : WatermarkWordTable)
        if (std::string_view(word.Label) == "CONFIDENTIAL") stamp.WaterMarkType = word.Id;
    stamp.WaterMarkPosition = StampPosition::Center;
    stamp.WaterMarkFont = "Helvetica";
    stamp.QRIsValid = true;
    stamp.QRString = kQrMessage;
    stamp.QRPosition = StampPosition::BottomLeft;
    return stamp;
}

// Runs the pass on path; the messages shown, "" when there were none.
std::string Stamp(const std::string& path, const AppSettings& app, const StampSettings& stamp = FullStamp()) {
    test::RecordingPrompts prompts;
    PdfJob job(path);
    if (job.ErrorCode() != JobError::None) return "job error " + std::to_string(CodeNumber(job.ErrorCode()));
    JobRunner runner(job, stamp, app, prompts);
    const bool ok = runner.Run();
    std::string messages;
    for (const auto& m : prompts.messages) messages += m.text + "\n";
    return ok || !messages.empty() ? messages : "run failed";
}

// The resources dictionary of page object 3 as qpdf shows it.
std::string MergedResources(const std::string& pdf) {
    const std::string page = ShellOutput("qpdf --show-object=3 " + Quoted(pdf) + " 2>&1");
    std::smatch reference;
    if (!std::regex_search(page, reference, std::regex("/Resources (\\d+) 0 R"))) return page;
    return ShellOutput("qpdf --show-object=" + reference[1].str() + " " + Quoted(pdf) + " 2>&1");
}

class VisibleAreaStampTest : public ::testing::TestWithParam<PageCase> {
protected:
    void SetUp() override {
        for (const char* tool : {"mutool", "pdftoppm", "zbarimg", "qpdf", "pdftotext"})
            if (!test::ToolExists(tool)) GTEST_SKIP() << tool << " missing";
    }
    ScratchDir dir{"visible-area"};
};

TEST_P(VisibleAreaStampTest, ReadersFindEveryStampInsideTheShownPageAndThePageKeepsItsOwn) {
    const std::string source = dir.File("source.pdf");
    ScratchDir::Write(source, BuildSource(GetParam()));
    ASSERT_EQ(Stamp(source, AppSettings{false, OutputMode::PrefixedCopy}), "");
    const std::string output = dir.File("_source.pdf");
    std::string report;
    EXPECT_TRUE(test::QpdfCheckClean(output, &report)) << report;

    const std::string shown = ShellOutput("mutool draw -q -F txt -o - " + Quoted(output) + " 2>/dev/null");
    for (const char* text : {"HEADTXT", "FOOTTXT", "CONFIDENTIAL", "PAGEBODY"})
        EXPECT_NE(shown.find(text), std::string::npos) << text << " not in the crop box:\n" << shown;
    // Poppler reads a line whole only when it runs straight across the shown page.
    const std::string lines = test::PageText(output, 1);
    for (const char* text : {"HEADTXT", "FOOTTXT", "PAGEBODY"})
        EXPECT_NE(lines.find(text), std::string::npos) << text << " not read whole:\n" << lines;

    const std::string stem = dir.File("shown");
    ASSERT_EQ(RunShell("pdftoppm -cropbox -r 300 -gray -singlefile " + Quoted(output) + " " + Quoted(stem)), 0);
    EXPECT_EQ(ShellOutput("zbarimg -q --raw " + Quoted(stem + ".pgm")), std::string(kQrMessage) + "\n");

    const std::string kept = ShellOutput("qpdf --show-object=3 " + Quoted(output) + " 2>&1") + MergedResources(output);
    for (const std::string& entry : GetParam().keptEntries)
        EXPECT_NE(kept.find(entry), std::string::npos) << entry << " lost:\n" << kept;
}

INSTANTIATE_TEST_SUITE_P(
    Pages, VisibleAreaStampTest,
    ::testing::Values(
        PageCase{"CropBoxInset60", "/CropBox [60 60 552 732]"},
        PageCase{"MediaBoxCornerAt39", "/MediaBox [39 39 696 759]"},
        PageCase{"IndirectBoxesAndRotate", "/MediaBox 7 0 R /CropBox 8 0 R /Rotate 9 0 R", "", "<< /Font << /F1 6 0 R >> >>",
                 kBody, {"[0 0 612 792]", "[30 40 580 760]", "180"}},
        PageCase{"BoxesInheritedFromTheNode", "", "/MediaBox [20 30 632 822] /CropBox [50 60 600 800]"},
        PageCase{"Rotate90WithCropBox", "/CropBox [50 70 560 720] /Rotate 90"},
        PageCase{"EmptyMediaBoxIsLetter", "/MediaBox [0 0 0 0]", ""},
        PageCase{"MediaBoxCornersGivenBackwards", "/MediaBox [700 500 0 0]", ""},
        PageCase{"OnlyACropBox", "/CropBox [0 0 500 700]", ""},
        PageCase{"Rotate45IsUpright", "/Rotate 45"},
        PageCase{"RotateOfTheLowest32BitNumberIsUpright", "/Rotate -2147483648"},
        PageCase{"StringsInPageAndResources", "/SGNote (a \\) endobj >> ] R stream 9 0 obj) /SGPct (100% sure)",
                 "/MediaBox [0 0 612 792]",
                 "<< /SGText (x >> endobj % 9 0 obj R \\)) /Font << /F1 6 0 R >> /SGHex <3e3e> >>", kBody, {},
                 false, {"/SGNote", "/SGPct", "/F1", "/SGText", "/SGHex"}},
        PageCase{"CommentedObjectStream", "", "/MediaBox [0 0 612 792]", "<< /Font << /F1 6 0 R >> /ProcSet [/PDF /Text] >>",
                 kBody, {}, true, {"/F1", "/ProcSet"}},
        PageCase{"TabsAndFormFeeds", "", "/MediaBox [0 0 612 792]",
                 "<<\t/Font\t<<\t/F1\t6\t0\tR\t>>\f/SGTab\t/Kept\f/ProcSet\t[/PDF\t/Text]\t>>", kBody, {}, false,
                 {"/F1", "/SGTab", "/ProcSet"}},
        PageCase{"ThreeMoreRestoresThanSaves", "", "/MediaBox [0 0 612 792]", "<< /Font << /F1 6 0 R >> >>",
                 std::string("q /Span <</MCID 0>> BDC BT /F1 1 Tf (Q) Tj ET EMC Q Q Q Q ") + kBody}),
    [](const auto& info) { return std::string(info.param.name); });

// Two pages with a classic cross-reference section; one page in an object
// stream with a cross-reference stream.
std::string ClassicSource() { return test::FlatPdf({"/MediaBox [0 0 595 842] /Resources << >>", "/Resources << >>"}); }

std::string StreamSource() {
    test::XrefStreamPdf pdf;
    pdf.Compressed(1, "<< /Type /Catalog /Pages 2 0 R >>")
        .Compressed(2, "<< /Type /Pages /Kids [3 0 R] /Count 1 /MediaBox [0 0 595 842] >>")
        .Compressed(3, "<< /Type /Page /Parent 2 0 R /Resources << >> >>")
        .ObjectStream(4)
        .EndStreamSection(5, 6);
    return pdf.Bytes();
}

// A source whose last byte is the "F" of "%%EOF".
class UnterminatedSourceTest : public ::testing::TestWithParam<bool> {
protected:
    std::string Source() const { return GetParam() ? StreamSource() : ClassicSource(); }
    ScratchDir dir{"unterminated"};
};

TEST_P(UnterminatedSourceTest, StampsTwiceAndErasesTwiceBackToItsBytes) {
    std::string bytes = Source();
    while (bytes.back() == '\n') bytes.pop_back();
    const std::string path = dir.File("doc.pdf");
    ScratchDir::Write(path, bytes);
    const AppSettings erasable{true, OutputMode::Overwrite};
    ASSERT_EQ(Stamp(path, erasable), "");
    // The update starts on a line of its own, and the erasable marker is found there.
    EXPECT_EQ(ScratchDir::Read(path).substr(bytes.size() - 5, 27), "%%EOF\r\n%Sigilry 1.08 +EOL\r\n");
    ASSERT_EQ(Stamp(path, erasable), "");
    std::string report;
    EXPECT_TRUE(test::QpdfCheckClean(path, &report)) << report;
    EXPECT_EQ(EraseLastStamp(path).code, EraseResult::Erased);
    EXPECT_EQ(EraseLastStamp(path).code, EraseResult::Erased);
    EXPECT_EQ(ScratchDir::Read(path), bytes);

    ASSERT_EQ(Stamp(path, AppSettings{false, OutputMode::Overwrite}), "");
    ASSERT_EQ(Stamp(path, AppSettings{false, OutputMode::Overwrite}), "");
    EXPECT_TRUE(test::QpdfCheckClean(path, &report)) << report;
}

INSTANTIATE_TEST_SUITE_P(ClassicAndStream, UnterminatedSourceTest, ::testing::Bool());

// data as LZW codes of 9 bits, each byte a literal code, the table cleared
// before the codes would grow to 10 bits.
std::string LzwLiterals(const std::string& data) {
    std::vector<int> codes{256};
    for (std::size_t i = 0; i < data.size(); ++i) {
        if (i > 0 && i % 250 == 0) codes.push_back(256);
        codes.push_back(static_cast<unsigned char>(data[i]));
    }
    codes.push_back(257);
    std::string out;
    uint32_t bits = 0;
    int held = 0;
    for (const int code : codes) {
        bits = (bits << 9) | static_cast<uint32_t>(code);
        for (held += 9; held >= 8; held -= 8) out += static_cast<char>((bits >> (held - 8)) & 0xFF);
    }
    if (held > 0) out += static_cast<char>((bits << (8 - held)) & 0xFF);
    return out;
}

// A page that leaves states open (under a scale, a shift and another colour)
// or closes states it never opened shows the stamp exactly as a balanced
// page does: the renderings of poppler and MuPDF are the same pixels.
TEST(UnbalancedPageTest, StatesLeftOpenOrClosedTooOftenDrawTheStampAsOnABalancedPage) {
    for (const char* tool : {"pdftoppm", "mutool", "qpdf"})
        if (!test::ToolExists(tool)) GTEST_SKIP() << tool << " missing";
    ScratchDir dir{"unbalanced"};
    // content as the page's stream, written through filter ("" for none).
    const auto rendered = [&](const std::string& content, const std::string& filter = "") {
        PageCase page{"page", ""};
        page.content = content;
        if (filter == "/ASCIIHexDecode") {
            page.content.clear();
            for (const unsigned char c : content) page.content += Format("%02X", static_cast<int>(c));
        }
        if (filter == "/LZWDecode") page.content = LzwLiterals(content);
        if (!filter.empty()) page.contentKeys = " /Filter " + filter;
        const std::string source = dir.File("page.pdf");
        ScratchDir::Write(source, BuildSource(page));
        std::filesystem::remove(dir.File("_page.pdf"));
        EXPECT_EQ(Stamp(source, AppSettings{false, OutputMode::PrefixedCopy}), "");
        const std::string output = dir.File("_page.pdf"), stem = dir.File("shown");
        RunShell("pdftoppm -r 50 -gray -singlefile " + Quoted(output) + " " + Quoted(stem));
        RunShell("mutool draw -q -r 50 -c gray -o " + Quoted(stem + "-mu.pgm") + " " + Quoted(output));
        return ScratchDir::Read(stem + ".pgm") + ScratchDir::Read(stem + "-mu.pgm");
    };
    const std::string balanced = rendered("q Q");
    ASSERT_GT(balanced.size(), 10000u);
    EXPECT_EQ(rendered("q q q 0.5 0 0 0.5 100 100 cm 1 0 0 rg 1 0 0 RG 9 w"), balanced);
    // Poppler and MuPDF restore what each content stream leaves open; other
    // readers do not, so the stamp's own stream closes the three states.
    const std::string plain = ShellOutput("qpdf --qdf --object-streams=disable " + Quoted(dir.File("_page.pdf")) + " -");
    EXPECT_NE(plain.find("stream\nQ\nQ\nQ\nQ\n"), std::string::npos) << plain;
    EXPECT_EQ(rendered("Q Q Q"), balanced);
    EXPECT_EQ(rendered("q Q Q q q 0.3 0 0 0.3 0 0 cm"), balanced);
    EXPECT_EQ(rendered("q q 0.5 0 0 0.5 100 100 cm Q", "/ASCIIHexDecode"), balanced);
    EXPECT_NE(ShellOutput("qpdf --qdf --object-streams=disable " + Quoted(dir.File("_page.pdf")) + " -")
                  .find("stream\nQ\nQ\n"),
              std::string::npos);
    EXPECT_EQ(rendered("q 0.5 0 0 0.5 0 0 cm Q Q", "/LZWDecode"), balanced);
    EXPECT_EQ(rendered("q 0.5 0 0 0.5 0 0 cm Q Q", "/ASCIIHexDecode"), balanced);
    // Eight bytes of image data that hold " EI q": a scanner that ended the
    // image there would count the "q" and miss the extra "Q".
    EXPECT_EQ(rendered(std::string("q 0 0 0 0 re W n 0.5 0 0 0.5 0 0 cm BI /W 8 /H 1 /BPC 8 /CS /G ID ") +
                       std::string("\x01 EI q\xFF\x02", 8) + " EI Q Q 0.3 0 0 0.3 0 0 cm"),
              balanced);
    // Content no filter here decodes is stamped as balanced, and the run says so.
    PageCase opaque{"page", ""};
    opaque.content = "Q Q";
    opaque.contentKeys = " /Filter /JPXDecode";
    ScratchDir::Write(dir.File("opaque.pdf"), BuildSource(opaque));
    EXPECT_EQ(Stamp(dir.File("opaque.pdf"), AppSettings{false, OutputMode::PrefixedCopy}),
              Format(run_message::kContentUnreadable, 1, 1, dir.File("_opaque.pdf")) + "\n");
    // Content that decodes only up to a damaged byte is counted that far: the
    // three states its readable part leaves open are closed all the same.
    PageCase damaged{"page", ""};
    damaged.content.clear();
    for (const unsigned char c : std::string("q q q 0.5 0 0 0.5 100 100 cm "))
        damaged.content += Format("%02X", static_cast<int>(c));
    damaged.content += "ZZ 51>";  // "Z" is no hexadecimal digit
    damaged.contentKeys = " /Filter /ASCIIHexDecode";
    ScratchDir::Write(dir.File("damaged.pdf"), BuildSource(damaged));
    EXPECT_EQ(Stamp(dir.File("damaged.pdf"), AppSettings{false, OutputMode::PrefixedCopy}),
              Format(run_message::kContentUnreadable, 1, 1, dir.File("_damaged.pdf")) + "\n");
    const std::string damagedPlain =
        ShellOutput("qpdf --qdf --object-streams=disable " + Quoted(dir.File("_damaged.pdf")) + " - 2>/dev/null");
    EXPECT_NE(damagedPlain.find("stream\nQ\nQ\nQ\nQ\n"), std::string::npos) << damagedPlain;
}

class EraseStampTest : public ::testing::Test {
protected:
    EraseStampTest() {
        app.Output = OutputMode::Overwrite;
        stamp.Slots[kHeaderLeft].StyleType = HeaderFooterStyle::Text;
        stamp.Slots[kHeaderLeft].CustomText = "Erasable";
    }
    // Stamps the file in place; erasable selects the marker.
    void StampInPlace(const std::string& path, bool erasable) {
        app.Undo = erasable;
        PdfJob job(path);
        ASSERT_EQ(job.ErrorCode(), JobError::None);
        JobRunner runner(job, stamp, app, prompts);
        ASSERT_TRUE(runner.Run()) << (prompts.messages.empty() ? "" : prompts.messages[0].text);
    }
    // Erasing is refused with code and message, and the file keeps its bytes.
    void ExpectRefused(const std::string& path, EraseResult code, Translatable message) {
        const std::string before = ScratchDir::Read(path);
        const EraseOutcome outcome = EraseLastStamp(path);
        EXPECT_EQ(outcome.code, code);
        EXPECT_EQ(outcome.message, Format(message, path));
        EXPECT_EQ(ScratchDir::Read(path), before);
    }

    ScratchDir dir{"erase"};
    StampSettings stamp;
    AppSettings app;
    test::RecordingPrompts prompts;
};

struct SourceCase { const char* name; std::string (*make)(); };

class EraseTwiceTest : public EraseStampTest, public ::testing::WithParamInterface<SourceCase> {};

TEST_P(EraseTwiceTest, TwoErasableStampsErasedTwiceGiveBackTheSource) {
    const std::string path = dir.File("a.pdf");
    const std::string source = GetParam().make();
    ScratchDir::Write(path, source);
    StampInPlace(path, true);
    const std::string once = ScratchDir::Read(path);
    stamp.Slots[kHeaderLeft].CustomText = "Second";
    StampInPlace(path, true);
    ASSERT_GT(ScratchDir::Read(path).size(), once.size());

    EraseOutcome outcome = EraseLastStamp(path);
    EXPECT_EQ(outcome.code, EraseResult::Erased);
    EXPECT_EQ(outcome.message, "Stamps erased\r\n" + path);
    EXPECT_EQ(outcome.newLength, static_cast<int64_t>(once.size()));
    EXPECT_EQ(ScratchDir::Read(path), once);

    outcome = EraseLastStamp(path);
    EXPECT_EQ(outcome.code, EraseResult::Erased);
    EXPECT_EQ(ScratchDir::Read(path), source);

    ExpectRefused(path, EraseResult::NoMarker, erase_message::kNoMarker);
}

INSTANTIATE_TEST_SUITE_P(Sources, EraseTwiceTest,
                         ::testing::Values(SourceCase{"Classic", ClassicSource}, SourceCase{"XrefStream", StreamSource}),
                         [](const auto& info) { return std::string(info.param.name); });

TEST_F(EraseStampTest, StampWithoutMarkerIsNotErased) {
    const std::string path = dir.File("plain.pdf");
    ScratchDir::Write(path, ClassicSource());
    StampInPlace(path, false);
    ExpectRefused(path, EraseResult::NoMarker, erase_message::kNoMarker);
    EXPECT_EQ(FindLastMarker(ScratchDir::Read(path)), -1);
}

TEST_F(EraseStampTest, MarkerAfterAnIncompletePdfIsRefused) {
    const std::string source = ClassicSource();
    const std::string marker = PdfJob::MarkerLine();
    struct Row { const char* name; std::string bytes; };
    const std::vector<Row> rows = {
        {"HeaderOnly", "%PDF-1.4\n" + marker + source.substr(9)},
        {"CutInTheMiddle", source.substr(0, source.size() / 2) + marker + source.substr(source.size() / 2)},
        {"NotAPdf", "plain text, long enough to hold a startxref window of one hundred bytes......................\n" +
                        marker + "rest"},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        const std::string path = dir.File(std::string(row.name) + ".pdf");
        ScratchDir::Write(path, row.bytes);
        ExpectRefused(path, EraseResult::IncompletePrefix, erase_message::kIncompletePrefix);
    }
}

TEST_F(EraseStampTest, LaterUpdateWithoutMarkerIsNotCutAway) {
    const std::string path = dir.File("mixed.pdf");
    ScratchDir::Write(path, StreamSource());
    StampInPlace(path, true);
    StampInPlace(path, false);
    ExpectRefused(path, EraseResult::LaterUpdate, erase_message::kLaterUpdate);
}

TEST_F(EraseStampTest, UnfinishedMarkedUpdateIsRemoved) {
    const std::string path = dir.File("stopped.pdf");
    const std::string source = ClassicSource();
    ScratchDir::Write(path, source + PdfJob::MarkerLine() + "5 0 obj\r\n<</Length 3>>\r\nstream\r\nq\r\n");
    const EraseOutcome outcome = EraseLastStamp(path);
    EXPECT_EQ(outcome.code, EraseResult::Erased);
    EXPECT_EQ(ScratchDir::Read(path), source);
}

TEST_F(EraseStampTest, MissingFileCannotBeRead) {
    const std::string path = dir.File("none.pdf");
    const EraseOutcome outcome = EraseLastStamp(path);
    EXPECT_EQ(outcome.code, EraseResult::CannotRead);
    EXPECT_EQ(outcome.message, "Cannot open the file\r\n" + path);
    EXPECT_FALSE(std::filesystem::exists(path));
    EXPECT_EQ(EraseLastStamp(dir.Path().string()).code, EraseResult::CannotRead);  // a folder
}

// sigilry-cli --erase, run as a program when it has been built.
TEST_F(EraseStampTest, CommandLineErasesAndReportsEachFile) {
    const std::string cli = std::string(SIGILRY_BINARY_DIR) + "/sigilry-cli";
    if (!std::filesystem::exists(cli)) GTEST_SKIP() << "sigilry-cli not built";
    const std::string stamped = dir.File("stamped.pdf");
    const std::string plain = dir.File("plain.pdf");
    ScratchDir::Write(stamped, StreamSource());
    ScratchDir::Write(plain, ClassicSource());
    StampInPlace(stamped, true);

    std::string out;
    const int status = test::RunShell(test::Quoted(cli) + " --erase " + test::Quoted(stamped) + " " +
                                            test::Quoted(plain) + " 2>&1",
                                        &out);
    EXPECT_EQ(status, 1);  // the second file was refused
    EXPECT_EQ(out, "Stamps erased\n" + stamped + "\nThe file has no erasable stamps\n" + plain + "\n");
    EXPECT_EQ(ScratchDir::Read(stamped), StreamSource());
    EXPECT_EQ(ScratchDir::Read(plain), ClassicSource());
    EXPECT_EQ(test::RunShell(test::Quoted(cli) + " --erase 2>/dev/null"), 2);
}

// Twelve pages, each with its own resources, so that the update is some
// kilobytes long and a limit can fall anywhere inside it.
std::string TwelvePages() {
    std::vector<std::string> pages;
    for (int i = 0; i < 12; ++i) pages.push_back("/MediaBox [0 0 595 842] /Resources << /ProcSet [/PDF] >>");
    return test::FlatPdf(pages);
}

// Whether the child exited, and its exit status: the number of the job's
// error code after Run (0 when it succeeded), or 100-103 when it did not get
// that far.
struct ChildResult { bool exited = false; int code = -1; };

// Stamps `path` in a child process whose files may not grow past `sizeLimit`
// bytes (none when negative) and which runs as the unprivileged user when
// `unprivileged` is set.
ChildResult StampInChild(const std::string& path, OutputMode mode, int64_t sizeLimit, bool unprivileged = false) {
    const pid_t child = fork();
    if (child == 0) {
        std::signal(SIGXFSZ, SIG_IGN);
        if (sizeLimit >= 0) {
            const rlimit limit{static_cast<rlim_t>(sizeLimit), static_cast<rlim_t>(sizeLimit)};
            if (setrlimit(RLIMIT_FSIZE, &limit) != 0) _exit(100);
        }
        if (unprivileged && geteuid() == 0 && (setgid(65534) != 0 || setuid(65534) != 0)) _exit(101);
        StampSettings stamp;
        stamp.Slots[kFooterCenter].StyleType = HeaderFooterStyle::PageNumber;
        stamp.Slots[kHeaderLeft].StyleType = HeaderFooterStyle::Text;
        stamp.Slots[kHeaderLeft].CustomText = "Header text of some length";
        AppSettings app;
        app.Output = mode;
        test::RecordingPrompts prompts;
        PdfJob job(path);
        if (job.ErrorCode() != JobError::None) _exit(102);
        JobRunner runner(job, stamp, app, prompts);
        const bool stamped = runner.Run();
        _exit(stamped ? 0 : (job.ErrorCode() == JobError::None ? 103 : CodeNumber(job.ErrorCode())));
    }
    int status = 0;
    waitpid(child, &status, 0);
    return {WIFEXITED(status), WIFEXITED(status) ? WEXITSTATUS(status) : -1};
}

JobError ReadError(const std::string& path) { return PdfJob(path).ErrorCode(); }

TEST(WriteFailureTest, FullDiskDuringOverwriteLeavesTheSourceByteIdentical) {
    ScratchDir dir("full-disk");
    const std::string source = TwelvePages();
    // Probe the size of a complete update once, without a limit.
    const std::string probe = dir.File("probe.pdf");
    ScratchDir::Write(probe, source);
    ASSERT_EQ(StampInChild(probe, OutputMode::Overwrite, -1).code, 0);
    const int64_t updateBytes = static_cast<int64_t>(std::filesystem::file_size(probe) - source.size());
    ASSERT_GT(updateBytes, 1000);

    // Limits from no room at all to one byte short of the whole update.
    const std::vector<int64_t> rooms = {0, 1, 20, 100, updateBytes / 3, updateBytes / 2, updateBytes - 40,
                                        updateBytes - 1};
    for (const int64_t room : rooms) {
        SCOPED_TRACE("room for " + std::to_string(room) + " of " + std::to_string(updateBytes) + " bytes");
        const std::string path = dir.File("a.pdf");
        ScratchDir::Write(path, source);
        const ChildResult result = StampInChild(path, OutputMode::Overwrite, static_cast<int64_t>(source.size()) + room);
        ASSERT_TRUE(result.exited);
        EXPECT_NE(result.code, 0);
        EXPECT_EQ(ScratchDir::Read(path), source);
        EXPECT_EQ(ReadError(path), JobError::None);
    }
    // With room enough the update is complete and the file reads again.
    const std::string path = dir.File("a.pdf");
    ScratchDir::Write(path, source);
    EXPECT_EQ(StampInChild(path, OutputMode::Overwrite, static_cast<int64_t>(source.size()) + updateBytes).code, 0);
    EXPECT_EQ(ScratchDir::Read(path).substr(0, source.size()), source);
    EXPECT_EQ(ReadError(path), JobError::None);
}

TEST(WriteFailureTest, ReadOnlySourceInOverwriteModeIsOpenErrorAndUnchanged) {
    ScratchDir dir("read-only");
    const std::string source = TwelvePages();
    const std::string path = dir.File("a.pdf");
    ScratchDir::Write(path, source);
    std::filesystem::permissions(path, std::filesystem::perms::owner_read | std::filesystem::perms::group_read |
                                           std::filesystem::perms::others_read);
    // Root writes through any mode bits: the child drops to the unprivileged
    // user, who may read the file (its folder and the file are readable) but
    // not write it.
    if (geteuid() == 0) {
        std::filesystem::permissions(dir.Path(), std::filesystem::perms::all, std::filesystem::perm_options::add);
        const ChildResult probe = StampInChild(path, OutputMode::Overwrite, -1, true);
        if (probe.code == 101 || probe.code == 102) GTEST_SKIP() << "cannot act as an unprivileged user here";
        EXPECT_EQ(probe.code, CodeNumber(JobError::Open));
    } else {
        EXPECT_EQ(StampInChild(path, OutputMode::Overwrite, -1).code, CodeNumber(JobError::Open));
    }
    EXPECT_EQ(ScratchDir::Read(path), source);
}

}  // namespace
}  // namespace sgry
