#!/usr/bin/env bash
# Builds the Debian packages (sigilry-cli, sigilry) from a copy of the tree,
# checks them with lintian, installs them, runs the installed command line on
# a copy of the example PDF, purges them and checks that nothing they
# installed is left. Runs as root (or with sudo). The suite is not run again
# here: the package build uses nocheck.
#   scripts/package.sh [--keep]    --keep: leave the packages installed
set -euo pipefail
cd "$(dirname "$0")/.."
root=$(pwd)
keep=no
[ "${1:-}" = "--keep" ] && keep=yes

sudo_cmd=""
[ "$(id -u)" -ne 0 ] && sudo_cmd="sudo"
bash scripts/setup.sh --packages-only

step() { echo "== $* =="; }

step "sources"
appstreamcli validate --no-net gui/*.metainfo.xml
for page in doc/*.1; do
  warnings=$(MANWIDTH=80 man --warnings -l "$page" 2>&1 >/dev/null)
  [ -z "$warnings" ] || { echo "$page: $warnings" >&2; exit 1; }
done
bash -n cli/sigilry-cli.bash
echo "metainfo, manual pages and completion script are clean"

version=$(dpkg-parsechangelog -S Version)
upstream=${version%-*}
work=$(mktemp -d /tmp/sigilry-package.XXXXXX)
trap 'rm -rf "$work"' EXIT
tree="$work/sigilry-$upstream"
mkdir -p "$tree"
# The tracked files and new ones not yet ignored: no build folders.
git ls-files -z --cached --others --exclude-standard |
  tar --null --ignore-failed-read -T - -cf - 2>/dev/null | tar -xf - -C "$tree"

step "dpkg-buildpackage"
# A cache (ccache) of this user speeds up a second build of the same tree.
export SIGILRY_CCACHE=""
if command -v ccache >/dev/null; then
  export SIGILRY_CCACHE=1 CCACHE_DIR="${CCACHE_DIR:-$HOME/.cache/ccache}" CCACHE_BASEDIR="$work"
fi
if ! (cd "$tree" && DEB_BUILD_OPTIONS="nocheck parallel=2" dpkg-buildpackage -us -uc -b) >"$work/build.log" 2>&1; then
  tail -n 60 "$work/build.log" >&2
  exit 1
fi
grep -E "^dpkg-deb: building package|^dpkg-buildpackage: info: binary-only" "$work/build.log"
changes="$work/sigilry_${version}_$(dpkg-architecture -qDEB_HOST_ARCH).changes"
# The debug symbols (-dbgsym) are built but not installed here.
debs=()
for deb in "$work"/*.deb; do
  case "$deb" in *-dbgsym_*) ;; *) debs+=("$deb") ;; esac
done

step "lintian"
lintian --fail-on error --display-info "$changes" || { echo "lintian reports errors" >&2; exit 1; }
echo "lintian: no errors"

step "install"
DEBIAN_FRONTEND=noninteractive $sudo_cmd apt-get install -y -qq --no-install-recommends "${debs[@]}" >"$work/install.log" 2>&1 ||
  { cat "$work/install.log" >&2; exit 1; }
dpkg-query -W -f='${Package} ${Version} ${Status}\n' sigilry sigilry-cli
dpkg -L sigilry sigilry-cli | sort -u >"$work/installed.txt"

step "run"
[ "$(command -v sigilry-cli)" = /usr/bin/sigilry-cli ] || { echo "sigilry-cli is not /usr/bin/sigilry-cli" >&2; exit 1; }
sigilry-cli --version
cp examples/example.pdf "$work/example.pdf"
sigilry-cli --settings examples/sgry.ini --yes --quiet "$work/example.pdf"
if command -v qpdf >/dev/null; then qpdf --check "$work/_example.pdf" | grep "^No syntax or stream encoding errors"; fi
if command -v pdftotext >/dev/null; then
  pdftotext "$work/_example.pdf" - | grep -q "Stamped by Sigilry" || { echo "stamp text missing" >&2; exit 1; }
  echo "the stamped copy carries the header text"
fi
MANWIDTH=80 man --warnings sigilry-cli 2>&1 >/dev/null | { ! grep .; } && echo "man sigilry-cli renders without warnings"
test -f /usr/share/bash-completion/completions/sigilry-cli && echo "bash completion installed"
# The installed message catalogue, found in the system's locale folder.
messages=$(LANG=ja_JP.UTF-8 sigilry-cli --yes --quiet "$work/missing.pdf" 2>&1 || true)
grep -q "PDFファイルの読み込みでエラーが発生しました" <<<"$messages" ||
  { echo "the installed catalogue is not read: $messages" >&2; exit 1; }
echo "the installed catalogue gives the Japanese messages"
# The interrupt tests' stop points are not built into the packaged programs.
for program in /usr/bin/sigilry-cli /usr/bin/sigilry; do
  ! grep -q SIGILRY_TEST_STOP_AT "$program" || { echo "$program has the test stop points" >&2; exit 1; }
done
echo "the packaged programs have no test stop points"

if [ "$keep" = yes ]; then exit 0; fi

step "purge"
DEBIAN_FRONTEND=noninteractive $sudo_cmd apt-get purge -y -qq sigilry sigilry-cli >"$work/purge.log" 2>&1 ||
  { cat "$work/purge.log" >&2; exit 1; }
left=0
while IFS= read -r path; do
  if [ -L "$path" ] || { [ -e "$path" ] && [ ! -d "$path" ]; }; then
    echo "left behind: $path" >&2; left=1
  elif [ -d "$path" ] && [ -z "$(ls -A "$path")" ]; then
    echo "empty folder left behind: $path" >&2; left=1
  fi
done <"$work/installed.txt"
if dpkg-query -W -f='${Status}\n' sigilry sigilry-cli 2>/dev/null | grep -q "installed\|config-files"; then
  echo "a package is still known to dpkg" >&2; left=1
fi
[ "$left" -eq 0 ] || exit 1
echo "purged: none of the $(wc -l <"$work/installed.txt") installed paths is left"
