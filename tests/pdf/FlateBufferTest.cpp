#include <gtest/gtest.h>
#include <zlib.h>

#include <string>
#include <vector>

#include "pdf/FlateBuffer.h"

namespace sgry {
namespace {

// The reused deflate state writes exactly what zlib's compress() writes into
// 1.2 times the input's size, for inputs of every kind and size one after
// another (a state left by a large input must not change the next, smaller
// one), and fails where compress() fails.
TEST(FlateBufferTest, SameBytesAsCompressCallAfterCall) {
    std::string random;
    uint32_t seed = 12345;
    for (int i = 0; i < 300000; ++i) {
        seed = seed * 1103515245u + 12345u;
        random += static_cast<char>(seed >> 24);
    }
    std::string text;
    for (int i = 0; text.size() < 300000; ++i)
        text += "BT /UK0 9 Tf 1 0 0 1 " + std::to_string(i) + " 40 Tm (" + std::to_string(i) + ") Tj ET\r\n";
    const std::vector<std::string> inputs = {
        "q Q",  text.substr(0, 100), random.substr(0, 70000), text.substr(0, 5), text, random,
        std::string(200000, 'a'), random.substr(0, 10), text.substr(7, 65537), "x",
    };
    for (size_t i = 0; i < inputs.size(); ++i) {
        SCOPED_TRACE(i);
        const std::string& input = inputs[i];
        uLongf capacity = static_cast<uLongf>(static_cast<float>(input.size()) * 1.2f);
        std::string expected(capacity, '\0');
        const bool fits = compress(reinterpret_cast<Bytef*>(expected.data()), &capacity,
                                   reinterpret_cast<const Bytef*>(input.data()),
                                   static_cast<uLong>(input.size())) == Z_OK;
        expected.resize(capacity);
        FlateBuffer flate;
        ASSERT_EQ(flate.Compress(input), fits);
        if (fits) {
            EXPECT_EQ(flate.Data(), expected);
        }
    }
}

TEST(FlateBufferTest, FailsWhenTheOutputDoesNotFitOrTheInputIsEmpty) {
    FlateBuffer buffer;
    EXPECT_FALSE(buffer.Compress(std::string_view()));
    EXPECT_FALSE(buffer.Compress("q"));  // 1.2 bytes of room cannot hold a zlib stream
    EXPECT_EQ(buffer.Size(), 0u);
}

}  // namespace
}  // namespace sgry
