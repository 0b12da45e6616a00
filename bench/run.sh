#!/usr/bin/env bash
# Runs every benchmark executable in the given build folder, one after another.
set -euo pipefail
dir=${1:?usage: bench/run.sh BUILD_DIR}
shopt -s nullglob
found=0
for exe in "$dir"/bench/bench_*; do
    [ -x "$exe" ] && [ -f "$exe" ] || continue
    found=1
    echo "# $(basename "$exe")" >&2
    "$exe"
done
if [ "$found" = 0 ]; then
    echo "no benchmarks were built" >&2
    exit 1
fi
