#include "engine/TestStopPoint.h"

#include <csignal>
#include <cstdlib>
#include <string>

#ifdef SIGILRY_TEST_STOP_POINTS
namespace sgry {

namespace {

struct WantedStop {
    std::string point;
    long pass = 1;  // "<point>#<n>": the n-th time it is passed
};

WantedStop ReadWantedStop() {
    const char* value = std::getenv("SIGILRY_TEST_STOP_AT");
    WantedStop wanted{value ? value : ""};
    if (const std::size_t hash = wanted.point.find('#'); hash != std::string::npos) {
        wanted.pass = std::strtol(wanted.point.c_str() + hash + 1, nullptr, 10);
        wanted.point.resize(hash);
    }
    return wanted;
}

// Only once: a file's lock, for one, is taken again when the file that was
// added to the list is stamped.
bool TestStopsAt(std::string_view point) {
    static WantedStop wanted = ReadWantedStop();
    if (wanted.point.empty() || wanted.point != point || --wanted.pass > 0) return false;
    wanted.point.clear();
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
