#pragma once
// Reader of a JPEG image watermark. The file is embedded unchanged as a
// DCTDecode image, so nothing is decoded: the reader loads the whole file,
// lets libjpeg read its header to confirm it is a JPEG and to learn its size,
// and finds the frame header's component count with its own marker scan.
//
// Error codes (Error(), texts from ErrorText):
//   0 no error                 3 not enough memory
//   1 not a JPEG file (never set by the reader itself)
//   2 the file cannot be opened
//   4 read error (fewer bytes than the file size)
//   5 the JPEG header cannot be read (libjpeg refused the file; an empty
//     file ends here too)
//   6 libjpeg cannot be loaded
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace sgry {

struct JpegLibrary;

class JpegReader {
public:
    enum Code : int {
        kNoError = 0,
        kNotJpeg = 1,
        kCannotOpen = 2,
        kOutOfMemory = 3,
        kReadError = 4,
        kBadHeader = 5,
        kNoLibrary = 6,
    };

    // Loads the file and reads its header; true when Error() is 0.
    bool Open(const std::string& path);
    int Error() const { return error_; }

    // Size in pixels as the frame header declares it (0 before a good Open).
    int Width() const { return width_; }
    int Height() const { return height_; }

    // Marker scan from the start-of-image marker to the first baseline
    // (0xFFC0) or progressive (0xFFC2) frame header. Returns true when one is
    // found, `cmyk` then being true for four components.
    bool IsCmyk(bool& cmyk) const;
    // Component count of the frame header the marker scan finds; 0 when none.
    int FrameComponents() const;

    std::size_t FileBytes() const { return bytes_.size(); }
    // Copies the whole file into `buffer`, which holds FileBytes() bytes.
    void CopyBytes(uint8_t* buffer) const;
    std::string_view Bytes() const {
        return {reinterpret_cast<const char*>(bytes_.data()), bytes_.size()};
    }

    // The message for a code (UTF-8).
    static std::string ErrorText(int code);

private:
    int Load(const std::string& path);
    int ReadHeader(const JpegLibrary* libjpeg);

    int error_ = kNoError;
    int width_ = 0;
    int height_ = 0;
    std::vector<uint8_t> bytes_;
    std::string path_;
};

}  // namespace sgry
