#pragma once
// Builds small PDF files in memory for the engine tests: objects are appended
// one by one, and each EndSection writes a classic cross-reference section
// listing the objects of that section with their true offsets, a trailer
// (with /Prev to the section before) and startxref.
#include <cstdio>
#include <map>
#include <string>
#include <vector>

namespace sgry::test {

class TestPdf {
public:
    TestPdf() { bytes_ = "%PDF-1.4\n"; }

    TestPdf& Object(int number, const std::string& body, int generation = 0) {
        section_[number] = {bytes_.size(), generation};
        bytes_ += std::to_string(number) + " " + std::to_string(generation) + " obj\n" + body + "\nendobj\n";
        return *this;
    }
    TestPdf& Raw(const std::string& text) {
        bytes_ += text;
        return *this;
    }
    // Writes the section; trailerKeys go after /Size (and /Prev, if any).
    TestPdf& EndSection(int size, const std::string& trailerKeys = "/Root 1 0 R") {
        const size_t xref = bytes_.size();
        bytes_ += "xref\n";
        if (prev_ < 0) bytes_ += "0 1\n0000000000 65535 f \n";
        auto it = section_.begin();
        while (it != section_.end()) {
            auto end = it;
            int count = 0;
            while (end != section_.end() && end->first == it->first + count) ++end, ++count;
            bytes_ += std::to_string(it->first) + " " + std::to_string(count) + "\n";
            for (; it != end; ++it) {
                char line[32];
                std::snprintf(line, sizeof line, "%010zu %05d n \n", it->second.first, it->second.second);
                bytes_ += line;
            }
        }
        bytes_ += "trailer\n<< /Size " + std::to_string(size);
        if (prev_ >= 0) bytes_ += " /Prev " + std::to_string(prev_);
        bytes_ += " " + trailerKeys + " >>\nstartxref\n" + std::to_string(xref) + "\n%%EOF\n";
        prev_ = static_cast<long>(xref);
        section_.clear();
        return *this;
    }
    const std::string& Bytes() const { return bytes_; }
    // One entry line of the sections the engine writes.
    static std::string XrefLine(size_t offset, int generation = 0) {
        char line[32];
        std::snprintf(line, sizeof line, "%010zu %05d n\r\n", offset, generation);
        return line;
    }
    long LastXref() const { return prev_; }

private:
    std::string bytes_;
    std::map<int, std::pair<size_t, int>> section_;
    long prev_ = -1;
};

// A flat page tree: catalog 1, pages node 2, then one page object per entry of
// pageExtras (numbers 3, 4, ...), each holding the page's extra keys.
inline std::string FlatPdf(const std::vector<std::string>& pageExtras, const std::string& rootExtras = "",
                           int extraSize = 0) {
    TestPdf pdf;
    std::string kids;
    for (size_t i = 0; i < pageExtras.size(); ++i) kids += std::to_string(3 + i) + " 0 R ";
    pdf.Object(1, "<< /Type /Catalog /Pages 2 0 R >>");
    pdf.Object(2, "<< /Type /Pages /Kids [ " + kids + "] /Count " + std::to_string(pageExtras.size()) + " " +
                      rootExtras + " >>");
    for (size_t i = 0; i < pageExtras.size(); ++i)
        pdf.Object(static_cast<int>(3 + i), "<< /Type /Page /Parent 2 0 R " + pageExtras[i] + " >>");
    pdf.EndSection(static_cast<int>(3 + pageExtras.size()) + extraSize);
    return pdf.Bytes();
}

// One page (object 3) under a catalog holding catalogExtras; objects 4, 5,
// ... are `objects`.
inline std::string CatalogPdf(const std::string& catalogExtras, const std::vector<std::string>& objects = {}) {
    TestPdf pdf;
    pdf.Object(1, "<< /Type /Catalog /Pages 2 0 R " + catalogExtras + " >>");
    pdf.Object(2, "<< /Type /Pages /Kids [ 3 0 R ] /Count 1 >>");
    pdf.Object(3, "<< /Type /Page /Parent 2 0 R /MediaBox [0 0 595 842] /Resources << >> >>");
    for (size_t i = 0; i < objects.size(); ++i) pdf.Object(static_cast<int>(4 + i), objects[i]);
    pdf.EndSection(static_cast<int>(4 + objects.size()));
    return pdf.Bytes();
}

// A file certified by signature 4 in field 5, whose DocMDP reference gives
// /P p (none when p is 0). The signature's bytes are not real.
inline std::string CertifiedPdf(int p) {
    const std::string params = p > 0 ? "/P " + std::to_string(p) : "";
    return CatalogPdf("/Perms << /DocMDP 4 0 R >> /AcroForm << /Fields [ 5 0 R ] /SigFlags 3 >>",
                      {"<< /Type /Sig /Filter /Adobe.PPKLite /SubFilter /adbe.pkcs7.detached /ByteRange [ 0 0 0 0 ] "
                       "/Contents <00> /Reference [ << /Type /SigRef /TransformMethod /DocMDP /TransformParams "
                       "<< /Type /TransformParams " + params + " /V /1.2 >> >> ] >>",
                       "<< /FT /Sig /T (Cert) /V 4 0 R /Type /Annot /Subtype /Widget /Rect [ 0 0 0 0 ] /P 3 0 R >>"});
}

}  // namespace sgry::test
