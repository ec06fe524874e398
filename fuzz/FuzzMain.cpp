// The entry point of one fuzz target; SIGILRY_FUZZ_TARGET names the body in
// fuzz/FuzzTargets.h (fuzz/CMakeLists.txt builds this file once per target).
#include "fuzz/FuzzTargets.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    return sgry::fuzz::SIGILRY_FUZZ_TARGET(data, size);
}
