#pragma once
// Encrypts the objects of an update to an encrypted document. Every object
// writer appends an object as text (its header "N G obj" and dictionary, and
// for a stream "stream" and an end of line), stream bytes, and closing text
// ending with "endobj". The sealer takes these pieces of one object in turn
// and, once the object is complete, gives it back with every string
// re-encrypted with the object's own key (strings reach it as plain bytes:
// those copied from the source were decrypted when they were read), its
// stream data encrypted, and its /Length set to the encrypted size.
#include <cstdint>
#include <string>
#include <string_view>

#include "pdf/SecurityHandler.h"

namespace sgry {

// The object number and generation when text starts with "N G obj"
// (after optional white space); false otherwise.
bool ObjectHeader(std::string_view text, int32_t& number, int32_t& generation);

// One object's text with every string encrypted for (number, generation), up
// to its "stream" keyword or the end; the rest is copied unchanged.
std::string EncryptObjectStrings(const SecurityHandler& handler, int32_t number, int32_t generation,
                                 std::string_view text);

class ObjectSealer {
public:
    explicit ObjectSealer(const SecurityHandler& handler) : handler_(handler) {}

    // True while an object has begun and is not complete.
    bool Pending() const { return state_ != State::Idle; }
    // Takes text: the start of an object (when none is pending and text
    // begins with an object header) or its next piece. False when text is
    // not part of an object (it is then to be written as it is).
    bool TakeText(std::string_view text);
    // Takes stream bytes of the pending object; false when none is pending.
    bool TakeBytes(std::string_view bytes);
    // True when the pending object has ended with "endobj".
    bool Complete() const { return complete_; }
    // The sealed object; the sealer is idle again afterwards.
    std::string Release();
    // Drops a pending object.
    void Reset();

private:
    enum class State { Idle, Head, Data, Tail };

    std::string SealedHead() const;

    const SecurityHandler& handler_;
    State state_ = State::Idle;
    bool complete_ = false;
    int32_t number_ = 0;
    int32_t generation_ = 0;
    std::string head_;  // header and dictionary, up to and including "stream" and its line end
    std::string data_;
    std::string tail_;
};

}  // namespace sgry
