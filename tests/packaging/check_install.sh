#!/usr/bin/env bash
# Installs the build into a scratch prefix and checks what a desktop reads from it.
# Usage: check_install.sh <build folder> <version>
set -euo pipefail
build=$1 version=$2
prefix=$(mktemp -d)
trap 'rm -rf "$prefix"' EXIT
fail() { echo "FAIL: $*" >&2; exit 1; }

cmake --install "$build" --prefix "$prefix" >/dev/null
for file in bin/ovelin share/applications/app.ovelin.Ovelin.desktop share/metainfo/app.ovelin.Ovelin.metainfo.xml \
    share/icons/hicolor/scalable/apps/app.ovelin.Ovelin.svg \
    share/icons/hicolor/symbolic/apps/app.ovelin.Ovelin-symbolic.svg share/man/man1/ovelin.1.gz; do
    [ -f "$prefix/$file" ] || fail "$file is not installed"
done

desktop-file-validate "$prefix/share/applications/app.ovelin.Ovelin.desktop"
appstreamcli validate --no-net "$prefix/share/metainfo/app.ovelin.Ovelin.metainfo.xml"
# KWin matches the absolute path (the paste and the window in front on Plasma).
grep -q "^Exec=$prefix/bin/ovelin\$" "$prefix/share/applications/app.ovelin.Ovelin.desktop" || fail "Exec is not $prefix/bin/ovelin"
grep -q '^Icon=app.ovelin.Ovelin$' "$prefix/share/applications/app.ovelin.Ovelin.desktop" || fail "wrong Icon"

# The manual page formats without a warning and documents every option.
warnings=$(zcat "$prefix/share/man/man1/ovelin.1.gz" | groff -man -Tutf8 -ww -z 2>&1)
[ -z "$warnings" ] || fail "manual page: $warnings"
page=$(zcat "$prefix/share/man/man1/ovelin.1.gz")
for option in toggle show preferences quit version help; do
    grep -q -- "-\\\\-$option" <<<"$page" || fail "the manual page does not mention --$option"
done

# Needs neither a display nor a bus.
printed=$(env -u DISPLAY -u DBUS_SESSION_BUS_ADDRESS "$prefix/bin/ovelin" --version)
[ "$printed" = "Ovelin $version" ] || fail "--version printed '$printed'"
echo "install checks passed"
