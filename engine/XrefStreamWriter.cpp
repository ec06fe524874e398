#include "engine/XrefStreamWriter.h"

#include <algorithm>

#include "pdf/FlateBuffer.h"
#include "platform/Format.h"

namespace sgry {

namespace {
void AppendBigEndian(std::string& out, uint64_t value, int width) {
    for (int shift = (width - 1) * 8; shift >= 0; shift -= 8) out += static_cast<char>((value >> shift) & 0xFF);
}
}  // namespace

int XrefStreamBuilder::FieldWidth(uint64_t value) {
    int width = 1;
    while (width < 8 && (value >> (8 * width)) != 0) ++width;
    return width;
}

// Runs are cut as in the classic section: each number one more than the one
// before.
std::string XrefStreamBuilder::IndexText(const std::vector<XrefStreamRow>& rows) {
    std::string text;
    for (std::size_t start = 0; start < rows.size();) {
        std::size_t end = start + 1;
        while (end < rows.size() && static_cast<int64_t>(rows[end].number) == rows[end - 1].number + int64_t{1}) ++end;
        if (!text.empty()) text += ' ';
        text += Format("%ld %ld", rows[start].number, end - start);
        start = end;
    }
    return text;
}

std::string ClassicSubsections(const std::vector<XrefStreamRow>& rows) {
    std::string text;
    for (std::size_t start = 0; start < rows.size();) {
        std::size_t end = start + 1;
        while (end < rows.size() && static_cast<int64_t>(rows[end].number) == rows[end - 1].number + int64_t{1}) ++end;
        text += Format("%ld %ld\r\n", rows[start].number, end - start);
        for (std::size_t i = start; i < end; ++i)
            text += Format("%010ld %05d %c\r\n", rows[i].offset, rows[i].generation, rows[i].type == 0 ? 'f' : 'n');
        start = end;
    }
    return text;
}

XrefStreamBuilder::XrefStreamBuilder(int32_t number, const std::vector<XrefStreamRow>& rows, int32_t size,
                                     int64_t prev, std::string_view copiedKeys) {
    int64_t maxOffset = 0;
    int32_t maxGeneration = 0;
    for (const XrefStreamRow& row : rows) {
        maxOffset = std::max(maxOffset, row.offset);
        maxGeneration = std::max(maxGeneration, row.generation);
    }
    const int offsetWidth = FieldWidth(static_cast<uint64_t>(maxOffset));
    const int generationWidth = FieldWidth(static_cast<uint32_t>(maxGeneration));
    std::string rowBytes;
    for (const XrefStreamRow& row : rows) {
        rowBytes += static_cast<char>(row.type);
        AppendBigEndian(rowBytes, static_cast<uint64_t>(row.offset), offsetWidth);
        AppendBigEndian(rowBytes, static_cast<uint32_t>(row.generation), generationWidth);
    }

    FlateBuffer flate;
    const bool compressed = flate.Compress(rowBytes);
    data_ = compressed ? flate.Data() : rowBytes;
    header_ = Format("%ld %d obj\r\n", number, 0);
    header_ += Format("<< /Type /XRef /Size %ld", size);
    if (prev >= 0) header_ += Format("/Prev %ld", prev);
    header_ += Format("/W [1 %d %d]/Index [%s]/Length %ld", offsetWidth, generationWidth, IndexText(rows), data_.size());
    if (compressed) header_ += "/Filter /FlateDecode";
    header_ += "\r\n";
    header_ += copiedKeys;
    header_ += "\r\nstream\r\n";
}

}  // namespace sgry
