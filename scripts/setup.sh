#!/usr/bin/env bash
# Installs what is missing, builds both filters and prints the bundled samples.
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/install-deps.sh
cmake -S . -B build -G Ninja -DPL_TESTS=OFF >/dev/null
cmake --build build --target pixlane textlane
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
