#!/usr/bin/env bash
# Runs every benchmark program of a build (BUILD/bench/bench_*) in its own X session, gathers the
# BENCHROW lines they print into one markdown table, prints it, and writes it with the command
# and the machine into the performance document, between its two markers, so that a rerun
# replaces the table. A benchmark that fails leaves a row saying so and makes the exit status 1.
# Usage: scripts/bench-table.sh [BUILD] [DOCUMENT]
set -uo pipefail
build=${1:-build-bench}
doc=${2:-docs/performance.md}
here=$(cd "$(dirname "$0")" && pwd)
begin='<!-- bench-table begin -->'
end='<!-- bench-table end -->'

work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
status=0
# Each benchmark runs as in a desktop session, which has a D-Bus session bus. Without one, every
# Qt program started there (the program and its floors alike) forks at start to launch a bus for
# its accessibility support, and pays again for every page it touched before the fork.
session=("$here/x11-session.sh")
if [ -z "${DBUS_SESSION_BUS_ADDRESS:-}" ] && command -v dbus-run-session >/dev/null; then
    session=(dbus-run-session -- "${session[@]}")
fi
: >"$work/rows"
for program in "$build"/bench/bench_*; do
    [ -f "$program" ] && [ -x "$program" ] || continue
    name=$(basename "$program")
    echo "== $name"
    "${session[@]}" "$program" >"$work/out" 2>&1
    result=$?
    cat "$work/out"
    grep -a '^BENCHROW' "$work/out" | cut -f2- | sed "s/^/$name\t/" >>"$work/rows"
    if [ "$result" -ne 0 ]; then
        printf '%s\tthe benchmark failed (exit status %s)\t-\t-\t-\t-\tMISSED\n' "$name" "$result" >>"$work/rows"
        status=1
    fi
done

{
    echo '| Benchmark | Figure | Program | Floor | Ratio | Goal | Result |'
    echo '|---|---|---|---|---|---|---|'
    awk -F'\t' '{ printf "| %s | %s | %s | %s | %s | %s | %s |\n", $1, $2, $3, $4, $5, $6, $7 }' "$work/rows"
} >"$work/table"
echo
cat "$work/table"

cpu=$(grep -m1 'model name' /proc/cpuinfo | cut -d: -f2- | sed 's/^ *//')
{
    echo "$begin"
    echo "Measured $(date -u '+%Y-%m-%d %H:%M UTC') with \`make bench\` (Release build, \`scripts/bench-table.sh $build\`)"
    echo "on $(uname -srm), ${cpu:-unknown CPU}, $(nproc) cores, load average $(cut -d' ' -f1-3 /proc/loadavg) at the end."
    echo
    cat "$work/table"
    echo "$end"
} >"$work/section"

if [ -f "$doc" ] && grep -qF "$begin" "$doc" && grep -qF "$end" "$doc"; then
    awk -v begin="$begin" -v end="$end" -v section="$work/section" '
        $0 == begin { while ((getline line < section) > 0) print line; skip = 1; next }
        $0 == end { skip = 0; next }
        !skip { print }' "$doc" >"$work/doc" && cp "$work/doc" "$doc"
else
    { [ -f "$doc" ] && cat "$doc" && echo; cat "$work/section"; } >"$work/doc" && cp "$work/doc" "$doc"
fi
echo "written to $doc"
exit $status
