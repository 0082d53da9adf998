#!/usr/bin/env bash
# Renders every preferences page, in English and Portuguese, light and dark, on a private Xvfb:
#     scripts/screenshots-preferences.sh [output folder]    (default: screenshots/out/preferences)
set -euo pipefail
cd "$(dirname "$0")/.."

out=${1:-screenshots/out/preferences}
build=${OVELIN_BUILD_DIR:-build}
if [ ! -d "$build" ]; then
    cmake --preset default >/dev/null
fi
cmake --build "$build" --target ovelin_preferences_screenshots

source scripts/xsession.sh
ovelin_x_start
trap ovelin_x_stop EXIT

mkdir -p "$out"
for language in en pt; do
    for theme in light dark; do
        QT_QPA_PLATFORM=xcb "$build/tools/screenshots/ovelin_preferences_screenshots" "$out" "$language" "$theme"
    done
done
echo "Screenshots in $out"
