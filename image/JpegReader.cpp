#include "image/JpegReader.h"

#include <csetjmp>
#include <cstdio>
#include <cstring>
#include <memory>
#include <new>

#include "image/ImageFile.h"
#include "image/JpegLibrary.h"
#include "platform/Format.h"

namespace sgry {
namespace {

// libjpeg ends the process in its default error handler; this one jumps back
// to ReadHeader instead and keeps warnings off standard error.
struct JumpingErrorManager {
    jpeg_error_mgr base;
    std::jmp_buf jump;
};

[[noreturn]] void JumpOnError(j_common_ptr cinfo) {
    auto* manager = reinterpret_cast<JumpingErrorManager*>(cinfo->err);
    std::longjmp(manager->jump, 1);
}

void IgnoreMessage(j_common_ptr) {}

// Reads a big-endian 16-bit value at `pos` of `bytes`; false past the end.
bool ReadBe16(const std::vector<uint8_t>& bytes, std::size_t pos, unsigned& value) {
    if (pos > bytes.size() || bytes.size() - pos < 2) return false;
    value = (static_cast<unsigned>(bytes[pos]) << 8) | bytes[pos + 1];
    return true;
}

}  // namespace

bool JpegReader::Open(const std::string& path) {
    path_ = path;
    width_ = height_ = 0;
    error_ = Load(path);
    if (error_ == kNoError) error_ = ReadHeader(Libjpeg().Functions());
    return error_ == kNoError;
}

int JpegReader::Load(const std::string& path) {
    ImageFile file(std::fopen(path.c_str(), "rb"));
    if (!file) return kCannotOpen;
    if (std::fseek(file.get(), 0, SEEK_END) != 0) return kReadError;
    const long size = std::ftell(file.get());
    if (size < 0 || std::fseek(file.get(), 0, SEEK_SET) != 0) return kReadError;
    try {
        bytes_.assign(static_cast<std::size_t>(size), 0);
    } catch (const std::bad_alloc&) {
        return kOutOfMemory;
    }
    if (std::fread(bytes_.data(), 1, bytes_.size(), file.get()) != bytes_.size()) return kReadError;
    return kNoError;
}

// Only plain C objects live in this function, so the jump back from
// libjpeg's error handler skips no destructor.
int JpegReader::ReadHeader(const JpegLibrary* libjpeg) {
    if (!libjpeg) return kNoLibrary;
    jpeg_decompress_struct cinfo;
    JumpingErrorManager errors;
    cinfo.err = libjpeg->jpeg_std_error(&errors.base);
    errors.base.error_exit = JumpOnError;
    errors.base.output_message = IgnoreMessage;
    if (setjmp(errors.jump) != 0) {
        libjpeg->jpeg_destroy_decompress(&cinfo);
        return kBadHeader;
    }
    // jpeg_create_decompress, through the loaded library.
    libjpeg->jpeg_CreateDecompress(&cinfo, JPEG_LIB_VERSION, sizeof cinfo);
    libjpeg->jpeg_mem_src(&cinfo, bytes_.data(), static_cast<unsigned long>(bytes_.size()));
    libjpeg->jpeg_read_header(&cinfo, TRUE);
    width_ = static_cast<int>(cinfo.image_width);
    height_ = static_cast<int>(cinfo.image_height);
    libjpeg->jpeg_destroy_decompress(&cinfo);
    return kNoError;
}

int JpegReader::FrameComponents() const {
    // Start after the start-of-image marker; every other segment is skipped by
    // its length until a baseline or progressive frame header or the end.
    std::size_t pos = 2;
    unsigned marker = 0;
    while (ReadBe16(bytes_, pos, marker)) {
        pos += 2;
        if (marker == 0xFFC0 || marker == 0xFFC2) {
            // Segment length (2), sample precision (1), height (2), width (2).
            pos += 7;
            return pos < bytes_.size() ? bytes_[pos] : 0;
        }
        if (marker == 0xFFD9 || marker == 0xFFFF) return 0;
        unsigned length = 0;
        // A length below 2 would step back onto the same marker for ever.
        if (!ReadBe16(bytes_, pos, length) || length < 2) return 0;
        pos += length;
    }
    return 0;
}

bool JpegReader::IsCmyk(bool& cmyk) const {
    const int components = FrameComponents();
    if (components == 0) return false;
    cmyk = components == 4;
    return true;
}

void JpegReader::CopyBytes(uint8_t* buffer) const {
    if (!bytes_.empty()) std::memcpy(buffer, bytes_.data(), bytes_.size());
}

std::string JpegReader::ErrorText(int code) {
    switch (code) {
    case kNoError: return "エラーは発生していません";
    case kNotJpeg: return "JPEGファイルではありません";
    case kCannotOpen: return "ファイルが開けません";
    case kOutOfMemory: return "メモリが足りません";
    case kReadError: return "読み込みエラー";
    case kBadHeader: return "オブジェクト生成エラー";
    case kNoLibrary:
        return "JPEGライブラリを読み込めません";
    default: return Format("未定義のエラー(%d)", code);
    }
}

}  // namespace sgry
