#!/usr/bin/env bash
# Builds the Debian package from the build folder and checks its name, files and dependencies.
# Usage: check_package.sh <build folder> <version>
set -euo pipefail
build=$1 version=$2
out=$(mktemp -d)
trap 'rm -rf "$out"' EXIT
fail() { echo "FAIL: $*" >&2; exit 1; }

(cd "$build" && cpack -G DEB -B "$out" >/dev/null)
deb="$out/ovelin_${version}_$(dpkg --print-architecture).deb"
[ -f "$deb" ] || fail "no $(basename "$deb") in: $(ls "$out")"

files=$(dpkg-deb -c "$deb" | awk '{print $6}')
for file in ./usr/bin/ovelin ./usr/share/applications/app.ovelin.Ovelin.desktop \
    ./usr/share/metainfo/app.ovelin.Ovelin.metainfo.xml ./usr/share/icons/hicolor/scalable/apps/app.ovelin.Ovelin.svg \
    ./usr/share/man/man1/ovelin.1.gz ./usr/share/doc/ovelin/copyright ./usr/share/doc/ovelin/changelog.gz \
    ./usr/share/gnome-shell/extensions/ovelin@ovelin.app/extension.js \
    ./usr/share/gnome-shell/extensions/ovelin@ovelin.app/metadata.json \
    ./usr/share/gnome-shell/extensions/ovelin@ovelin.app/schemas/gschemas.compiled; do
    grep -qxF "$file" <<<"$files" || fail "$file is not in the package"
done
# Only the application: no test programs, benchmarks or static libraries.
if grep -E 'tst_|bench_|\.a$|/include/' <<<"$files"; then fail "the package holds build leftovers"; fi

# Dependencies come from what the executable links, plus the display plug-ins.
depends=$(dpkg-deb -f "$deb" Depends)
for package in libc6 libqt6core6 libqt6gui6 libqt6widgets6 libqt6dbus6 libqt6svg6 libx11-6 qt6-qpa-plugins; do
    grep -qE "(^|, )$package( |,|$)" <<<"$depends" || fail "Depends lacks $package: $depends"
done
# Without Qt's Wayland plug-in a Wayland session runs Ovelin through XWayland.
grep -q qt6-wayland <<<"$(dpkg-deb -f "$deb" Recommends)" || fail "Recommends lacks qt6-wayland"
for field in Section Maintainer Description; do
    [ -n "$(dpkg-deb -f "$deb" "$field")" ] || fail "no $field"
done

lintian --allow-root --fail-on error "$deb"
echo "package checks passed"
