#pragma once
// The number of a named result code where it leaves the program: in a
// message shown to the user, a report line, a log or an exit status. Those
// readers know the numbers, so each code enumeration fixes its values; inside
// the program codes are compared and passed by name only.
#include <type_traits>

namespace sgry {

template <class Code>
    requires std::is_enum_v<Code>
constexpr int CodeNumber(Code code) {
    return static_cast<int>(code);
}

}  // namespace sgry
