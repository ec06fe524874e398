#include "engine/SignatureSurvey.h"

#include <climits>
#include <set>
#include <utility>
#include <vector>

#include "pdf/PdfIndirectObject.h"
#include "pdf/PdfParser.h"

namespace sgry {

namespace {

// A hostile form tree must not keep the run reading.
constexpr std::size_t kMaxFields = 100000;

using ObjectId = std::pair<int32_t, int32_t>;

// Objects of the job as parsed values, kept for the survey's lifetime.
class ObjectValues {
public:
    explicit ObjectValues(PdfJob& job) : job_(job) {}

    const PdfObject* Load(int64_t number, int64_t generation) {
        if (!job_.SeekObject(number, generation)) return nullptr;
        PdfIndirectObject object;
        if (!PdfObjectParser(job_.Reader()).Parse(object) || object.ItemCount() == 0) return nullptr;
        kept_.push_back(object.TakeItem(0));
        return kept_.back().get();
    }
    // The value itself, or the object its reference names.
    const PdfObject* Resolve(const PdfObject* value) {
        const auto* reference = PdfCast<PdfReference>(value);
        return reference ? Load(reference->Number(), reference->Generation()) : value;
    }
    const PdfDictionary* Dictionary(const PdfObject* value) { return PdfCast<PdfDictionary>(Resolve(value)); }
    const PdfDictionary* Entry(const PdfDictionary* dictionary, const char* key) {
        const PdfDictEntry* entry = dictionary ? dictionary->Find(key) : nullptr;
        return entry ? Dictionary(entry->Value()) : nullptr;
    }

private:
    PdfJob& job_;
    std::vector<std::unique_ptr<PdfObject>> kept_;
};

std::string LiteralOf(const PdfDictionary& dictionary, const char* key) {
    const PdfDictEntry* entry = dictionary.Find(key);
    const auto* literal = entry ? PdfCast<PdfLiteral>(entry->Value()) : nullptr;
    return literal ? literal->Text() : std::string();
}

// An object number or generation written as a token; -1 for anything else.
int64_t NumberToken(const PdfObject* element) {
    const auto* literal = PdfCast<PdfLiteral>(element);
    const bool digits = literal && !literal->Text().empty() && literal->Text().size() <= 10 &&
                        literal->Text().find_first_not_of("0123456789") == std::string::npos;
    const int64_t value = digits ? TokenReader::LeadingInt(literal->Text()) : -1;
    return value <= INT32_MAX ? value : -1;
}

// An array's elements come as tokens: a reference is "n", "g", "R".
std::vector<ObjectId> ArrayReferences(const PdfArray& array) {
    std::vector<ObjectId> references;
    for (std::size_t i = 0; i + 2 < array.Count(); ++i) {
        const auto* r = PdfCast<PdfLiteral>(array.ElementAt(i + 2));
        const int64_t number = NumberToken(array.ElementAt(i));
        const int64_t generation = NumberToken(array.ElementAt(i + 1));
        if (!r || r->Text() != "R" || number < 0 || generation < 0) continue;
        references.emplace_back(static_cast<int32_t>(number), static_cast<int32_t>(generation));
        i += 2;
    }
    return references;
}

const PdfArray* ArrayEntry(ObjectValues& values, const PdfDictionary& dictionary, const char* key) {
    const PdfDictEntry* entry = dictionary.Find(key);
    return entry ? PdfCast<PdfArray>(values.Resolve(entry->Value())) : nullptr;
}

// The dictionaries of an array: those written in it and those it refers to.
std::vector<const PdfDictionary*> ArrayDictionaries(ObjectValues& values, const PdfArray& array) {
    std::vector<const PdfDictionary*> dictionaries;
    for (std::size_t i = 0; i < array.Count(); ++i)
        if (const auto* dictionary = PdfCast<PdfDictionary>(array.ElementAt(i)))
            dictionaries.push_back(dictionary);
    for (const ObjectId& id : ArrayReferences(array))
        if (const auto* dictionary = PdfCast<PdfDictionary>(values.Load(id.first, id.second)))
            dictionaries.push_back(dictionary);
    return dictionaries;
}

// /P of the signature's DocMDP reference.
int32_t DocMdpP(ObjectValues& values, const PdfDictionary* signature) {
    const PdfArray* references = signature ? ArrayEntry(values, *signature, "/Reference") : nullptr;
    if (!references) return kDefaultDocMdpP;
    for (const PdfDictionary* reference : ArrayDictionaries(values, *references)) {
        if (LiteralOf(*reference, "/TransformMethod") != "/DocMDP") continue;
        const PdfDictionary* params = values.Entry(reference, "/TransformParams");
        const std::string p = params ? LiteralOf(*params, "/P") : std::string();
        return p == "1" || p == "2" || p == "3" ? p[0] - '0' : kDefaultDocMdpP;
    }
    return kDefaultDocMdpP;
}

// Fields of type /Sig (their own or inherited) whose value is not null.
int32_t SignedFields(ObjectValues& values, const PdfArray& fields) {
    std::vector<std::pair<ObjectId, std::string>> pending;
    for (const ObjectId& id : ArrayReferences(fields)) pending.emplace_back(id, std::string());
    std::set<ObjectId> seen;
    int32_t count = 0;
    while (!pending.empty() && seen.size() < kMaxFields) {
        const auto [id, inherited] = pending.back();
        pending.pop_back();
        if (!seen.insert(id).second) continue;
        const auto* field = PdfCast<PdfDictionary>(values.Load(id.first, id.second));
        if (!field) continue;
        const std::string own = LiteralOf(*field, "/FT");
        const std::string type = own.empty() ? inherited : own;
        const PdfDictEntry* value = field->Find("/V");
        if (type == "/Sig" && value && LiteralOf(*field, "/V") != "null") ++count;
        if (const PdfArray* kids = ArrayEntry(values, *field, "/Kids"))
            for (const ObjectId& kid : ArrayReferences(*kids)) pending.emplace_back(kid, type);
    }
    return count;
}

SignatureSurvey Survey(PdfJob& job) {
    SignatureSurvey survey;
    int64_t number = 0;
    int64_t generation = 0;
    if (!job.ReadRoot(number, generation)) return survey;
    ObjectValues values(job);
    const auto* catalog = PdfCast<PdfDictionary>(values.Load(number, generation));
    if (!catalog) return survey;
    if (const PdfDictionary* perms = values.Entry(catalog, "/Perms")) {
        if (const PdfDictEntry* docMdp = perms->Find("/DocMDP")) {
            survey.certified = true;
            survey.docMdpP = DocMdpP(values, values.Dictionary(docMdp->Value()));
        }
        survey.usageRights = perms->Find("/UR3") != nullptr;
    }
    const PdfDictionary* form = values.Entry(catalog, "/AcroForm");
    if (const PdfArray* fields = form ? ArrayEntry(values, *form, "/Fields") : nullptr)
        survey.signatures = SignedFields(values, *fields);
    return survey;
}

}  // namespace

SignatureSurvey SurveySignatures(PdfJob& job) {
    const JobError code = job.ErrorCode();
    SignatureSurvey survey = Survey(job);
    job.SetErrorCode(code);
    return survey;
}

}  // namespace sgry
