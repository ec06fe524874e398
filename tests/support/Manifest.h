#pragma once
// Test manifests: small tab-separated tables under tests/data, one row per
// case. Blank lines and lines starting with '#' are skipped. In a cell,
// \r \n \t \f \0 and \\ stand for their bytes, \xHH for any byte, and
// {N*text} for text repeated N times (for deep nesting and long inputs).
#include <cstdlib>
#include <fstream>
#include <string>
#include <vector>

namespace sgry::test {

struct ManifestRow {
    int line = 0;
    std::vector<std::string> cells;

    // The cell, or "" when the row is shorter.
    const std::string& operator[](std::size_t i) const {
        static const std::string empty;
        return i < cells.size() ? cells[i] : empty;
    }
};

inline std::string UnescapeCell(const std::string& text) {
    std::string out;
    for (std::size_t i = 0; i < text.size(); ++i) {
        const char c = text[i];
        const std::size_t star = text.find('*', i);
        const std::size_t close = text.find('}', star == std::string::npos ? i : star);
        if (c == '{' && close != std::string::npos && star > i + 1 &&
            text.find_first_not_of("0123456789", i + 1) == star) {
            const std::string unit = UnescapeCell(text.substr(star + 1, close - star - 1));
            for (int n = std::atoi(text.c_str() + i + 1); n > 0; --n) out += unit;
            i = close;
            continue;
        }
        if (c != '\\' || i + 1 == text.size()) {
            out += c;
            continue;
        }
        const char e = text[++i];
        if (e == 'x' && i + 2 < text.size()) {
            out += static_cast<char>(std::strtol(text.substr(i + 1, 2).c_str(), nullptr, 16));
            i += 2;
            continue;
        }
        const std::string from = "rntf0", to = std::string("\r\n\t\f\0", 5);
        const std::size_t k = from.find(e);
        out += k == std::string::npos ? e : to[k];
    }
    return out;
}

// The rows of tests/data/<name>, cells unescaped.
inline std::vector<ManifestRow> ReadManifest(const std::string& name) {
    std::ifstream in(std::string(SIGILRY_SOURCE_DIR) + "/tests/data/" + name);
    std::vector<ManifestRow> rows;
    int number = 0;
    for (std::string line; std::getline(in, line);) {
        ++number;
        if (line.empty() || line[0] == '#') continue;
        ManifestRow row{number, {}};
        for (std::size_t start = 0;;) {
            const std::size_t tab = line.find('\t', start);
            row.cells.push_back(UnescapeCell(line.substr(start, tab - start)));
            if (tab == std::string::npos) break;
            start = tab + 1;
        }
        rows.push_back(row);
    }
    return rows;
}

}  // namespace sgry::test
