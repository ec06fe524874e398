#!/usr/bin/env bash
# Sets up, builds and runs every test, then runs them again under a locale
# whose decimal separator is a comma.   scripts/test.sh [--sanitize]
set -euo pipefail
cd "$(dirname "$0")/.."
build_dir=build
[ "${1:-}" = "--sanitize" ] && build_dir=build-asan
scripts/setup.sh "$@"
cd "$build_dir"
ctest --output-on-failure -j2 --timeout 600
if [ "${1:-}" != "--sanitize" ] && locale -a 2>/dev/null | grep -qi '^de_DE\.utf-\?8$'; then
  echo "== again under de_DE.UTF-8 =="
  LC_ALL=de_DE.UTF-8 ctest --output-on-failure -j2 --timeout 600
fi
