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

PredictorParams ReadPredictor(const PdfDictionary* parms) {
    PredictorParams params;
    if (!parms) return params;
    params.predictor = DirectInteger(*parms, "/Predictor").value_or(1);
    params.colors = DirectInteger(*parms, "/Colors").value_or(1);
    params.bitsPerComponent = DirectInteger(*parms, "/BitsPerComponent").value_or(8);
    params.columns = DirectInteger(*parms, "/Columns").value_or(1);
    return params;
}

enum class Filter { Flate, Lzw, AsciiHex, Ascii85, RunLength, Unknown };

Filter FilterNamed(std::string_view name) {
    if (name == "/FlateDecode" || name == "/Fl") return Filter::Flate;
    if (name == "/LZWDecode" || name == "/LZW") return Filter::Lzw;
    if (name == "/ASCIIHexDecode" || name == "/AHx") return Filter::AsciiHex;
    if (name == "/ASCII85Decode" || name == "/A85") return Filter::Ascii85;
    if (name == "/RunLengthDecode" || name == "/RL") return Filter::RunLength;
    return Filter::Unknown;
}

struct FilterStep {
    Filter filter;
    const PdfDictionary* parms;  // nullptr: the defaults
};

// The filters in the order they apply, each with its /DecodeParms; nullopt
// for a filter this reader does not decode or values of the wrong type.
std::optional<std::vector<FilterStep>> FilterSteps(const PdfDictionary& dictionary) {
    std::vector<FilterStep> steps;
    const PdfDictEntry* filterEntry = dictionary.Find("/Filter");
    const PdfDictEntry* parmsEntry = dictionary.Find("/DecodeParms");
    if (!filterEntry || !filterEntry->Value()) return steps;
    const auto* filters = PdfCast<PdfArray>(filterEntry->Value());
    const auto* parmsArray = parmsEntry ? PdfCast<PdfArray>(parmsEntry->Value()) : nullptr;
    const std::size_t count = filters ? filters->Count() : 1;
    for (std::size_t i = 0; i < count; ++i) {
        const auto* name = PdfCast<PdfLiteral>(filters ? filters->ElementAt(i) : filterEntry->Value());
        const Filter filter = name ? FilterNamed(name->Text()) : Filter::Unknown;
        if (filter == Filter::Unknown) return std::nullopt;
        const PdfObject* parms = parmsArray ? parmsArray->ElementAt(i) : (parmsEntry && i == 0 ? parmsEntry->Value() : nullptr);
        steps.push_back({filter, PdfCast<PdfDictionary>(parms)});
    }
    return steps;
}

DecodeResult ApplyStep(const FilterStep& step, std::string_view in, std::size_t limit, std::string& out) {
    switch (step.filter) {
        case Filter::Flate:
        case Filter::Lzw: {
            const bool earlyChange = !step.parms || DirectInteger(*step.parms, "/EarlyChange").value_or(1) != 0;
            const DecodeResult r = step.filter == Filter::Flate ? InflateBounded(in, limit, out)
                                                                : LzwDecode(in, earlyChange, limit, out);
            if (r != DecodeResult::Ok && r != DecodeResult::Corrupt) return r;
            const DecodeResult undone = UndoPredictor(ReadPredictor(step.parms), out);
            return r == DecodeResult::Ok ? undone : r;
        }
        case Filter::AsciiHex: return AsciiHexDecode(in, limit, out);
        case Filter::Ascii85: return Ascii85Decode(in, limit, out);
        case Filter::RunLength: return RunLengthDecode(in, limit, out);
        case Filter::Unknown: break;
    }
    return DecodeResult::Unsupported;
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

bool SourceStreamReader::ReadRaw(SourceStream& stream, std::string& raw) {
    if (!stream.dictionary || stream.dataOffset < 0) return Fail(StreamError::NotStream);
    const int64_t dataStart = stream.dataOffset;
    const std::optional<int64_t> length = StreamLength(*stream.dictionary);
    const int64_t fileSize = reader_.File().Size();
    if (!length || *length < 0 || dataStart > fileSize || *length > fileSize - dataStart)
        return Fail(StreamError::BadLength);
    const std::optional<std::string> cryptFilter = TakeCryptFilter(*stream.dictionary);
    // Data that could not be decoded is not read at all.
    if (!Decodable(*stream.dictionary)) return Fail(StreamError::Unsupported);
    if (cryptFilter && !security_ && *cryptFilter != "/Identity") return Fail(StreamError::Unsupported);
    raw.assign(static_cast<std::size_t>(*length), '\0');
    if (!reader_.Seek(dataStart) || reader_.File().Read(raw.data(), raw.size()) != raw.size())
        return Fail(StreamError::BadLength);
    if (security_ && DirectName(*stream.dictionary, "/Type") != "/XRef" && !Decrypt(stream, cryptFilter, raw))
        return Fail(StreamError::Unsupported);
    return true;
}

bool SourceStreamReader::ReadData(SourceStream& out, std::size_t limit) {
    out.data.clear();
    return ReadDataInto(out, [&out](std::string_view piece) { out.data.append(piece); }, limit);
}

bool SourceStreamReader::ReadDataInto(SourceStream& out, const DecodedSink& sink, std::size_t limit) {
    std::string raw;
    return ReadRaw(out, raw) && Decode(*out.dictionary, std::move(raw), std::min(limit, kMaxDecodedBytes), sink);
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

bool SourceStreamReader::Decodable(const PdfDictionary& dictionary) { return FilterSteps(dictionary).has_value(); }

// Every step but the last decodes into a string of its own; the last hands
// its output over as it comes.
bool SourceStreamReader::Decode(const PdfDictionary& dictionary, std::string raw, std::size_t limit,
                                const DecodedSink& sink) {
    const std::optional<std::vector<FilterStep>> steps = FilterSteps(dictionary);
    if (!steps) return Fail(StreamError::Unsupported);
    if (raw.size() > limit && steps->empty()) return Fail(StreamError::TooLarge);
    // Damaged data still yields what decoded before the damage, through the
    // steps after it too, as a reader draws that much of it; the stream then
    // counts as Corrupt.
    std::string data = std::move(raw);
    DecodeResult damage = DecodeResult::Ok;
    for (std::size_t i = 0; i < steps->size(); ++i) {
        const FilterStep& step = (*steps)[i];
        const bool last = i + 1 == steps->size();
        const bool piecewise = last && step.filter == Filter::Flate && ReadPredictor(step.parms).predictor == 1;
        std::string decoded;
        const DecodeResult r = piecewise ? InflateInto(data, limit, sink) : ApplyStep(step, data, limit, decoded);
        if (r != DecodeResult::Ok && r != DecodeResult::Corrupt) return Fail(ToStreamError(r));
        if (r == DecodeResult::Corrupt) damage = r;
        if (piecewise) return damage == DecodeResult::Ok || Fail(ToStreamError(damage));
        data = std::move(decoded);
    }
    sink(data);
    return damage == DecodeResult::Ok || Fail(ToStreamError(damage));
}

}  // namespace sgry
