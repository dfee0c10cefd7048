#!/usr/bin/env bash
# Installs the build tools and libraries the project needs, when missing, and
# the CUPS spooler its spooler filters are tested with (cupsd, cupsfilter, lp),
# the DNS-SD daemons the Printer Application is found through, and the
# browser its web interface is tested in.
set -euo pipefail
packages=(g++ cmake ninja-build pkg-config time libgtest-dev libbenchmark-dev
          libjpeg62-turbo-dev libtiff-dev zlib1g-dev libpng-dev libwebp-dev ccache
          cups cups-client clang libclang-rt-14-dev
          libcups2-dev cups-filters ghostscript poppler-utils cups-ipp-utils
          libpappl-dev lintian mandoc groff-base dpkg-dev fakeroot
          netpbm imagemagick libtiff-tools
          dbus avahi-daemon avahi-utils libnss-mdns chromium nodejs)
missing=()
for p in "${packages[@]}"; do
  dpkg -s "$p" >/dev/null 2>&1 || missing+=("$p")
done
if [ ${#missing[@]} -gt 0 ]; then
  echo "installing: ${missing[*]}"
  sudo=""
  [ "$(id -u)" -eq 0 ] || sudo="sudo"
  $sudo apt-get update -qq
  DEBIAN_FRONTEND=noninteractive $sudo apt-get install -y -qq "${missing[@]}"
fi
# npm comes with some nodejs builds and is its own package in Debian's.
if ! command -v npm >/dev/null; then
  sudo=""
  [ "$(id -u)" -eq 0 ] || sudo="sudo"
  DEBIAN_FRONTEND=noninteractive $sudo apt-get install -y -qq npm
fi
