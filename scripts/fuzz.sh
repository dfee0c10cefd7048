#!/usr/bin/env bash
# Builds the fuzz targets (clang's libFuzzer with AddressSanitizer and
# UndefinedBehaviorSanitizer) and runs each for SECONDS (default 60), two at a
# time. Exits non-zero when any target finds a crash, a leak, a hang (an input
# taking over 60 s: the largest pictures the library accepts take seconds
# under the sanitizers), or memory beyond 2 GB; the input is left in
# build-fuzz/findings/<target>/ and the target's output in build-fuzz/logs/.
#   scripts/fuzz.sh [seconds] [target ...]      (targets: build-fuzz/fuzz/targets.txt)
# FUZZ_JOBS (default 2) targets run at a time; FUZZ_TIMEOUT (default 60) is
# the seconds one input may take.
# What a run adds to the corpus stays in build-fuzz/corpus/ for the next run;
# fuzz/corpus/ holds the seeds kept in the repository.
set -euo pipefail
cd "$(dirname "$0")/.."
seconds=${1:-60}
shift || true
scripts/install-deps.sh
CC=clang CXX=clang++ cmake -S . -B build-fuzz -G Ninja -DPL_TESTS=OFF -DPL_FUZZ=ON >/dev/null
cmake --build build-fuzz -j "$(nproc)"
targets=("$@")
[ ${#targets[@]} -gt 0 ] || mapfile -t targets < build-fuzz/fuzz/targets.txt
mkdir -p build-fuzz/logs

run_one() {
  local t=$1 seconds=$2 timeout=${FUZZ_TIMEOUT:-60}
  local work=build-fuzz/corpus/$t findings=build-fuzz/findings/$t
  rm -rf "$findings"
  mkdir -p "$work" "$findings"
  local dirs=("$work")
  for d in fuzz/corpus/$t fuzz/regressions/$t; do [ -d "$d" ] && dirs+=("$d"); done
  local dict=()
  [ -f "fuzz/dict/$t.dict" ] && dict=(-dict="fuzz/dict/$t.dict")
  # libcups sizes its own line buffer from the page header before anything
  # can check it (up to 4 GB, mapped but never touched); only the memory a
  # run really uses is held against the raster target.
  local malloc_limit=2048
  [ "$t" = raster_job ] && malloc_limit=8192
  local status=0
  build-fuzz/fuzz/fuzz_"$t" -max_total_time="$seconds" -timeout="$timeout" -report_slow_units="$timeout" -rss_limit_mb=2048 \
    -malloc_limit_mb="$malloc_limit" -print_final_stats=1 -artifact_prefix="$findings/" "${dict[@]}" \
    "${dirs[@]}" >"build-fuzz/logs/$t.log" 2>&1 || status=$?
  local execs cov
  execs=$(sed -n 's/^stat::number_of_executed_units: *//p' "build-fuzz/logs/$t.log")
  cov=$(grep -o 'cov: [0-9]*' "build-fuzz/logs/$t.log" | tail -1 | cut -d' ' -f2)
  if [ "$status" -ne 0 ] || [ -n "$(ls -A "$findings")" ]; then
    echo "$t: FINDING (status $status, ${execs:-0} runs): $(ls "$findings" | tr '\n' ' ')see build-fuzz/logs/$t.log"
    return 1
  fi
  echo "$t: ${execs:-0} runs, ${cov:-0} edges, no finding"
}
export -f run_one

failed=0
printf '%s\n' "${targets[@]}" | xargs -P "${FUZZ_JOBS:-2}" -I{} bash -c "run_one {} $seconds" || failed=1
if [ "$failed" -ne 0 ]; then
  echo "fuzz: findings above; keep each input in fuzz/regressions/<target>/ once fixed" >&2
  exit 1
fi
echo "fuzz: ${#targets[@]} targets ran ${seconds}s each with no finding"
