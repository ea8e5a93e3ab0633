#!/usr/bin/env bash
# Runs one command inside a private X session: its own Xvfb server and the openbox window
# manager, torn down afterwards. Used for the end-to-end tests, the benchmarks and the
# screenshot script. Sessions may run side by side: Xvfb picks a free display number itself.
set -uo pipefail

session=$(mktemp -d)
cleanup() {
    [ -n "${wm:-}" ] && kill "$wm" 2>/dev/null
    [ -n "${xvfb:-}" ] && kill "$xvfb" 2>/dev/null
    wait 2>/dev/null
    rm -rf "$session"
}
trap cleanup EXIT

# -displayfd writes the chosen display number once the server accepts connections.
Xvfb -displayfd 3 -screen 0 1280x1024x24 -nolisten tcp 3>"$session/display" >/dev/null 2>&1 &
xvfb=$!
for _ in $(seq 600); do
    [ -s "$session/display" ] && break
    kill -0 "$xvfb" 2>/dev/null || break
    sleep 0.05
done
if [ ! -s "$session/display" ]; then
    echo "x11-session: Xvfb did not start" >&2
    exit 1
fi
export DISPLAY=":$(head -n1 "$session/display")"

# Windows shown before the window manager runs are never activated: wait for it (a loaded
# machine can take seconds).
openbox >/dev/null 2>&1 &
wm=$!
for _ in $(seq 600); do
    xprop -root _NET_SUPPORTING_WM_CHECK 2>/dev/null | grep -q 'window id' && break
    sleep 0.05
done
if ! xprop -root _NET_SUPPORTING_WM_CHECK 2>/dev/null | grep -q 'window id'; then
    echo "x11-session: openbox did not start" >&2
    exit 1
fi

unset QT_QPA_PLATFORM
export LANG=C.UTF-8 LC_ALL=C.UTF-8
"$@"
