// Writes the seed corpus of every fuzz target into <folder>/<target>/: small
// inputs made by the system's own writers (an update appended by a job, the
// settings file as SaveSettings writes it) and by the test fixtures (PDFs,
// bitmaps, PNGs and JPEGs assembled byte by byte or by libjpeg).
//   fuzz_corpus_generator fuzz/corpus
#include <filesystem>
#include <fstream>
#include <iostream>
#include <string>
#include <vector>

#include "engine/TestPdf.h"
#include "fuzz/FuzzTargets.h"
#include "image/ImageFixtures.h"

namespace fs = std::filesystem;
using namespace sgry;
using namespace sgry::test;

namespace {

class CorpusWriter {
public:
    explicit CorpusWriter(fs::path root) : root_(std::move(root)) {}
    void Put(const std::string& target, const std::string& name, const std::string& bytes) {
        fs::create_directories(root_ / target);
        std::ofstream(root_ / target / name, std::ios::binary) << bytes;
    }

private:
    fs::path root_;
};

// A file of the flat-tree kind with one update appended by a job, so that
// the seeds carry two sections chained by /Prev and the writer's own syntax.
std::string UpdatedPdf(const std::string& source) {
    std::unique_ptr<PdfJob> job = PdfJob::FromBytes(source);
    if (job->ErrorCode() != 0 || !job->BuildPageList(PageRangeChoice{}) || !fuzz::WriteUpdate(*job)) return source;
    return job->File().MemoryBytes();
}

void JobSeeds(CorpusWriter& out) {
    out.Put("job", "flat", FlatPdf({"/MediaBox [0 0 612 792] /Contents 9 0 R /Resources << /Font << >> >>",
                                    "/Rotate 90 /Resources 10 0 R"}));
    out.Put("job", "updated", UpdatedPdf(FlatPdf({"/Resources << /ProcSet [/PDF] >>", ""})));
    TestPdf nested;
    nested.Object(1, "<< /Type /Catalog /Pages 2 0 R >>")
        .Object(2, "<< /Type /Pages /Kids [3 0 R 4 0 R] /Count 2 /MediaBox [0 0 595.28 841.89] >>")
        .Object(3, "<< /Type /Pages /Parent 2 0 R /Kids [5 0 R] /Count 1 /Rotate 270 /Resources 6 0 R >>")
        .Object(4, "<< /Type /Page /Parent 2 0 R /Contents [7 0 R 8 0 R] >>")
        .Object(5, "<< /Type /Page /Parent 3 0 R /Contents 7 0 R >>")
        .Object(6, "<< /Font << /F1 9 0 R >> /XObject 10 0 R >>")
        .Object(10, "<< /Im0 11 0 R >>")
        .EndSection(12, "/Root 1 0 R /Info << /Title (a b) >> /ID [<a1><b2>]");
    out.Put("job", "nested", nested.Bytes());
}

void ParserSeeds(CorpusWriter& out) {
    out.Put("parser", "object", "12 0 obj\r\n<< /Font << /F1 5 0 R /UK0 6 0 R >> /ProcSet [/PDF /Text] "
                                "/Name (two words) /Hex <41 42> /N 3 >>\r\nendobj\r\n");
    out.Put("parser", "array", "[0 0 612 792 [1 2] << /A 1 >> (x\\)y) <ff>]");
    out.Put("parser", "stream", "7 0 obj\n<< /Length 5 >>\nstream\nq Q\n\nendstream\nendobj\n");
}

void ResourcesSeeds(CorpusWriter& out) {
    out.Put("resources", "plain", "<< /Font << /F1 5 0 R >> /ProcSet [/PDF /Text] >>");
    out.Put("resources", "referenced", "<< /Font 3 0 R /XObject << /UK0 1 0 R /UK2 1 0 R >> >>");
    out.Put("resources", "strings", "<< /ExtGState << /G0 << /CA 0.5 /Name (a (nested) b) >> >> >>");
}

void ImageSeeds(CorpusWriter& out) {
    BmpLayout rgb;
    rgb.width = 3;
    rgb.height = 2;
    rgb.pixels = {1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12, 13, 14, 15, 16, 17, 18};
    out.Put("bmp", "rgb24", MakeBmp(rgb));
    BmpLayout indexed;
    indexed.width = 5;
    indexed.height = 2;
    indexed.bitsPerPixel = 8;
    indexed.palette = {{0, 0, 0}, {255, 0, 0}, {0, 255, 0}};
    indexed.pixels = {0, 1, 2, 1, 0, 2, 2, 1, 0, 0};
    out.Put("bmp", "indexed8", MakeBmp(indexed));
    BmpLayout os2 = indexed;
    os2.os2 = true;
    os2.topDown = false;
    out.Put("bmp", "os2", MakeBmp(os2));
    BmpLayout topDown = rgb;
    topDown.topDown = true;
    out.Put("bmp", "topdown", MakeBmp(topDown));

    PngLayout png;
    png.width = 2;
    png.height = 2;
    png.rows = {std::string("\x10\x20\x30\x40\x50\x60", 6), std::string("\x70\x80\x90\xA0\xB0\xC0", 6)};
    out.Put("png", "rgb8", MakePng(png));
    PngLayout palette;
    palette.width = 4;
    palette.height = 1;
    palette.colourType = 3;
    palette.bitDepth = 2;
    palette.plte = std::string("\xFF\0\0\0\xFF\0\0\0\xFF\x10\x10\x10", 12);
    palette.trns = std::string("\x80", 1);
    palette.rows = {std::string("\x1B", 1)};
    out.Put("png", "palette2", MakePng(palette));
    PngLayout alpha;
    alpha.width = 1;
    alpha.height = 2;
    alpha.colourType = 4;
    alpha.rows = {std::string("\x40\x80", 2), std::string("\xC0\xFF", 2)};
    alpha.bkgd = std::string("\0\x20", 2);
    alpha.gama = std::string("\0\0\xB1\x8F", 4);
    out.Put("png", "greyalpha", MakePng(alpha));

    out.Put("jpeg", "grey", MakeJpeg(8, 8, 1, false));
    out.Put("jpeg", "rgb", MakeJpeg(16, 8, 3, false));
    out.Put("jpeg", "cmyk-progressive", MakeJpeg(8, 8, 4, true));
}

void SettingsSeeds(CorpusWriter& out) {
    const fs::path file = fs::temp_directory_path() / "sgry-fuzz-corpus.ini";
    fs::remove(file);
    StampSettings stamp;
    stamp.QRIsValid = true;
    stamp.QRString = "line one\r\nline two ";
    stamp.Slots[0].StyleType = HeaderFooterStyle::PageNumber;
    SaveSettings(file.string(), stamp);
    SaveSettings(file.string(), AppSettings{});
    std::ifstream in(file, std::ios::binary);
    out.Put("settings", "saved", std::string(std::istreambuf_iterator<char>(in), {}));
    fs::remove(file);
    out.Put("settings", "hand", "[optionlist1]\nQRVersion = 99x\nMargin0=1e3\n[App]\r\nOutput=-5\r\nUndo=True\r\n\n");
}

void ListFileSeeds(CorpusWriter& out) {
    out.Put("listfile", "crlf", "/home/a/one.pdf\r\n/home/a/\x83\x5c\x83\x74\x83\x67.pdf\r\n\r\n/tmp/_b.pdf");
    out.Put("listfile", "long-line", "/" + std::string(2100, 'p') + ".pdf\n" + std::string(2047, 'q') + "\r\n");
}

void QrSeeds(CorpusWriter& out) {
    // Version byte (value + 1 modulo 43), level byte (value + 1 modulo 6), message.
    out.Put("qr", "numeric-1M", std::string("\x02\x02", 2) + "01234567");
    out.Put("qr", "auto-mixed", std::string("\x00\x00", 2) + "0123ABCD efgh");
    out.Put("qr", "kanji-5H", std::string("\x06\x04", 2) + "\x88\x9f\x88\xa0\x93\xfa\x96\x7b");
    out.Put("qr", "bad-trail", std::string("\x0b\x01", 2) + "\x88\x20");
}

}  // namespace

int main(int argc, char** argv) {
    if (argc != 2) {
        std::cerr << "usage: fuzz_corpus_generator CORPUS_FOLDER\n";
        return 2;
    }
    CorpusWriter out(argv[1]);
    JobSeeds(out);
    ParserSeeds(out);
    ResourcesSeeds(out);
    ImageSeeds(out);
    SettingsSeeds(out);
    ListFileSeeds(out);
    QrSeeds(out);
    return 0;
}
