#pragma once
// Builds PDF files in memory whose cross-reference data are streams and
// whose objects may lie in object streams, for the reader and writer tests.
// Sections can be mixed along the /Prev chain: EndStreamSection writes a
// cross-reference stream, EndClassicSection a classic table (optionally with
// /XRefStm, a hybrid section); each lists the objects added since the last
// section, with their true offsets.
#include <zlib.h>

#include <cstdint>
#include <map>
#include <string>
#include <vector>

namespace sgry::test {

inline std::string Deflate(const std::string& data) {
    uLongf length = compressBound(static_cast<uLong>(data.size()));
    std::string out(length, '\0');
    compress2(reinterpret_cast<Bytef*>(out.data()), &length, reinterpret_cast<const Bytef*>(data.data()),
              static_cast<uLong>(data.size()), Z_DEFAULT_COMPRESSION);
    out.resize(length);
    return out;
}

// Rows of width `columns` with the PNG "Up" tag (2) in front of each row.
inline std::string PngUpRows(const std::string& rows, std::size_t columns) {
    std::string out;
    std::string prior(columns, '\0');
    for (std::size_t start = 0; start + columns <= rows.size(); start += columns) {
        out += '\x02';
        for (std::size_t i = 0; i < columns; ++i)
            out += static_cast<char>(static_cast<unsigned char>(rows[start + i]) - static_cast<unsigned char>(prior[i]));
        prior = rows.substr(start, columns);
    }
    return out;
}

class XrefStreamPdf {
public:
    enum class Rows { Plain, Flate, FlatePngUp };

    XrefStreamPdf() { bytes_ = "%PDF-1.5\n%\xE2\xE3\xCF\xD3\n"; }

    // An object in the file (a type-1 row).
    XrefStreamPdf& Object(int number, const std::string& body, int generation = 0) {
        entries_[number] = {1, static_cast<uint64_t>(bytes_.size()), static_cast<uint64_t>(generation)};
        bytes_ += std::to_string(number) + " " + std::to_string(generation) + " obj\n" + body + "\nendobj\n";
        return *this;
    }
    // An object for the next object stream (a type-2 row).
    XrefStreamPdf& Compressed(int number, const std::string& body) {
        pending_.push_back({number, body});
        return *this;
    }
    // Writes the pending objects as object stream `number`; n and first,
    // when not negative, replace the true /N and /First.
    XrefStreamPdf& ObjectStream(int number, bool flate = true, long n = -1, long first = -1) {
        std::string header;
        std::string body;
        for (std::size_t i = 0; i < pending_.size(); ++i) {
            header += std::to_string(pending_[i].first) + " " + std::to_string(body.size()) + " ";
            body += pending_[i].second + "\n";
            entries_[pending_[i].first] = {2, static_cast<uint64_t>(number), i};
        }
        const std::string data = flate ? Deflate(header + body) : header + body;
        std::string keys = "/Type /ObjStm /N " + std::to_string(n >= 0 ? n : static_cast<long>(pending_.size())) +
                           " /First " + std::to_string(first >= 0 ? first : static_cast<long>(header.size())) +
                           " /Length " + std::to_string(data.size());
        if (flate) keys += " /Filter /FlateDecode";
        Object(number, "<< " + keys + " >>\nstream\n" + data + "\nendstream");
        pending_.clear();
        return *this;
    }
    // A cross-reference stream of the objects since the last section, then
    // startxref. Its own row is included; trailerKeys go into its dictionary.
    XrefStreamPdf& EndStreamSection(int number, int size, const std::string& trailerKeys = "/Root 1 0 R",
                                    Rows rows = Rows::FlatePngUp) {
        const uint64_t offset = bytes_.size();
        entries_[number] = {1, offset, 0};
        std::string index;
        std::string data;
        for (auto it = entries_.begin(); it != entries_.end();) {
            auto end = it;
            int count = 0;
            while (end != entries_.end() && end->first == it->first + count) ++end, ++count;
            index += std::to_string(it->first) + " " + std::to_string(count) + " ";
            for (; it != end; ++it) data += RowBytes(it->second);
        }
        std::string filter;
        if (rows == Rows::Flate) {
            data = Deflate(data);
            filter = " /Filter /FlateDecode";
        } else if (rows == Rows::FlatePngUp) {
            data = Deflate(PngUpRows(data, 7));
            filter = " /Filter /FlateDecode /DecodeParms << /Columns 7 /Predictor 12 >>";
        }
        std::string dict = "<< /Type /XRef /Size " + std::to_string(size) + " /W [1 4 2] /Index [" + index + "]" +
                           filter + " /Length " + std::to_string(data.size()) + " " + trailerKeys;
        if (prev_ >= 0) dict += " /Prev " + std::to_string(prev_);
        bytes_ += std::to_string(number) + " 0 obj\n" + dict + " >>\nstream\n" + data + "\nendstream\nendobj\n";
        Finish(offset);
        return *this;
    }
    // A classic section of the objects since the last section (type-2 rows
    // are left to the stream that xrefStm names, as in a hybrid file).
    XrefStreamPdf& EndClassicSection(int size, const std::string& trailerKeys = "/Root 1 0 R", long xrefStm = -1) {
        const uint64_t offset = bytes_.size();
        bytes_ += "xref\n";
        if (prev_ < 0) bytes_ += "0 1\n0000000000 65535 f \n";
        for (const auto& [number, entry] : entries_) {
            if (entry.type != 1) continue;
            char line[64];
            std::snprintf(line, sizeof line, "%d 1\n%010llu %05llu n \n", number,
                          static_cast<unsigned long long>(entry.field2), static_cast<unsigned long long>(entry.field3));
            bytes_ += line;
        }
        bytes_ += "trailer\n<< /Size " + std::to_string(size) + " " + trailerKeys;
        if (xrefStm >= 0) bytes_ += " /XRefStm " + std::to_string(xrefStm);
        if (prev_ >= 0) bytes_ += " /Prev " + std::to_string(prev_);
        bytes_ += " >>\n";
        Finish(offset);
        return *this;
    }
    // A cross-reference stream that is not the section at startxref: only
    // its offset is returned (for /XRefStm); the rows stay for the classic
    // section that follows.
    long DetachedStream(int number, int size) {
        const uint64_t offset = bytes_.size();
        std::string index;
        std::string data;
        for (const auto& [n, entry] : entries_) {
            if (entry.type != 2) continue;
            index += std::to_string(n) + " 1 ";
            data += RowBytes(entry);
        }
        data = Deflate(data);
        bytes_ += std::to_string(number) + " 0 obj\n<< /Type /XRef /Size " + std::to_string(size) +
                  " /W [1 4 2] /Index [" + index + "] /Filter /FlateDecode /Length " + std::to_string(data.size()) +
                  " >>\nstream\n" + data + "\nendstream\nendobj\n";
        return static_cast<long>(offset);
    }
    XrefStreamPdf& Raw(const std::string& text) {
        bytes_ += text;
        return *this;
    }

    const std::string& Bytes() const { return bytes_; }
    long LastXref() const { return prev_; }
    std::size_t Size() const { return bytes_.size(); }

private:
    struct Entry { int type; uint64_t field2; uint64_t field3; };
    // One row of the /W [1 4 2] layout.
    static std::string RowBytes(const Entry& entry) {
        std::string row(1, static_cast<char>(entry.type));
        for (int shift = 24; shift >= 0; shift -= 8) row += static_cast<char>((entry.field2 >> shift) & 0xFF);
        return row + static_cast<char>((entry.field3 >> 8) & 0xFF) + static_cast<char>(entry.field3 & 0xFF);
    }
    void Finish(uint64_t offset) {
        bytes_ += "startxref\n" + std::to_string(offset) + "\n%%EOF\n";
        prev_ = static_cast<long>(offset);
        entries_.clear();
    }

    std::string bytes_;
    std::map<int, Entry> entries_;
    std::vector<std::pair<int, std::string>> pending_;
    long prev_ = -1;
};

// A hybrid file of one page: catalog 1 in the file and listed by the
// classic table; pages node 2 and page 3 (with pageKeys) in object stream 4,
// listed only by the cross-reference stream 5 that /XRefStm names.
inline XrefStreamPdf HybridPdf(const std::string& pageKeys) {
    XrefStreamPdf pdf;
    pdf.Compressed(2, "<< /Type /Pages /Kids [3 0 R] /Count 1 >>")
        .Compressed(3, "<< /Type /Page /Parent 2 0 R " + pageKeys + " >>")
        .ObjectStream(4)
        .Object(1, "<< /Type /Catalog /Pages 2 0 R >>");
    const long stream = pdf.DetachedStream(5, 6);
    pdf.EndClassicSection(6, "/Root 1 0 R", stream);
    return pdf;
}

}  // namespace sgry::test
