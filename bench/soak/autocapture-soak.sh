#!/usr/bin/env bash
# bench/soak/autocapture-soak.sh [--failing] [MINUTES] [BUILD_DIR]
# Lets Mirulo.exe capture an 800x600 fixed range every second (auto-capture in
# seconds mode, period "1") on the virtual display for MINUTES (default 10), and
# prints, at the start and at the end, what the process holds: resident memory,
# windows, message boxes, kernel handles, open file descriptors and its X
# pixmaps. All of them should stay flat. Then it checks that every file written
# is a valid picture.
# With --failing the stored range is one no picture can be made of, so every
# tick's capture fails: nobody answers the error box, and there should be one
# box and no file for the whole run.
# Figures, not a test: nothing here fails on a number.
set -euo pipefail
failing=
if [ "${1:-}" = --failing ]; then
    failing=1
    shift
fi
minutes=${1:-10}
root_dir=$(cd "$(dirname "$0")/../.." && pwd)
build=${2:-$root_dir/build/windows}
exe=$build/bin/Mirulo.exe
probe=$build/bench/bench_soak_probe.exe
for f in "$exe" "$probe"; do
    [ -f "$f" ] || { echo "build first: $f is missing (cmake --build --preset windows)" >&2; exit 2; }
done
for tool in xrestop pngcheck; do
    command -v $tool >/dev/null || { echo "$tool is missing: tools/install-deps installs it" >&2; exit 2; }
done

work=$(mktemp -d "${TMPDIR:-/tmp}/mirulo-soak.XXXXXX")
mkdir -p "$work/shots"
cp "$exe" "$work/Mirulo.exe"
windows_dir="Z:${work//\//\\}"
width=800 height=600
[ -n "$failing" ] && width=200000 height=200000
printf '\xEF\xBB\xBF[System]\r\nFolder=%s\\shots\r\nblTimerSecMode=1\r\nTimerNumber=0\r\nTimerEnabled=1\r\nX=0\r\nY=0\r\nW=%s\r\nH=%s\r\n' \
    "$windows_dir" "$width" "$height" >"$work/Mirulo.exe_ユーザー設定.ini"

own_session=
if [ ! -f "$root_dir/build/wine-session.env" ]; then
    "$root_dir/tools/wine-session" start >/dev/null
    own_session=1
fi
source "$root_dir/build/wine-session.env"
export DISPLAY

pid=
cleanup() {
    if [ -n "$pid" ] && kill -0 "$pid" 2>/dev/null; then
        "$root_dir/tools/wine-run" "$probe" Mirulo.exe --close >/dev/null 2>&1 || true
        for _ in $(seq 50); do kill -0 "$pid" 2>/dev/null || break; sleep 0.2; done
        kill "$pid" 2>/dev/null || true
    fi
    [ -n "$own_session" ] && "$root_dir/tools/wine-session" stop >/dev/null
    rm -rf "$work"
}
trap cleanup EXIT

"$root_dir/tools/wine-run" "$work/Mirulo.exe" >/dev/null 2>&1 &
launcher=$!
# The Linux process that runs Mirulo.exe: the one whose command line names this copy.
for _ in $(seq 100); do
    pid=$(pgrep -f -n "mirulo-soak\.${work##*.}.*Mirulo\.exe" || true)
    [ -n "$pid" ] && break
    sleep 0.2
done
[ -n "$pid" ] || { echo "Mirulo.exe did not start" >&2; exit 1; }
# Figures are taken once the first captures are done, so the start already
# includes what every capture needs (a failing run: a few ticks after the box).
if [ -n "$failing" ]; then
    sleep 8
else
    for _ in $(seq 120); do
        [ "$(ls "$work/shots" | wc -l)" -ge 3 ] && break
        sleep 0.5
    done
fi

figures() {
    local rss fds probe_line pixmaps
    rss=$(awk '/^VmRSS/ {print $2}' /proc/$pid/status)
    fds=$(ls /proc/$pid/fd | wc -l)
    probe_line=$("$root_dir/tools/wine-run" "$probe" Mirulo.exe 2>/dev/null | tr -d '\r')
    # Xvfb gives no client PIDs: xrestop names each client after its windows'
    # title, so the program's clients are those named after its caption; the
    # display's total is printed too.
    pixmaps=$(xrestop -b -m 1 2>/dev/null | awk '
        /^[0-9]+ - / {mine = ($0 ~ /Mirulo|ミルロ/)}
        /^\tpixmaps / {total += $3; if (mine) own += $3}
        END {printf "%d display_pixmaps=%d", own, total}')
    printf '%-6s files=%-5s rss_kib=%-7s fds=%-4s %s pixmaps=%s\n' "$1" "$(ls "$work/shots" | wc -l)" "$rss" "$fds" \
        "$probe_line" "$pixmaps"
}

echo "auto-capture soak${failing:+ (every tick fails)}: ${width}x${height} every second for $minutes min on a $(xdpyinfo 2>/dev/null | awk '/dimensions:/ {print $2}') display"
figures start
start_files=$(ls "$work/shots" | wc -l)
# Resident memory every 10 s: a leak climbs, a working set only swings.
first_half=() second_half=()
for ((t = 10; t <= minutes * 60; t += 10)); do
    sleep 10
    rss=$(awk '/^VmRSS/ {print $2}' /proc/$pid/status)
    if ((t <= minutes * 30)); then first_half+=("$rss"); else second_half+=("$rss"); fi
done
range() { printf '%s\n' "$@" | sort -n | sed -n '1p;$p' | paste -sd- -; }
figures end
echo "rss_kib sampled every 10 s: first half $(range "${first_half[@]}"), second half $(range "${second_half[@]}")"
end_files=$(ls "$work/shots" | wc -l)
echo "files written during the soak: $((end_files - start_files)) in $((minutes * 60)) s"

"$root_dir/tools/wine-run" "$probe" Mirulo.exe --close >/dev/null 2>&1 || true
wait "$launcher" 2>/dev/null || true
pid=

bad=0
shopt -s nullglob
for f in "$work"/shots/*; do
    case $f in
        *_固T.png) pngcheck -q "$f" >/dev/null 2>&1 || { echo "invalid picture: ${f##*/}"; bad=$((bad + 1)); } ;;
        *) echo "unexpected file: ${f##*/}"; bad=$((bad + 1)) ;;
    esac
done
echo "pictures checked: $(ls "$work/shots" | wc -l), invalid or unexpected: $bad"
