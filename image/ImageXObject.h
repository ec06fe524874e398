#pragma once
// The image watermark as one image XObject of the incremental update (plus,
// for an 8-bit bitmap, its palette object written just before it). The
// reader is chosen by the last four characters of the path, without regard
// to case: ".bmp" a bitmap, ".png" a PNG, anything else a JPEG.
//
// Nothing here talks to the user: a refusal comes back as the message the
// caller shows (UTF-8), with the reader's error code where a reader failed.
#include <string>
#include <string_view>

#include "image/ImageObjects.h"
#include "pdf/ObjectWriter.h"

namespace sgry {

enum class ImageFileKind { Bmp, Png, Jpeg };

ImageFileKind ImageFileKindOf(std::string_view path);

struct ImageXObject {
    ImageObjectRef object;  // number -1 when the image was refused
    int width = 0;          // pixels; the stamp draws one point per pixel
    int height = 0;
    std::string message;  // what to show the user after a refusal; empty otherwise
    bool Written() const { return object.Valid(); }
};

// Writes the image file `imagePath` through `writer`. On a refusal nothing
// of the image object is written (an 8-bit bitmap's palette, written first,
// may remain when a later write fails). A failed write returns number -1
// with an empty message: the writer's own failure is the caller's to report.
ImageXObject WriteImageXObject(ObjectWriter& writer, const std::string& imagePath);

}  // namespace sgry
