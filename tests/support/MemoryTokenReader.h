#pragma once
// A token reader over bytes in memory, for tests of everything that reads a
// source PDF token by token.
#include <string>
#include <vector>

#include "pdf/PdfFile.h"
#include "pdf/TokenReader.h"

namespace sgry::test {

class MemoryTokenReader {
public:
    explicit MemoryTokenReader(std::string bytes) : reader_(file_) { file_.OpenMemory(std::move(bytes)); }
    MemoryTokenReader(const MemoryTokenReader&) = delete;
    MemoryTokenReader& operator=(const MemoryTokenReader&) = delete;

    TokenReader& reader() { return reader_; }
    PdfFile& file() { return file_; }

    // Every token up to the end of the file.
    std::vector<std::string> AllTokens() {
        std::vector<std::string> tokens;
        for (std::string t = reader_.NextToken(); !t.empty(); t = reader_.NextToken()) tokens.push_back(t);
        return tokens;
    }

private:
    PdfFile file_;
    TokenReader reader_;
};

}  // namespace sgry::test
