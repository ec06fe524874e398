// Removing the last stamp written in the erasable form: two stamps erased one
// after the other give back the source byte for byte, on classic and on
// cross-reference-stream sources; every refusal leaves the file unchanged.
#include <gtest/gtest.h>

#include <filesystem>

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

using test::ScratchDir;

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
        ASSERT_EQ(job.ErrorCode(), 0);
        JobRunner runner(job, stamp, app, prompts);
        ASSERT_TRUE(runner.Run()) << (prompts.messages.empty() ? "" : prompts.messages[0].text);
    }
    // Erasing is refused with code and message, and the file keeps its bytes.
    void ExpectRefused(const std::string& path, int code, const char* message) {
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

struct SourceCase {
    const char* name;
    std::string (*make)();
};

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
    EXPECT_EQ(outcome.code, erase_result::kErased);
    EXPECT_EQ(outcome.message, "スタンプを消去しました\r\n" + path);
    EXPECT_EQ(outcome.newLength, static_cast<int64_t>(once.size()));
    EXPECT_EQ(ScratchDir::Read(path), once);

    outcome = EraseLastStamp(path);
    EXPECT_EQ(outcome.code, erase_result::kErased);
    EXPECT_EQ(ScratchDir::Read(path), source);

    ExpectRefused(path, erase_result::kNoMarker, erase_message::kNoMarker);
}

INSTANTIATE_TEST_SUITE_P(Sources, EraseTwiceTest,
                         ::testing::Values(SourceCase{"Classic", ClassicSource}, SourceCase{"XrefStream", StreamSource}),
                         [](const auto& info) { return std::string(info.param.name); });

TEST_F(EraseStampTest, StampWithoutMarkerIsNotErased) {
    const std::string path = dir.File("plain.pdf");
    ScratchDir::Write(path, ClassicSource());
    StampInPlace(path, false);
    ExpectRefused(path, erase_result::kNoMarker, erase_message::kNoMarker);
    EXPECT_EQ(FindLastMarker(ScratchDir::Read(path)), -1);
}

TEST_F(EraseStampTest, MarkerAfterAnIncompletePdfIsRefused) {
    const std::string source = ClassicSource();
    const std::string marker = PdfJob::MarkerLine();
    struct Row {
        const char* name;
        std::string bytes;
    };
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
        ExpectRefused(path, erase_result::kIncompletePrefix, erase_message::kIncompletePrefix);
    }
}

TEST_F(EraseStampTest, LaterUpdateWithoutMarkerIsNotCutAway) {
    const std::string path = dir.File("mixed.pdf");
    ScratchDir::Write(path, StreamSource());
    StampInPlace(path, true);
    StampInPlace(path, false);
    ExpectRefused(path, erase_result::kLaterUpdate, erase_message::kLaterUpdate);
}

TEST_F(EraseStampTest, UnfinishedMarkedUpdateIsRemoved) {
    const std::string path = dir.File("stopped.pdf");
    const std::string source = ClassicSource();
    ScratchDir::Write(path, source + PdfJob::MarkerLine() + "5 0 obj\r\n<</Length 3>>\r\nstream\r\nq\r\n");
    const EraseOutcome outcome = EraseLastStamp(path);
    EXPECT_EQ(outcome.code, erase_result::kErased);
    EXPECT_EQ(ScratchDir::Read(path), source);
}

TEST_F(EraseStampTest, MarkerAfterTheLineEndAddedToAnEofIsFound) {
    std::string source = ClassicSource();
    source.pop_back();  // "%%EOF" without its line end
    const std::string path = dir.File("glued.pdf");
    ScratchDir::Write(path, source);
    StampInPlace(path, true);
    ASSERT_NE(ScratchDir::Read(path).find("%%EOF\r\n%Sigilry 1.08 +EOL\r\n"), std::string::npos);
    EXPECT_EQ(EraseLastStamp(path).code, erase_result::kErased);
    EXPECT_EQ(ScratchDir::Read(path), source);
}

TEST_F(EraseStampTest, MissingFileCannotBeRead) {
    const std::string path = dir.File("none.pdf");
    const EraseOutcome outcome = EraseLastStamp(path);
    EXPECT_EQ(outcome.code, erase_result::kCannotRead);
    EXPECT_EQ(outcome.message, "ファイルを開けません\r\n" + path);
    EXPECT_FALSE(std::filesystem::exists(path));
    EXPECT_EQ(EraseLastStamp(dir.Path().string()).code, erase_result::kCannotRead);  // a folder
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
    EXPECT_EQ(out, "スタンプを消去しました\n" + stamped + "\n消去できる形式のスタンプがありません\n" + plain + "\n");
    EXPECT_EQ(ScratchDir::Read(stamped), StreamSource());
    EXPECT_EQ(ScratchDir::Read(plain), ClassicSource());
    EXPECT_EQ(test::RunShell(test::Quoted(cli) + " --erase 2>/dev/null"), 2);
}

}  // namespace
}  // namespace sgry
