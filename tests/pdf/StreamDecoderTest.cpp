// Deflating the streams an update writes; inflating and predictor decoding of
// cross-reference and object stream data.
#include <gtest/gtest.h>
#include <zlib.h>

#include <cstdlib>
#include <string>
#include <vector>

#include "pdf/FlateBuffer.h"
#include "pdf/StreamDecoder.h"
#include "support/Manifest.h"

namespace sgry {
namespace {

// The reused deflate state writes exactly what zlib's compress() writes into
// 1.2 times the input's size, for inputs of every kind and size one after
// another (a state left by a large input must not change the next, smaller
// one), and fails where compress() fails: on no input, and where 1.2 times
// the input cannot hold a zlib stream.
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
        "", "q Q", text.substr(0, 100), random.substr(0, 70000), text.substr(0, 5), text, random,
        std::string(200000, 'a'), random.substr(0, 10), text.substr(7, 65537), "x",
    };
    FlateBuffer flate;  // a failure leaves no data of the call before
    for (size_t i = 0; i < inputs.size(); ++i) {
        SCOPED_TRACE(i);
        const std::string& input = inputs[i];
        uLongf capacity = static_cast<uLongf>(static_cast<float>(input.size()) * 1.2f);
        std::string expected(capacity, '\0');
        const bool fits = compress(reinterpret_cast<Bytef*>(expected.data()), &capacity,
                                   reinterpret_cast<const Bytef*>(input.data()),
                                   static_cast<uLong>(input.size())) == Z_OK;
        expected.resize(capacity);
        ASSERT_EQ(flate.Compress(input), fits);
        EXPECT_EQ(flate.Data(), fits ? expected : std::string());
    }
}

std::string Deflate(const std::string& data) {
    FlateBuffer flate;
    EXPECT_TRUE(flate.Compress(data));
    return flate.Data();
}

int PaethOf(int a, int b, int c) {
    const int p = a + b - c;
    const int pa = std::abs(p - a), pb = std::abs(p - b), pc = std::abs(p - c);
    return (pa <= pb && pa <= pc) ? a : (pb <= pc ? b : c);
}

// The reference encoder: every row with the given PNG tag.
std::string PngEncode(const std::string& rows, std::size_t columns, std::size_t bpp, int tag) {
    std::string out;
    std::string prior(columns, '\0');
    for (std::size_t start = 0; start + columns <= rows.size(); start += columns) {
        out += static_cast<char>(tag);
        for (std::size_t i = 0; i < columns; ++i) {
            const int x = static_cast<unsigned char>(rows[start + i]);
            const int a = i >= bpp ? static_cast<unsigned char>(rows[start + i - bpp]) : 0;
            const int b = static_cast<unsigned char>(prior[i]);
            const int c = i >= bpp ? static_cast<unsigned char>(prior[i - bpp]) : 0;
            const int predicted = tag == 0 ? 0 : tag == 1 ? a : tag == 2 ? b : tag == 3 ? (a + b) / 2 : PaethOf(a, b, c);
            out += static_cast<char>((x - predicted) & 0xFF);
        }
        prior = rows.substr(start, columns);
    }
    return out;
}

std::string Sample(std::size_t size) {
    std::string rows;
    for (std::size_t i = 0; i < size; ++i) rows += static_cast<char>((i * 37 + i / 5 * 11) & 0xFF);
    return rows;
}

// Every PNG tag (None, Sub, Up, Average, Paeth), with one colour and with three.
TEST(StreamDecoderTest, EveryPngTagDecodesToTheRows) {
    const std::pair<int, int64_t> cases[] = {{0, 1}, {1, 1}, {2, 1}, {3, 1}, {4, 1}, {1, 3}, {4, 3}};
    for (const auto& [tag, colors] : cases) {
        SCOPED_TRACE(testing::Message() << "tag " << tag << ", colours " << colors);
        const std::size_t columns = 5;
        const std::size_t rowLength = columns * static_cast<std::size_t>(colors);
        const std::string rows = Sample(rowLength * 6);
        std::string data = PngEncode(rows, rowLength, static_cast<std::size_t>(colors), tag);
        PredictorParams params;
        params.predictor = 12;  // the tag of each row decides
        params.colors = colors;
        params.columns = static_cast<int64_t>(columns);
        ASSERT_EQ(UndoPredictor(params, data), DecodeResult::Ok);
        EXPECT_EQ(data, rows);
    }
}

TEST(StreamDecoderTest, IncompleteLastRowIsDroppedAndAnUnknownTagIsCorrupt) {
    const std::string rows = Sample(12);
    std::string data = PngEncode(rows, 4, 1, 2) + std::string("\x02\x01", 2);
    PredictorParams params;
    params.predictor = 12;
    params.columns = 4;
    ASSERT_EQ(UndoPredictor(params, data), DecodeResult::Ok);
    EXPECT_EQ(data, rows);

    std::string bad = std::string("\x07", 1) + "abcd";
    EXPECT_EQ(UndoPredictor(params, bad), DecodeResult::Corrupt);
}

TEST(StreamDecoderTest, TiffPredictorAddsTheLeftNeighbour) {
    std::string data("\x01\x01\x01\x05\x00\x02", 6);  // two rows of three
    PredictorParams params;
    params.predictor = 2;
    params.columns = 3;
    ASSERT_EQ(UndoPredictor(params, data), DecodeResult::Ok);
    EXPECT_EQ(data, std::string("\x01\x02\x03\x05\x05\x07", 6));
    params.bitsPerComponent = 16;
    EXPECT_EQ(UndoPredictor(params, data), DecodeResult::Unsupported);
}

TEST(StreamDecoderTest, ParametersOutOfRangeAreUnsupported) {
    std::string data = "x";
    for (PredictorParams params : {PredictorParams{12, 0, 8, 1}, PredictorParams{12, 1, 3, 1},
                                   PredictorParams{12, 1, 8, int64_t{1} << 30}, PredictorParams{7, 1, 8, 1}})
        EXPECT_EQ(UndoPredictor(params, data), DecodeResult::Unsupported);
    EXPECT_EQ(UndoPredictor(PredictorParams{}, data), DecodeResult::Ok);  // predictor 1: nothing to undo
    EXPECT_EQ(data, "x");
}

TEST(StreamDecoderTest, InflateIsBoundedAndTellsDamageFromAShortStream) {
    const std::string text = Sample(100000);
    const std::string packed = Deflate(text);
    std::string out;
    ASSERT_EQ(InflateBounded(packed, text.size(), out), DecodeResult::Ok);
    EXPECT_EQ(out, text);
    EXPECT_EQ(InflateBounded(packed, text.size() - 1, out), DecodeResult::TooLarge);

    // A zero-filled megabyte compresses to about a kilobyte: the limit stops it.
    EXPECT_EQ(InflateBounded(Deflate(std::string(1 << 20, '\0')), 4096, out), DecodeResult::TooLarge);

    // Cut short: what came is taken.
    ASSERT_EQ(InflateBounded(packed.substr(0, packed.size() - 4), text.size(), out), DecodeResult::Ok);
    EXPECT_EQ(out, text);

    std::string damaged = packed;
    damaged[1] = '\x00';  // the header check fails
    EXPECT_EQ(InflateBounded(damaged, text.size(), out), DecodeResult::Corrupt);
}

TEST(StreamFiltersTest, EveryRowDecodesAsListed) {
    const std::vector<test::ManifestRow> rows = test::ReadManifest("pdf/filters.tsv");
    ASSERT_GE(rows.size(), 12u);
    for (const test::ManifestRow& row : rows) {
        SCOPED_TRACE("filters.tsv line " + std::to_string(row.line) + " " + row.cells.back());
        std::string out;
        DecodeResult result = DecodeResult::Unsupported;
        if (row[0] == "hex") result = AsciiHexDecode(row[1], 1000, out);
        if (row[0] == "a85") result = Ascii85Decode(row[1], 1000, out);
        if (row[0] == "rle") result = RunLengthDecode(row[1], 1000, out);
        if (row[0] == "lzw") result = LzwDecode(row[1], true, 1000, out);
        EXPECT_EQ(result == DecodeResult::Ok ? out : "!Corrupt", row[2]);
        if (result == DecodeResult::Ok && !out.empty()) {
            std::string cut;
            EXPECT_EQ(row[0] == "lzw" ? LzwDecode(row[1], true, out.size() - 1, cut)
                                      : row[0] == "hex" ? AsciiHexDecode(row[1], out.size() - 1, cut)
                                      : row[0] == "a85" ? Ascii85Decode(row[1], out.size() - 1, cut)
                                                        : RunLengthDecode(row[1], out.size() - 1, cut),
                      DecodeResult::TooLarge);
        }
    }
}

}  // namespace
}  // namespace sgry
