#!/usr/bin/env bash
# Makes the README's screenshots (docs/*.png) from the real program: starts ugoki on a
# virtual X server, opens the projectile sample through the file menu, marks the ball on
# ten frames, opens both graph windows and presses 最小２乗法 in each; then follows the
# projectile's ball by itself from one mark; then measures g on the slow-motion sample with
# its metre stick as the length reference.
# Needs Xvfb, xdotool and imagemagick; run once after changing what the windows look like:
#     scripts/screenshots.sh [build folder, default build/release]
set -euo pipefail
cd "$(dirname "$0")/.."
build=${1:-build/release}
program=$build/src/app/ugoki
[ -x "$program" ] && [ -f "$build/samples/projectile.avi" ] || {
    echo "build $program and its samples first (scripts/run.sh)" >&2
    exit 1
}

display=:$((90 + RANDOM % 9))
Xvfb "$display" -screen 0 1600x1200x24 -nolisten tcp >/dev/null 2>&1 &
xvfb=$!
ugoki=""
cleanup() {
    [ -n "$ugoki" ] && kill "$ugoki" 2>/dev/null || true
    kill "$xvfb" 2>/dev/null || true
}
trap cleanup EXIT
export DISPLAY=$display QT_QPA_PLATFORM=xcb
sleep 1
"$program" >/dev/null 2>&1 &
ugoki=$!

window_named() { # the first visible window with exactly this title
    for _ in $(seq 50); do
        id=$(xdotool search --onlyvisible --name "^$1\$" 2>/dev/null | head -1 || true)
        [ -n "$id" ] && { echo "$id"; return; }
        sleep 0.1
    done
    echo "no window '$1'" >&2
    exit 1
}
settle() { sleep "${1:-0.4}"; }

main=$(window_named Ugoki)
xdotool windowmove --sync "$main" 0 0
xdotool windowfocus --sync "$main"
settle

# Buttons and pictures by their place in the main window's client area, which starts
# below the 18-pixel menu bar.
menu=18
click_main() { xdotool mousemove "$1" "$(($2 + menu))" click 1; settle 0.05; }
play=(256 416) pause=(192 416) rewind=(124 416) step=(224 312) transfer=(376 164)
vt=(472 424) st=(552 424)
measuring_left=402 measuring_top=42 # client origin of the measuring area

xdotool key alt+f
settle
xdotool key o
dialog=$(window_named ビデオファイルを開く)
settle
xdotool type --delay 20 projectile.avi
xdotool key Return
settle 1

click_main "${play[@]}"
settle 1
click_main "${pause[@]}"
click_main "${rewind[@]}"
settle
# The ball's middle on frame n, from the sample's motion: x = 20 + 80 t, y = 24 + 16 t².
for n in 0 10 20 30 40 50 60 70 80 90; do
    if [ "$n" -gt 0 ]; then
        for _ in $(seq 10); do click_main "${step[@]}"; done
    fi
    click_main "${transfer[@]}"
    settle 0.3
    read -r x y < <(awk -v n="$n" 'BEGIN { t = n / 30; printf "%d %d\n", 20 + 80 * t + 0.5, 24 + 16 * t * t + 0.5 }')
    click_main $((measuring_left + x)) $((measuring_top + y))
done
settle
import -window "$main" docs/main-window.png

click_main "${st[@]}"
st_window=$(window_named 's-tグラフ')
xdotool windowmove --sync "$st_window" 830 0
settle
xdotool mousemove --window "$st_window" 84 536 click 1
settle
import -window "$st_window" docs/st-graph.png

click_main "${vt[@]}"
vt_window=$(window_named 'v-tグラフ')
xdotool windowmove --sync "$vt_window" 830 600
settle
# 縦拡大 four times: velocities of a few unit lengths per second fill the chart at 16x.
for _ in 1 2 3 4; do
    xdotool mousemove --window "$vt_window" 232 536 click 1
    settle 0.2
done
xdotool mousemove --window "$vt_window" 84 536 click 1
settle
import -window "$vt_window" docs/vt-graph.png
# 閉じる in both: the next graph starts at its first magnifications.
for graph in "$st_window" "$vt_window"; do
    xdotool mousemove --window "$graph" 652 536 click 1
    settle 0.2
done

open_sample() {
    xdotool windowfocus --sync "$main"
    xdotool key alt+f
    settle
    xdotool key o
    window_named ビデオファイルを開く >/dev/null
    settle
    xdotool type --delay 20 "$1"
    xdotool key Return
    settle 1
}
# Follows the ball from the last mark, every $1 frames, until the progress window goes.
track_every() {
    xdotool windowfocus --sync "$main"
    xdotool key alt+m
    settle
    xdotool key a
    window_named 自動追跡 >/dev/null
    settle
    xdotool key ctrl+a
    xdotool type "$1"
    xdotool key Return
    for _ in $(seq 300); do
        xdotool search --onlyvisible --name '^自動追跡$' >/dev/null 2>&1 || break
        sleep 0.1
    done
    settle
}

open_sample projectile.avi
click_main "${play[@]}"
settle 1
click_main "${pause[@]}"
click_main "${rewind[@]}"
click_main "${transfer[@]}"
settle 0.3
click_main $((measuring_left + 20)) $((measuring_top + 24))
track_every 3
import -window "$main" docs/tracking.png

# The slow-motion drop: はい to counting 1/240 s a frame, the stick's ends (60, 20) and
# (60, 220) as 100 cm, the ball marked once and followed every 8 frames, the v-t fit.
open_sample drop_240fps.mp4
xdotool key Return
settle
click_main "${play[@]}"
settle 1
click_main "${pause[@]}"
click_main "${rewind[@]}"
xdotool windowfocus --sync "$main"
xdotool key alt+m
settle
xdotool key l
settle 0.5
click_main $((measuring_left + 60)) $((measuring_top + 20))
click_main $((measuring_left + 60)) $((measuring_top + 220))
window_named 長さの基準 >/dev/null
settle
xdotool type 100
xdotool key Return
settle
click_main $((measuring_left + 160)) $((measuring_top + 24))
track_every 8
click_main "${vt[@]}"
vt_window=$(window_named 'v-tグラフ')
xdotool windowmove --sync "$vt_window" 830 600
settle
xdotool mousemove --window "$vt_window" 84 536 click 1
settle
work=$(mktemp -d)
import -window "$main" "$work/main.png"
import -window "$vt_window" "$work/vt.png"
convert -background '#c0c0c0' "$work/main.png" "$work/vt.png" -gravity north +append \
    docs/measuring-g.png
rm -rf "$work"
echo "wrote docs/main-window.png docs/st-graph.png docs/vt-graph.png docs/tracking.png" \
    "docs/measuring-g.png"
