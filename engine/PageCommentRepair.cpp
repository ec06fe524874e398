#include "engine/PageCommentRepair.h"

#include <string>

namespace sgry {

namespace {

// The token reader with comments: a token beginning with "%" and the rest of
// its line are passed over.
class CommentFreeTokens {
public:
    explicit CommentFreeTokens(TokenReader& reader) : reader_(reader) {}

    std::string Next() {
        std::string token = reader_.NextToken();
        while (!token.empty() && token.front() == '%') {
            SkipRestOfLine();
            token = reader_.NextToken();
        }
        return token;
    }

private:
    // The comment token may already have consumed its line end.
    void SkipRestOfLine() {
        PdfFile& file = reader_.File();
        if (file.Seek(-1, PdfFile::Origin::Current)) {
            const int previous = file.ReadByte();
            if (previous == '\r' || previous == '\n') return;
        }
        for (int byte = file.ReadByte(); byte >= 0; byte = file.ReadByte()) {
            if (byte == '\n') return;
            if (byte == '\r') {
                if (file.ReadByte() != '\n') file.Seek(-1, PdfFile::Origin::Current);
                return;
            }
        }
    }

    TokenReader& reader_;
};

// Drops a /Contents or /Resources value: an array, a dictionary (nested ones
// counted) or a reference.
void SkipValue(CommentFreeTokens& tokens) {
    const std::string first = tokens.Next();
    if (first == "[" || first == "<<") {
        const std::string close = first == "[" ? "]" : ">>";
        for (int depth = 1; depth > 0;) {
            const std::string t = tokens.Next();
            if (t.empty()) return;
            if (t == first) ++depth;
            if (t == close) --depth;
        }
        return;
    }
    tokens.Next();  // generation
    tokens.Next();  // "R"
}

// Every key of the old dictionary but /Contents and /Resources, each token
// followed by a space, up to its closing ">>".
std::string DictionaryRestWithoutComments(PdfJob& job, const PageEntry& page) {
    if (!job.SeekObject(page.objectNumber, page.generation) || !job.SearchToken("<<")) return ">> ";
    CommentFreeTokens tokens(job.Reader());
    std::string text;
    int depth = 1;
    for (std::string t = tokens.Next(); !t.empty() && t != "endobj"; t = tokens.Next()) {
        if (depth == 1 && (t == "/Contents" || t == "/Resources")) {
            SkipValue(tokens);
            continue;
        }
        if (t == "<<") ++depth;
        if (t == ">>") --depth;
        text += t + " ";
        if (depth == 0) return text;
    }
    return text + ">> ";
}

// The first `count` CR LF lines at offset of the job's file.
bool ReadLines(PdfFile& file, int64_t offset, int count, std::string& out) {
    if (!file.Seek(offset, PdfFile::Origin::Start)) return false;
    for (int byte = file.ReadByte(); byte >= 0; byte = file.ReadByte()) {
        out += static_cast<char>(byte);
        if (out.ends_with("\r\n") && --count == 0) return true;
    }
    return false;
}

}  // namespace

bool PageDictionaryHasComment(PdfJob& job, const PageEntry& page) {
    if (!job.SeekObject(page.objectNumber, page.generation)) return false;
    for (std::string t = job.NextToken(); !t.empty() && t != "endobj"; t = job.NextToken())
        if (t.front() == '%') return true;
    return false;
}

bool RewritePageWithoutComments(PdfJob& job, int32_t index) {
    PageEntry page;
    if (!job.GetPage(index, page)) return false;
    const WriteTable::Entry* written = job.Writes().Find(page.objectNumber, page.generation);
    std::string text;
    if (written == nullptr || written->offset < 0 || !ReadLines(job.File(), written->offset, 3, text)) return false;
    text += DictionaryRestWithoutComments(job, page);
    text += "\r\nendobj\r\n";
    const int64_t offset = job.AppendAtEnd(text);
    job.RecordOffset(page.objectNumber, page.generation, offset);
    return offset >= 0;
}

}  // namespace sgry
