#include "engine/SourceSecurity.h"

#include "pdf/PdfParser.h"
#include "pdf/PdfStrings.h"

namespace sgry {

namespace {

// The trailer's keys as the update copies them, parsed into a dictionary.
bool ParseTrailer(const std::string& trailerKeys, PdfDictionary& trailer) {
    PdfFile copy;
    copy.OpenMemory("<< " + trailerKeys);
    TokenReader copyReader(copy);
    copyReader.NextToken();  // "<<"
    PdfDictParser parser(copyReader);
    return parser.Parse(trailer);
}

// The /Encrypt object itself must stand in the file: an object stream would
// have to be decrypted with the very keys the dictionary describes. Its value
// must be the dictionary (a reference, even one to itself, is refused).
std::unique_ptr<PdfDictionary> LoadEncryptObject(TokenReader& reader, const ObjectOffsetTable& offsets,
                                                 const PdfReference& reference) {
    const int64_t offset = offsets.Find(reference.Number(), reference.Generation());
    if (offset < 0 || offset >= PdfFile::kRegionBase || !reader.Seek(offset)) return nullptr;
    for (int i = 0; i < 3; ++i) reader.NextToken();  // number, generation, "obj"
    if (reader.NextToken() != "<<") return nullptr;
    auto dictionary = std::make_unique<PdfDictionary>();
    PdfDictParser parser(reader);
    return parser.Parse(*dictionary) ? std::move(dictionary) : nullptr;
}

std::string FirstId(const PdfDictionary& trailer) {
    const PdfDictEntry* entry = trailer.Find("/ID");
    const auto* ids = entry ? PdfCast<PdfArray>(entry->Value()) : nullptr;
    const auto* first = ids && ids->Count() > 0 ? PdfCast<PdfLiteral>(ids->ElementAt(0)) : nullptr;
    return first ? DecodeStringToken(first->Text()).value_or("") : std::string();
}

}  // namespace

SourceSecurity ReadSourceSecurity(TokenReader& reader, const ObjectOffsetTable& offsets,
                                  const std::string& trailerKeys, const Passwords& passwords) {
    SourceSecurity result;
    PdfDictionary trailer;
    if (!ParseTrailer(trailerKeys, trailer)) return result;
    const PdfDictEntry* entry = trailer.Find("/Encrypt");
    if (!entry) return result;
    std::unique_ptr<PdfDictionary> loaded;
    const auto* encrypt = PdfCast<PdfDictionary>(entry->Value());
    if (const auto* reference = PdfCast<PdfReference>(entry->Value())) {
        result.encryptNumber = reference->Number();
        result.encryptGeneration = reference->Generation();
        loaded = LoadEncryptObject(reader, offsets, *reference);
        encrypt = loaded.get();
    }
    auto handler = std::make_unique<SecurityHandler>();
    if (!encrypt) {
        result.error = security_error::kMalformed;
    } else if (!handler->Load(*encrypt, FirstId(trailer)) || !handler->Authenticate(passwords)) {
        result.error = handler->Error();
    }
    result.handler = std::move(handler);
    return result;
}

}  // namespace sgry
