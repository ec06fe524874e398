#pragma once
// Reserves room in containers that are about to fill, so that they do not
// move (and touch fresh memory) at every step of their growth. A reservation
// that fails leaves them as they were: they still grow as they can.
#include <cstddef>
#include <new>
#include <stdexcept>

namespace sgry {

template <class... Containers>
bool TryReserve(std::size_t count, Containers&... containers) {
    try {
        (containers.reserve(count), ...);
        return true;
    } catch (const std::bad_alloc&) {
        return false;
    } catch (const std::length_error&) {
        return false;
    }
}

}  // namespace sgry
