#pragma once
// For the tests that let real readers judge where stamps land: sources whose
// pages (size and a grey box) are drawn by Ghostscript or Cairo, one run of
// the stamping pass into the "_" copy, and pages rendered by pdftoppm into
// pixel grids that are compared with the unstamped source. Header-only.
//
// Pixel grids count from the top left of the page, as pdftoppm writes them;
// page coordinates in points count from the bottom left, as PDF does.
#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <atomic>
#include <cctype>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <optional>
#include <ostream>
#include <string>
#include <vector>

#include "engine/JobRunner.h"
#include "tests/support/RecordingPrompts.h"
#include "tests/support/SamplePdfs.h"
#include "tests/support/ScratchDir.h"

namespace sgry::test {

enum class Producer { Ghostscript, Cairo };

inline const char* ProducerName(Producer producer) {
    return producer == Producer::Ghostscript ? "ghostscript" : "cairo";
}
inline void PrintTo(Producer producer, std::ostream* out) { *out << ProducerName(producer); }
inline std::string ProducerParamName(const ::testing::TestParamInfo<Producer>& info) {
    return ProducerName(info.param);
}

inline bool ProducerAvailable(Producer producer) {
    return producer == Producer::Ghostscript ? ToolExists("ps2pdf") : HaveCairo();
}

// Writes the pages with the producer; the path, or "" when the producer is missing or failed.
inline std::string WriteSource(Producer producer, const std::string& path,
                               const std::vector<SourcePage>& pages) {
    return producer == Producer::Ghostscript ? GhostscriptPages(path, pages) : CairoPages(path, pages);
}

// One run of the stamping pass over `source` into its "_" copy.
struct StampRun {
    bool ok = false;
    std::string output;                 // path of the copy
    std::vector<std::string> messages;  // every message the run showed
    std::string update;                 // bytes the run appended to the source
};

inline StampRun StampCopy(const std::string& source, const StampSettings& stamp) {
    StampRun run;
    RecordingPrompts prompts;
    const AppSettings app{false, OutputMode::PrefixedCopy};
    const std::size_t sourceSize = ScratchDir::Read(source).size();
    {
        PdfJob job(source);
        if (job.ErrorCode() != 0) {
            run.messages.push_back("job error " + std::to_string(job.ErrorCode()));
            return run;
        }
        JobRunner runner(job, stamp, app, prompts);
        run.ok = runner.Run();
        run.output = runner.OutputPath();
    }
    for (const RecordingPrompts::Message& m : prompts.messages) run.messages.push_back(m.text);
    const std::string bytes = ScratchDir::Read(run.output);
    if (bytes.size() > sourceSize) run.update = bytes.substr(sourceSize);
    return run;
}

using Pixel = std::array<uint8_t, 3>;

// A rectangle of pixels, left and top included, right and bottom excluded.
struct PixelBox {
    int left = 0;
    int top = 0;
    int right = 0;
    int bottom = 0;

    bool Empty() const { return right <= left || bottom <= top; }
};

// A rendered page (or part of one): RGB, rows top first.
struct Raster {
    int width = 0;
    int height = 0;
    std::vector<uint8_t> rgb;

    bool Empty() const { return width == 0 || height == 0; }
    Pixel At(int x, int y) const {
        const std::size_t i =
            (static_cast<std::size_t>(y) * static_cast<std::size_t>(width) + static_cast<std::size_t>(x)) * 3;
        return {rgb[i], rgb[i + 1], rgb[i + 2]};
    }
};

// Reads a binary PPM (P6) with 255 as its maximum; an empty raster on any other input.
inline Raster ReadPpm(const std::string& path) {
    const std::string bytes = ScratchDir::Read(path);
    Raster r;
    std::size_t at = 0;
    auto field = [&]() -> std::string {
        while (at < bytes.size() && std::isspace(static_cast<unsigned char>(bytes[at]))) ++at;
        const std::size_t start = at;
        while (at < bytes.size() && !std::isspace(static_cast<unsigned char>(bytes[at]))) ++at;
        return bytes.substr(start, at - start);
    };
    if (field() != "P6") return r;
    const int width = std::atoi(field().c_str());
    const int height = std::atoi(field().c_str());
    if (field() != "255" || width <= 0 || height <= 0) return r;
    ++at;  // the one white-space byte before the samples
    const std::size_t samples = static_cast<std::size_t>(width) * static_cast<std::size_t>(height) * 3;
    if (bytes.size() < at + samples) return r;
    r.width = width;
    r.height = height;
    r.rgb.assign(bytes.begin() + static_cast<std::ptrdiff_t>(at),
                 bytes.begin() + static_cast<std::ptrdiff_t>(at + samples));
    return r;
}

// Renders page `page` (1-based) of `pdf` at `dpi` into a file in `dir`,
// grey (PGM) or colour (PPM), cropped to `crop` pixels when it is not
// empty; the file's path, or "" when pdftoppm failed.
inline std::string RenderPageFile(const ScratchDir& dir, const std::string& pdf, int page, int dpi,
                                  const PixelBox& crop = {}, bool grey = false) {
    static std::atomic<int> counter{0};
    const std::string stem = dir.File("render-" + std::to_string(counter++));
    std::string command = "pdftoppm -r " + std::to_string(dpi) + " -f " + std::to_string(page) + " -l " +
                          std::to_string(page) + " -singlefile" + (grey ? " -gray" : "");
    if (!crop.Empty())
        command += " -x " + std::to_string(crop.left) + " -y " + std::to_string(crop.top) + " -W " +
                   std::to_string(crop.right - crop.left) + " -H " + std::to_string(crop.bottom - crop.top);
    if (RunShell(command + " " + Quoted(pdf) + " " + Quoted(stem) + " 2>&1") != 0) return std::string();
    return stem + (grey ? ".pgm" : ".ppm");
}

inline Raster RenderPage(const ScratchDir& dir, const std::string& pdf, int page, int dpi,
                         const PixelBox& crop = {}) {
    const std::string file = RenderPageFile(dir, pdf, page, dpi, crop);
    return file.empty() ? Raster{} : ReadPpm(file);
}

// Largest difference of any channel between the two pixels.
inline int Difference(const Pixel& a, const Pixel& b) {
    int most = 0;
    for (std::size_t c = 0; c < 3; ++c) most = std::max(most, std::abs(int(a[c]) - int(b[c])));
    return most;
}

// The pixels of `box` (clipped to the rasters) that differ by more than `tolerance`.
inline int ChangedCount(const Raster& before, const Raster& after, PixelBox box, int tolerance = 8) {
    box.left = std::max(box.left, 0);
    box.top = std::max(box.top, 0);
    box.right = std::min({box.right, before.width, after.width});
    box.bottom = std::min({box.bottom, before.height, after.height});
    int count = 0;
    for (int y = box.top; y < box.bottom; ++y)
        for (int x = box.left; x < box.right; ++x)
            if (Difference(before.At(x, y), after.At(x, y)) > tolerance) ++count;
    return count;
}

// The smallest box that holds every pixel of `region` (the whole raster
// when empty) differing by more than `tolerance`; empty when none does.
inline PixelBox ChangedBox(const Raster& before, const Raster& after, int tolerance = 8,
                           PixelBox region = {}) {
    if (before.width != after.width || before.height != after.height) return {};
    if (region.Empty()) region = {0, 0, after.width, after.height};
    PixelBox box{region.right, region.bottom, region.left, region.top};
    for (int y = std::max(region.top, 0); y < std::min(region.bottom, after.height); ++y)
        for (int x = std::max(region.left, 0); x < std::min(region.right, after.width); ++x)
            if (Difference(before.At(x, y), after.At(x, y)) > tolerance) {
                box.left = std::min(box.left, x);
                box.top = std::min(box.top, y);
                box.right = std::max(box.right, x + 1);
                box.bottom = std::max(box.bottom, y + 1);
            }
    return box.Empty() ? PixelBox{} : box;
}

// The pixel box of a page rectangle given in points from the bottom left
// (x, y, width, height) on a page `pageHeight` points high rendered at `dpi`.
inline PixelBox PointsToPixels(double x, double y, double width, double height, double pageHeight, int dpi) {
    const double scale = dpi / 72.0;
    return {static_cast<int>(std::floor(x * scale)),
            static_cast<int>(std::floor((pageHeight - y - height) * scale)),
            static_cast<int>(std::ceil((x + width) * scale)),
            static_cast<int>(std::ceil((pageHeight - y) * scale))};
}

inline std::string Describe(const PixelBox& box) {
    return "[" + std::to_string(box.left) + "," + std::to_string(box.top) + " - " +
           std::to_string(box.right) + "," + std::to_string(box.bottom) + ")";
}

// Expects the two boxes' edges to agree within `slack` pixels each.
inline void ExpectBoxNear(const PixelBox& actual, const PixelBox& expected, int slack) {
    const auto near = [slack](int a, int b) { return std::abs(a - b) <= slack; };
    EXPECT_TRUE(near(actual.left, expected.left) && near(actual.top, expected.top) &&
                near(actual.right, expected.right) && near(actual.bottom, expected.bottom))
        << Describe(actual) << " against " << Describe(expected) << ", slack " << slack;
}

}  // namespace sgry::test
