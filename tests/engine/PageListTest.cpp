#include <gtest/gtest.h>

#include "engine/PdfJob.h"
#include "tests/engine/TestPdf.h"
#include "tests/support/SamplePdfs.h"
#include "tests/support/ScratchDir.h"

namespace sgry {
namespace {

using test::FlatPdf;
using test::TestPdf;

PageRangeChoice Range(int32_t first, int32_t last, int32_t start = 1) { return {false, first, last, start}; }

struct SelectionRow {
    const char* name;
    PageRangeChoice range;
    std::vector<std::pair<int32_t, int32_t>> selected;  // (ordinal, label) over 10 pages
};

TEST(PageSelectorTest, RangesAndLabels) {
    const std::vector<SelectionRow> rows = {
        {"AllPages", {true, 3, 5, 7}, {{1, 7}, {2, 8}, {3, 9}, {4, 10}, {5, 11}, {6, 12}, {7, 13}, {8, 14}, {9, 15}, {10, 16}}},
        {"ThreeToFive", Range(3, 5), {{3, 1}, {4, 2}, {5, 3}}},
        {"ZeroToTwo", Range(0, 2, 5), {{1, 5}, {2, 6}}},
        {"SixToFourIsEmpty", Range(6, 4), {}},
        {"FromEightToEnd", Range(8, 0, 100), {{8, 100}, {9, 101}, {10, 102}}},
        {"NegativeFirstMeansAll", Range(-1, 2, 0), {{1, 0}, {2, 1}, {3, 2}, {4, 3}, {5, 4}, {6, 5}, {7, 6}, {8, 7}, {9, 8}, {10, 9}}},
        {"FirstWithNegativeLastMeansAll", Range(4, -1, 1), {{1, 1}, {2, 2}, {3, 3}, {4, 4}, {5, 5}, {6, 6}, {7, 7}, {8, 8}, {9, 9}, {10, 10}}},
        {"ZeroZeroMeansAll", Range(0, 0, -2), {{1, -2}, {2, -1}, {3, 0}, {4, 1}, {5, 2}, {6, 3}, {7, 4}, {8, 5}, {9, 6}, {10, 7}}},
        {"RangeBeyondDocument", Range(9, 20), {{9, 1}, {10, 2}}},
    };
    for (const SelectionRow& row : rows) {
        PageSelector selector(row.range);
        std::vector<std::pair<int32_t, int32_t>> got;
        for (int i = 0; i < 10; ++i)
            if (auto label = selector.Next()) got.emplace_back(selector.Ordinal(), *label);
        EXPECT_EQ(got, row.selected) << row.name;
    }
}

TEST(RotationTest, Normalisation) {
    const std::vector<std::pair<int64_t, int32_t>> rows = {
        {0, 0}, {90, 90}, {180, 180}, {270, -90}, {360, 0}, {450, 90}, {630, -90}, {-90, -90},
        {-180, 180}, {-270, -270}, {-450, -90}, {-360, 0}, {45, 45}, {720, 0},
    };
    for (const auto& [in, out] : rows) EXPECT_EQ(NormaliseRotation(in), out) << in;
}

std::vector<PageEntry> Walk(PdfJob& job, const PageRangeChoice& range = {}) {
    std::vector<PageEntry> pages;
    if (!job.BuildPageList(range)) return pages;
    for (int32_t i = 0; i < job.Pages().Count(); ++i) pages.push_back(job.Pages().At(i));
    return pages;
}

TEST(PageListTest, RangeOfTenPages) {
    auto job = PdfJob::FromBytes(FlatPdf(std::vector<std::string>(10, "/Resources 99 0 R")));
    ASSERT_EQ(job->ErrorCode(), 0);
    const auto pages = Walk(*job, Range(3, 5));
    ASSERT_EQ(pages.size(), 3u);
    for (int i = 0; i < 3; ++i) {
        EXPECT_EQ(pages[i].ordinal, 3 + i);
        EXPECT_EQ(pages[i].label, 1 + i);
        EXPECT_EQ(pages[i].objectNumber, 5 + i);  // pages are objects 3..12
        EXPECT_EQ(pages[i].contentNumber, 13 + i);  // /Size 13
        EXPECT_EQ(pages[i].contentGeneration, 0);
    }
    EXPECT_EQ(job->SaveStateNumber(), 16);  // right after the content streams
    EXPECT_EQ(job->Pages().ErrorCode(), 0);

    auto empty = PdfJob::FromBytes(FlatPdf(std::vector<std::string>(10, "")));
    EXPECT_TRUE(empty->BuildPageList(Range(6, 4)));
    EXPECT_EQ(empty->Pages().Count(), 0);
    EXPECT_EQ(empty->SaveStateNumber(), -1);
}

TEST(PageListTest, SizeClasses) {
    auto job = PdfJob::FromBytes(FlatPdf({"/MediaBox [0 0 595 842]", "/MediaBox [0 0 842 595]",
                                          "/MediaBox [0 0 595 842]", "/MediaBox [0 0 595 842] /Rotate 90"}));
    const auto pages = Walk(*job);
    ASSERT_EQ(pages.size(), 4u);
    EXPECT_EQ(pages[0].sizeClass, 0);
    EXPECT_EQ(pages[1].sizeClass, 1);
    EXPECT_EQ(pages[2].sizeClass, 0);
    EXPECT_EQ(pages[3].sizeClass, 2);
    EXPECT_EQ(job->SizeClasses().Count(), 3);
    const PageEntry landscape = job->SizeClasses().GetSizeClass(1);
    EXPECT_EQ(landscape.width, 842);
    EXPECT_EQ(landscape.height, 595);
    EXPECT_EQ(landscape.objectNumber, 0);
    EXPECT_EQ(job->SizeClasses().GetSizeClass(3).width, 0);
}

}  // namespace
}  // namespace sgry
