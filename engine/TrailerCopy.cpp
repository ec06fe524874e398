#include "engine/TrailerCopy.h"

namespace sgry {

std::string CopyTrailerKeys(TokenReader& reader, int64_t sectionOffset) {
    std::string out;
    if (!reader.Seek(sectionOffset) || !reader.SearchToken("trailer") || !reader.SearchToken("<<"))
        return ">> ";

    int depth = 1;
    bool skipping = false;  // inside the value of /Size or /Prev
    for (std::string t = reader.NextToken(); !t.empty(); t = reader.NextToken()) {
        // A key of the trailer itself starts or ends a skip; the closing ">>" ends it too.
        if (depth == 1 && t[0] == '/') skipping = t == "/Size" || t == "/Prev";
        if (depth == 1 && t == ">>") skipping = false;
        if (t == "<<") ++depth;
        if (t == ">>") --depth;
        if (!skipping) out += t + " ";
        if (depth == 0) return out;
    }
    return out + ">> ";
}

}  // namespace sgry
