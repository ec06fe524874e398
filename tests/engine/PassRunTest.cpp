// The stamping pass on small files written by the tests: stamps that cannot
// be prepared, the failure cut-back, the refusal of encrypted sources and a
// failed copy. What the pass writes for good sources, page dictionaries with
// comments among them, is fixed byte for byte by the golden updates.
#include <gtest/gtest.h>
#include <zlib.h>

#include <cerrno>
#include <cstring>
#include <filesystem>

#include "engine/JobRunner.h"
#include "engine/OutputNaming.h"
#include "platform/CodeNumber.h"
#include "platform/Format.h"
#include "tests/engine/TestPdf.h"
#include "tests/support/RecordingPrompts.h"
#include "tests/support/SamplePdfs.h"
#include "tests/support/ScratchDir.h"

namespace sgry {
namespace {

using test::FlatPdf;
using test::RecordingPrompts;
using test::ScratchDir;

std::tm FixedTime() {
    std::tm t{};
    t.tm_year = 2024 - 1900;
    t.tm_mon = 4;
    t.tm_mday = 6;
    t.tm_hour = 7;
    t.tm_min = 8;
    return t;
}

// The stream data of the last object "number 0 obj" in bytes, inflated when
// it is FlateDecode-compressed.
std::string StreamOf(const std::string& bytes, int32_t number) {
    const std::string head = std::to_string(number) + " 0 obj\r\n<</Length ";
    const size_t at = bytes.rfind(head);
    if (at == std::string::npos) return "<missing>";
    const size_t lengthAt = at + head.size();
    const long length = std::stol(bytes.substr(lengthAt));
    const bool flate = bytes.substr(bytes.find_first_not_of("0123456789", lengthAt), 21) == "/Filter/FlateDecode>>";
    const size_t data = bytes.find("stream\r\n", lengthAt) + 8;
    const std::string raw = bytes.substr(data, static_cast<size_t>(length));
    if (!flate) return raw;
    std::string out(raw.size() * 20 + 1024, '\0');
    uLongf outLength = out.size();
    if (uncompress(reinterpret_cast<Bytef*>(out.data()), &outLength, reinterpret_cast<const Bytef*>(raw.data()),
                   raw.size()) != Z_OK)
        return "<bad stream>";
    out.resize(outLength);
    return out;
}

struct Stamped {
    bool ok = false;
    JobError error = JobError::None;
    std::string source;  // bytes before the run
    std::string output;  // bytes of the output after the run
    std::vector<WriteTable::Entry> writes;
    std::vector<PageEntry> pages;
};

class PassRunTest : public ::testing::Test {
protected:
    std::string Source(const std::string& bytes, const std::string& name = "a.pdf") {
        const std::string path = dir.File(name);
        ScratchDir::Write(path, bytes);
        return path;
    }
    Stamped Stamp(const std::string& path) {
        Stamped s;
        s.source = ScratchDir::Read(path);
        PdfJob job(path);
        EXPECT_EQ(job.ErrorCode(), JobError::None);
        JobRunner runner(job, stamp, app, prompts, FixedTime);
        s.ok = runner.Run();
        s.error = job.ErrorCode();
        s.writes = job.Writes().Entries();
        for (int32_t i = 0; i < job.Pages().Count(); ++i) s.pages.push_back(job.Pages().At(i));
        job.File().Close();
        s.output = ScratchDir::Read(runner.OutputPath().empty() ? path : runner.OutputPath());
        return s;
    }

    ScratchDir dir{"pass"};
    StampSettings stamp;
    AppSettings app{false, OutputMode::Overwrite};
    RecordingPrompts prompts;
};

// An image that cannot be read once the pass runs (it was read when the run
// began) fails the file rather than stamping it without the image: the
// source is cut back, and the image's failure and the file's are both said.
TEST_F(PassRunTest, AnImageUnreadableDuringThePassFailsTheFile) {
    stamp.ImageFileName = dir.File("missing.png");
    stamp.Slots[kHeaderLeft].StyleType = HeaderFooterStyle::Text;
    stamp.Slots[kHeaderLeft].CustomText = "kept";
    const std::string path = Source(FlatPdf({"/MediaBox [0 0 595 842] /Resources << >>"}));
    const Stamped s = Stamp(path);
    EXPECT_FALSE(s.ok);
    EXPECT_EQ(s.error, JobError::ImageUnreadable);
    EXPECT_EQ(s.output, s.source);
    ASSERT_EQ(prompts.messages.size(), 2u);
    EXPECT_EQ(prompts.messages[1].text, Format(run_message::kImageUnreadable, path));
}

TEST_F(PassRunTest, QrCodeThatCannotBePreparedIsReportedOnceAndLeftOff) {
    stamp.QRIsValid = true;
    stamp.QRIsVersionAuto = false;
    stamp.QRVersion = 1;
    stamp.QRString = std::string(200, 'x');  // far more than version 1 holds
    const Stamped s = Stamp(Source(FlatPdf({"/MediaBox [0 0 595 842] /Resources << >>",
                                            "/MediaBox [0 0 595 842] /Resources << >>"})));
    ASSERT_TRUE(s.ok);
    EXPECT_EQ(prompts.messages.size(), 1u);
    for (const PageEntry& page : s.pages) EXPECT_EQ(StreamOf(s.output, page.contentNumber), "Q\r\n");
}

// Resources that are no dictionary (ResourcesFailed), or a /Contents object the
// cross-reference data do not list (ObjectNotFound, found once every page is
// written), fail the pass after the first page object was appended: the
// source ends with its own bytes (cut back in overwrite mode, untouched in
// prefix mode) and no copy is left under the output name.
TEST_F(PassRunTest, FailedPassCutsTheOutputBackInEveryMode) {
    const std::string resources = test::TestPdf()
                                      .Object(1, "<< /Type /Catalog /Pages 2 0 R >>")
                                      .Object(2, "<< /Type /Pages /Kids [ 3 0 R ] /Count 1 >>")
                                      .Object(3, "<< /Type /Page /Parent 2 0 R /MediaBox [0 0 595 842] /Resources 9 0 R >>")
                                      .Object(9, "[ /PDF ]")
                                      .EndSection(10)
                                      .Bytes();
    const std::string contents = FlatPdf({"/MediaBox [0 0 595 842] /Contents 9 0 R /Resources << >>"});
    for (const auto& [bytes, code] : {std::pair{resources, JobError::ResourcesFailed},
                                      std::pair{contents, JobError::ObjectNotFound}}) {
        for (OutputMode mode : {OutputMode::Overwrite, OutputMode::PrefixedCopy}) {
            SCOPED_TRACE(std::to_string(CodeNumber(code)) + " in mode " + std::to_string(static_cast<int>(mode)));
            app.Output = mode;
            prompts.messages.clear();
            const std::string path = Source(bytes, "bad.pdf");
            const Stamped s = Stamp(path);
            EXPECT_FALSE(s.ok);
            EXPECT_EQ(s.error, code);
            const std::string output = mode == OutputMode::Overwrite ? path : dir.File("_bad.pdf");
            ASSERT_EQ(prompts.messages.size(), 1u);
            EXPECT_EQ(prompts.messages[0].text, "An error occurred while writing the output file\r\n" + output +
                                                    "\r\nError code = " + std::to_string(CodeNumber(code)));
            EXPECT_EQ(ScratchDir::Read(path), bytes);
            // A failed copy is not left to look like a stamped output.
            EXPECT_EQ(std::filesystem::exists(output), mode == OutputMode::Overwrite);
        }
    }
}

TEST_F(PassRunTest, EncryptedSourceIsRefusedBeforeAnythingIsWritten) {
    app.Output = OutputMode::PrefixedCopy;
    const std::string path = Source(FlatPdf({"/MediaBox [0 0 595 842] /Resources << >>"}, "", 0) , "locked.pdf");
    // The same file with an /Encrypt entry in its trailer.
    std::string bytes = ScratchDir::Read(path);
    bytes.replace(bytes.rfind("/Root 1 0 R"), 11, "/Root 1 0 R /Encrypt << /Filter /Standard /V 1 >>");
    ScratchDir::Write(path, bytes);
    const Stamped s = Stamp(path);
    EXPECT_FALSE(s.ok);
    EXPECT_EQ(s.error, JobError::EncryptedSource);
    ASSERT_EQ(prompts.messages.size(), 1u);
    EXPECT_EQ(prompts.messages[0].text, "Encrypted PDF files are not supported\r\n" + path);
    EXPECT_EQ(ScratchDir::Read(path), bytes);
    EXPECT_FALSE(std::filesystem::exists(dir.File("_locked.pdf")));
}

TEST_F(PassRunTest, EncryptInsideANestedDictionaryIsNoEncryption) {
    const std::string path = Source(FlatPdf({"/MediaBox [0 0 595 842] /Resources << >>"}), "info.pdf");
    std::string bytes = ScratchDir::Read(path);
    bytes.replace(bytes.rfind("/Root 1 0 R"), 11, "/Root 1 0 R /Info << /Encrypt (no) >>");
    ScratchDir::Write(path, bytes);
    EXPECT_TRUE(Stamp(path).ok);
}

TEST_F(PassRunTest, FailedCopyIsReportedWithTheDestination) {
    app.Output = OutputMode::SaveAsDialog;
    const std::string target = dir.File("no-such-folder/out");
    prompts.saveAnswers.push_back(target);
    const Stamped s = Stamp(Source(FlatPdf({"/MediaBox [0 0 595 842] /Resources << >>"})));
    EXPECT_FALSE(s.ok);
    EXPECT_EQ(s.error, JobError::CopyFailed);
    ASSERT_EQ(prompts.messages.size(), 1u);
    EXPECT_EQ(prompts.messages[0].text, "Cannot write to the file\r\n" + target + ".pdf\r\n(making the copy: " +
                                            std::strerror(ENOENT) + ")");
}

}  // namespace
}  // namespace sgry
