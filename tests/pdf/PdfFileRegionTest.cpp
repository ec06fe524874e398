// Read-only regions above PdfFile::kRegionBase: the token reader reads them
// like bytes of the file, while writes and appends stay in the real file.
#include <gtest/gtest.h>

#include "pdf/PdfFile.h"
#include "pdf/TokenReader.h"

namespace sgry {
namespace {

// Two regions, 1000 positions apart; counts how often one was asked for,
// and reads the real file while asked, as the object-stream store does.
class TwoRegions : public RegionSource {
public:
    explicit TwoRegions(PdfFile& file) : file_(file) {}
    bool RegionAt(int64_t position, int64_t& base, std::string& bytes) override {
        ++calls;
        const int64_t index = (position - PdfFile::kRegionBase) / 1000;
        if (index > 1) return false;
        file_.Seek(0, PdfFile::Origin::Start);
        char first = 0;
        file_.Read(&first, 1);
        // A nested seek into a region while one is supplied is refused.
        nestedRefused = !file_.Seek(PdfFile::kRegionBase, PdfFile::Origin::Start);
        base = PdfFile::kRegionBase + index * 1000;
        bytes = index == 0 ? "7 0 obj\r\n<</A/B>>\r\nendobj\r\n" : std::string("8 0 obj 42 endobj ") + first;
        return true;
    }
    int calls = 0;
    bool nestedRefused = false;

private:
    PdfFile& file_;
};

TEST(PdfFileRegionTest, TokensComeFromTheRegionUntilASeekLeavesIt) {
    PdfFile file;
    file.OpenMemory("%PDF-1.5 real bytes");
    TwoRegions regions(file);
    file.SetRegionSource(&regions);
    TokenReader reader(file);

    ASSERT_TRUE(reader.Seek(PdfFile::kRegionBase));
    EXPECT_TRUE(file.InRegion());
    EXPECT_TRUE(regions.nestedRefused);
    std::vector<std::string> tokens;
    for (std::string t = reader.NextToken(); !t.empty(); t = reader.NextToken()) tokens.push_back(t);
    EXPECT_EQ(tokens, (std::vector<std::string>{"7", "0", "obj", "<<", "/A", "/B", ">>", "endobj"}));
    EXPECT_TRUE(file.AtEnd());
    EXPECT_EQ(file.ReadByte(), -1);  // the end of the region reads as the end of the file

    // Positions inside the region are kept without asking again.
    const int64_t inside = PdfFile::kRegionBase + 11;
    ASSERT_TRUE(reader.Seek(inside));
    EXPECT_EQ(reader.Tell(), inside);
    EXPECT_EQ(reader.NextToken(), "/A");
    EXPECT_EQ(regions.calls, 1);

    ASSERT_TRUE(reader.Seek(PdfFile::kRegionBase + 1000));
    EXPECT_EQ(reader.NextToken(), "8");
    ASSERT_TRUE(reader.Seek(inside));  // back into the first region: supplied again
    EXPECT_EQ(reader.NextToken(), "/A");
    EXPECT_EQ(regions.calls, 3);

    ASSERT_TRUE(reader.Seek(9));
    EXPECT_FALSE(file.InRegion());
    EXPECT_EQ(reader.NextToken(), "real");
    EXPECT_FALSE(reader.Seek(PdfFile::kRegionBase + 5000));  // no such region
}

TEST(PdfFileRegionTest, WritesAndAppendsConcernOnlyTheRealFile) {
    PdfFile file;
    file.OpenMemory("0123456789");
    TwoRegions regions(file);
    file.SetRegionSource(&regions);
    ASSERT_TRUE(file.Seek(PdfFile::kRegionBase + 3, PdfFile::Origin::Start));
    EXPECT_FALSE(file.Write("x", 1));
    EXPECT_EQ(file.Size(), 10);
    EXPECT_EQ(file.AppendAtEnd("abc"), 10);
    EXPECT_FALSE(file.InRegion());
    EXPECT_EQ(file.MemoryBytes(), "0123456789abc");

    ASSERT_TRUE(file.Seek(PdfFile::kRegionBase, PdfFile::Origin::Start));
    ASSERT_TRUE(file.Seek(-2, PdfFile::Origin::End));  // the end is the real file's end
    EXPECT_EQ(file.ReadByte(), 'b');
    ASSERT_TRUE(file.Seek(PdfFile::kRegionBase, PdfFile::Origin::Start));
    ASSERT_TRUE(file.Truncate(4));
    EXPECT_FALSE(file.InRegion());
    EXPECT_EQ(file.MemoryBytes(), "0123");
}

TEST(PdfFileRegionTest, WithoutASourceRegionPositionsCannotBeSought) {
    PdfFile file;
    file.OpenMemory("abc");
    EXPECT_FALSE(file.Seek(PdfFile::kRegionBase, PdfFile::Origin::Start));
    EXPECT_TRUE(file.Seek(1, PdfFile::Origin::Start));
    EXPECT_EQ(file.ReadByte(), 'b');
}

}  // namespace
}  // namespace sgry
