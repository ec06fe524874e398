#!/bin/sh
# Pictures of the stamp settings sheet with its page preview, taken under a
# virtual X server: header and footer texts, the diagonal watermark, a band,
# the image, a QR code, a page turned by /Rotate 90, Bates numbers with the
# file's name; and the file list
# with a signed and a certified file.
#   scripts/preview-screenshots.sh [BUILD_DIR] [OUTPUT_DIR]
set -eu
build=${1:-build}
out=${2:-screenshots}
mkdir -p "$out"
out=$(cd "$out" && pwd)
ninja -C "$build" test_gui
SIGILRY_SCREENSHOT_DIR="$out" QT_QPA_PLATFORM=xcb \
  xvfb-run -a -s "-screen 0 1600x1000x24" "$build/tests/gui/test_gui" --gtest_filter='PreviewTest.Screenshots:FrameTest.SignedAndCertifiedFilesAreMarkedInTheList'
ls -l "$out"/preview-*.png "$out"/list-*.png
