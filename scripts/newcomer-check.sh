#!/usr/bin/env bash
# Does what a newcomer does after cloning: with a clean home folder, `make run` starts the
# program (here in a private X session: Xvfb + openbox). Checks that the window "Moxeno Trellin"
# appears, takes a screenshot, stores and reads back a text through trellinctl, closes the
# window as a user does (Alt+F4) and checks that the program has ended within a second.
# Usage: scripts/newcomer-check.sh [BUILD_FOLDER]   (default build; an existing build is reused)
set -euo pipefail
root="$(cd "$(dirname "$0")/.." && pwd)"

fail() {
    echo "newcomer-check: FAILED: $*" >&2
    exit 1
}

if [ "${1:-}" = "--inside" ]; then
    # Runs inside the private X session of x11-session.sh, with the clean home set up below.
    build="$2" log="$3" shot="$4"
    make -C "$root" run BUILD="$build" >"$log" 2>&1 &
    make_pid=$!
    window=$(timeout 120 xdotool search --sync --onlyvisible --name '^Moxeno Trellin$' | head -n1) || true
    [ -n "$window" ] || { cat "$log" >&2; fail "the window 'Moxeno Trellin' did not appear within 2 minutes"; }
    program=$(xdotool getwindowpid "$window")
    echo "newcomer-check: the window 'Moxeno Trellin' appeared (process $program)"

    "$build/bin/screengrab" "$shot" || fail "no screenshot"
    echo "newcomer-check: screenshot in $shot"

    text="Hello from the newcomer check: ß € 日本"
    printf '%s' "$text" | "$build/bin/trellinctl" set 1 7 || fail "trellinctl set failed"
    [ "$("$build/bin/trellinctl" get 1 7)" = "$text" ] || fail "trellinctl get did not give back the stored text"
    echo "newcomer-check: trellinctl stored and read back a text"

    # Alt+F4 is openbox's close: the window manager asks the window to close.
    xdotool windowactivate --sync "$window" key --clearmodifiers alt+F4
    ended=
    for _ in $(seq 20); do
        if ! kill -0 "$program" 2>/dev/null; then ended=1; break; fi
        sleep 0.05
    done
    [ -n "$ended" ] || { kill "$program" 2>/dev/null; fail "the program was still running a second after its window closed"; }
    wait "$make_pid" || { cat "$log" >&2; fail "make run ended with status $?"; }
    echo "newcomer-check: the window closed and the program ended within a second"
    exit 0
fi

build="${1:-build}"
case "$build" in /*) ;; *) build="$root/$build" ;; esac

home=$(mktemp -d)
trap 'rm -rf "$home"' EXIT
# Built first, in the foreground, so that the wait for the window measures the start alone.
make -C "$root" build BUILD="$build" >"$home/make-build.log" 2>&1 || { cat "$home/make-build.log" >&2; fail "make build"; }
export HOME="$home" XDG_DATA_HOME="$home/.local/share" XDG_CONFIG_HOME="$home/.config"
export XDG_CACHE_HOME="$home/.cache" XDG_RUNTIME_DIR="$home/runtime"
mkdir -p -m 700 "$XDG_RUNTIME_DIR"
unset QT_QPA_PLATFORM WAYLAND_DISPLAY
"$root/scripts/x11-session.sh" "$0" --inside "$build" "$home/make-run.log" "$build/newcomer-check.png"
echo "newcomer-check: passed"
