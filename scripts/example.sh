#!/usr/bin/env bash
# Sets up, builds, and stamps the bundled example PDF with the bundled
# settings (header date and text, footer page number "-1/n-", a diagonal
# text watermark, a band, the seal image and a QR code). The PDF is copied to
# build/example/ first, so the repository stays as it is.
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/setup.sh
mkdir -p build/example
cp examples/example.pdf build/example/example.pdf
build/sigilry-cli --settings examples/sgry.ini --yes build/example/example.pdf
echo "Stamped PDF: $(pwd)/build/example/_example.pdf"
