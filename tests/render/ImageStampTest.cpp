#include <gtest/gtest.h>

#include "support/TestPages.h"

#include "render/ImageStamp.h"

namespace sgry {
namespace {

using test::Page;

std::string Fragment(const char* translate, const char* rotate, const char* scale) {
    return std::string("q\r\n/UK1 gs\r\n") + translate + rotate + scale + "/UK0 Do\r\nQ\r\n";
}

struct PlaceRow {
    const char* name;
    int position;
    PageEntry page;
    int width;
    int height;
    bool followMargins;
    std::string expected;
};

TEST(ImageStampTest, PlacementFragmentHasTheExactBytes) {
    const MarginsMm tenMm{10.0f, 10.0f, 10.0f, 10.0f};
    const PlaceRow rows[] = {
        {"bottom right without margins ends on the page corner", 8, Page(595, 842), 100, 50, false,
         Fragment("1 0 0 1 495.00 0.00 cm\r\n", "1.00 0.00 0.00 1.00 0 0 cm\r\n", "100 0 0 50 0 0 cm\r\n")},
        {"top left inside 10 mm margins", 0, Page(595, 842), 100, 50, true,
         Fragment("1 0 0 1 28.35 763.65 cm\r\n", "1.00 0.00 0.00 1.00 0 0 cm\r\n", "100 0 0 50 0 0 cm\r\n")},
        {"page rotated 90", 8, Page(612, 792, 90), 100, 50, false,
         Fragment("1 0 0 1 612.00 692.00 cm\r\n", "0.00 1.00 -1.00 0.00 0 0 cm\r\n",
                  "100 0 0 50 0 0 cm\r\n")},
        {"page rotated 180", 8, Page(612, 792, 180), 100, 50, false,
         Fragment("1 0 0 1 100.00 792.00 cm\r\n", "-1.00 0.00 0.00 -1.00 0 0 cm\r\n",
                  "100 0 0 50 0 0 cm\r\n")},
        {"page rotated -90", 0, Page(612, 792, -90), 30, 20, false,
         Fragment("1 0 0 1 592.00 792.00 cm\r\n", "0.00 -1.00 1.00 0.00 0 0 cm\r\n", "30 0 0 20 0 0 cm\r\n")},
    };
    for (const PlaceRow& row : rows) {
        SCOPED_TRACE(row.name);
        EXPECT_EQ(ImageStamp::Place(row.position, row.page, row.width, row.height, "/UK0", "/UK1", tenMm,
                                    row.followMargins),
                  row.expected);
    }
}

}  // namespace
}  // namespace sgry
