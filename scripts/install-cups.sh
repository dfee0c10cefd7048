#!/usr/bin/env bash
# Builds the spooler filters and the printer's PPD, and installs them where
# CUPS looks for them: imagetolane, texttolane and rastertolane into
# /usr/lib/cups/filter,
# lane.types into /usr/share/cups/mime, lane.ppd into /usr/share/ppd/lane
# (cmake -DPL_CUPS_SERVERBIN=... -DPL_CUPS_DATADIR=... -DPL_PPD_DIR=... moves them).
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/install-deps.sh
cmake -S . -B build -G Ninja -DPL_TESTS=OFF >/dev/null
cmake --build build --target imagetolane texttolane rastertolane lane_ppd
sudo=""
[ "$(id -u)" -eq 0 ] || sudo="sudo"
$sudo cmake --install build --component cups
# cupsd learns the picture types of lane.types when it starts.
if command -v systemctl >/dev/null 2>&1 && systemctl is-active --quiet cups 2>/dev/null; then
  $sudo systemctl restart cups
fi
ppd=$(sed -n 's/^PL_PPD_DIR:PATH=//p' build/CMakeCache.txt)
echo "installed the spooler filters and $ppd/lane.ppd; add a queue with:"
echo "  sudo lpadmin -p lane -E -v socket://PRINTER-ADDRESS:9100 -P $ppd/lane.ppd"
