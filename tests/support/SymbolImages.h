#pragma once
// Writes module matrices (one byte per module, nonzero dark) as PBM images
// and reads them back with zbarimg, for tests that let a real reader judge a
// symbol. Header-only.
#include <cstdint>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "support/SamplePdfs.h"

namespace sgry::test {

// Binary PBM (P4) of an n x n matrix, each module scale x scale pixels.
inline bool WritePbm(const std::filesystem::path& path, const uint8_t* modules, int n, int scale = 4) {
    std::ofstream out(path, std::ios::binary);
    const int pixels = n * scale;
    out << "P4\n" << pixels << " " << pixels << "\n";
    std::vector<uint8_t> line(static_cast<std::size_t>((pixels + 7) / 8));
    for (int r = 0; r < n; ++r) {
        std::fill(line.begin(), line.end(), 0);
        for (int x = 0; x < pixels; ++x)
            if (modules[r * n + x / scale] != 0) line[static_cast<std::size_t>(x / 8)] |= static_cast<uint8_t>(0x80 >> (x % 8));
        for (int s = 0; s < scale; ++s) out.write(reinterpret_cast<const char*>(line.data()), static_cast<std::streamsize>(line.size()));
    }
    return static_cast<bool>(out);
}

// The images as arguments of a command line.
inline std::string ImageArguments(const std::vector<std::filesystem::path>& images) {
    std::string arguments;
    for (const auto& image : images) arguments += " " + Quoted(image.string());
    return arguments;
}

// Runs zbarimg over the images and returns one text per symbol it found, in
// image order. zbar converts byte segments to UTF-8 by its own guess and
// reports Kanji as UTF-8; each symbol's text ends with a line break, so the
// messages must not contain one.
inline std::vector<std::string> ZbarTexts(const std::vector<std::filesystem::path>& images) {
    const std::string output = ShellOutput("zbarimg --nodbus --raw -q" + ImageArguments(images) + " 2>/dev/null");
    std::vector<std::string> texts;
    std::size_t start = 0;
    for (std::size_t end; (end = output.find('\n', start)) != std::string::npos; start = end + 1)
        texts.push_back(output.substr(start, end - start));
    return texts;
}

// The text of each image ("<none>" where no symbol was found), decoding the
// batch in one run and falling back to one run per image only when the
// batch does not yield exactly one symbol per image.
inline std::vector<std::string> ZbarDecodeEach(const std::vector<std::filesystem::path>& images) {
    std::vector<std::string> texts = ZbarTexts(images);
    if (texts.size() == images.size()) return texts;
    texts.clear();
    for (const auto& image : images) {
        const std::vector<std::string> one = ZbarTexts({image});
        texts.push_back(one.size() == 1 ? one.front() : "<none>");
    }
    return texts;
}

// The exact bytes of every symbol in the images, without any character set
// conversion, one after the other (zbar adds no separator in this mode).
inline std::string ZbarDecodeBinary(const std::vector<std::filesystem::path>& images) {
    return ShellOutput("zbarimg --nodbus --raw -q -Sbinary" + ImageArguments(images) + " 2>/dev/null");
}

}  // namespace sgry::test
