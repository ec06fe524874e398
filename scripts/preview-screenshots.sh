#!/bin/sh
# Pictures of the stamp settings sheet with its page preview, taken under a
# virtual X server: header and footer texts, the diagonal watermark, a band,
# the image, a QR code, a page turned by /Rotate 90, Bates numbers with the
# file's name; the file list with a signed and a certified file; and the main
# window, the stamp settings sheet and the progress window in English and in
# Japanese (main-window-en.png, main-window-ja.png, ...).
#   scripts/preview-screenshots.sh [BUILD_DIR] [OUTPUT_DIR]
set -eu
build=${1:-build}
out=${2:-screenshots}
mkdir -p "$out"
out=$(cd "$out" && pwd)
cmake --build "$build" --target test_gui
shoot() {
  LANG=$1 LC_ALL= LC_MESSAGES= LANGUAGE= SIGILRY_SCREENSHOT_DIR="$out" QT_QPA_PLATFORM=xcb \
    xvfb-run -a -s "-screen 0 1600x1000x24" "$build/tests/gui/test_gui" --gtest_filter="$2"
}
shoot en_US.UTF-8 'PreviewTest.Screenshots:WindowTest.SignedAndCertifiedFilesAreMarkedInTheList:ScreenshotTest.*'
shoot ja_JP.UTF-8 'ScreenshotTest.*'
ls -l "$out"/preview-*.png "$out"/list-*.png "$out"/*-en.png "$out"/*-ja.png
