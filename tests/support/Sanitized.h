#pragma once
// Whether the tests run in the AddressSanitizer build. There memory is
// checked; sizes that only prove speed or scale are smaller, since the plain
// build already measures those.

namespace sgry::test {

#if defined(__SANITIZE_ADDRESS__)
inline constexpr bool kSanitized = true;
#else
inline constexpr bool kSanitized = false;
#endif

}  // namespace sgry::test
