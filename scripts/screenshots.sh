#!/usr/bin/env bash
# Takes screenshots of what a person sees: the panel (classic and modern, light and dark) and the
# status menu, in English and Portuguese, on a private Xvfb with openbox.
# Writes PNGs to screenshots/out/. OVELIN_BUILD_DIR picks another build folder (default: build).
set -euo pipefail
cd "$(dirname "$0")/.."
root=$(pwd)
build=${OVELIN_BUILD_DIR:-build}
out="$root/screenshots/out"
mkdir -p "$out"

if [ "$build" = build ]; then
    cmake --preset default >/dev/null
fi
cmake --build "$build" --target ovelin screenshot_menu >/dev/null

source scripts/xsession.sh
ovelin_x_start
work=$(mktemp -d)
cleanup() {
    ovelin_stop
    ovelin_x_stop
    rm -rf "$work"
}
trap cleanup EXIT
# A desktop background that is neither white nor black, so both themes show their edges.
xsetroot -solid '#5b7a99' 2>/dev/null || true

# Sample history: what a person might have copied, captured by Ovelin itself from the clipboard.
samples=(
    "https://www.debian.org/releases/bookworm/"
    "git commit -m \"Fix the panel placement near the screen edge\""
    "Meeting notes: ship the release on Friday, review the translations first."
    "Olá! Segue o endereço da reunião de amanhã."
)


panel_window() {
    for w in $(xdotool search --onlyvisible --classname '^ovelin$' 2>/dev/null); do
        [ "$(xdotool getwindowname "$w")" = "Ovelin" ] && { echo "$w"; return 0; }
    done
    return 1
}

# Capture the samples once; every variant starts from that history.
seed="$work/seed"
mkdir -p "$seed/config" "$seed/data" "$seed/cache"
ovelin_start "$seed" "$root/$build/src/ovelin"
for text in "${samples[@]}"; do
    printf '%s' "$text" | xclip -selection clipboard
    sleep 1.3
done
ovelin_stop

for language in en pt; do
    for style in classic modern; do
        for theme in Light Dark; do
            home="$work/$language-$style-$theme"
            mkdir -p "$home/config/Ovelin" "$home/cache"
            cp -r "$seed/data" "$home/data"
            {
                echo "[General]"
                echo "appearance_style=$style"
                echo "selectedAppTheme=$theme"
                echo "selectedLanguage=$language"
                [ "$style" = modern ] && echo "ovelinWindowHeight=520"
            } >"$home/config/Ovelin/Ovelin.conf"
            ovelin_start "$home" "$root/$build/src/ovelin"
            sleep 1
            window=$(panel_window) || { echo "no panel window" >&2; exit 1; }
            eval "$(xdotool getwindowgeometry --shell "$window")"
            import -window root -crop "$((WIDTH + 40))x$((HEIGHT + 40))+$((X - 20))+$((Y - 20))" +repage \
                "$out/panel-$style-$(echo "$theme" | tr 'A-Z' 'a-z')-$language.png"
            ovelin_stop
        done
    done
    for theme in Light Dark; do
        "$root/$build/tools/screenshots/screenshot_menu" "$language" "$theme" \
            "$out/menu-$(echo "$theme" | tr 'A-Z' 'a-z')-$language.png"
        "$root/$build/tools/screenshots/screenshot_menu" "$language" "$theme" \
            "$out/menu-paused-$(echo "$theme" | tr 'A-Z' 'a-z')-$language.png" paused
    done
done

echo "Screenshots written to $out:"
ls "$out"
