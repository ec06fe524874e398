#include "engine/SourceSecurity.h"

#include "pdf/PdfIndirectObject.h"
#include "pdf/PdfParser.h"
#include "pdf/PdfStrings.h"

namespace sgry {

namespace {

// /Encrypt, /CF, one crypt filter: references are followed two levels below /Encrypt.
constexpr int kFilterDepth = 2;

// The trailer's keys as the update copies them, parsed into a dictionary.
bool ParseTrailer(const std::string& trailerKeys, PdfDictionary& trailer) {
    PdfFile copy;
    copy.OpenMemory("<< " + trailerKeys);
    TokenReader copyReader(copy);
    copyReader.NextToken();  // "<<"
    PdfDictParser parser(copyReader);
    return parser.Parse(trailer);
}

// The objects /Encrypt refers to must stand in the file itself: an object
// stream would have to be decrypted with the very keys they describe.
std::unique_ptr<PdfObject> LoadObjectValue(TokenReader& reader, const ObjectOffsetTable& offsets,
                                           const PdfReference& reference) {
    const int64_t offset = offsets.Find(reference.Number(), reference.Generation());
    if (offset < 0 || offset >= PdfFile::kRegionBase || !reader.Seek(offset)) return nullptr;
    PdfIndirectObject object;
    PdfObjectParser parser(reader);
    if (!parser.Parse(object) || object.Number() != reference.Number() || object.ItemCount() == 0 || object.Stream())
        return nullptr;
    return object.TakeItem(0);
}

// Puts the values of the dictionary's references in their place, and those
// of the dictionaries it holds (the crypt filters of /CF and their entries),
// so that the handler reads direct values only. A reference that cannot be
// loaded stays (the handler then finds the value of the wrong type).
void ResolveReferences(TokenReader& reader, const ObjectOffsetTable& offsets, PdfDictionary& dictionary,
                       int depth) {
    for (std::size_t i = 0; i < dictionary.Count(); ++i) {
        PdfDictEntry* entry = dictionary.EntryAt(i);
        if (const auto* reference = entry ? PdfCast<PdfReference>(entry->Value()) : nullptr)
            if (std::unique_ptr<PdfObject> value = LoadObjectValue(reader, offsets, *reference))
                entry->SetValue(std::move(value));
        auto* nested = entry ? PdfCast<PdfDictionary>(entry->Value()) : nullptr;
        if (nested && depth > 0) ResolveReferences(reader, offsets, *nested, depth - 1);
    }
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
    std::unique_ptr<PdfObject> loaded;
    auto* encrypt = PdfCast<PdfDictionary>(entry->Value());
    if (const auto* reference = PdfCast<PdfReference>(entry->Value())) {
        result.encryptNumber = reference->Number();
        result.encryptGeneration = reference->Generation();
        loaded = LoadObjectValue(reader, offsets, *reference);
        encrypt = PdfCast<PdfDictionary>(loaded.get());
    }
    if (encrypt) ResolveReferences(reader, offsets, *encrypt, kFilterDepth);
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
