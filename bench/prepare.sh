# Sourced by the bench scripts, from the project's top folder, with $build
# set and optionally $targets (the build targets the script runs; default
# pixlane and make_test_pgm) and $packages (Debian packages of the peers it
# compares with; installed when missing and the script runs as root, never
# by scripts/install-deps.sh: the tests do not need them). Checks for GNU
# time, brings the targets up to date, and writes the 2000 x 3000 benchmark
# picture to $work/picture.pgm ($work is removed on exit).
if [ ! -x /usr/bin/time ]; then
  echo "$(basename "$0") needs GNU time (apt-get install time)" >&2
  exit 1
fi
missing=()
for package in ${packages[@]+"${packages[@]}"}; do
  dpkg-query -W -f '${Status}' "$package" 2>/dev/null | grep -q 'ok installed' || missing+=("$package")
done
if [ ${#missing[@]} -gt 0 ]; then
  if [ "$(id -u)" = 0 ] && command -v apt-get >/dev/null; then
    apt-get install -y -qq "${missing[@]}" >/dev/null 2>&1 \
      || { apt-get update -qq && apt-get install -y -qq "${missing[@]}" >/dev/null; } \
      || echo "could not install ${missing[*]}: left out" >&2
  else
    echo "not installed: ${missing[*]} (apt-get install them as root): left out" >&2
  fi
fi
if [ ! -f "$build/build.ninja" ]; then
  cmake -S . -B "$build" -G Ninja -DPL_BENCH=ON -DPL_TESTS=OFF -DCMAKE_BUILD_TYPE=Release >/dev/null
fi
cmake --build "$build" -j2 --target ${targets[@]+"${targets[@]}"} pixlane make_test_pgm >/dev/null
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
"$build/bench/make_test_pgm" 2000 3000 >"$work/picture.pgm"
# The median of an awk expression over the lines of a file of runs:
#   median_of times.txt '$1 + $2'
median_of() {
  awk "{ print $2 }" "$1" | sort -g \
    | awk '{ v[NR] = $1 } END { print (NR % 2) ? v[(NR + 1) / 2] : (v[NR / 2] + v[NR / 2 + 1]) / 2 }'
}
