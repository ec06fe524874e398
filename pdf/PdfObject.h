#pragma once
// In-memory PDF values with their exact text form. The same classes hold the
// dictionaries read from a source file (so that they can be written back with
// their values unchanged) and the dictionaries of every object we append.
//
// Ownership: every container owns its elements (std::unique_ptr). A value can
// be moved out of one structure and into another with the Take* functions;
// nothing is ever held by two structures at once.
//
// Text form (bytes, CR LF line ends):
//   dictionary  "<<" + every entry's text + "\r\n>>"      (empty: "<<\r\n>>")
//   entry       key text + " " + value text
//   key         "\r\n" + name (the name keeps its leading "/")
//   array       "[" + every element's text followed by " " + "]"   (empty: "[]")
//   literal     its text unchanged
//   reference   "%ld %d R" (PdfReference and PdfObjectRef alike)
//   integer     "%d";  real "%.2f" of the float widened to double
//   boolean     "true" when the value is exactly 1, otherwise "false"
#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

namespace sgry {

// Fixed kind codes; other parts of the program test them (5 is followed as a
// reference, a loaded object whose first content is 1 is a dictionary).
// Code 7 is not used.
enum class PdfKind : int {
    Dictionary = 1,
    Literal = 2,
    Key = 3,
    Array = 4,
    Reference = 5,
    DictEntry = 6,
    Integer = 8,
    ObjectRef = 9,
    Real = 10,
    Boolean = 11,
};

class PdfObject {
public:
    PdfObject() = default;
    PdfObject(const PdfObject&) = delete;
    PdfObject& operator=(const PdfObject&) = delete;
    virtual ~PdfObject() = default;

    // The serialised bytes of the value (see the table at the top).
    virtual std::string ToText() const = 0;
    virtual PdfKind Kind() const = 0;
    // Empties the value: texts become empty, numbers 0, containers release
    // every element but keep it in their list. Nothing is leaked or freed twice.
    virtual void Release() {}

protected:
    // Containers are movable (a built dictionary is handed to its writer).
    PdfObject(PdfObject&&) = default;
    PdfObject& operator=(PdfObject&&) = default;
};

// The object as T when its kind is T's kind, otherwise nullptr.
template <class T>
T* PdfCast(PdfObject* object) {
    return (object && object->Kind() == T::kKind) ? static_cast<T*>(object) : nullptr;
}
template <class T>
const T* PdfCast(const PdfObject* object) {
    return (object && object->Kind() == T::kKind) ? static_cast<const T*>(object) : nullptr;
}

class PdfLiteral : public PdfObject {
public:
    static constexpr PdfKind kKind = PdfKind::Literal;
    explicit PdfLiteral(std::string_view text) : text_(text) {}
    std::string ToText() const override { return text_; }
    PdfKind Kind() const override { return kKind; }
    void Release() override { text_.clear(); }
    const std::string& Text() const { return text_; }

private:
    std::string text_;
};

class PdfKey : public PdfObject {
public:
    static constexpr PdfKind kKind = PdfKind::Key;
    // text is the key with its leading "/" (not validated).
    explicit PdfKey(std::string_view text) : text_(text) {}
    std::string ToText() const override { return "\r\n" + text_; }
    PdfKind Kind() const override { return kKind; }
    void Release() override { text_.clear(); }
    const std::string& Text() const { return text_; }

private:
    std::string text_;
};

class PdfInteger : public PdfObject {
public:
    static constexpr PdfKind kKind = PdfKind::Integer;
    explicit PdfInteger(int32_t value) : value_(value) {}
    std::string ToText() const override;
    PdfKind Kind() const override { return kKind; }
    void Release() override { value_ = 0; }
    int32_t Value() const { return value_; }

private:
    int32_t value_;
};

class PdfReal : public PdfObject {
public:
    static constexpr PdfKind kKind = PdfKind::Real;
    explicit PdfReal(float value) : value_(value) {}
    std::string ToText() const override;
    PdfKind Kind() const override { return kKind; }
    void Release() override { value_ = 0.0f; }
    float Value() const { return value_; }

private:
    float value_;
};

class PdfBoolean : public PdfObject {
public:
    static constexpr PdfKind kKind = PdfKind::Boolean;
    // Any value but 1 prints as "false".
    explicit PdfBoolean(int32_t value) : value_(value) {}
    std::string ToText() const override { return value_ == 1 ? "true" : "false"; }
    PdfKind Kind() const override { return kKind; }
    void Release() override { value_ = 0; }
    int32_t Value() const { return value_; }

private:
    int32_t value_;
};

// An indirect reference "number generation R", as parsers and most builders make it.
class PdfReference : public PdfObject {
public:
    static constexpr PdfKind kKind = PdfKind::Reference;
    PdfReference(int32_t number, int32_t generation) : number_(number), generation_(generation) {}
    std::string ToText() const override;
    PdfKind Kind() const override { return kKind; }
    // A reference keeps its number and generation.
    void Release() override {}
    int32_t Number() const { return number_; }
    int32_t Generation() const { return generation_; }

private:
    int32_t number_;
    int32_t generation_;
};

// The same text as PdfReference under its own kind; the Japanese font objects use it.
class PdfObjectRef : public PdfObject {
public:
    static constexpr PdfKind kKind = PdfKind::ObjectRef;
    PdfObjectRef(int32_t number, int32_t generation) : number_(number), generation_(generation) {}
    std::string ToText() const override;
    PdfKind Kind() const override { return kKind; }
    void Release() override { number_ = 0; generation_ = 0; }
    int32_t Number() const { return number_; }
    int32_t Generation() const { return generation_; }

private:
    int32_t number_;
    int32_t generation_;
};

// One "key value" pair of a dictionary. Owns both; the key is a PdfKey in practice.
class PdfDictEntry : public PdfObject {
public:
    static constexpr PdfKind kKind = PdfKind::DictEntry;
    PdfDictEntry() = default;
    PdfDictEntry(std::unique_ptr<PdfObject> key, std::unique_ptr<PdfObject> value);

    // Key text, " ", value text. A missing key or value contributes nothing.
    std::string ToText() const override;
    PdfKind Kind() const override { return kKind; }
    // Destroys the key and the value and clears both.
    void Release() override;

    // A null argument changes nothing; otherwise the previous key/value is destroyed.
    void SetKey(std::unique_ptr<PdfObject> key);
    void SetValue(std::unique_ptr<PdfObject> value);
    // The key's name ("/Font"); empty when there is no key.
    std::string KeyText() const;
    PdfObject* Key() const { return key_.get(); }
    PdfObject* Value() const { return value_.get(); }
    // Moves the value out (the entry is left without value), e.g. to store a
    // parsed sub-dictionary elsewhere.
    std::unique_ptr<PdfObject> TakeValue() { return std::move(value_); }

private:
    std::unique_ptr<PdfObject> key_;
    std::unique_ptr<PdfObject> value_;
};

class PdfDictionary : public PdfObject {
public:
    static constexpr PdfKind kKind = PdfKind::Dictionary;
    PdfDictionary() = default;
    PdfDictionary(PdfDictionary&&) noexcept = default;
    PdfDictionary& operator=(PdfDictionary&&) noexcept = default;

    std::string ToText() const override;
    PdfKind Kind() const override { return kKind; }
    // Release() on every entry; the (now empty) entries stay in the list.
    void Release() override;

    // Each Add* appends one entry and returns true; false for a null argument
    // or when the list cannot grow (nothing is appended, the argument is freed).
    bool AddEntry(std::unique_ptr<PdfDictEntry> entry);
    // key text includes the leading "/": AddLiteral("/Type", "/Font").
    bool AddLiteral(std::string_view key, std::string_view value);
    bool AddObject(std::string_view key, std::unique_ptr<PdfObject> value);
    bool AddInteger(std::string_view key, int32_t value);

    // First entry whose key text equals key byte for byte; nullptr for an
    // empty key, an empty dictionary or no match. The entry stays owned here.
    PdfDictEntry* Find(std::string_view key) const;
    // "/UK0", "/UK1", ...: the first of them that no entry uses as its key.
    std::string UniqueKey() const;

    std::size_t Count() const { return entries_.size(); }
    // Entry at index (0 .. Count()-1), nullptr outside.
    PdfDictEntry* EntryAt(std::size_t index) const;
    // Removes the entry at index from the list and hands it over; nullptr outside.
    std::unique_ptr<PdfDictEntry> TakeEntry(std::size_t index);

private:
    std::vector<std::unique_ptr<PdfDictEntry>> entries_;
};

class PdfArray : public PdfObject {
public:
    static constexpr PdfKind kKind = PdfKind::Array;
    PdfArray() = default;
    PdfArray(PdfArray&&) noexcept = default;
    PdfArray& operator=(PdfArray&&) noexcept = default;

    std::string ToText() const override;
    PdfKind Kind() const override { return kKind; }
    // Release() on every element; the elements stay in the list.
    void Release() override;

    // Append one element; false for a null object or when the list cannot grow.
    bool AddEntry(std::unique_ptr<PdfObject> object);
    bool AddInteger(int32_t value);
    bool AddReal(float value);
    bool AddLiteral(std::string_view text);

    std::size_t Count() const { return elements_.size(); }
    // Element at index (0 .. Count()-1), nullptr outside. Owned by the array.
    PdfObject* ElementAt(std::size_t index) const;
    // Removes the element at index and hands it over; nullptr outside.
    std::unique_ptr<PdfObject> TakeElement(std::size_t index);

private:
    std::vector<std::unique_ptr<PdfObject>> elements_;
};

}  // namespace sgry
