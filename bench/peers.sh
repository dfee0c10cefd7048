#!/usr/bin/env bash
# Prints the same page with pixlane and with its peers, side by side: the
# 2000 x 3000 benchmark picture stretched to A4 at 600 dpi (4960 x 7015 dots)
# and halftoned by Floyd-Steinberg.
#   pixlane   : pixlane -r 600 -ps A4 -pm 0 0 0 0 -fi 3 -di 0 (the printer stream)
#   netpbm    : pamscale | pamditherbw -fs | pamtopnm | pbmtolj (a PCL stream)
#   gm        : gm convert -resize -dither -monochrome to PBM (when installed)
# Runs alternate (pixlane, netpbm, gm, pixlane, ...) so that load from other
# work on the machine falls on every tool alike. Prints for each the median
# wall time and CPU time (user + system, all processes of a pipeline), the
# peak memory (largest resident set of one process) and the ratio to pixlane.
#   bench/peers.sh [RUNS] [BUILD_DIR]   (default 7 runs, build-bench)
# netpbm is installed from Debian when missing and this script runs as root.
set -euo pipefail
cd "$(dirname "$0")/.."
runs=${1:-7}
build=${2:-build-bench}
packages=(netpbm)
source bench/prepare.sh
pixlane=$(realpath "$build/pixlane")

names=(pixlane)
commands=("\"$pixlane\" -r 600 -ps A4 -pm 0 0 0 0 -fi 3 -di 0 -in picture.pgm -out out.pixlane")
if command -v pamditherbw >/dev/null; then
  names+=(netpbm)
  commands+=("pamscale -width 4960 -height 7015 picture.pgm | pamditherbw -fs | pamtopnm | pbmtolj -resolution 600 >out.netpbm")
else
  echo "netpbm not found (apt-get install netpbm): left out" >&2
fi
if command -v gm >/dev/null; then
  names+=(gm)
  commands+=("gm convert picture.pgm -filter Triangle -resize '4960x7015!' -dither -monochrome out.pbm")
else
  echo "GraphicsMagick not found (apt-get install graphicsmagick): left out" >&2
fi

cd "$work"
for ((run = 0; run < runs; run++)); do
  for k in "${!names[@]}"; do
    /usr/bin/time -f "%e %U %S %M" -o time.txt bash -c "${commands[$k]}" 2>err.txt \
      || { echo "${names[$k]} failed: $(head -c 300 err.txt)" >&2; exit 1; }
    cat time.txt >>"times.${names[$k]}"
  done
done

base_wall=$(median_of "times.pixlane" '$1')
base_cpu=$(median_of "times.pixlane" '$2 + $3')
echo "$(grep -m1 'model name' /proc/cpuinfo | cut -d: -f2 | sed 's/^ //'), $(nproc) cores; median of $runs runs"
printf '%-8s %9s %9s %10s %11s %10s\n' tool "wall (s)" "CPU (s)" "peak (MB)" "wall ratio" "CPU ratio"
for name in "${names[@]}"; do
  wall=$(median_of "times.$name" '$1')
  cpu=$(median_of "times.$name" '$2 + $3')
  peak=$(median_of "times.$name" '$4 / 1024')
  awk -v n="$name" -v w="$wall" -v c="$cpu" -v p="$peak" -v bw="$base_wall" -v bc="$base_cpu" \
    'BEGIN { printf "%-8s %9.3f %9.3f %10.1f %10.1fx %9.1fx\n", n, w, c, p, w / bw, (bc > 0 ? c / bc : 0) }'
done
