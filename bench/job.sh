#!/usr/bin/env bash
# Times whole pixlane jobs: a generated 2000 x 3000 PGM printed on A4 at
# 600 dpi (stretched to the sheet, no margins: 4960 x 7015 dots) with each
# dither method, one job at a time. Prints wall time, CPU time (user +
# system: the figure to trust on a busy machine) and peak memory.
#   bench/job.sh [BUILD_DIR]   (default build-bench, configured with -DPL_BENCH=ON)
set -euo pipefail
cd "$(dirname "$0")/.."
build=${1:-build-bench}
source bench/prepare.sh

names=(floyd error bayer scroll random threshold)
printf '%-10s %10s %10s %12s %12s\n' method "wall (s)" "CPU (s)" "peak (MB)" "stream (B)"
for method in 0 1 2 3 4 5; do
  status=0
  /usr/bin/time -v -o "$work/time.txt" "$build/pixlane" -r 600 -ps A4 -pm 0 0 0 0 -fi 3 \
    -di "$method" -in "$work/picture.pgm" -out "$work/out.prn" 2>"$work/err.txt" || status=$?
  if [ "$status" -ne 0 ]; then
    echo "method $method: pixlane ended with status $status: $(head -c 200 "$work/err.txt")" >&2
    exit 1
  fi
  wall=$(sed -n 's/.*Elapsed (wall clock) time (h:mm:ss or m:ss): //p' "$work/time.txt" \
         | awk -F: '{ s = 0; for (i = 1; i <= NF; i++) s = s * 60 + $i; printf "%.3f", s }')
  cpu=$(sed -n 's/.*\(User\|System\) time (seconds): //p' "$work/time.txt" | awk '{ s += $1 } END { printf "%.2f", s }')
  peak=$(sed -n 's/.*Maximum resident set size (kbytes): //p' "$work/time.txt" | awk '{ printf "%.1f", $1 / 1024 }')
  printf '%-10s %10s %10s %12s %12s\n' "${names[$method]}" "$wall" "$cpu" "$peak" "$(stat -c %s "$work/out.prn")"
done
