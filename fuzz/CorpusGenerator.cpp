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
#include "tests/support/SamplePdfs.h"

namespace files = std::filesystem;
using namespace sgry;
using namespace sgry::test;

namespace {

class CorpusWriter {
public:
    explicit CorpusWriter(files::path root) : root_(std::move(root)) {}
    void Put(const std::string& target, const std::string& name, const std::string& bytes) {
        files::create_directories(root_ / target);
        std::ofstream(root_ / target / name, std::ios::binary) << bytes;
    }

private:
    files::path root_;
};

// A file of the flat-tree kind with one update appended by a job, so that
// the seeds carry two sections chained by /Prev and the writer's own syntax.
std::string UpdatedPdf(const std::string& source) {
    std::unique_ptr<PdfJob> job = PdfJob::FromBytes(source);
    if (job->ErrorCode() != JobError::None || !job->BuildPageList(PageRangeChoice{}) || !fuzz::WriteUpdate(*job))
        return source;
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
    out.Put("png", "greyalpha", MakePng(alpha));

    out.Put("jpeg", "grey", MakeJpeg(8, 8, 1, false));
    out.Put("jpeg", "rgb", MakeJpeg(16, 8, 3, false));
    out.Put("jpeg", "cmyk-progressive", MakeJpeg(8, 8, 4, true));
}

void SettingsSeeds(CorpusWriter& out) {
    const files::path file = files::temp_directory_path() / "sgry-fuzz-corpus.ini";
    files::remove(file);
    StampSettings stamp;
    stamp.QRIsValid = true;
    stamp.QRString = "line one\r\nline two ";
    stamp.Slots[0].StyleType = HeaderFooterStyle::PageNumber;
    SaveSettings(file.string(), stamp);
    SaveSettings(file.string(), AppSettings{});
    std::ifstream in(file, std::ios::binary);
    out.Put("settings", "saved", std::string(std::istreambuf_iterator<char>(in), {}));
    files::remove(file);
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

// One file encrypted by qpdf in each method, all opening with the empty
// password (left out when qpdf is missing).
void SecuritySeeds(CorpusWriter& out) {
    if (!ToolExists("qpdf")) return;
    const files::path plain = files::temp_directory_path() / "sgry-fuzz-plain.pdf";
    const files::path sealed = files::temp_directory_path() / "sgry-fuzz-sealed.pdf";
    std::ofstream(plain, std::ios::binary) << FlatPdf({"/Contents 4 0 R /Resources << >>"});
    const struct {
        const char* name;
        const char* options;
    } methods[] = {{"rc4-40", "40"}, {"rc4-128", "128 --use-aes=n"}, {"aes-128", "128 --use-aes=y"},
                   {"aes-256", "256"}};
    for (const auto& method : methods) {
        // Strings are left in the trailer so that the seed carries an encrypted one.
        RunShell(std::string("qpdf --static-id --allow-weak-crypto --object-streams=disable --encrypt '' owner ") + method.options +
                 " -- " + Quoted(plain.string()) + " " + Quoted(sealed.string()));
        std::ifstream in(sealed, std::ios::binary);
        out.Put("security", method.name, std::string(std::istreambuf_iterator<char>(in), {}));
    }
    files::remove(plain);
    files::remove(sealed);
}

// Journal length byte, journal, file (see fuzz::Journal).
void JournalSeeds(CorpusWriter& out) {
    const std::string file = FlatPdf({""});
    const auto journal = [](const std::string& length) {
        return "%Sigilry-journal 2\r\ndevice=@dev\r\ninode=@ino\r\nlength=" + length + "\r\ntail=" + length +
               " @crc\r\n";
    };
    const auto seed = [&](const std::string& text, const std::string& bytes) {
        return std::string(1, static_cast<char>(text.size())) + text + bytes;
    };
    const std::string torn = journal(std::to_string(file.size() - 40));
    out.Put("journal", "torn", seed(torn, file));
    out.Put("journal", "replaced", seed(journal("99999"), file));
    out.Put("journal", "untouched", seed(journal(std::to_string(file.size())), file));
    out.Put("journal", "unfinished", seed(torn.substr(0, 30), file));
}

// Node entries, a line end, page entries (see fuzz::PageBoxes).
void PageBoxSeeds(CorpusWriter& out) {
    out.Put("pagebox", "inherited", "/MediaBox [0 0 595 842] /Rotate 90\n/CropBox [10 10 500 700.5] /Rotate -270");
    out.Put("pagebox", "referred", "/MediaBox 4 0 R\n/Rotate 5 0 R /CropBox [+300 400 -1e3 .5]");
    out.Put("pagebox", "degenerate", "/CropBox [0 0 10 10]\n/MediaBox [0 0 0 0] /Rotate 450");
}

// Content streams, the second after a NUL (see fuzz::Balance).
void BalanceSeeds(CorpusWriter& out) {
    out.Put("balance", "extra-restores", "q 1 0 0 1 0 0 cm Q Q\nBT /F1 9 Tf (Q\\) q) Tj ET Q");
    out.Put("balance", "two-streams", std::string("q q 0 g\0Q Q Q % Q\n/Q <51> Q", 27));
    out.Put("balance", "inline-image", "BI /W 2 /H 1 /BPC 8 /CS /G ID Q\xff EI Q [(Q)] TJ");
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
    SecuritySeeds(out);
    JournalSeeds(out);
    PageBoxSeeds(out);
    BalanceSeeds(out);
    return 0;
}
