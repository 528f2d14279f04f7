#!/usr/bin/env bash
# Full-screen PNG capture to file, ours in-process under Wine against scrot as
# a whole process, on the same X screen showing a real desktop picture.
#
#   bench/capture/vs-scrot.sh [PICTURE] [RUNS]
#
# PICTURE (default: the shared corpus's 1920x1080 desktop) is painted on the
# root window of the Wine session's screen; each round runs scrot once (timed
# from start to exit, file closed) and bench_capture.exe for RUNS PNG captures
# (their step times printed by the program itself), so both see the same load.
set -euo pipefail
repo=$(cd "$(dirname "${BASH_SOURCE[0]}")/../.." && pwd)
picture=${1:-$repo/../shared/bench-corpus/desktop-1920x1080.png}
runs=${2:-3}
exe=$repo/build/windows/bench/bench_capture.exe
out=$(mktemp -d)
trap 'rm -rf "$out"; "$repo/tools/wine-session" stop >/dev/null 2>&1 || true' EXIT
command -v scrot >/dev/null || { echo "vs-scrot: scrot is missing (Debian: scrot)" >&2; exit 1; }
[[ -f $exe ]] || { echo "vs-scrot: build bench_capture first (cmake --build --preset windows)" >&2; exit 1; }
"$repo/tools/wine-session" start >/dev/null
# shellcheck disable=SC1091
source "$repo/build/wine-session.env"
display -window root "$picture"
for round in 1 2 3; do
    start=$(date +%s%N)
    scrot -o "$out/scrot.png"
    end=$(date +%s%N)
    echo "round $round: scrot $(((end - start) / 1000000)) ms, file $(stat -c %s "$out/scrot.png") bytes"
    "$repo/tools/wine-run" "$exe" "$runs" | grep '^PNG'
done
