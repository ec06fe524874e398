#pragma once
// Writes module matrices (one byte per module, nonzero dark) as PBM images
// and reads them back with zbarimg, for tests that let a real reader judge a
// symbol. Header-only.
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

namespace sgry::test {

// A fresh directory under the build tree (or /tmp) for one test's images.
inline std::filesystem::path ScratchDirectory(const std::string& name) {
#ifdef SIGILRY_BINARY_DIR
    std::filesystem::path dir = std::filesystem::path(SIGILRY_BINARY_DIR) / "test-scratch" / name;
#else
    std::filesystem::path dir = std::filesystem::temp_directory_path() / "sigilry-test-scratch" / name;
#endif
    std::filesystem::remove_all(dir);
    std::filesystem::create_directories(dir);
    return dir;
}

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

inline bool HaveTool(const char* name) {
    const std::string command = std::string("command -v ") + name + " >/dev/null 2>&1";
    return std::system(command.c_str()) == 0;
}

// Runs a shell command and returns its standard output.
inline std::string RunCapture(const std::string& command) {
    std::string output;
    FILE* pipe = popen(command.c_str(), "r");
    if (!pipe) return output;
    char buffer[4096];
    std::size_t n;
    while ((n = fread(buffer, 1, sizeof buffer, pipe)) > 0) output.append(buffer, n);
    pclose(pipe);
    return output;
}

inline std::string DecodeBase64(const std::string& text) {
    static const std::string kAlphabet = "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789+/";
    std::string out;
    unsigned buffer = 0;
    int bits = 0;
    for (char ch : text) {
        const auto value = kAlphabet.find(ch);
        if (value == std::string::npos) continue;  // line breaks, padding
        buffer = (buffer << 6) | static_cast<unsigned>(value);
        bits += 6;
        if (bits >= 8) {
            bits -= 8;
            out.push_back(static_cast<char>((buffer >> bits) & 0xFF));
        }
    }
    return out;
}

inline std::string QuoteForShell(const std::filesystem::path& path) { return "'" + path.string() + "'"; }

// zbarimg's XML report for several images: the data of the first symbol
// found in each image, in the order given ("<none>" when nothing was found).
// zbar converts byte segments to UTF-8 by its own guess and reports Kanji as
// UTF-8; data it cannot show as text arrives base64-encoded and is decoded.
inline std::vector<std::string> ZbarDecodeEach(const std::vector<std::filesystem::path>& images) {
    std::string command = "zbarimg --nodbus --xml -q";
    for (const auto& image : images) command += " " + QuoteForShell(image);
    const std::string xml = RunCapture(command + " 2>/dev/null");
    std::vector<std::string> results;
    for (const auto& image : images) {
        std::string found = "<none>";
        const auto source = xml.find("<source href='" + image.string() + "'>");
        if (source != std::string::npos) {
            const auto sourceEnd = xml.find("</source>", source);
            const auto data = xml.find("<data", source);
            if (data != std::string::npos && data < sourceEnd) {
                const auto open = xml.find("<![CDATA[", data) + 9;
                const auto close = xml.find("]]>", open);
                found = xml.substr(open, close - open);
                const auto tagEnd = xml.find('>', data);
                if (xml.substr(data, tagEnd - data).find("base64") != std::string::npos) found = DecodeBase64(found);
            }
        }
        results.push_back(found);
    }
    return results;
}

// The exact bytes of every symbol in the images, without any character set
// conversion, one after the other (zbar adds no separator in this mode).
inline std::string ZbarDecodeBinary(const std::vector<std::filesystem::path>& images) {
    std::string command = "zbarimg --nodbus --raw -q -Sbinary";
    for (const auto& image : images) command += " " + QuoteForShell(image);
    return RunCapture(command + " 2>/dev/null");
}

}  // namespace sgry::test
