#!/usr/bin/env bash
# Runs the README's two GNU parallel recipes ("Several machines") on this
# machine and checks what they promise: every PDF stamped, the file that is no
# PDF failed in the joblog with a non-zero Exitval, and after that file is
# fixed a --resume-failed run stamps it and leaves the other outputs alone.
#   shared file system: run against -S : (this machine, no ssh);
#   no shared file system: run against -S 2/remote, where "ssh" is a stand-in
#     that runs each command here, in a home folder of its own. With -S :
#     parallel ignores --transferfile, --return and --cleanup (it warns that
#     there is no remote login), so the copies only go through rsync, as
#     they do to a real host, when the login is not ":".
#   scripts/parallel-recipe.sh SIGILRY_CLI
# Exits 0 when all holds, 1 with a message when not, 77 (skipped) when GNU
# parallel is not installed, or rsync for the second recipe.
set -euo pipefail
export LC_ALL=C

if [ $# -ne 1 ] || [ ! -x "$1" ]; then
  echo "usage: scripts/parallel-recipe.sh SIGILRY_CLI" >&2
  exit 2
fi
if ! parallel --version 2>/dev/null | grep -q '^GNU parallel'; then
  echo "parallel-recipe.sh: GNU parallel is not installed (apt install parallel); skipped"
  exit 77
fi
source_dir=$(cd "$(dirname "$0")/.." && pwd)
example="$source_dir/examples/example.pdf"

work=$(mktemp -d /tmp/sigilry-parallel.XXXXXX)
trap 'rm -rf "$work"' EXIT
# The recipes call sigilry-cli by name, as on a host with the package.
mkdir -p "$work/bin" "$work/home" "$work/remote-home"
ln -s "$(readlink -f "$1")" "$work/bin/sigilry-cli"
export PATH="$work/bin:$PATH"
export HOME="$work/home"   # parallel keeps its state under ~/.parallel
export STAND_IN_HOME="$work/remote-home"
# parallel quotes the remote command for the shell named by $SHELL; where it
# is unset (a CI job, a service) the quoting fails and every job "succeeds"
# without running. The stand-in host runs commands with bash.
export SHELL
SHELL=$(command -v bash)
cat >"$work/bin/ssh" <<'EOF'
#!/usr/bin/env bash
# Called as ssh is, by parallel and by rsync: ssh [OPTION...] HOST [--] COMMAND...
# runs COMMAND in $STAND_IN_HOME, which sees none of the files of the run.
while [ $# -gt 0 ]; do
  case "$1" in
    -[bcDEeFIiJLlmOopQRSWw]) shift 2 ;;
    -*) shift ;;
    *) break ;;
  esac
done
shift
[ "${1:-}" = -- ] && shift
cd "$STAND_IN_HOME" || exit 255
HOME=$STAND_IN_HOME exec bash -c "$*"
EOF
chmod +x "$work/bin/ssh"

messages="$work/messages.log"
fail() {
  echo "parallel-recipe.sh: FAILED: $*" >&2
  if [ -s "$messages" ]; then
    echo "--- messages of the jobs and of parallel:" >&2
    cat "$messages" >&2
  fi
  exit 1
}

# The README's recipes, word for word but for the hosts given to -S.
list_shared() { find "$PWD/docs" -name '*.pdf' ! -name '_*' -print0 | sort -z > files.lst; }
run_shared() {
  parallel -0 --will-cite -S "$1" --joblog run.log --resume-failed \
    sigilry-cli --settings "$PWD/stamps.ini" --yes --quiet {} :::: files.lst
}
list_copied() { find docs -name '*.pdf' ! -name '_*' -print0 | sort -z > files.lst; }
run_copied() {
  RSYNC_OLD_ARGS=1 parallel -0 --will-cite -S "$1" --workdir sigilry-work --basefile stamps.ini \
    --transferfile {} --return '{//}/_{/}' --cleanup --joblog run.log --resume-failed \
    sigilry-cli --settings stamps.ini --yes --quiet {} :::: files.lst
}

good=("a.pdf" "b.pdf" "it's two words.pdf")
bad="broken.pdf"

# Exitval (column 7) of the newest joblog line of job number $1.
exitval() { awk -F'\t' -v seq="$1" 'NR > 1 && $1 == seq { v = $7 } END { print v }' run.log; }
joblines() { echo $(( $(wc -l < run.log) - 1 )); }
# The stamped copy is the source, byte for byte, with an update after it,
# and qpdf finds nothing wrong in it.
check_output() {
  local source="docs/$1" output="docs/_$1"
  [ -f "$output" ] || fail "$2: $output was not written"
  qpdf --check "$output" >/dev/null 2>&1 || fail "$2: qpdf --check fails on $output"
  [ "$(stat -c %s "$output")" -gt "$(stat -c %s "$source")" ] || fail "$2: $output is not longer than its source"
  cmp -s -n "$(stat -c %s "$source")" "$source" "$output" || fail "$2: $output does not begin with its source"
}

# $1 name, $2 hosts for -S, $3 list function, $4 run function
try_recipe() {
  local name=$1 hosts=$2 list=$3 run=$4 status f bad_seq jobs lines
  mkdir "$work/$name" "$work/$name/docs" "$work/$name/before"
  cd "$work/$name"
  for f in "${good[@]}"; do cp "$example" "docs/$f"; done
  echo "not a PDF" >"docs/$bad"
  printf '[OptionList1]\r\nHF2_StyleType=3\r\nHF2_CustomText=Stamped on another host\r\nHF4_StyleType=1\r\n[App]\r\nOutput=0\r\n' >stamps.ini

  "$list"
  bad_seq=$(tr '\0' '\n' <files.lst | grep -n "/$bad\$" | cut -d: -f1)
  jobs=$(( ${#good[@]} + 1 ))
  [ "$(tr -cd '\0' <files.lst | wc -c)" -eq "$jobs" ] || fail "$name: files.lst does not name the $jobs PDFs"

  status=0
  "$run" "$hosts" >>"$messages" 2>&1 || status=$?
  [ "$status" -eq 1 ] || fail "$name: parallel exited with $status, not 1 (one failed job)"
  [ "$(joblines)" -eq "$jobs" ] || fail "$name: run.log has $(joblines) jobs, not $jobs"
  [ "$(exitval "$bad_seq")" -ne 0 ] || fail "$name: run.log shows Exitval 0 for $bad"
  for f in "${good[@]}"; do
    check_output "$f" "$name"
    cp "docs/_$f" before/
  done
  [ ! -e "docs/_$bad" ] || fail "$name: docs/_$bad was written for a file that is no PDF"
  # The Host column names the login without its number of job slots.
  awk -F'\t' -v seq="$bad_seq" -v host="${hosts#[0-9]*/}" 'NR > 1 && ($2 != host || ($1 != seq && $7 != 0))' run.log |
    grep -q . && fail "$name: run.log has a job that failed or ran elsewhere than on $hosts"
  echo "$name: first run: ${#good[@]} files stamped on $hosts, $bad failed with Exitval $(exitval "$bad_seq") (parallel exit status $status)"
  if [ "$name" = copied ]; then
    # Each stamped job sent its PDF and got its output back.
    awk -F'\t' -v seq="$bad_seq" 'NR > 1 && $1 != seq && ($5 == 0 || $6 == 0)' run.log |
      grep -q . && fail "$name: run.log has a stamped job that sent or received nothing"
    [ ! -e "$STAND_IN_HOME/sigilry-work" ] || fail "$name: --cleanup left $STAND_IN_HOME/sigilry-work"
    [ ! -e sigilry-work ] || fail "$name: a job ran here instead of on the host"
    echo "$name: PDFs, settings and outputs went through rsync; the host's work folder is gone"
  fi

  for f in "${good[@]}"; do stat -c '%i %y' "docs/_$f" >"before/_$f.stat"; done
  cp "$example" "docs/$bad"
  status=0
  "$run" "$hosts" >>"$messages" 2>&1 || status=$?
  [ "$status" -eq 0 ] || fail "$name: the --resume-failed run exited with $status"
  [ "$(joblines)" -eq $(( jobs + 1 )) ] || fail "$name: the --resume-failed run ran $(( $(joblines) - jobs )) jobs, not 1"
  [ "$(tail -n 1 run.log | cut -f1)" = "$bad_seq" ] || fail "$name: the --resume-failed run did not rerun $bad"
  [ "$(exitval "$bad_seq")" -eq 0 ] || fail "$name: the rerun of $bad has Exitval $(exitval "$bad_seq")"
  check_output "$bad" "$name, rerun"
  for f in "${good[@]}"; do
    cmp -s "before/_$f" "docs/_$f" || fail "$name: the rerun changed docs/_$f"
    [ "$(stat -c '%i %y' "docs/_$f")" = "$(cat "before/_$f.stat")" ] || fail "$name: the rerun wrote docs/_$f again"
  done
  echo "$name: --resume-failed after the fix: $bad stamped (Exitval 0), the other outputs untouched"

  lines=$(joblines)
  status=0
  "$run" "$hosts" >>"$messages" 2>&1 || status=$?
  if [ "$status" -ne 0 ] || [ "$(joblines)" -ne "$lines" ]; then
    fail "$name: a third run did not leave everything as it was"
  fi
  echo "$name: a third run has nothing left to do"
  cd "$work"
}

try_recipe shared : list_shared run_shared
if ! command -v rsync >/dev/null; then
  echo "parallel-recipe.sh: rsync is not installed (apt install rsync); the recipe without a shared file system is skipped"
  exit 77
fi
try_recipe copied 2/remote list_copied run_copied
echo "parallel-recipe.sh: both recipes hold"
