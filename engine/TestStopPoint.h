#pragma once
// A hook for the tests that stop a running sigilry-cli at a known moment of
// an update: when the environment variable SIGILRY_TEST_STOP_AT names the
// point being passed, the process stops itself with SIGSTOP there (the test
// waits for the stop, sends its signal, and continues the process). Without
// the variable nothing happens; a point stops the process once at most, the
// first time it is passed, or the n-th time for "<point>#<n>". A build
// without the CMake option SIGILRY_TEST_STOP_POINTS (the packaged programs)
// has no points at all.
// Points, in the order a run meets them:
//   "locked"      the file's lock is held, nothing read or rolled back yet
//   "journaled"   the journals of a group's in-place files are published,
//                 none of the files appended to yet
//   "copied"      the copy of a copy mode exists, nothing appended yet
//   "first-page"  the first stamped page object is written
//   "mid-pages"   half of the stamped pages are written
//   "xref"        inside the cross-reference section: its keyword is written,
//                 its entries and the trailer not yet
//   "synced"      the updates of a group are complete and synced, none yet
//                 published (renamed, or its journal removed)
//   "file-done"   a file's turn in a batch is over (its group closed when
//                 it was due); "file-done#3" after the third file
#include <string_view>

#include "pdf/PdfFile.h"

namespace sgry {

#ifdef SIGILRY_TEST_STOP_POINTS
void StopHereForTest(std::string_view point);
// The same, with the bytes buffered for file written out first: a process
// killed there leaves what a crash at that moment would leave on the disk.
void StopHereForTest(std::string_view point, PdfFile& file);
#else
inline void StopHereForTest(std::string_view) {}
inline void StopHereForTest(std::string_view, PdfFile&) {}
#endif

}  // namespace sgry
