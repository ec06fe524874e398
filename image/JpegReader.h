#pragma once
// Reader of a JPEG image watermark. The file is embedded unchanged as a
// DCTDecode image, so nothing is decoded: the reader loads the whole file and
// walks its markers from the start of image to the first scan header, which
// tells whether it is a JPEG a PDF reader can draw and gives its frame header
// (size, sample precision, component count).
//
// Error codes: Error(), JpegReader::Code, texts from ErrorText.
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace sgry {

class JpegReader {
public:
    enum class Code : int {
        kNoError = 0,
        kNotJpeg = 1,      // not a JPEG file (never set by the reader itself)
        kCannotOpen = 2,   // the file cannot be opened
        kOutOfMemory = 3,  // not enough memory
        kReadError = 4,    // read error (fewer bytes than the file size)
        kBadHeader = 5,    // the header cannot be read: no start-of-image marker at the start, no
                           // frame or scan header before the end (an empty file ends here too), a
                           // segment that runs past the end or tables that do not fill theirs, a
                           // reserved marker, a hierarchical or lossless frame, a frame outside the
                           // decoders' limits, or a scan of components the frame lacks
        kTwelveBit = 6,    // 12-bit samples: DCTDecode takes 8-bit samples only
    };
    using enum Code;

    // Loads the file and reads its header; true when Error() is kNoError.
    bool Open(const std::string& path);
    Code Error() const { return error_; }

    // Size in pixels as the frame header declares it (0 before a good Open).
    int Width() const { return width_; }
    int Height() const { return height_; }

    // True when the frame is baseline (0xFFC0) or progressive (0xFFC2), the
    // frames the image is embedded from, `cmyk` then being true for four
    // components.
    bool IsCmyk(bool& cmyk) const;
    // Component count of a baseline or progressive frame; 0 for the other
    // frames and before a good Open.
    int FrameComponents() const { return frameComponents_; }

    std::size_t FileBytes() const { return bytes_.size(); }
    // Copies the whole file into `buffer`, which holds FileBytes() bytes.
    void CopyBytes(uint8_t* buffer) const;
    std::string_view Bytes() const {
        return {reinterpret_cast<const char*>(bytes_.data()), bytes_.size()};
    }

    // The message for a code (UTF-8).
    static std::string ErrorText(Code code);

private:
    Code Load(const std::string& path);
    Code ReadHeader();

    Code error_ = kNoError;
    int width_ = 0;
    int height_ = 0;
    int frameComponents_ = 0;
    std::vector<uint8_t> bytes_;
    std::string path_;
};

}  // namespace sgry
