#!/usr/bin/env bash
# Installs what is missing, builds both filters, the spooler filters and the
# Printer Application, and prints the bundled samples.
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/install-deps.sh
cmake -S . -B build -G Ninja -DPL_TESTS=OFF >/dev/null
cmake --build build --target pixlane textlane laneview
# The Printer Application is built when PAPPL is installed (install-deps.sh installs it).
if cmake --build build --target help | grep -q '^lane-printer-app:'; then
  cmake --build build --target lane-printer-app
  echo "lane-printer-app: built as build/printer-app/lane-printer-app (see \"Printing driverless\" in README.md)"
fi
mkdir -p out
if ! build/pixlane -in samples/sample.pgm -out out/sample-picture.prn; then
  echo "pixlane: could not print samples/sample.pgm (see the message above)" >&2
  exit 1
fi
echo "pixlane: printer stream for samples/sample.pgm written to out/sample-picture.prn ($(stat -c %s out/sample-picture.prn) bytes)"
if [ -f samples/sample-euc.txt ]; then
  build/textlane -in samples/sample-euc.txt -out out/sample-text.prn
  echo "textlane: printer stream for samples/sample-euc.txt written to out/sample-text.prn ($(stat -c %s out/sample-text.prn) bytes)"
fi
# The viewer checks both streams (exiting non-zero on a problem) and draws the picture page.
build/laneview --png out/sample-preview --scale 4 out/sample-picture.prn >/dev/null
echo "laneview: out/sample-picture.prn is well-formed; its page is drawn in out/sample-preview/page-1.png"
if [ -f out/sample-text.prn ]; then
  build/laneview out/sample-text.prn >/dev/null
  echo "laneview: out/sample-text.prn is well-formed (build/laneview --list out/sample-text.prn shows it)"
fi
