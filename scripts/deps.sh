#!/usr/bin/env bash
# Installs the Debian packages Ovelin needs to build, run and test, when any is missing.
set -euo pipefail

packages=(
    build-essential cmake ninja-build ccache pkg-config
    qt6-base-dev qt6-base-dev-tools qt6-tools-dev qt6-tools-dev-tools qt6-l10n-tools qt6-svg-dev
    qt6-httpserver-dev qt6-websockets-dev libqt6svg6 qt6-qpa-plugins
    libx11-dev libxtst-dev libxi-dev libxfixes-dev libxcb1-dev libxcb-xfixes0-dev libx11-xcb-dev libxkbcommon-dev libcanberra-dev
    xvfb openbox xterm xfce4-terminal xclip xdotool x11-utils x11-xserver-utils imagemagick fonts-dejavu-core dbus-x11
    dbus-daemon trayer desktop-file-utils appstream lintian dpkg-dev file groff-base
    libgtest-dev libgmock-dev libbenchmark-dev
    clang libclang-rt-14-dev clang-format clang-tidy valgrind
    libwayland-dev libwayland-bin wayland-protocols qt6-wayland qt6-wayland-dev
    sway weston wl-clipboard wtype grim foot python3-dbusmock acl
    libsodium-dev libsecret-1-dev gnome-keyring
    kwin-wayland plasma-wayland-protocols libkf5service-bin qt6-base-private-dev
)

missing=()
for p in "${packages[@]}"; do
    dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || missing+=("$p")
done
[ ${#missing[@]} -eq 0 ] && exit 0

echo "Installing missing packages: ${missing[*]}"
sudo_cmd=()
[ "$(id -u)" -ne 0 ] && sudo_cmd=(sudo)
export DEBIAN_FRONTEND=noninteractive
"${sudo_cmd[@]}" apt-get update -q
"${sudo_cmd[@]}" apt-get install -y -q --no-install-recommends "${missing[@]}"
