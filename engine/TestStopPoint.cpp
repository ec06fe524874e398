#include "engine/TestStopPoint.h"

#include <csignal>
#include <cstdlib>
#include <string>

namespace sgry {

namespace {

bool TestStopsAt(std::string_view point) {
    static const std::string wanted = [] {
        const char* value = std::getenv("SIGILRY_TEST_STOP_AT");
        return std::string(value ? value : "");
    }();
    return !wanted.empty() && wanted == point;
}

}  // namespace

void StopHereForTest(std::string_view point) {
    if (TestStopsAt(point)) std::raise(SIGSTOP);
}

void StopHereForTest(std::string_view point, PdfFile& file) {
    if (!TestStopsAt(point)) return;
    file.Flush();
    std::raise(SIGSTOP);
}

}  // namespace sgry
