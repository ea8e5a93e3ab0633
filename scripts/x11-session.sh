#!/usr/bin/env bash
# Runs one command inside a private X session: its own Xvfb server and the openbox window
# manager, torn down afterwards. Used for the end-to-end tests, the benchmarks and the
# screenshot script. Sessions may run side by side: Xvfb picks a free display number itself.
set -uo pipefail

session=$(mktemp -d)
stop_session() {
    [ -n "${wm:-}" ] && kill "$wm" 2>/dev/null
    [ -n "${xvfb:-}" ] && kill "$xvfb" 2>/dev/null
    wait 2>/dev/null
    wm= xvfb=
}
cleanup() {
    stop_session
    rm -rf "$session"
}
trap cleanup EXIT

wm_running() {
    xprop -root _NET_SUPPORTING_WM_CHECK 2>/dev/null | grep -q 'window id'
}

# Starts Xvfb and openbox; fails when either does not come up. Windows shown before the
# window manager runs are never activated, so this waits for it (a loaded machine can take
# seconds).
start_session() {
    rm -f "$session/display"
    # -displayfd writes the chosen display number once the server accepts connections.
    Xvfb -displayfd 3 -screen 0 1280x1024x24 -nolisten tcp 3>"$session/display" \
        >"$session/xvfb.log" 2>&1 &
    xvfb=$!
    for _ in $(seq 600); do
        [ -s "$session/display" ] && break
        kill -0 "$xvfb" 2>/dev/null || break
        sleep 0.05
    done
    if [ ! -s "$session/display" ]; then
        echo "x11-session: Xvfb did not start" >&2
        cat "$session/xvfb.log" >&2
        return 1
    fi
    export DISPLAY=":$(head -n1 "$session/display")"

    openbox >"$session/openbox.log" 2>&1 &
    wm=$!
    for _ in $(seq 600); do
        wm_running && return 0
        kill -0 "$wm" 2>/dev/null || break
        sleep 0.05
    done
    wm_running && return 0
    echo "x11-session: openbox did not start on $DISPLAY" >&2
    cat "$session/openbox.log" >&2
    return 1
}

# Now and then, with several sessions starting at once, a fresh server refuses the first
# client; a second start has always succeeded.
started=
for attempt in 1 2 3; do
    if start_session; then
        started=1
        break
    fi
    stop_session
    echo "x11-session: retrying ($attempt)" >&2
done
[ -n "$started" ] || exit 1

unset QT_QPA_PLATFORM
export LANG=C.UTF-8 LC_ALL=C.UTF-8
"$@"
