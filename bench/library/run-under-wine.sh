#!/usr/bin/env bash
# bench/library/run-under-wine.sh [BUILD_DIR]
# Runs bench_library under Wine on folders whose empty files Linux creates: made
# through Wine, 100,000 files take half an hour, since Wine looks every new name
# up in the whole folder first.
set -euo pipefail
root_dir=$(cd "$(dirname "$0")/../.." && pwd)
build=${1:-$root_dir/build/windows}
exe=$build/bench/bench_library.exe
[ -f "$exe" ] || { echo "build bench_library first: $exe is missing" >&2; exit 2; }

work=$(mktemp -d "${TMPDIR:-/tmp}/mirulo-bench-library.XXXXXX")
trap 'rm -rf "$work"' EXIT
windows_work="Z:${work//\//\\}"

"$root_dir/tools/wine-run" "$exe" --names "$windows_work"
for names in "$work"/*.names; do
    folder=${names%.names}
    mkdir -p "$folder"
    (cd "$folder" && xargs -d '\n' touch -- <"$names")
done
"$root_dir/tools/wine-run" "$exe" "$windows_work"
