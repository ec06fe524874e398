// Pages as real files write them: boxes away from the origin, cropped,
// indirect, inherited, rotated or empty; dictionaries holding strings,
// comments, TABs and form feeds; content that closes more states than it
// opens. Each row is stamped with header, footer, text watermark and QR code,
// and real readers judge the output: mutool finds the texts inside the crop
// box, pdftoppm renders the crop box and zbarimg reads the code there, qpdf
// shows every resource entry of the source in the merged dictionary.
#include <gtest/gtest.h>

#include <filesystem>
#include <regex>

#include "engine/EraseStamp.h"
#include "engine/JobRunner.h"
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
};

void PrintTo(const PageCase& c, std::ostream* out) { *out << c.name; }

std::string Stream(const std::string& data) {
    return "<< /Length " + std::to_string(data.size()) + " >>\nstream\n" + data + "\nendstream";
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
    pdf.Object(4, Stream(c.content)).Object(6, kFont);
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
    if (job.ErrorCode() != 0) return "job error " + std::to_string(job.ErrorCode());
    JobRunner runner(job, stamp, app, prompts);
    const bool ok = runner.Run();
    std::string messages;
    for (const auto& m : prompts.messages) messages += m.text + "\n";
    return ok || !messages.empty() ? messages : "run failed";
}

std::string Capture(const std::string& command) {
    std::string out;
    RunShell(command, &out);
    return out;
}

// The resources dictionary of page object 3 as qpdf shows it.
std::string MergedResources(const std::string& pdf) {
    const std::string page = Capture("qpdf --show-object=3 " + Quoted(pdf) + " 2>&1");
    std::smatch reference;
    if (!std::regex_search(page, reference, std::regex("/Resources (\\d+) 0 R"))) return page;
    return Capture("qpdf --show-object=" + reference[1].str() + " " + Quoted(pdf) + " 2>&1");
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

    const std::string shown = Capture("mutool draw -q -F txt -o - " + Quoted(output) + " 2>/dev/null");
    for (const char* text : {"HEADTXT", "FOOTTXT", "CONFIDENTIAL", "PAGEBODY"})
        EXPECT_NE(shown.find(text), std::string::npos) << text << " not in the crop box:\n" << shown;
    EXPECT_NE(test::PageText(output, 1).find("PAGEBODY"), std::string::npos);

    const std::string stem = dir.File("shown");
    ASSERT_EQ(RunShell("pdftoppm -cropbox -r 300 -gray -singlefile " + Quoted(output) + " " + Quoted(stem)), 0);
    EXPECT_EQ(Capture("zbarimg -q --raw " + Quoted(stem + ".pgm")), std::string(kQrMessage) + "\n");

    const std::string kept = Capture("qpdf --show-object=3 " + Quoted(output) + " 2>&1") + MergedResources(output);
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
        PageCase{"OnlyACropBox", "/CropBox [0 0 500 700]", ""},
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

// A source whose last byte is the "F" of "%%EOF".
class UnterminatedSourceTest : public ::testing::TestWithParam<bool> {
protected:
    std::string Source() const {
        if (!GetParam()) return test::FlatPdf({"/MediaBox [0 0 595 842] /Resources << >>"});
        test::XrefStreamPdf pdf;
        pdf.Compressed(1, "<< /Type /Catalog /Pages 2 0 R >>")
            .Compressed(2, "<< /Type /Pages /Kids [3 0 R] /Count 1 /MediaBox [0 0 595 842] >>")
            .Compressed(3, "<< /Type /Page /Parent 2 0 R /Resources << >> >>");
        return pdf.ObjectStream(4).EndStreamSection(5, 6).Bytes();
    }
    ScratchDir dir{"unterminated"};
};

TEST_P(UnterminatedSourceTest, StampsTwiceAndErasesTwiceBackToItsBytes) {
    std::string bytes = Source();
    while (bytes.back() == '\n') bytes.pop_back();
    const std::string path = dir.File("doc.pdf");
    ScratchDir::Write(path, bytes);
    const AppSettings erasable{true, OutputMode::Overwrite};
    ASSERT_EQ(Stamp(path, erasable), "");
    EXPECT_EQ(ScratchDir::Read(path).substr(bytes.size(), 2), "\r\n");
    ASSERT_EQ(Stamp(path, erasable), "");
    std::string report;
    EXPECT_TRUE(test::QpdfCheckClean(path, &report)) << report;
    EXPECT_EQ(EraseLastStamp(path).code, erase_result::kErased);
    EXPECT_EQ(EraseLastStamp(path).code, erase_result::kErased);
    EXPECT_EQ(ScratchDir::Read(path), bytes);

    ASSERT_EQ(Stamp(path, AppSettings{false, OutputMode::Overwrite}), "");
    ASSERT_EQ(Stamp(path, AppSettings{false, OutputMode::Overwrite}), "");
    EXPECT_TRUE(test::QpdfCheckClean(path, &report)) << report;
}

INSTANTIATE_TEST_SUITE_P(ClassicAndStream, UnterminatedSourceTest, ::testing::Bool());

// Damaged sources are refused with one message and left as they are.
TEST(DamagedSourceTest, WrongOffsetsAreRefusedAndNothingIsWritten) {
    ScratchDir dir{"damaged"};
    const std::string good = test::FlatPdf({"/MediaBox [0 0 595 842] /Resources << >>", "/Resources << >>"});
    const std::size_t xref = good.rfind("\nxref\n") + 1;
    const std::size_t object2 = good.find("2 0 obj");

    std::string intoObject = good;  // startxref names the middle of object 2
    intoObject.replace(good.rfind(std::to_string(xref)), std::to_string(xref).size(), std::to_string(object2 + 9));
    std::string otherHeader = good;  // the row of object 4 (rows of 20 bytes from object 1) names object 2's header
    const std::size_t row4 = good.find("1 4\n", xref) + 4 + 3 * 20;
    otherHeader.replace(row4, 10, Format("%010ld", static_cast<int64_t>(object2)));

    for (const std::string& bytes : {intoObject, otherHeader}) {
        for (const OutputMode mode : {OutputMode::PrefixedCopy, OutputMode::Overwrite}) {
            const std::string path = dir.File("doc.pdf");
            std::filesystem::remove(dir.File("_doc.pdf"));
            ScratchDir::Write(path, bytes);
            const std::string shown = Stamp(path, AppSettings{false, mode});
            PdfJob job(path);
            if (job.ErrorCode() != 0) {
                EXPECT_EQ(job.ErrorCode(), job_error::kDamaged);
                EXPECT_TRUE(job.IsDamaged());
            } else {
                EXPECT_EQ(shown, Format(run_message::kDamaged, path) + "\n");
            }
            EXPECT_FALSE(std::filesystem::exists(dir.File("_doc.pdf")));
            EXPECT_EQ(ScratchDir::Read(path), bytes);
        }
    }
}

}  // namespace
}  // namespace sgry
