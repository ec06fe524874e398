#include "engine/TestStopPoint.h"

#include <csignal>
#include <cstdlib>
#include <string>

#ifdef SIGILRY_TEST_STOP_POINTS
namespace sgry {

namespace {

// Only the first time the point is passed: a file's lock, for one, is taken
// again when the file that was added to the list is stamped.
bool TestStopsAt(std::string_view point) {
    static std::string wanted = [] {
        const char* value = std::getenv("SIGILRY_TEST_STOP_AT");
        return std::string(value ? value : "");
    }();
    if (wanted.empty() || wanted != point) return false;
    wanted.clear();
    return true;
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
#endif
