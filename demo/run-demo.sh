#!/usr/bin/env bash
# Generates the demo job and runs it unattended, without a display, the way a scheduled job
# would; then shows what arrived in each destination.
set -euo pipefail
build=${1:?usage: demo/run-demo.sh BUILD_DIR}
demo="$build/demo-job"
document=$("$build/demo/pendrift_make_demo" "$demo")
echo "Running: pendrift /q /a /f:$document"
status=0
env -u DISPLAY -u WAYLAND_DISPLAY XDG_CONFIG_HOME="$demo/config" \
    "$build/app/pendrift" /q /a "/f:$document" >"$demo/run.log" || status=$?
grep -E '^(seed:|Done in)' "$demo/run.log" || { echo "the run printed no \"Done in\" line:"; cat "$demo/run.log"; }
for dest in "$demo/player/Music" "$demo/stick/Car"; do
    count=$(find "$dest" -type f | wc -l)
    bytes=$(find "$dest" -type f -printf '%s\n' | awk '{s+=$1} END {print s+0}')
    echo
    echo "$dest: $count files, $bytes bytes"
    echo "playlist $dest.m3u:"
    head -n 4 "$dest.m3u" | tr -d '\r' | sed 's/^/    /'
done
exit "$status"
