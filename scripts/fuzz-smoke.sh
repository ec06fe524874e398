#!/usr/bin/env bash
# Builds the libFuzzer targets with clang (AddressSanitizer and
# UndefinedBehaviorSanitizer on every library) and runs each for a few seconds
# from its committed seed corpus with a fixed seed, so that a finding repeats
# on the next run. New inputs go to a scratch folder; a finding
# stops the script with the target's output and the input libFuzzer saved.
#   scripts/fuzz-smoke.sh [SECONDS_PER_TARGET]      (default 5)
# A long run by hand:  build-fuzz/fuzz/fuzz_job -max_total_time=3600 fuzz/corpus/job
set -euo pipefail
cd "$(dirname "$0")/.."
seconds="${1:-5}"
build_dir=build-fuzz

# clang and its fuzzer runtime come with the set-up script's packages.
if ! command -v clang++ >/dev/null || ! ls /usr/lib/llvm-14/lib/clang/*/lib/linux/libclang_rt.fuzzer-x86_64.a >/dev/null 2>&1; then
  scripts/setup.sh
fi
CC=clang CXX=clang++ cmake -S . -B "$build_dir" -G Ninja -DSIGILRY_FUZZ=ON \
  -DSIGILRY_BUILD_TESTS=OFF -DSIGILRY_BUILD_GUI=OFF >/dev/null
targets=(job parser resources bmp jpeg png settings listfile qr)
cmake --build "$build_dir" -j2 --target "${targets[@]/#/fuzz_}"

scratch="$(mktemp -d)"
trap 'rm -rf "$scratch"' EXIT
failed=0
for target in "${targets[@]}"; do
  mkdir -p "$scratch/$target"
  log="$scratch/$target.log"
  if "$build_dir/fuzz/fuzz_$target" -seed=1 -max_total_time="$seconds" -runs=2000000 -timeout=10 -rss_limit_mb=2048 \
      -print_final_stats=1 -artifact_prefix="$scratch/$target-" "$scratch/$target" "fuzz/corpus/$target" \
      >"$log" 2>&1; then
    runs=$(grep -o 'stat::number_of_executed_units: *[0-9]*' "$log" | grep -o '[0-9]*$' || echo '?')
    cov=$(grep -o 'cov: [0-9]*' "$log" | tail -1 || true)
    echo "fuzz_$target: $runs runs, $cov, no finding"
  else
    failed=1
    echo "fuzz_$target: FINDING"
    tail -40 "$log"
    for artifact in "$scratch/$target"-*; do
      [ -e "$artifact" ] && echo "input: $(base64 -w0 "$artifact")"
    done
  fi
done
exit "$failed"
