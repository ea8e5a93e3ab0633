#!/usr/bin/env bash
# Runs one command inside a private X session: its own Xvfb server and the openbox window
# manager, torn down afterwards. Used for the end-to-end tests and the screenshot script.
set -uo pipefail

for display in $(seq 90 140); do
    [ -e "/tmp/.X${display}-lock" ] || [ -e "/tmp/.X11-unix/X${display}" ] || break
done
export DISPLAY=":${display}"

Xvfb "$DISPLAY" -screen 0 1280x1024x24 -nolisten tcp >/dev/null 2>&1 &
xvfb=$!
cleanup() {
    [ -n "${wm:-}" ] && kill "$wm" 2>/dev/null
    kill "$xvfb" 2>/dev/null
    wait 2>/dev/null
}
trap cleanup EXIT

for _ in $(seq 100); do
    xdpyinfo >/dev/null 2>&1 && break
    sleep 0.05
done
if ! xdpyinfo >/dev/null 2>&1; then
    echo "x11-session: Xvfb did not start on $DISPLAY" >&2
    exit 1
fi

openbox >/dev/null 2>&1 &
wm=$!
for _ in $(seq 100); do
    xprop -root _NET_SUPPORTING_WM_CHECK 2>/dev/null | grep -q 'window id' && break
    sleep 0.05
done

unset QT_QPA_PLATFORM
export LANG=C.UTF-8 LC_ALL=C.UTF-8
"$@"
