#!/usr/bin/env bash
# Times sigilry-cli against cp of the same files, outside the test run, on
# inputs it generates itself (bench/make_pdfs.py). Each time is the median of
# five runs; memory is the peak resident size /usr/bin/time reports.
#   bench/bench.sh [--huge] [BUILD_DIR]     (default build; builds sigilry-cli if needed)
# --huge adds a 200000-page file (about 150 MB, a minute to generate).
# Every workload puts a page number "n/N" in every page's footer. The column
# "flush" is what syncing the outputs to the disk costs: the difference to
# the same run with --no-sync; "ratio, unsynced" compares that run with cp,
# which syncs nothing either. If mutool is on the PATH, a last row does the
# same stamping of the 200 small files in place with bench/mutool-stamp.js:
# its time stands in the sigilry column; it syncs nothing, so its flush is 0.
set -euo pipefail
export LC_NUMERIC=C  # a point in $EPOCHREALTIME and in awk
cd "$(dirname "$0")/.."
huge=0
[ "${1:-}" = "--huge" ] && { huge=1; shift; }
build="${1:-build}"
cli="$build/sigilry-cli"
[ -x "$cli" ] || cmake --build "$build" -j2 --target sigilry-cli >/dev/null
if [ ! -x /usr/bin/time ]; then
  echo "bench.sh: /usr/bin/time is missing (apt-get install time)" >&2
  exit 2
fi

work="$(mktemp -d)"
trap 'rm -rf "$work"' EXIT
python3 bench/make_pdfs.py reportlab 2000 "$work/rl2000.pdf" >/dev/null
# ReportLab's layout with Flate-only content of about 5.6 KB a page decoded.
content_bytes=$(python3 bench/make_pdfs.py content 2000 "$work/content2000.pdf")
python3 bench/make_pdfs.py content 20000 "$work/content20000.pdf" >/dev/null
[ "$huge" = 1 ] && python3 bench/make_pdfs.py content 200000 "$work/content200000.pdf" >/dev/null
shared_bytes=$(python3 bench/make_pdfs.py shared 2000 "$work/shared2000.pdf")
python3 bench/make_pdfs.py text 2000 "$work/text2000.pdf"
python3 bench/make_pdfs.py images 70 "$work/images.pdf"
python3 bench/make_pdfs.py text 2 "$work/small.pdf"
mkdir "$work/many" "$work/many-cp" "$work/many-over"
for i in $(seq -w 1 200); do cp "$work/small.pdf" "$work/many/s$i.pdf"; done
cp "$work"/many/s*.pdf "$work/many-over/"

settings() {  # $1 output mode (0 prefix, 2 overwrite): footer centre "n/N" in Helvetica
  printf '[OptionList1]\r\nHF4_StyleType=1\r\nHF4_StylePageType=2\r\nHF4_FontName=Helvetica\r\n[App]\r\nOutput=%s\r\nUndo=False\r\n' "$1"
}
settings 0 >"$work/prefix.ini"
settings 2 >"$work/overwrite.ini"

# "SECONDS KB": the median time of five runs of a command, and its peak
# memory in a sixth run under /usr/bin/time (kept out of the timed runs, as is
# every fork but the command's own: the clock is bash's $EPOCHREALTIME);
# $prepare runs (untimed) before each.
measure() {
  local times=() start end
  for _ in 1 2 3 4 5; do
    [ -n "${prepare:-}" ] && eval "$prepare"
    start=$EPOCHREALTIME
    "$@" >/dev/null 2>"$work/err" || fail "$@"
    end=$EPOCHREALTIME
    times+=("$(awk "BEGIN{printf \"%.4f\", $end - $start}")")
  done
  [ -n "${prepare:-}" ] && eval "$prepare"
  /usr/bin/time -o "$work/time" -f '%M' "$@" >/dev/null 2>"$work/err" || fail "$@"
  echo "$(printf '%s\n' "${times[@]}" | sort -g | sed -n 3p) $(tail -1 "$work/time")"
}
fail() {
  echo "bench.sh: failed: $*" >&2
  cat "$work/err" >&2
  kill "$$"  # the whole script, not only the command substitution that measures
}

printf '| %-42s | %9s | %9s | %7s | %9s | %9s | %9s | %15s |\n' workload sigilry cp ratio "µs/page" "peak MB" flush \
  "ratio, unsynced"
printf '|%s|%s|%s|%s|%s|%s|%s|%s|\n' "$(printf -- '-%.0s' {1..44})" ----------- ----------- --------- ----------- \
  ----------- ----------- -----------------
row() {  # label, sigilry "s kb", cp "s kb", pages (0: no per-page figure), sigilry --no-sync "s kb"
  local s=${2% *} kb=${2#* } c=${3% *} unsynced=${5% *} per=""
  [ "$4" -gt 0 ] && per=$(awk "BEGIN{printf \"%.1f\", $s * 1e6 / $4}")
  printf '| %-42s | %7.3f s | %7.3f s | %7.2f | %9s | %9.1f | %7.3f s | %15.2f |\n' "$1" "$s" "$c" \
    "$(awk "BEGIN{print $s / $c}")" "$per" "$(awk "BEGIN{print $kb / 1024}")" "$(awk "BEGIN{print $s - $unsynced}")" \
    "$(awk "BEGIN{print $unsynced / $c}")"
}

# "SECONDS KB" of sigilry-cli with the settings file $1 on the files that follow.
stamp() { measure "$cli" --yes --quiet --settings "$work/$1.ini" "${@:2}"; }
stamp_unsynced() { measure "$cli" --yes --quiet --no-sync --settings "$work/$1.ini" "${@:2}"; }
copy_of() { prepare=""; measure cp "$1" "$work/_copy.pdf"; }

file_rows() {  # name pages
  local cp_time
  cp_time=$(copy_of "$work/$1.pdf")
  prepare=""
  row "$1, prefix" "$(stamp prefix "$work/$1.pdf")" "$cp_time" "$2" "$(stamp_unsynced prefix "$work/$1.pdf")"
  # The copy reaches the disk first: the run's own sync must not write cp's bytes.
  prepare="cp '$work/$1.pdf' '$work/over.pdf' && sync '$work/over.pdf'"
  row "$1, overwrite" "$(stamp overwrite "$work/over.pdf")" "$cp_time" "$2" "$(stamp_unsynced overwrite "$work/over.pdf")"
}
file_rows rl2000 2000
file_rows content2000 2000
file_rows content20000 20000
[ "$huge" = 1 ] && file_rows content200000 200000
file_rows shared2000 2000
file_rows text2000 2000
file_rows images 70

prepare=""
cp_many=$(measure cp "$work"/many/s*.pdf "$work/many-cp/")
row "200 files of 2 pages, prefix, one call" "$(stamp prefix "$work"/many/s*.pdf)" \
  "$cp_many" 400 "$(stamp_unsynced prefix "$work"/many/s*.pdf)"
rm -f "$work"/many/_*.pdf
# Overwriting, every run starts from fresh unstamped copies already on the disk.
prepare="cp '$work'/many/s*.pdf '$work/many-over/' && sync '$work'/many-over/s*.pdf"
row "200 files of 2 pages, overwrite, one call" "$(stamp overwrite "$work"/many-over/s*.pdf)" \
  "$cp_many" 400 "$(stamp_unsynced overwrite "$work"/many-over/s*.pdf)"
if command -v mutool >/dev/null; then
  mutool_run=$(measure mutool run bench/mutool-stamp.js "$work"/many-over/s*.pdf)
  grep -q SgStampF "$work/many-over/s200.pdf" || echo "bench.sh: mutool left s200.pdf unstamped" >&2
  row "200 files of 2 pages, mutool run, in place" "$mutool_run" "$cp_many" 400 "$mutool_run"
fi
prepare=""
echo
echo "files: rl2000 $(stat -c %s "$work/rl2000.pdf") B, content2000 $(stat -c %s "$work/content2000.pdf") B" \
  "($content_bytes B a page decoded), content20000 $(stat -c %s "$work/content20000.pdf") B," \
  "shared2000 $(stat -c %s "$work/shared2000.pdf") B ($shared_bytes B decoded, once)," \
  "text2000 $(stat -c %s "$work/text2000.pdf") B, images $(stat -c %s "$work/images.pdf") B; $(nproc) cores;" \
  "$(grep -m1 'model name' /proc/cpuinfo | cut -d: -f2 | sed 's/^ //')"
command -v mutool >/dev/null || echo "mutool is not on the PATH: its row is left out"
