#pragma once
// The small objects of an image watermark and the stream-object pattern the
// image writers share. Every object follows the update's protocol: a new
// number registered as its kind, the header appended as one piece whose
// offset is recorded, binary bytes right after it, then the object's end.
#include <cstdint>
#include <string_view>

#include "pdf/ObjectWriter.h"

namespace sgry {

class BmpReader;

// (number, generation) of a written object; number -1 when nothing was written.
struct ImageObjectRef {
    int32_t number = -1;
    int32_t generation = 0;
    bool Valid() const { return number >= 0; }
};

// The image's graphics state: opacity density % (an integer percentage, used
// as density x 0.01 for both fill and stroke), multiplied onto the page.
// Written as one piece, kind GraphicsState.
ImageObjectRef WriteImageGraphicsState(ObjectWriter& writer, int density);

// The 256-entry colour table of an 8-bit bitmap as 768 bytes red, green,
// blue, compressed when possible; kind Image. The image's /Indexed colour
// space refers to it.
ImageObjectRef WritePalette(ObjectWriter& writer, const BmpReader& image);

// Appends the object `number` 0: `header` (its offset is recorded), `data`
// as binary bytes, then "\nendstream\r\nendobj\r\n". False when the header
// could not be written (the offset then stays -1) or a later write failed.
bool AppendStreamObject(ObjectWriter& writer, int32_t number, std::string_view header, std::string_view data);

}  // namespace sgry
