#!/usr/bin/env bash
# A long fuzz run of one target by hand (not in CI): the target runs from its
# committed corpus for SECONDS of CPU time in a child process that is
# restarted after a finding, so the run goes on; then what it found new is
# merged into a copy of the corpus (the inputs that add coverage). Prints one
# table row: CPU seconds, runs, coverage of the committed corpus and of the
# merged one, findings.
#   scripts/fuzz-campaign.sh TARGET [SECONDS]        (default 1200: 20 CPU-minutes)
# Findings stay in build-fuzz/campaign/TARGET/ as crash-*, timeout-*, oom-*;
# the merged corpus is build-fuzz/campaign/TARGET/merged (copy it over
# fuzz/corpus/TARGET when it is small enough).
set -euo pipefail
cd "$(dirname "$0")/.."
target=$1
seconds=${2:-1200}
binary=build-fuzz/fuzz/fuzz_$target
work=build-fuzz/campaign/$target
[ -x "$binary" ] || { echo "build $binary first (scripts/fuzz-smoke.sh)"; exit 2; }
rm -rf "$work"
mkdir -p "$work/new" "$work/merged"
# The run restarts its child from the binary: a copy, so that builds meanwhile do not change it.
cp "$binary" "$work/fuzz_$target"
binary=$work/fuzz_$target
# The job target (and the security target, which runs it) also reads every
# updated file again.
case $target in job | security) export SIGILRY_FUZZ_REREAD=1 ;; esac

coverage() {  # the coverage figure a run over the given folders starts from
  "$binary" -runs=0 -rss_limit_mb=2048 "$@" 2>&1 | grep -o 'INITED cov: [0-9]*' | grep -o '[0-9]*$' || echo 0
}
before=$(coverage "fuzz/corpus/$target")

# SECONDS is CPU time: while other work slows the run down, it goes on until
# it has had that much.
cpu=0 runs=0 round=0
while [ "$cpu" -lt "$seconds" ] && [ "$round" -lt 20 ]; do
  round=$((round + 1))
  /usr/bin/time -f '%U %S' -o "$work/cpu.$round" "$binary" -fork=1 -ignore_crashes=1 -ignore_timeouts=1 \
    -ignore_ooms=1 -max_total_time=$((seconds - cpu)) -timeout=10 -rss_limit_mb=2048 -artifact_prefix="$work/" \
    "$work/new" "fuzz/corpus/$target" >"$work/log.$round" 2>&1 || true
  cpu=$((cpu + $(awk '{ printf "%d", $1 + $2 }' "$work/cpu.$round")))
  runs=$((runs + $(grep -o '^#[0-9]*' "$work/log.$round" | tail -1 | tr -d '#' || echo 0)))
done

cp "fuzz/corpus/$target"/* "$work/merged/"
"$binary" -merge=1 -rss_limit_mb=2048 "$work/merged" "$work/new" >"$work/merge.log" 2>&1
after=$(coverage "$work/merged")
findings=$(find "$work" -maxdepth 1 \( -name 'crash-*' -o -name 'timeout-*' -o -name 'oom-*' -o -name 'leak-*' \) | wc -l)
size=$(du -sb "$work/merged" | cut -f1)
echo "$target: cpu ${cpu} s, runs ${runs}, cov ${before} -> ${after} (merged corpus $(ls "$work/merged" | wc -l) files, ${size} bytes), findings ${findings}"
