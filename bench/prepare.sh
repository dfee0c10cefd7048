# Sourced by the bench scripts, from the project's top folder, with $build
# set: checks for GNU time, builds pixlane and the picture maker when missing,
# and writes the 2000 x 3000 benchmark picture to $work/picture.pgm ($work
# is removed on exit).
if [ ! -x /usr/bin/time ]; then
  echo "$(basename "$0") needs GNU time (apt-get install time)" >&2
  exit 1
fi
if [ ! -x "$build/bench/make_test_pgm" ] || [ ! -x "$build/pixlane" ]; then
  cmake -S . -B "$build" -G Ninja -DPL_BENCH=ON -DPL_TESTS=OFF -DCMAKE_BUILD_TYPE=Release >/dev/null
  cmake --build "$build" -j2 --target pixlane make_test_pgm >/dev/null
fi
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
"$build/bench/make_test_pgm" 2000 3000 >"$work/picture.pgm"
