#!/usr/bin/env bash
# Takes a screenshot of the main window on a prepared data folder and writes
# docs/images/main-window.png. Usage: scripts/screenshot.sh [BUILD_FOLDER]
set -euo pipefail
root="$(cd "$(dirname "$0")/.." && pwd)"

if [ "${1:-}" = "--inside" ]; then
    # Runs inside the private X session of x11-session.sh.
    bin="$2" output="$3"
    "$bin/moxeno-trellin" &
    program=$!
    status=0
    window=$(xdotool search --sync --onlyvisible --name '^Moxeno Trellin$' | head -n1)
    sleep 1
    # Hover over position 2 so the status line and the viewer show what they do.
    xdotool mousemove --window "$window" 48 62
    sleep 0.5
    # The window with the frame the window manager drew around it.
    info=$(xwininfo -id "$window")
    x=$(awk '/Absolute upper-left X/ {print $4}' <<<"$info")
    y=$(awk '/Absolute upper-left Y/ {print $4}' <<<"$info")
    width=$(awk '/Width:/ {print $2}' <<<"$info")
    height=$(awk '/Height:/ {print $2}' <<<"$info")
    read -r left right top bottom < <(xprop -id "$window" _NET_FRAME_EXTENTS | tr -d ',' | awk '{print $3, $4, $5, $6}')
    "$bin/screengrab" "$output" $((x - ${left:-0})) $((y - ${top:-0})) \
        $((width + ${left:-0} + ${right:-0})) $((height + ${top:-0} + ${bottom:-0})) || status=$?
    kill "$program"
    wait "$program" 2>/dev/null || true
    exit "$status"
fi

build="${1:-build}"
case "$build" in /*) ;; *) build="$root/$build" ;; esac
for tool in moxeno-trellin screengrab; do
    if [ ! -x "$build/bin/$tool" ]; then
        echo "screenshot: $build/bin/$tool is missing; build the project first" >&2
        exit 1
    fi
done

home=$(mktemp -d)
trap 'rm -rf "$home"' EXIT
export HOME="$home" XDG_DATA_HOME="$home/.local/share" XDG_CONFIG_HOME="$home/.config"
export XDG_RUNTIME_DIR="$home/runtime"
mkdir -p -m 700 "$XDG_RUNTIME_DIR"
data="$XDG_DATA_HOME/MoxenoTrellin"
mkdir -p "$data" "$XDG_CONFIG_HOME/MoxenoTrellin"

# Box files are written as the program writes them: Windows-1252, CR LF, "!¬:" after the key.
record() { printf '%s\xac:%s\r\n' "$1!" "$2"; }
names=(Addresses Letters Snippets Code Phrases)
for i in $(seq 1 99); do
    if [ "$i" -le ${#names[@]} ]; then printf '%s\r\n' "${names[$((i - 1))]}"; else printf 'Box %d\r\n' "$i"; fi
done >"$data/MoxenoTrellinNames.txt"
{
    record 01 "Moxeno Ltd, 12 Harbour Road, Exampleton"
    record 02 "Dear Sir or Madam,"
    printf 'With kind regards\r\n'
    record 03 "Kind regards, Anna"
    record 05 "Please find the document attached."
    record 07 "+44 20 7946 0000"
    record 10 "Thank you for your message."
    record 11 "I will get back to you tomorrow."
    record 12 "Meeting notes"
    record 25 "https://moxeno.example/trellin"
    record 40 "Order number:"
    record 41 "Invoice number:"
    record 55 "See you on Monday."
    record 99 "Last position"
} >"$data/MoxenoTrellin1.txt"
{
    record 01 "Second box, first text"
} >"$data/MoxenoTrellin2.txt"
printf '[Settings]\r\nBoxNo=1\r\nLeft=600\r\nTop=600\r\n' >"$XDG_CONFIG_HOME/MoxenoTrellin/MoxenoTrellin.ini"

output="$root/docs/images/main-window.png"
mkdir -p "$(dirname "$output")"
"$root/scripts/x11-session.sh" "$0" --inside "$build/bin" "$output"
echo "Wrote $output"
