#!/usr/bin/env bash
# Full-screen PNG capture to file, ours in-process under Wine against scrot as
# a whole process, on the same X screen showing a real desktop picture.
#
#   bench/capture/vs-scrot.sh [PICTURE] [RUNS]
#
# PICTURE (default: the shared corpus's 1920x1080 desktop; it must have the
# screen's size) is shown by ImageMagick's `display` in a borderless window at
# the screen's corner of the Wine session's display, and the script checks
# that scrot's file holds exactly that picture before anything is timed. Each
# of 3 rounds runs scrot 3 times (each timed from start to exit: file closed)
# and bench_capture.exe once with RUNS PNG captures (default 5; each timed by
# the program from the snapshot to the file closed, the way the hot key does
# it), so both see the same load. bench_capture warms up first, as the program
# does once its window shows (EXTRA may pass --cold to see a process without
# it). The summary takes the medians: of scrot's runs, of ours without each
# process's first capture, and of the first captures apart.
set -euo pipefail
repo=$(cd "$(dirname "${BASH_SOURCE[0]}")/../.." && pwd)
picture=${1:-$repo/../shared/bench-corpus/desktop-1920x1080.png}
runs=${2:-5}
extra=${EXTRA:-}
exe=$repo/build/windows/bench/bench_capture.exe
out=$(mktemp -d)
viewer=
cleanup() {
    [[ -n $viewer ]] && kill "$viewer" 2>/dev/null
    rm -rf "$out"
    "$repo/tools/wine-session" stop >/dev/null 2>&1 || true
}
trap cleanup EXIT
die() {
    echo "vs-scrot: $*" >&2
    exit 1
}
for tool in scrot display compare identify; do
    command -v $tool >/dev/null || die "$tool is missing (Debian: scrot, imagemagick)"
done
[[ -f $exe ]] || die "build bench_capture first (cmake --build --preset windows --target bench_capture)"
[[ -f $picture ]] || die "no picture $picture"

"$repo/tools/wine-session" start >/dev/null
# shellcheck disable=SC1091
source "$repo/build/wine-session.env"
screen=$(xdpyinfo 2>/dev/null | awk '/dimensions:/ && !seen++ { print $2 }')
size=$(identify -format '%wx%h' "$picture")
[[ -z $screen || $screen == "$size" ]] || die "the picture is $size, the screen $screen"

display -geometry +0+0 -borderwidth 0 "$picture" >/dev/null 2>&1 &
viewer=$!
shown=0
for _ in $(seq 1 100); do
    sleep 0.2
    scrot -o "$out/check.png" 2>/dev/null || continue
    if [[ $(compare -metric AE "$out/check.png" "$picture" null: 2>&1 || true) == 0 ]]; then
        shown=1
        break
    fi
done
((shown)) || die "the screen does not show $picture"
echo "screen $screen shows $(basename "$picture") (scrot's file matches it pixel for pixel)"

scrot_ms=()
ours_ms=()
first_ms=()
for round in 1 2 3; do
    for _ in 1 2 3; do
        start=$(date +%s%N)
        scrot -o "$out/scrot.png"
        end=$(date +%s%N)
        scrot_ms+=("$(((end - start) / 1000000))")
    done
    echo "round $round: scrot ${scrot_ms[*]: -3} ms, file $(stat -c %s "$out/scrot.png") bytes"
    # shellcheck disable=SC2086
    "$repo/tools/wine-run" "$exe" "$runs" $extra >"$out/ours.txt"
    grep -E '^(PNG|snapshot way)' "$out/ours.txt" | sed 's/^/  /'
    mapfile -t totals < <(awk '/^PNG/ { for (i = 1; i <= NF; ++i) if ($i == "total") print $(i + 1) }' "$out/ours.txt")
    first_ms+=("${totals[0]}")
    ours_ms+=("${totals[@]:1}")
done

median() { printf '%s\n' "$@" | sort -g | awk '{ v[NR] = $1 } END { print v[int((NR + 1) / 2)] }'; }
scrot_median=$(median "${scrot_ms[@]}")
ours_median=$(median "${ours_ms[@]}")
first_median=$(median "${first_ms[@]}")
awk -v ours="$ours_median" -v first="$first_median" -v scrot="$scrot_median" -v firsts="${first_ms[*]}" 'BEGIN {
    printf "median: ours %.1f ms (in-process, snapshot to file closed), scrot %.1f ms (whole process)\n", ours, scrot
    printf "first capture of each process: %s ms, median %.1f ms\n", firsts, first
    printf "ratio ours/scrot: %.3f (first captures: %.3f)\n", ours / scrot, first / scrot
}'
