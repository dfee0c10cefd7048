#!/usr/bin/env bash
# Builds the Debian package and checks it as an installation would see it:
# lintian finds no errors; unpacked into a temporary root, it holds every
# file where CUPS and systemd look (cupstestppd finds the PPD's filters
# there); its maintainer scripts start nothing without systemd; every
# program reports the package's version, as does the PPD; an installed filter
# prints a sample; and apt can install it here with its dependencies.
set -euo pipefail
cd "$(dirname "$0")/.."
bounded() { timeout 120 "$@"; }

deb=$(scripts/package.sh | tail -n 1)
version=$(dpkg-deb -f "$deb" Version)
failures=0
fail() { echo "test-package: $*" >&2; failures=$((failures + 1)); }

# lintian: no errors (warnings left are listed in the README with their reasons).
lint=$(bounded lintian "$deb" 2>/dev/null || true)
[ -z "$lint" ] || echo "$lint"
if grep -q '^E:' <<<"$lint"; then fail "lintian reports errors"; fi

root=$(mktemp -d)
fakes=$(mktemp -d)
trap 'rm -rf "$root" "$fakes"' EXIT
dpkg-deb -x "$deb" "$root"
dpkg-deb -e "$deb" "$root/DEBIAN"

# Where the spooler and systemd look.
need() { [ -e "$root/$1" ] || fail "the package has no /$1"; }
for p in pixlane textlane laneview; do need "usr/bin/$p"; need "usr/share/man/man1/$p.1.gz"; done
need usr/share/ppd/lane/lane.ppd
need usr/share/cups/mime/lane.types
need usr/share/doc/lane-printer/copyright
need usr/share/doc/lane-printer/changelog.gz
need usr/share/man/man5/lane.ppd.5.gz
for f in "$root"/usr/lib/cups/filter/*; do
  [ -x "$f" ] || fail "$f is not executable"
  need "usr/share/man/man8/$(basename "$f").8.gz"
done
if [ -e "$root/usr/bin/lane-printer-app" ]; then
  need usr/share/man/man8/lane-printer-app.8.gz
  unit=$root/lib/systemd/system/lane-printer-app.service
  if [ -f "$unit" ]; then
    exec_start=$(sed -n 's/^ExecStart=\([^ ]*\).*/\1/p' "$unit")
    [ -x "$root$exec_start" ] || fail "the unit starts $exec_start, which the package does not hold"
  else
    fail "the package has no /lib/systemd/system/lane-printer-app.service"
  fi
fi
# Every filter the PPD names is in the package (cupstestppd -R looks in the root).
ppd_check=$(cupstestppd -R "$root" "$root/usr/share/ppd/lane/lane.ppd" 2>&1) || {
  echo "$ppd_check" >&2
  fail "cupstestppd rejects the installed PPD"
}

# One version: the package's, every program's and the PPD's.
for p in "$root"/usr/bin/* "$root"/usr/lib/cups/filter/*; do
  said=$(bounded "$p" --version 2>/dev/null || true)
  grep -qx "\(.* \)\?$version" <<<"$said" || fail "$(basename "$p") --version says '$said', the package is $version"
done
grep -qx "\*FileVersion: \"$version\"" "$root/usr/share/ppd/lane/lane.ppd" ||
  fail "the PPD's FileVersion is not $version"

# The installed filters print, and the installed viewer finds the streams well-formed.
bounded "$root/usr/lib/cups/filter/imagetolane" 1 user sample 1 "media=A5" samples/sample.pgm \
  >"$fakes/picture.prn" 2>"$fakes/picture.log" || fail "imagetolane failed: $(tail -n 3 "$fakes/picture.log")"
bounded "$root/usr/lib/cups/filter/texttolane" 1 user sample 1 "" samples/sample-euc.txt \
  >"$fakes/text.prn" 2>"$fakes/text.log" || fail "texttolane failed: $(tail -n 3 "$fakes/text.log")"
for s in picture text; do
  bounded "$root/usr/bin/laneview" "$fakes/$s.prn" >/dev/null || fail "the installed filter's $s stream is not well-formed"
done

# Maintainer scripts: valid shell; without systemd they start, stop, restart
# and reload nothing (forgetting a purged unit's enablement is allowed).
mkdir "$fakes/bin"
for tool in systemctl deb-systemd-invoke deb-systemd-helper invoke-rc.d service; do
  printf '#!/bin/sh\necho "%s $*" >> "%s/calls"\n' "$tool" "$fakes" >"$fakes/bin/$tool"
  chmod +x "$fakes/bin/$tool"
done
for step in "postinst configure" "prerm remove" "postrm remove" "postrm purge"; do
  set -- $step
  sh -n "$root/DEBIAN/$1" || fail "$1 is not valid shell"
  PATH="$fakes/bin:$PATH" bounded sh "$root/DEBIAN/$1" "$2" || fail "$step failed"
done
touch "$fakes/calls"
if [ ! -d /run/systemd/system ] && grep -Eq 'start|stop|reload|daemon' "$fakes/calls"; then
  fail "without systemd the maintainer scripts still ran: $(cat "$fakes/calls")"
fi

# apt resolves the package's dependencies here (a simulation: nothing is installed).
if command -v apt-get >/dev/null; then
  plan=$(bounded apt-get -s -o Debug::NoLocking=1 install "./$deb" 2>&1) || true
  grep -q "^Inst lane-printer " <<<"$plan" || { echo "$plan" >&2; fail "apt cannot install $deb"; }
fi

if [ "$failures" -ne 0 ]; then
  echo "test-package: $failures problems with $deb" >&2
  exit 1
fi
echo "test-package: $deb installs, holds what CUPS and systemd look for, and prints"
