#!/usr/bin/env bash
# By hand, not in CI: what a user sees when in-place runs are killed or
# overlap, on a 2000-page file (bench/make_pdfs.py).
#   kill:    an overwrite run is killed 1-40 ms after it starts (60 times),
#            then another run is made; the file must end as the original
#            stamped once, byte for byte as an undisturbed run leaves it.
#   overlap: two overwrite runs start together (20 times in each order);
#            one stamps, the other reports the lock, or they ran one after
#            the other; every result passes qpdf --check.
#   scripts/overlap-trial.sh [BUILD_DIR]
set -euo pipefail
export LC_NUMERIC=C
cd "$(dirname "$0")/.."
cli="$(pwd)/${1:-build}/sigilry-cli"
work=$(mktemp -d /tmp/sigilry-overlap.XXXXXX)
trap 'rm -rf "$work"' EXIT
python3 bench/make_pdfs.py text 2000 "$work/original.pdf"
printf '[OptionList1]\r\nHF4_StyleType=1\r\nHF4_StylePageType=0\r\n[App]\r\nOutput=2\r\n' >"$work/overwrite.ini"
stamp() { "$cli" --yes --quiet --settings "$work/overwrite.ini" "$1"; }
cp "$work/original.pdf" "$work/reference.pdf"
stamp "$work/reference.pdf" 2>/dev/null
# A run killed only after it finished has left its stamp: the next one adds a second.
cp "$work/reference.pdf" "$work/twice.pdf"
stamp "$work/twice.pdf" 2>/dev/null

good=0 finished=0 bad=0 torn_seen=0
for i in $(seq 1 60); do
  delay=$(awk -v i="$i" 'BEGIN { printf "%.3f", (1 + (i - 1) % 40) / 1000 }')
  cp "$work/original.pdf" "$work/k.pdf"
  "$cli" --yes --quiet --settings "$work/overwrite.ini" "$work/k.pdf" 2>/dev/null &
  pid=$!  # the program itself, not a subshell: the kill must reach it
  sleep "$delay"
  kill -KILL "$pid" 2>/dev/null || true
  wait "$pid" 2>/dev/null || true
  [ -e "$work/.k.pdf.sgry-journal" ] && torn_seen=$((torn_seen + 1))
  stamp "$work/k.pdf" 2>/dev/null || true
  if cmp -s "$work/k.pdf" "$work/reference.pdf"; then
    good=$((good + 1))
  elif cmp -s "$work/k.pdf" "$work/twice.pdf"; then
    finished=$((finished + 1))
  else
    bad=$((bad + 1))
  fi
done
echo "kill: 60 kills at 1-40 ms, then another run: $good stamped once exactly," \
  "$finished killed only after finishing (stamped twice), $bad otherwise ($torn_seen left a journal)"

one_each=0 sequential=0 failed=0
for order in ab ba; do
  for i in $(seq 1 20); do
    cp "$work/original.pdf" "$work/k.pdf"
    if [ "$order" = ab ]; then
      stamp "$work/k.pdf" 2>"$work/a.err" & a=$!; stamp "$work/k.pdf" 2>"$work/b.err" & b=$!
    else
      stamp "$work/k.pdf" 2>"$work/b.err" & b=$!; stamp "$work/k.pdf" 2>"$work/a.err" & a=$!
    fi
    ra=0 rb=0
    wait "$a" || ra=$?
    wait "$b" || rb=$?
    checked=no
    qpdf --check "$work/k.pdf" >/dev/null 2>&1 && checked=yes
    locked=$(cat "$work/a.err" "$work/b.err" | grep -c "別の実行がこのファイルを処理中" || true)
    if [ "$checked" = yes ] && [ $((ra + rb)) -eq 1 ] && [ "$locked" -eq 1 ] && cmp -s "$work/k.pdf" "$work/reference.pdf"; then
      one_each=$((one_each + 1))
    elif [ "$checked" = yes ] && [ "$ra" -eq 0 ] && [ "$rb" -eq 0 ]; then
      sequential=$((sequential + 1))
    else
      failed=$((failed + 1))
      echo "order $order trial $i: exits $ra $rb, qpdf check $checked, lock messages $locked" >&2
    fi
  done
done
echo "overlap: 40 pairs started together: $one_each one stamp and one lock report, $sequential one after the other, $failed otherwise"
[ "$bad" -eq 0 ] && [ "$failed" -eq 0 ]
