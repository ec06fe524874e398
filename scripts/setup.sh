#!/usr/bin/env bash
# Installs what Sigilry needs on Debian when it is missing, then configures and
# builds. Safe to run again: it installs nothing that is already there.
#   scripts/setup.sh [--sanitize] [--build-dir DIR] [--packages-only]
set -euo pipefail
cd "$(dirname "$0")/.."

build_dir=build
sanitize=OFF
gui=ON
packages_only=no
while [ $# -gt 0 ]; do
  case "$1" in
    --sanitize) sanitize=ON; gui=OFF; build_dir=build-asan ;;  # Qt's own allocations are not ours to check
    --build-dir) build_dir="$2"; shift ;;
    --packages-only) packages_only=yes ;;
    *) echo "setup.sh: unknown option $1" >&2; exit 2 ;;
  esac
  shift
done

packages=(
  g++ cmake ninja-build pkg-config clang libclang-rt-14-dev
  zlib1g-dev libdeflate-dev libpng-dev libjpeg-dev nettle-dev libidn-dev
  qt6-base-dev libgl-dev libpoppler-qt6-dev qt6-tools-dev qt6-tools-dev-tools qt6-l10n-tools gettext
  libgtest-dev libgmock-dev libbenchmark-dev
  qpdf poppler-utils ghostscript zbar-tools imagemagick mupdf-tools
  python3 python3-cairo python3-reportlab parallel rsync jq libnss3-tools openssl
  fonts-noto-cjk xvfb xauth locales
  debhelper dpkg-dev fakeroot lintian appstream man-db bash-completion git
)
missing=()
for p in "${packages[@]}"; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "ok installed" || missing+=("$p")
done
if [ ${#missing[@]} -gt 0 ]; then
  echo "Installing: ${missing[*]}"
  sudo_cmd=""
  [ "$(id -u)" -ne 0 ] && sudo_cmd="sudo"
  $sudo_cmd apt-get update -qq
  DEBIAN_FRONTEND=noninteractive $sudo_cmd apt-get install -y -qq --no-install-recommends "${missing[@]}"
fi

# A locale with a decimal comma, for the locale-independence tests, and the
# two languages of the program, for its messages and screenshots.
for wanted in de_DE ja_JP en_US; do
  locale -a 2>/dev/null | grep -qi "^$wanted\.utf-\?8$" && continue
  sudo_cmd=""
  [ "$(id -u)" -ne 0 ] && sudo_cmd="sudo"
  if [ -f /etc/locale.gen ]; then
    $sudo_cmd sed -i "s/^# *$wanted.UTF-8 UTF-8/$wanted.UTF-8 UTF-8/" /etc/locale.gen
    $sudo_cmd locale-gen >/dev/null || true
  fi
done

[ "$packages_only" = yes ] && exit 0

werror=OFF
[ "${CI:-}" = "true" ] && werror=ON
cmake -S . -B "$build_dir" -G Ninja -DSIGILRY_WERROR="$werror" -DSIGILRY_SANITIZE="$sanitize" -DSIGILRY_BUILD_GUI="$gui" \
  -DSIGILRY_TEST_STOP_POINTS=ON >/dev/null
cmake --build "$build_dir" -j2
