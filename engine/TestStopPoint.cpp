#include "engine/TestStopPoint.h"

#include <csignal>
#include <cstdlib>
#include <string>

namespace sgry {

void StopHereForTest(std::string_view point) {
    static const std::string wanted = [] {
        const char* value = std::getenv("SIGILRY_TEST_STOP_AT");
        return std::string(value ? value : "");
    }();
    if (!wanted.empty() && wanted == point) std::raise(SIGSTOP);
}

}  // namespace sgry
