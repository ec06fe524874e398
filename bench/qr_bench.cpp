// Time of one automatic QR encoding (version and level search, segmentation,
// Reed-Solomon, placement and the eight-mask choice) for a short and a long
// message. Not part of the test run: build the qr_bench target and run it.
#include <benchmark/benchmark.h>

#include <memory>
#include <string>

#include "qr/QrEncoder.h"

namespace {

// Mixed content (digits, capitals, lower case, Kanji) cut to length bytes.
std::string Message(std::size_t length) {
    const std::string unit = "Invoice 2024-000123 PAID \x93\xfa\x96\x7b\x8c\xea abc ";
    std::string s;
    while (s.size() + unit.size() <= length) s += unit;
    while (s.size() < length) s += 'x';
    return s;
}

void EncodeAuto(benchmark::State& state) {
    const std::string message = Message(static_cast<std::size_t>(state.range(0)));
    auto encoder = std::make_unique<sgry::QrEncoder>();
    int version = 0;
    int level = 0;
    for (auto _ : state) {
        sgry::QrMatrix matrix;
        if (!encoder->EncodeAuto(message, matrix, version, level)) state.SkipWithError("encoding failed");
        benchmark::DoNotOptimize(matrix.modules.get());
    }
    state.counters["version"] = version;
    state.counters["level"] = level;
}

BENCHMARK(EncodeAuto)->Arg(100)->Arg(2000)->Unit(benchmark::kMicrosecond);

}  // namespace

BENCHMARK_MAIN();
