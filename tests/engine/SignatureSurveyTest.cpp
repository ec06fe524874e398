// What the survey reads of a source's signatures: certifications and their
// DocMDP /P, usage rights, and signed fields (in /Kids, with an inherited
// type, unsigned and null values left out), also from object streams and
// encrypted files that qpdf writes.
#include <gtest/gtest.h>

#include "engine/SignatureSurvey.h"
#include "tests/engine/TestPdf.h"
#include "tests/support/SamplePdfs.h"
#include "tests/support/ScratchDir.h"

namespace sgry {
namespace {

using test::CatalogPdf;
using test::CertifiedPdf;

std::string Described(const SignatureSurvey& s) {
    return std::to_string(s.signatures) + (s.certified ? " P" + std::to_string(s.docMdpP) : "") +
           (s.usageRights ? " UR3" : "");
}

TEST(SignatureSurveyTest, ReadsCertificationUsageRightsAndSignedFields) {
    const std::string sig = "<< /Type /Sig /Contents <00> >>";
    const std::string form = "/AcroForm << /SigFlags 3 /Fields [ 4 0 R 7 0 R ] >> ";
    const std::vector<std::string> fields = {
        "<< /FT /Sig /T (Top) /Kids [ 5 0 R 6 0 R ] >>",  // kids inherit the type
        "<< /T (a) /V 8 0 R /Parent 4 0 R >>", "<< /T (b) /V null /Parent 4 0 R >>",
        "<< /FT /Tx /T (text) /V (x) >>", sig};
    struct Row {
        const char* name;
        std::string bytes;
        std::string expected;
    };
    const std::vector<Row> rows = {
        {"plain", CatalogPdf(""), "0"},
        {"fields", CatalogPdf(form, fields), "1"},
        {"usage rights", CatalogPdf("/Perms << /UR3 4 0 R >>", {sig}), "0 UR3"},
        {"certified, no /P", CertifiedPdf(0), "1 P2"},
        {"certified /P 1", CertifiedPdf(1), "1 P1"},
        {"certified /P 3", CertifiedPdf(3), "1 P3"},
        {"unsigned field", CatalogPdf("/AcroForm << /Fields [ 4 0 R ] >>", {"<< /FT /Sig /T (s) >>"}), "0"},
        {"field loop", CatalogPdf("/AcroForm << /Fields [ 4 0 R ] >>", {"<< /FT /Sig /Kids [ 4 0 R ] >>"}),
         "0"},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        const std::unique_ptr<PdfJob> job = PdfJob::FromBytes(row.bytes);
        ASSERT_EQ(job->ErrorCode(), JobError::None);
        EXPECT_EQ(Described(SurveySignatures(*job)), row.expected);
        EXPECT_EQ(job->ErrorCode(), JobError::None);
    }
}

TEST(SignatureSurveyTest, ReadsObjectStreamsAndEncryptedFiles) {
    if (!test::ToolExists("qpdf")) GTEST_SKIP() << "qpdf missing";
    test::ScratchDir dir("survey");
    const std::string source = dir.File("certified.pdf"), copy = dir.File("copy.pdf");
    test::ScratchDir::Write(source, CertifiedPdf(1));
    for (const char* options :
         {"--object-streams=generate", "--encrypt '' own 256 -- --object-streams=generate"}) {
        SCOPED_TRACE(options);
        ASSERT_EQ(test::RunShell(std::string("qpdf ") + options + " " + test::Quoted(source) + " " +
                                 test::Quoted(copy)),
                  0);
        PdfJob job(copy);
        ASSERT_EQ(job.ErrorCode(), JobError::None);
        EXPECT_EQ(Described(SurveySignatures(job)), "1 P1");
    }
}

}  // namespace
}  // namespace sgry
