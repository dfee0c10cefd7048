#!/usr/bin/env bash
# Builds the Debian package out/lane-printer_VERSION_ARCH.deb from this tree:
# a release build with Debian's hardening flags in build-package/, installed
# into a staging root, stripped, with its dependencies computed from the
# shared libraries the programs link (dpkg-shlibdeps).
# Usage: scripts/package.sh        (prints the package's path when done)
set -euo pipefail
umask 022
cd "$(dirname "$0")/.."
top=$PWD
build=$(realpath -m "${PL_PACKAGE_BUILD:-build-package}")
meta=packaging/debian

# Debian's compiler flags, with every hardening feature.
eval "$(DEB_BUILD_MAINT_OPTIONS=hardening=+all dpkg-buildflags --export=sh)"
export CXXFLAGS="$CXXFLAGS $CPPFLAGS -ffile-prefix-map=$top=."
export CFLAGS="$CFLAGS $CPPFLAGS -ffile-prefix-map=$top=."
cmake -S . -B "$build" -G Ninja -DPL_TESTS=OFF -DPL_BENCH=OFF -DCMAKE_BUILD_TYPE=RelWithDebInfo \
  -DCMAKE_INSTALL_PREFIX=/usr >/dev/null
cmake --build "$build" -j "$(nproc)"

version=$(sed -n 's/^CMAKE_PROJECT_VERSION:STATIC=//p' "$build/CMakeCache.txt")
arch=$(dpkg --print-architecture)
logged=$(sed -n '1s/^lane-printer (\([^)]*\)).*/\1/p' "$meta/changelog")
if [ "$logged" != "$version" ]; then
  echo "package.sh: $meta/changelog begins with $logged, the version is $version: add its entry first" >&2
  exit 1
fi

# The staging root sits where dpkg-shlibdeps looks for a package's files.
work=$build/deb
stage=$work/debian/lane-printer
rm -rf "$work"
DESTDIR=$stage cmake --install "$build" >/dev/null
doc=$stage/usr/share/doc/lane-printer
install -d "$doc"
install -m 644 "$meta/copyright" "$doc/copyright"
gzip -9nc "$meta/changelog" > "$doc/changelog.gz"
chmod 644 "$doc/changelog.gz"

# Programs as Debian ships them: no debugging sections, no comments.
mapfile -t programs < <(find "$stage" -type f -perm -u+x -exec sh -c 'head -c4 "$1" | grep -q ELF' _ {} \; -print)
strip --strip-unneeded --remove-section=.comment --remove-section=.note "${programs[@]}"

# dpkg-shlibdeps wants a source package's control file where it runs, and
# the package's DEBIAN folder above the programs.
install -d -m 755 "$stage/DEBIAN"
printf 'Source: lane-printer\n\nPackage: lane-printer\nArchitecture: any\n' > "$work/debian/control"
depends=$(cd "$work" && dpkg-shlibdeps -O "${programs[@]/#/-e}" | sed -n 's/^shlibs:Depends=//p')

size=$(du -sk --exclude=DEBIAN "$stage" | cut -f1)
sed -e "s/@VERSION@/$version/" -e "s/@ARCH@/$arch/" -e "s/@SIZE@/$size/" -e "s/@DEPENDS@/$depends/" \
  "$meta/control.in" > "$stage/DEBIAN/control"
install -m 755 "$meta/postinst" "$meta/prerm" "$meta/postrm" "$stage/DEBIAN/"
(cd "$stage" && find . -path ./DEBIAN -prune -o -type f -printf '%P\0' | sort -z | xargs -0 md5sum) \
  > "$stage/DEBIAN/md5sums"
chmod 644 "$stage/DEBIAN/md5sums" "$stage/DEBIAN/control"

mkdir -p out
deb=out/lane-printer_${version}_${arch}.deb
dpkg-deb --root-owner-group -Zxz --build "$stage" "$deb" >/dev/null
echo "$deb"
