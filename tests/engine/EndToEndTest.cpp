// Real readers judge a whole update: ghostscript writes the source, this
// engine replaces every page, qpdf checks the result and poppler renders it.
#include <gtest/gtest.h>

#include <filesystem>

#include "engine/PdfJob.h"
#include "tests/engine/TestPdf.h"

namespace sgry {
namespace {

namespace fs = std::filesystem;
using test::ReadFileBytes;
using test::RunCommand;

class EndToEndTest : public ::testing::Test {
protected:
    void SetUp() override {
        for (const char* tool : {"ps2pdf", "qpdf", "pdftoppm"})
            if (!test::HaveTool(tool)) GTEST_SKIP() << tool << " missing";
        dir_ = fs::temp_directory_path() / ("sgry_engine_e2e_" + std::to_string(getpid()));
        fs::create_directories(dir_);
        const std::string ps =
            "%!PS\n/Helvetica findfont 30 scalefont setfont\n"
            "0.8 0.2 0.2 setrgbcolor 72 700 moveto (First page) show 2 setlinewidth 72 72 moveto 500 600 lineto stroke "
            "showpage\n"
            "<< /PageSize [842 595] >> setpagedevice 0 0 1 setrgbcolor 100 300 moveto (Landscape) show showpage\n"
            "<< /PageSize [595 842] >> setpagedevice 0.5 setgray 100 100 300 300 rectfill showpage\n";
        test::WriteFileBytes(dir_ / "in.ps", ps);
        ASSERT_EQ(RunCommand("ps2pdf " + Path("in.ps") + " " + Path("source.pdf")), 0);
    }
    void TearDown() override {
        if (!dir_.empty()) fs::remove_all(dir_);
    }
    std::string Path(const std::string& name) const { return (dir_ / name).string(); }

    // Copies source to output and appends an update that gives every page an
    // empty stamp (only the "Q" that closes the save-state stream).
    void Stamp(const std::string& source, const std::string& output, bool marker) {
        fs::copy_file(Path(source), Path(output), fs::copy_options::overwrite_existing);
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
    std::string Render(const std::string& name) {
        const std::string prefix = Path(name + "-img");
        EXPECT_EQ(RunCommand("pdftoppm -r 40 " + Path(name) + " " + prefix), 0);
        std::string all;
        for (int page = 1; page <= 3; ++page) all += ReadFileBytes(prefix + "-" + std::to_string(page) + ".ppm");
        return all;
    }
    int CheckStatus(const std::string& name, std::string* out = nullptr) {
        return RunCommand("qpdf --check " + Path(name) + " 2>&1", out);
    }
    int Pages(const std::string& name) {
        std::string out;
        RunCommand("qpdf --show-npages " + Path(name), &out);
        return std::atoi(out.c_str());
    }

    fs::path dir_;
};

TEST_F(EndToEndTest, EmptyStampsKeepEverything) {
    Stamp("source.pdf", "once.pdf", false);
    const std::string source = ReadFileBytes(Path("source.pdf"));
    const std::string once = ReadFileBytes(Path("once.pdf"));
    ASSERT_GT(once.size(), source.size());
    EXPECT_EQ(once.compare(0, source.size(), source), 0);
    std::string report;
    EXPECT_EQ(CheckStatus("once.pdf", &report), 0) << report;
    EXPECT_EQ(report.find("WARNING"), std::string::npos) << report;
    EXPECT_EQ(Pages("once.pdf"), 3);
    const std::string before = Render("source.pdf");
    ASSERT_GT(before.size(), 1000u);
    EXPECT_TRUE(Render("once.pdf") == before) << "rendering changed";

    // A second update on top of the first.
    Stamp("once.pdf", "twice.pdf", false);
    const std::string twice = ReadFileBytes(Path("twice.pdf"));
    EXPECT_EQ(twice.compare(0, once.size(), once), 0);
    EXPECT_EQ(CheckStatus("twice.pdf", &report), 0) << report;
    EXPECT_EQ(report.find("WARNING"), std::string::npos) << report;
    EXPECT_EQ(Pages("twice.pdf"), 3);
    EXPECT_TRUE(Render("twice.pdf") == before) << "rendering changed";
    const long onceXref = std::stol(once.substr(once.rfind("startxref\r\n") + 11));
    EXPECT_NE(twice.find("/Prev " + std::to_string(onceXref) + "\r\n", once.size()), std::string::npos);
}

TEST_F(EndToEndTest, RewrittenByQpdfToo) {
    ASSERT_EQ(RunCommand("qpdf --qdf " + Path("source.pdf") + " " + Path("qdf.pdf")), 0);
    Stamp("qdf.pdf", "qdf-once.pdf", true);
    std::string report;
    EXPECT_EQ(CheckStatus("qdf-once.pdf", &report), 0) << report;
    EXPECT_EQ(Pages("qdf-once.pdf"), 3);
    EXPECT_TRUE(Render("qdf-once.pdf") == Render("qdf.pdf")) << "rendering changed";
}

TEST_F(EndToEndTest, CuttingAtTheMarkerGivesBackTheSource) {
    Stamp("source.pdf", "marked.pdf", true);
    const std::string source = ReadFileBytes(Path("source.pdf"));
    const std::string marked = ReadFileBytes(Path("marked.pdf"));
    const size_t marker = marked.find("\n%Sigilry 1.08\r\n", source.size() - 1);
    ASSERT_NE(marker, std::string::npos);
    EXPECT_EQ(marker + 1, source.size());
    EXPECT_EQ(marked.substr(0, marker + 1), source);
    std::string report;
    EXPECT_EQ(CheckStatus("marked.pdf", &report), 0) << report;
}

}  // namespace
}  // namespace sgry
