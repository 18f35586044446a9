#!/usr/bin/env bash
# Runs a command on a virtual X server of 1280 x 1024 under openbox, so that windows get the
# frames, placement and activation of a real desktop. Ends both servers it started.
set -euo pipefail
for tool in Xvfb openbox xdpyinfo xprop xwininfo xdotool; do
    command -v "$tool" >/dev/null || { echo "$tool is missing: run scripts/install-deps.sh" >&2; exit 1; }
done

work=$(mktemp -d)
xvfb="" wm=""
cleanup() {
    [ -z "$wm" ] || kill "$wm" 2>/dev/null || true
    [ -z "$xvfb" ] || kill "$xvfb" 2>/dev/null || true
    wait 2>/dev/null || true
    rm -rf "$work"
}
trap cleanup EXIT

# Xvfb picks a free display and writes its number to the fd it is given; a server that
# never says (it died starting) is started again, twice at most.
for attempt in 1 2 3; do
    : >"$work/display"
    exec {fd}>"$work/display"
    Xvfb -displayfd "$fd" -screen 0 1280x1024x24 -nolisten tcp >"$work/xvfb.log" 2>&1 &
    xvfb=$!
    exec {fd}>&-
    # The number is complete with its line feed.
    for _ in $(seq 200); do
        [ -s "$work/display" ] && [ -z "$(tail -c1 "$work/display" | tr -d '\n')" ] && break
        kill -0 "$xvfb" 2>/dev/null || break
        sleep 0.05
    done
    [ -s "$work/display" ] && break
    echo "Xvfb did not start (attempt $attempt):" >&2
    cat "$work/xvfb.log" >&2
    kill "$xvfb" 2>/dev/null || true
    wait "$xvfb" 2>/dev/null || true
    xvfb=""
done
[ -n "$xvfb" ] || exit 1
export DISPLAY=":$(head -n1 "$work/display")"
# A server may name its display a moment before it accepts clients.
for _ in $(seq 200); do
    xdpyinfo >/dev/null 2>&1 && break
    sleep 0.05
done
if ! xdpyinfo >/dev/null 2>&1; then
    echo "Xvfb accepts no client on $DISPLAY:" >&2
    cat "$work/xvfb.log" >&2
    exit 1
fi

# A home of its own: openbox and Qt keep their settings there.
export HOME="$work" XDG_CONFIG_HOME="$work/config" XDG_CACHE_HOME="$work/cache"
# Started again when it ends before it has taken the screen, twice at most.
managing() { xprop -root _NET_SUPPORTING_WM_CHECK 2>/dev/null | grep -q "window id"; }
for attempt in 1 2 3; do
    openbox --sm-disable >>"$work/openbox.log" 2>&1 &
    wm=$!
    for _ in $(seq 200); do
        managing && break
        kill -0 "$wm" 2>/dev/null || break
        sleep 0.05
    done
    kill -0 "$wm" 2>/dev/null && break
    echo "openbox ended while starting (attempt $attempt)" >&2
    wait "$wm" 2>/dev/null || true
    wm=""
done
[ -n "$wm" ] || { cat "$work/openbox.log" >&2; exit 1; }
# Ready once it frames a window: a probe window's parent is then no longer the root.
xmessage -name probe probe >/dev/null 2>&1 &
probe=$!
framed=""
for _ in $(seq 400); do
    id=$(xdotool search --name '^probe$' 2>/dev/null | head -n1 || true)
    if [ -n "$id" ] && ! xwininfo -tree -id "$id" 2>/dev/null | grep -q 'Parent window id: .*(the root window)'; then
        framed=yes
        break
    fi
    sleep 0.05
done
kill "$probe" 2>/dev/null
wait "$probe" 2>/dev/null || true
if [ -z "$framed" ]; then
    echo "openbox frames no window on $DISPLAY (probe ${id:-not found}):" >&2
    cat "$work/xvfb.log" "$work/openbox.log" >&2
    xwininfo -root -tree >&2 || true
    exit 1
fi

QT_QPA_PLATFORM=xcb "$@"
