// Real readers judge whole updates written through the job's own calls:
// ghostscript writes the source, every page gets an empty stamp, qpdf checks
// the result and poppler renders it unchanged.
#include <gtest/gtest.h>

#include <filesystem>

#include "engine/PdfJob.h"
#include "tests/support/SamplePdfs.h"
#include "tests/support/ScratchDir.h"

namespace sgry {
namespace {

using test::Quoted;
using test::RunShell;
using test::ScratchDir;

class EndToEndTest : public ::testing::Test {
protected:
    void SetUp() override {
        for (const char* tool : {"ps2pdf", "qpdf", "pdftoppm"})
            if (!test::ToolExists(tool)) GTEST_SKIP() << tool << " missing";
        ScratchDir::Write(Path("in.ps"),
                          "%!PS\n/Helvetica findfont 30 scalefont setfont\n"
                          "0.8 0.2 0.2 setrgbcolor 72 700 moveto (First page) show 2 setlinewidth 72 72 moveto "
                          "500 600 lineto stroke showpage\n"
                          "<< /PageSize [842 595] >> setpagedevice 0 0 1 setrgbcolor 100 300 moveto (Landscape) "
                          "show showpage\n"
                          "<< /PageSize [595 842] >> setpagedevice 0.5 setgray 100 100 300 300 rectfill showpage\n");
        ASSERT_EQ(RunShell("ps2pdf " + Quoted(Path("in.ps")) + " " + Quoted(Path("source.pdf"))), 0);
    }
    std::string Path(const std::string& name) const { return dir.File(name); }

    // Copies source to output and appends an update that gives every page an
    // empty stamp (only the "Q" that closes the save-state stream).
    void Stamp(const std::string& source, const std::string& output, bool marker) {
        std::filesystem::copy_file(Path(source), Path(output), std::filesystem::copy_options::overwrite_existing);
        PdfJob job(Path(source));
        ASSERT_EQ(job.ErrorCode(), 0);
        ASSERT_TRUE(job.BuildPageList({}));
        ASSERT_TRUE(job.BuildWriteTable());
        ASSERT_TRUE(job.OpenOutput(Path(output)));
        if (marker) job.WriteMarker();
        for (int32_t i = 0; i < job.Pages().Count(); ++i) {
            std::vector<std::string> names;
            ASSERT_TRUE(job.WritePageObject(i));
            ASSERT_TRUE(job.WritePageResources(i, {}, names));
            ASSERT_TRUE(job.WritePageContent(i, "Q\r\n"));
        }
        ASSERT_TRUE(job.FinishUpdate());
        EXPECT_EQ(job.ErrorCode(), 0);
    }
    // The update is clean to qpdf, keeps three pages and renders like `source`.
    void ExpectReadersAgree(const std::string& name, const std::string& source) {
        std::string report;
        EXPECT_TRUE(test::QpdfCheckClean(Path(name), &report)) << report;
        std::string pages;
        EXPECT_EQ(RunShell("qpdf --show-npages " + Quoted(Path(name)), &pages), 0);
        EXPECT_EQ(std::atoi(pages.c_str()), 3) << name;
        const std::string before = Render(source);
        ASSERT_GT(before.size(), 1000u);
        EXPECT_TRUE(Render(name) == before) << name << ": rendering changed";
    }
    std::string Render(const std::string& name) {
        const std::string prefix = Path(name + "-img");
        EXPECT_EQ(RunShell("pdftoppm -r 40 " + Quoted(Path(name)) + " " + Quoted(prefix)), 0);
        std::string all;
        for (int page = 1; page <= 3; ++page) all += ScratchDir::Read(prefix + "-" + std::to_string(page) + ".ppm");
        return all;
    }

    ScratchDir dir{"e2e-job"};
};

TEST_F(EndToEndTest, EmptyStampsTwiceOverKeepEverything) {
    Stamp("source.pdf", "once.pdf", false);
    const std::string source = ScratchDir::Read(Path("source.pdf"));
    const std::string once = ScratchDir::Read(Path("once.pdf"));
    ASSERT_GT(once.size(), source.size());
    EXPECT_EQ(once.compare(0, source.size(), source), 0);
    ExpectReadersAgree("once.pdf", "source.pdf");

    Stamp("once.pdf", "twice.pdf", false);
    const std::string twice = ScratchDir::Read(Path("twice.pdf"));
    EXPECT_EQ(twice.compare(0, once.size(), once), 0);
    ExpectReadersAgree("twice.pdf", "source.pdf");
    const long onceXref = std::stol(once.substr(once.rfind("startxref\r\n") + 11));
    EXPECT_NE(twice.find("/Prev " + std::to_string(onceXref) + "\r\n", once.size()), std::string::npos);
}

TEST_F(EndToEndTest, MarkedUpdateOfAFileRewrittenByQpdfCutsBackToTheSource) {
    ASSERT_EQ(RunShell("qpdf --qdf " + Quoted(Path("source.pdf")) + " " + Quoted(Path("qdf.pdf"))), 0);
    Stamp("qdf.pdf", "marked.pdf", true);
    ExpectReadersAgree("marked.pdf", "qdf.pdf");
    const std::string source = ScratchDir::Read(Path("qdf.pdf"));
    const std::string marked = ScratchDir::Read(Path("marked.pdf"));
    const size_t marker = marked.find("\n%Sigilry 1.08\r\n", source.size() - 1);
    ASSERT_NE(marker, std::string::npos);
    EXPECT_EQ(marker + 1, source.size());
    EXPECT_EQ(marked.substr(0, marker + 1), source);
}

}  // namespace
}  // namespace sgry
