#!/usr/bin/env bash
# Times sigilry-cli against cp on inputs it generates itself, outside the test
# run. Each figure is the best of five runs; memory is the peak resident
# size that /usr/bin/time reports.
#   bench/bench.sh [BUILD_DIR]        (default build; builds sigilry-cli if needed)
# Cases: a 2000-page text file with a page number in every footer, a file of
# about 70 MB made mostly of images (prefix and overwrite mode), 200 small
# files in one call, and a 20000-page file for the growth from 2000 pages.
# Stamping rows end with the cost of syncing the outputs to the disk: the
# difference to the same run with --no-sync.
set -euo pipefail
cd "$(dirname "$0")/.."
build="${1:-build}"
cli="$build/sigilry-cli"
[ -x "$cli" ] || cmake --build "$build" -j2 --target sigilry-cli >/dev/null
if [ ! -x /usr/bin/time ]; then
  echo "bench.sh: /usr/bin/time is missing (apt-get install time)" >&2
  exit 2
fi

work="$(mktemp -d)"
trap 'rm -rf "$work"' EXIT
python3 bench/make_pdfs.py text 2000 "$work/text2000.pdf"
python3 bench/make_pdfs.py text 20000 "$work/text20000.pdf"
python3 bench/make_pdfs.py images 70 "$work/images.pdf"
python3 bench/make_pdfs.py text 3 "$work/small.pdf"
mkdir "$work/many" "$work/many-cp"
for i in $(seq -w 1 200); do cp "$work/small.pdf" "$work/many/s$i.pdf"; done

settings() {  # $1 output mode (0 prefix, 2 overwrite)
  printf '[OptionList1]\r\nHF4_StyleType=1\r\nHF4_StylePageType=0\r\nHF4_FontName=Helvetica\r\n[App]\r\nOutput=%s\r\nUndo=False\r\n' "$1"
}
settings 0 >"$work/prefix.ini"
settings 2 >"$work/overwrite.ini"

# best SECONDS and KB of three runs of a command; $prepare runs before each.
best() {
  local best_s="" best_kb=0 out s kb
  for _ in 1 2 3 4 5; do
    [ -n "${prepare:-}" ] && eval "$prepare"
    local start end
    start=$(date +%s%N)
    /usr/bin/time -o "$work/time" -f '%M' "$@" >/dev/null 2>&1 || true
    end=$(date +%s%N)
    s=$(awk "BEGIN{printf \"%.4f\", ($end - $start) / 1e9}")
    kb=$(tail -1 "$work/time")
    if [ -z "$best_s" ] || awk "BEGIN{exit !($s < $best_s)}"; then best_s=$s; fi
    [ "$kb" -gt "$best_kb" ] && best_kb=$kb
  done
  echo "$best_s $best_kb"
}


row() {  # label result-of-best [pages] [result-of-best without sync]
  local s=${2% *} kb=${2#* } flush=""
  [ -n "${4:-}" ] && flush=$(awk "BEGIN{printf \"  flush %7.3f s\", $s - ${4% *}}")
  if [ -n "${3:-}" ]; then
    printf '%-44s %8.3f s %9.1f us/page %8d KB%s\n' "$1" "$s" "$(awk "BEGIN{print $s * 1e6 / $3}")" "$kb" "$flush"
  else
    printf '%-44s %8.3f s %24s %8d KB%s\n' "$1" "$s" "" "$kb" "$flush"
  fi
}

# A stamping row: the run as users get it, and in the last column what its
# syncs to the disk cost (the same run with --no-sync taken from it).
stamp_row() {  # label pages-or-empty sigilry-cli arguments...
  local label=$1 pages=$2
  shift 2
  local synced unsynced
  synced=$(best "$cli" --yes --quiet "$@")
  unsynced=$(best "$cli" --yes --quiet --no-sync "$@")
  row "$label" "$synced" "$pages" "$unsynced"
  last_result=$synced
}

echo "sigilry-cli: $cli"
echo "sizes: text2000 $(stat -c %s "$work/text2000.pdf") B, text20000 $(stat -c %s "$work/text20000.pdf") B, images $(stat -c %s "$work/images.pdf") B"
prepare=""
row "cp text2000" "$(best cp "$work/text2000.pdf" "$work/_copy.pdf")"
stamp_row "stamp text2000, prefix" 2000 --settings "$work/prefix.ini" "$work/text2000.pdf"
t2k=$last_result
stamp_row "stamp text20000, prefix" 20000 --settings "$work/prefix.ini" "$work/text20000.pdf"
t20k=$last_result
awk "BEGIN{printf \"%-44s %8.2f (linear: 10.00)\n\", \"ratio 20000 / 2000 pages\", ${t20k% *} / ${t2k% *}}"
cpi=$(best cp "$work/images.pdf" "$work/_copy.pdf")
row "cp images" "$cpi"
stamp_row "stamp images, prefix" "" --settings "$work/prefix.ini" "$work/images.pdf"
sti=$last_result
awk "BEGIN{printf \"%-44s %8.2f (goal: at most 1.5)\n\", \"ratio stamp / cp, images\", ${sti% *} / ${cpi% *}}"
prepare="cp '$work/images.pdf' '$work/images-over.pdf'"
stamp_row "stamp images, overwrite" "" --settings "$work/overwrite.ini" "$work/images-over.pdf"
prepare="cp '$work/text2000.pdf' '$work/text-over.pdf'"
stamp_row "stamp text2000, overwrite" 2000 --settings "$work/overwrite.ini" "$work/text-over.pdf"
prepare=""
row "cp 200 small files" "$(best cp "$work"/many/*.pdf "$work/many-cp/")"
stamp_row "stamp 200 small files, prefix, one call" 600 --settings "$work/prefix.ini" "$work"/many/s*.pdf
