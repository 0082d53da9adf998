#!/usr/bin/env bash
# Installs the Debian packages Ovelin needs to build, run and test, when any is missing.
set -euo pipefail

packages=(
    build-essential cmake ninja-build ccache pkg-config
    qt6-base-dev qt6-base-dev-tools qt6-tools-dev qt6-l10n-tools qt6-svg-dev
    qt6-httpserver-dev qt6-websockets-dev libqt6svg6 qt6-qpa-plugins
    libx11-dev libxtst-dev libxi-dev libxfixes-dev libxcb1-dev libxcb-xfixes0-dev libxkbcommon-dev libcanberra-dev
    xvfb openbox xterm xfce4-terminal xclip xdotool x11-utils x11-xserver-utils imagemagick fonts-dejavu-core
    dbus-daemon trayer desktop-file-utils appstream lintian dpkg-dev file groff-base
    clang libclang-rt-14-dev clang-format
    libwayland-dev libwayland-bin qt6-wayland
    sway weston wl-clipboard wtype python3-dbusmock acl
    libsodium-dev libsecret-1-dev gnome-keyring
    # GNOME: the headless shell the extension is tested in, its schema compiler, node for the 45+ flavour
    gnome-shell libglib2.0-bin nodejs
    # KDE: the headless KWin, its service cache builder, Qt's private headers for the shell surface
    kwin-wayland libkf5service-bin qt6-base-private-dev
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
