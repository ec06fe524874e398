#include <gtest/gtest.h>
#include <zlib.h>

#include "pdf/FlateBuffer.h"

namespace sgry {
namespace {

TEST(FlateBufferTest, CompressesTextThatInflatesBack) {
    std::string text;
    for (int i = 0; i < 50; ++i) text += "BT /UK0 10.50 Tf 1.00 0.00 0.00 1.00 28.35 807.51 Tm (Page) Tj ET\r\n";
    FlateBuffer buffer;
    ASSERT_TRUE(buffer.Compress(text));
    std::string back(text.size(), '\0');
    uLongf len = static_cast<uLongf>(back.size());
    ASSERT_EQ(uncompress(reinterpret_cast<Bytef*>(back.data()), &len,
                         reinterpret_cast<const Bytef*>(buffer.Data().data()), buffer.Size()),
              Z_OK);
    EXPECT_EQ(back, text);
}

TEST(FlateBufferTest, FailsWhenTheOutputDoesNotFitOrTheInputIsEmpty) {
    FlateBuffer buffer;
    EXPECT_FALSE(buffer.Compress(std::string_view()));
    EXPECT_FALSE(buffer.Compress("q"));  // 1.2 bytes of room cannot hold a zlib stream
    EXPECT_EQ(buffer.Size(), 0u);
}

}  // namespace
}  // namespace sgry
