#include "engine/SourceStream.h"

#include <algorithm>

#include "pdf/PdfParser.h"
#include "pdf/StreamDecoder.h"

namespace sgry {

namespace {

std::optional<int64_t> IntegerText(const std::string& text) {
    std::size_t i = (!text.empty() && (text[0] == '+' || text[0] == '-')) ? 1 : 0;
    if (i == text.size() || text.size() > 19) return std::nullopt;
    for (std::size_t k = i; k < text.size(); ++k)
        if (text[k] < '0' || text[k] > '9') return std::nullopt;
    return TokenReader::LeadingInt(text);
}

bool IsUnsignedInteger(const std::string& t) { return !t.empty() && IntegerText(t).has_value() && t[0] != '-' && t[0] != '+'; }

// A dictionary value, or the single element of a one-element array (the
// /Filter [/FlateDecode] and /DecodeParms [<<...>>] forms).
const PdfObject* SingleValue(const PdfDictionary& dictionary, std::string_view key, bool& several) {
    several = false;
    const PdfDictEntry* entry = dictionary.Find(key);
    if (!entry || !entry->Value()) return nullptr;
    if (const auto* array = PdfCast<PdfArray>(entry->Value())) {
        several = array->Count() > 1;
        return array->ElementAt(0);
    }
    return entry->Value();
}

DecodeResult ReadPredictor(const PdfDictionary& dictionary, PredictorParams& params) {
    bool several = false;
    const auto* parms = PdfCast<PdfDictionary>(SingleValue(dictionary, "/DecodeParms", several));
    if (several) return DecodeResult::Unsupported;
    if (!parms) return DecodeResult::Ok;
    params.predictor = DirectInteger(*parms, "/Predictor").value_or(1);
    params.colors = DirectInteger(*parms, "/Colors").value_or(1);
    params.bitsPerComponent = DirectInteger(*parms, "/BitsPerComponent").value_or(8);
    params.columns = DirectInteger(*parms, "/Columns").value_or(1);
    return DecodeResult::Ok;
}

void RemoveEntry(PdfDictionary& dictionary, std::string_view key) {
    for (std::size_t i = 0; i < dictionary.Count(); ++i)
        if (const PdfDictEntry* entry = dictionary.EntryAt(i); entry && entry->KeyText() == key) {
            dictionary.TakeEntry(i);
            return;
        }
}

// The first element of an array value, or the value itself.
PdfObject* FirstValue(PdfDictEntry* entry) {
    if (!entry) return nullptr;
    if (auto* array = PdfCast<PdfArray>(entry->Value())) return array->ElementAt(0);
    return entry->Value();
}

// Drops the first element of an array value, or the entry itself.
void DropFirstValue(PdfDictionary& dictionary, std::string_view key) {
    PdfDictEntry* entry = dictionary.Find(key);
    if (auto* array = entry ? PdfCast<PdfArray>(entry->Value()) : nullptr) {
        array->TakeElement(0);
    } else if (entry) {
        RemoveEntry(dictionary, key);
    }
}

// A leading /Crypt filter names the crypt filter of this stream alone: the
// name in its /DecodeParms, /Identity when they give none. It is taken off
// the lists, which then name the decoding filters only.
std::optional<std::string> TakeCryptFilter(PdfDictionary& dictionary) {
    const auto* first = PdfCast<PdfLiteral>(FirstValue(dictionary.Find("/Filter")));
    if (!first || first->Text() != "/Crypt") return std::nullopt;
    const auto* parms = PdfCast<PdfDictionary>(FirstValue(dictionary.Find("/DecodeParms")));
    std::string name = parms ? DirectName(*parms, "/Name") : std::string();
    DropFirstValue(dictionary, "/Filter");
    DropFirstValue(dictionary, "/DecodeParms");
    return name.empty() ? "/Identity" : name;
}

StreamError ToStreamError(DecodeResult result) {
    switch (result) {
        case DecodeResult::Ok: return StreamError::None;
        case DecodeResult::Corrupt: return StreamError::Corrupt;
        case DecodeResult::TooLarge: return StreamError::TooLarge;
        case DecodeResult::Unsupported: return StreamError::Unsupported;
    }
    return StreamError::Corrupt;
}

}  // namespace

std::optional<int64_t> DirectInteger(const PdfDictionary& dictionary, std::string_view key) {
    const PdfDictEntry* entry = dictionary.Find(key);
    const auto* literal = entry ? PdfCast<PdfLiteral>(entry->Value()) : nullptr;
    if (!literal) return std::nullopt;
    return IntegerText(literal->Text());
}

std::string DirectName(const PdfDictionary& dictionary, std::string_view key) {
    const PdfDictEntry* entry = dictionary.Find(key);
    const auto* literal = entry ? PdfCast<PdfLiteral>(entry->Value()) : nullptr;
    if (!literal || literal->Text().empty() || literal->Text()[0] != '/') return std::string();
    return literal->Text();
}

bool SourceStreamReader::ReadHeader(int64_t offset, SourceStream& out) {
    error_ = StreamError::None;
    if (offset < 0 || offset >= PdfFile::kRegionBase || !reader_.Seek(offset)) return Fail(StreamError::NotStream);
    const std::string number = reader_.NextToken();
    const std::string generation = reader_.NextToken();
    if (!IsUnsignedInteger(number) || !IsUnsignedInteger(generation) || reader_.NextToken() != "obj" || reader_.NextToken() != "<<")
        return Fail(StreamError::NotStream);
    out.number = TokenReader::LeadingInt(number);
    out.generation = TokenReader::LeadingInt(generation);
    out.dictionary = std::make_unique<PdfDictionary>();
    PdfDictParser parser(reader_);
    if (!parser.Parse(*out.dictionary) || reader_.NextToken() != "stream") return Fail(StreamError::NotStream);
    out.dataOffset = reader_.Tell();
    return true;
}

// With the document's stream method, or with the crypt filter the stream names.
bool SourceStreamReader::Decrypt(const SourceStream& stream, const std::optional<std::string>& cryptFilter,
                                 std::string& data) const {
    const auto number = static_cast<int32_t>(stream.number);
    const auto generation = static_cast<int32_t>(stream.generation);
    if (!cryptFilter) {
        data = security_->DecryptStream(number, generation, data);
        return true;
    }
    const std::optional<CryptMethod> method = security_->NamedFilterMethod(*cryptFilter);
    if (!method) return false;
    data = security_->DecryptStream(number, generation, data, *method);
    return true;
}

bool SourceStreamReader::ReadData(SourceStream& out, std::size_t limit) {
    if (!out.dictionary || out.dataOffset < 0) return Fail(StreamError::NotStream);
    const int64_t dataStart = out.dataOffset;
    const std::optional<int64_t> length = StreamLength(*out.dictionary);
    const int64_t fileSize = reader_.File().Size();
    if (!length || *length < 0 || dataStart > fileSize || *length > fileSize - dataStart)
        return Fail(StreamError::BadLength);
    const std::optional<std::string> cryptFilter = TakeCryptFilter(*out.dictionary);
    // Data that could not be decoded is not read at all.
    if (!Decodable(*out.dictionary)) return Fail(StreamError::Unsupported);
    if (cryptFilter && !security_ && *cryptFilter != "/Identity") return Fail(StreamError::Unsupported);
    std::string raw(static_cast<std::size_t>(*length), '\0');
    if (!reader_.Seek(dataStart) || reader_.File().Read(raw.data(), raw.size()) != raw.size())
        return Fail(StreamError::BadLength);
    if (security_ && DirectName(*out.dictionary, "/Type") != "/XRef" && !Decrypt(out, cryptFilter, raw))
        return Fail(StreamError::Unsupported);
    return Decode(*out.dictionary, std::move(raw), std::min(limit, kMaxDecodedBytes), out.data);
}

// A direct integer, or "n g R" naming an object that holds one.
std::optional<int64_t> SourceStreamReader::StreamLength(const PdfDictionary& dictionary) {
    if (std::optional<int64_t> direct = DirectInteger(dictionary, "/Length")) return direct;
    const PdfDictEntry* entry = dictionary.Find("/Length");
    const auto* reference = entry ? PdfCast<PdfReference>(entry->Value()) : nullptr;
    if (!reference || !offsets_) return std::nullopt;
    const int64_t offset = offsets_->Find(reference->Number(), reference->Generation());
    if (offset < 0 || offset >= PdfFile::kRegionBase || !reader_.Seek(offset)) return std::nullopt;
    for (int i = 0; i < 3; ++i) reader_.NextToken();  // number, generation, "obj"
    return IntegerText(reader_.NextToken());
}

// No filter at all, or /FlateDecode alone.
bool SourceStreamReader::NoFilter(const PdfDictionary& dictionary) {
    const PdfDictEntry* filterEntry = dictionary.Find("/Filter");
    const auto* filterArray = filterEntry ? PdfCast<PdfArray>(filterEntry->Value()) : nullptr;
    return !filterEntry || (filterArray && filterArray->Count() == 0);
}

bool SourceStreamReader::Decodable(const PdfDictionary& dictionary) {
    if (NoFilter(dictionary)) return true;
    bool several = false;
    const auto* filter = PdfCast<PdfLiteral>(SingleValue(dictionary, "/Filter", several));
    return !several && filter && filter->Text() == "/FlateDecode";
}

bool SourceStreamReader::Decode(const PdfDictionary& dictionary, std::string raw, std::size_t limit,
                                std::string& out) {
    if (NoFilter(dictionary)) {
        if (raw.size() > limit) return Fail(StreamError::TooLarge);
        out = std::move(raw);
        return true;
    }
    if (!Decodable(dictionary)) return Fail(StreamError::Unsupported);
    PredictorParams params;
    if (const DecodeResult r = ReadPredictor(dictionary, params); r != DecodeResult::Ok) return Fail(ToStreamError(r));
    if (const DecodeResult r = InflateBounded(raw, limit, out); r != DecodeResult::Ok)
        return Fail(ToStreamError(r));
    if (const DecodeResult r = UndoPredictor(params, out); r != DecodeResult::Ok) return Fail(ToStreamError(r));
    return true;
}

}  // namespace sgry
