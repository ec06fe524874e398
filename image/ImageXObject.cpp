#include "image/ImageXObject.h"

#include <cctype>
#include <new>
#include <vector>

#include "image/BmpReader.h"
#include "image/JpegReader.h"
#include "image/PngReader.h"
#include "pdf/FlateBuffer.h"
#include "platform/CodeNumber.h"
#include "platform/Format.h"
#include "platform/Translation.h"

namespace sgry {
namespace {

// code: the failed reader's Code.
template <class Code>
ImageXObject ReadFailure(Code code) {
    ImageXObject result;
    result.message = Format(Translate("An error occurred while reading the image file code=%d"), CodeNumber(code));
    return result;
}

ImageXObject Refusal(std::string message) {
    ImageXObject result;
    result.message = std::move(message);
    return result;
}

std::string_view AsBytes(const std::vector<uint8_t>& bytes) {
    return {reinterpret_cast<const char*>(bytes.data()), bytes.size()};
}

// Header and stream of a BMP or PNG image: packed 8-bit rows, compressed
// when zlib manages, `colourSpace` being the whole "/ColorSpace ..." line.
ImageXObject WriteRowImage(ObjectWriter& writer, int width, int height, const std::string& colourSpace,
                           std::string_view rows) {
    FlateBuffer flate;
    const bool compressed = flate.Compress(rows);
    const int32_t number = writer.NewObject(ObjectKind::Image);
    std::string header = Format("%ld %d obj\r\n<</Type/XObject/Subtype/Image\r\n", number, 0);
    header += Format("/Width %d\r\n", width);
    header += Format("/Height %d\r\n", height);
    header += "/BitsPerComponent 8\r\n";
    header += colourSpace;
    header += compressed ? Format("/Filter/FlateDecode/Length %ld\r\n", flate.Size())
                         : Format("/Length %ld\r\n", rows.size());
    header += ">>\r\nstream\r\n";
    ImageXObject result;
    if (!AppendStreamObject(writer, number, header, compressed ? std::string_view(flate.Data()) : rows))
        return result;
    result.object = {number, 0};
    result.width = width;
    result.height = height;
    return result;
}

// The pixels are read before anything is written, so that a damaged file
// leaves no palette behind.
ImageXObject WriteBmp(ObjectWriter& writer, const std::string& path) {
    BmpReader reader;
    std::vector<uint8_t> pixels;
    if (!reader.Open(path) || !reader.ReadPixels(pixels)) return ReadFailure(reader.Error());
    std::string colourSpace = "/ColorSpace /DeviceRGB\r\n";
    if (reader.BitsPerPixel() == 8) {
        const ImageObjectRef palette = WritePalette(writer, reader);
        colourSpace = Format("/ColorSpace [/Indexed /DeviceRGB 255 %ld %d R]\r\n", palette.number, palette.generation);
    }
    return WriteRowImage(writer, reader.Width(), reader.Height(), colourSpace, AsBytes(pixels));
}

ImageXObject WritePng(ObjectWriter& writer, const std::string& path) {
    PngReader reader;
    if (!reader.Open(path)) return ReadFailure(reader.Error());
    return WriteRowImage(writer, reader.Width(), reader.Height(), "/ColorSpace /DeviceRGB\r\n",
                         AsBytes(reader.Pixels()));
}

// The colour space follows the frame header's component count. A
// one-component file is grey; declaring it RGB would make readers take
// every three grey samples for one pixel.
const char* JpegColourSpace(int components) {
    if (components == 4) return "/DeviceCMYK";
    if (components == 1) return "/DeviceGray";
    return "/DeviceRGB";
}

// The file itself is the stream. The copy to write is made before the
// header, so that running out of memory leaves no half-written object.
ImageXObject WriteJpeg(ObjectWriter& writer, const std::string& path) {
    JpegReader reader;
    if (!reader.Open(path)) return ReadFailure(reader.Error());
    const int components = reader.FrameComponents();
    if (components == 0) return Refusal(Translate("Cannot determine the colour space of the image file"));
    std::vector<uint8_t> copy;
    try {
        copy.resize(reader.FileBytes());
    } catch (const std::bad_alloc&) {
        return Refusal(Translate("Not enough memory to write the image"));
    }
    reader.CopyBytes(copy.data());

    const int32_t number = writer.NewObject(ObjectKind::Image);
    const std::string header = Format(
        "%ld %d obj<</Length %ld/Filter/DCTDecode/Width %d/Height %d/BitsPerComponent 8/ColorSpace%s"
        "/Type/XObject/Subtype/Image>>stream\r\n",
        number, 0, copy.size(), reader.Width(), reader.Height(), JpegColourSpace(components));
    ImageXObject result;
    if (!AppendStreamObject(writer, number, header, AsBytes(copy))) return result;
    result.object = {number, 0};
    result.width = reader.Width();
    result.height = reader.Height();
    return result;
}

}  // namespace

ImageFileKind ImageFileKindOf(std::string_view path) {
    if (path.size() >= 4) {
        std::string tail;
        for (char c : path.substr(path.size() - 4))
            tail += static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
        if (tail == ".bmp") return ImageFileKind::Bmp;
        if (tail == ".png") return ImageFileKind::Png;
    }
    return ImageFileKind::Jpeg;
}

ImageXObject WriteImageXObject(ObjectWriter& writer, const std::string& imagePath) {
    switch (ImageFileKindOf(imagePath)) {
    case ImageFileKind::Bmp: return WriteBmp(writer, imagePath);
    case ImageFileKind::Png: return WritePng(writer, imagePath);
    case ImageFileKind::Jpeg: break;
    }
    return WriteJpeg(writer, imagePath);
}

}  // namespace sgry
