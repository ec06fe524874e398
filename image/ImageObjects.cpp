#include "image/ImageObjects.h"

#include <string>

#include "image/BmpReader.h"
#include "pdf/FlateBuffer.h"
#include "platform/Format.h"

namespace sgry {

bool AppendStreamObject(ObjectWriter& writer, int32_t number, std::string_view header, std::string_view data) {
    const int64_t offset = writer.AppendAtEnd(header);
    if (offset < 0) return false;
    writer.RecordOffset(number, 0, offset);
    const bool dataWritten = writer.AppendBytes(data.data(), data.size());
    const bool endWritten = writer.AppendAtEnd(Format("%s\r\nendobj\r\n", "\nendstream")) >= 0;
    return dataWritten && endWritten;
}

ImageObjectRef WriteImageGraphicsState(ObjectWriter& writer, int density) {
    const float opacity = static_cast<float>(density) * 0.01f;
    const int32_t number = writer.NewObject(ObjectKind::GraphicsState);
    const int64_t offset = writer.AppendAtEnd(
        Format("%ld %d obj<</Type/ExtGState/ca %.2f/CA %.2f/BM/Multiply/AIS false>>\r\nendobj\r\n", number, 0,
               opacity, opacity));
    if (offset >= 0) writer.RecordOffset(number, 0, offset);
    return {number, 0};
}

ImageObjectRef WritePalette(ObjectWriter& writer, const BmpReader& image) {
    std::string rgb(768, '\0');
    for (int i = 0; i < 256; ++i) {
        uint8_t red = 0, green = 0, blue = 0;
        image.PaletteEntry(i, red, green, blue);
        rgb[static_cast<std::size_t>(i) * 3 + 0] = static_cast<char>(red);
        rgb[static_cast<std::size_t>(i) * 3 + 1] = static_cast<char>(green);
        rgb[static_cast<std::size_t>(i) * 3 + 2] = static_cast<char>(blue);
    }
    const int32_t number = writer.NewObject(ObjectKind::Image);
    FlateBuffer flate;
    if (flate.Compress(rgb)) {
        AppendStreamObject(writer, number,
                           Format("%ld %d obj\r\n<<", number, 0) +
                               Format("/Filter/FlateDecode/Length %ld>>\r\nstream\r\n", flate.Size()),
                           flate.Data());
    } else {
        AppendStreamObject(writer, number, Format("%ld %d obj\r\n<<", number, 0) + "/Length 768>>\r\nstream\r\n",
                           rgb);
    }
    return {number, 0};
}

}  // namespace sgry
