#include "pdf/PdfObject.h"

#include <new>
#include <utility>

#include "platform/Format.h"

namespace sgry {

namespace {

// Containers report a failed growth as a result instead of aborting; the
// element offered is then freed with its unique_ptr.
template <class T>
bool Append(std::vector<std::unique_ptr<T>>& list, std::unique_ptr<T> element) {
    if (!element) return false;
    try {
        list.push_back(std::move(element));
    } catch (const std::bad_alloc&) {
        return false;
    }
    return true;
}

std::string ReferenceText(int32_t number, int32_t generation) {
    return Format("%ld %d R", number, generation);
}

}  // namespace

std::string PdfInteger::ToText() const { return Format("%d", value_); }

std::string PdfReal::ToText() const { return Format("%.2f", static_cast<double>(value_)); }

std::string PdfReference::ToText() const { return ReferenceText(number_, generation_); }

std::string PdfObjectRef::ToText() const { return ReferenceText(number_, generation_); }

PdfDictEntry::PdfDictEntry(std::unique_ptr<PdfObject> key, std::unique_ptr<PdfObject> value)
    : key_(std::move(key)), value_(std::move(value)) {}

std::string PdfDictEntry::ToText() const {
    std::string text = key_ ? key_->ToText() : std::string();
    text += ' ';
    if (value_) text += value_->ToText();
    return text;
}

void PdfDictEntry::Release() {
    key_.reset();
    value_.reset();
}

void PdfDictEntry::SetKey(std::unique_ptr<PdfObject> key) {
    if (key) key_ = std::move(key);
}

void PdfDictEntry::SetValue(std::unique_ptr<PdfObject> value) {
    if (value) value_ = std::move(value);
}

std::string PdfDictEntry::KeyText() const {
    if (!key_) return std::string();
    if (const auto* key = PdfCast<PdfKey>(key_.get())) return key->Text();
    return key_->ToText();
}

std::string PdfDictionary::ToText() const {
    std::string text = "<<";
    for (const auto& entry : entries_) text += entry->ToText();
    text += "\r\n>>";
    return text;
}

void PdfDictionary::Release() {
    for (auto& entry : entries_) entry->Release();
}

bool PdfDictionary::AddEntry(std::unique_ptr<PdfDictEntry> entry) { return Append(entries_, std::move(entry)); }

bool PdfDictionary::AddObject(std::string_view key, std::unique_ptr<PdfObject> value) {
    if (!value) return false;
    return AddEntry(std::make_unique<PdfDictEntry>(std::make_unique<PdfKey>(key), std::move(value)));
}

bool PdfDictionary::AddLiteral(std::string_view key, std::string_view value) {
    return AddObject(key, std::make_unique<PdfLiteral>(value));
}

bool PdfDictionary::AddInteger(std::string_view key, int32_t value) {
    return AddObject(key, std::make_unique<PdfInteger>(value));
}

PdfDictEntry* PdfDictionary::Find(std::string_view key) const {
    if (key.empty()) return nullptr;
    for (const auto& entry : entries_)
        if (entry->KeyText() == key) return entry.get();
    return nullptr;
}

std::string PdfDictionary::UniqueKey() const {
    // At most Count() keys can be taken, so one of the first Count()+1 names is free.
    for (int32_t n = 0;; ++n) {
        std::string candidate = Format("%s%d", "/UK", n);
        if (!Find(candidate)) return candidate;
    }
}

PdfDictEntry* PdfDictionary::EntryAt(std::size_t index) const {
    return index < entries_.size() ? entries_[index].get() : nullptr;
}

std::unique_ptr<PdfDictEntry> PdfDictionary::TakeEntry(std::size_t index) {
    if (index >= entries_.size()) return nullptr;
    std::unique_ptr<PdfDictEntry> entry = std::move(entries_[index]);
    entries_.erase(entries_.begin() + static_cast<std::ptrdiff_t>(index));
    return entry;
}

std::string PdfArray::ToText() const {
    std::string text = "[";
    for (const auto& element : elements_) {
        text += element->ToText();
        text += ' ';
    }
    text += ']';
    return text;
}

void PdfArray::Release() {
    for (auto& element : elements_) element->Release();
}

bool PdfArray::AddEntry(std::unique_ptr<PdfObject> object) { return Append(elements_, std::move(object)); }

bool PdfArray::AddInteger(int32_t value) { return AddEntry(std::make_unique<PdfInteger>(value)); }

bool PdfArray::AddReal(float value) { return AddEntry(std::make_unique<PdfReal>(value)); }

bool PdfArray::AddLiteral(std::string_view text) { return AddEntry(std::make_unique<PdfLiteral>(text)); }

PdfObject* PdfArray::ElementAt(std::size_t index) const {
    return index < elements_.size() ? elements_[index].get() : nullptr;
}

std::unique_ptr<PdfObject> PdfArray::TakeElement(std::size_t index) {
    if (index >= elements_.size()) return nullptr;
    std::unique_ptr<PdfObject> element = std::move(elements_[index]);
    elements_.erase(elements_.begin() + static_cast<std::ptrdiff_t>(index));
    return element;
}

}  // namespace sgry
