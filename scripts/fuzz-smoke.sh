#!/usr/bin/env bash
# Builds the libFuzzer targets with clang (AddressSanitizer and
# UndefinedBehaviorSanitizer on every library) and runs each for a fixed
# number of inputs from its committed seed corpus, with a fixed seed, two
# targets at a time. Nothing depends on the machine's speed: two runs on one
# commit print the same counts and coverage figures anywhere. New inputs go
# to a scratch folder; a finding stops the script with the target's output and
# the input libFuzzer saved.
#   scripts/fuzz-smoke.sh
# A long run by hand:  build-fuzz/fuzz/fuzz_job -max_total_time=1200 /tmp/new fuzz/corpus/job
set -euo pipefail
cd "$(dirname "$0")/.."
build_dir=build-fuzz
started=$SECONDS

# Inputs per target, sized so that the runs take about a minute on two cores
# (the slow targets run the settings save or up to 160 QR encodings an input).
declare -A runs=(
  [job]=30000 [parser]=40000 [resources]=12000 [bmp]=60000 [jpeg]=40000 [png]=40000
  [settings]=2500 [listfile]=40000 [qr]=500
  [security]=6000 [journal]=20000 [pagebox]=20000 [balance]=40000
)
targets=(job parser resources bmp jpeg png settings listfile qr security journal pagebox balance)

# clang and its fuzzer runtime come with the set-up script's packages.
if ! command -v clang++ >/dev/null || ! ls /usr/lib/llvm-14/lib/clang/*/lib/linux/libclang_rt.fuzzer-x86_64.a >/dev/null 2>&1; then
  scripts/setup.sh
fi
CC=clang CXX=clang++ cmake -S . -B "$build_dir" -G Ninja -DSIGILRY_FUZZ=ON \
  -DSIGILRY_BUILD_TESTS=OFF -DSIGILRY_BUILD_GUI=OFF >/dev/null
cmake --build "$build_dir" -j2 --target "${targets[@]/#/fuzz_}"
built=$SECONDS

# libFuzzer files the operands of compares by the address of the code that
# made them, so the mutations of a run, and what they reach, follow the
# program's load address: it is fixed for the runs.
fixed_layout=(setarch "$(uname -m)" -R)
if ! "${fixed_layout[@]}" true 2>/dev/null; then
  echo "fuzz smoke: setarch -R is refused here, so the coverage figures may differ from run to run"
  fixed_layout=()
fi

# The same environment everywhere, so that the stack starts at the same
# address (the addresses a program compares reach libFuzzer's table too),
# and a scratch path of one length.
fixed_env=(env -i PATH=/usr/bin:/bin LC_ALL=C)
scratch="$(mktemp -d /tmp/sigilry-fuzz-smoke.XXXXXX)"
trap 'rm -rf "$scratch"' EXIT

# One target: the seeds are named in sorted order (a folder's order differs
# between file systems, and libFuzzer keeps it among inputs of one size).
run_target() {
  local target=$1
  local seeds
  seeds=$(find "fuzz/corpus/$target" -type f | LC_ALL=C sort | paste -sd, -)
  mkdir -p "$scratch/$target"
  if "${fixed_env[@]}" "${fixed_layout[@]}" "$build_dir/fuzz/fuzz_$target" -seed=1 -reload=0 -runs="${runs[$target]}" -seed_inputs="$seeds" \
      -timeout=10 -rss_limit_mb=2048 -print_final_stats=1 -artifact_prefix="$scratch/$target-" "$scratch/$target" \
      >"$scratch/$target.log" 2>&1; then
    touch "$scratch/$target.passed"
  fi
}

for target in "${targets[@]}"; do
  while [ "$(jobs -rp | wc -l)" -ge 2 ]; do wait -n || true; done
  run_target "$target" &
done
wait

failed=0
for target in "${targets[@]}"; do
  log="$scratch/$target.log"
  if [ -e "$scratch/$target.passed" ]; then
    count=$(grep -o 'stat::number_of_executed_units: *[0-9]*' "$log" | grep -o '[0-9]*$' || echo '?')
    cov=$(grep -o 'cov: [0-9]* ft: [0-9]*' "$log" | tail -1 || true)
    echo "fuzz_$target: $count runs, $cov, no finding"
  else
    failed=1
    echo "fuzz_$target: FINDING"
    tail -40 "$log"
    for artifact in "$scratch/$target"-*; do
      [ -e "$artifact" ] && echo "input: $(base64 -w0 "$artifact")"
    done
  fi
done
echo "fuzz smoke: build $((built - started)) s, runs $((SECONDS - built)) s"
exit "$failed"
