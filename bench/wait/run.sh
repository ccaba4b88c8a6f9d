#!/usr/bin/env bash
# Runs tavrelic_waits under Wine in a private Xvfb display large enough for
# a 3840 x 2160 picture, on the smooth depth map of the engine's benchmarks
# at each size, and prints its lines prefixed with the size:
#   SIZE wait COMMAND held=MS painted=MS runs=N
#   bench/wait/run.sh ENGINE_BENCH PROGRAM WAITS RUNS
set -uo pipefail
here=$(cd "$(dirname "$0")" && pwd)
root=$(cd "$here/../.." && pwd)
engine=$1 program=$2 waits=$3 runs=$4
session=$(mktemp -d /tmp/tavrelic-waits.XXXXXX)
trap 'bash "$root/tests/e2e/session.sh" stop "$session" "" >/dev/null 2>&1' EXIT
windows_path() { printf 'Z:%s' "${1//\//\\}"; }

bash "$root/tests/e2e/session.sh" start "$session" --screen 4000x2400 >&2 || exit 1
for size in 640x480 1920x1080 3840x2160; do
  map=$session/depth-$size.bmp
  "$engine" --write-depth-map "$map" "${size%x*}" "${size#*x}" || exit 1
  bash "$root/tests/e2e/session.sh" wine "$session" "$(windows_path "$waits")" "$(windows_path "$program")" \
    "$(windows_path "$map")" "$runs" 2>/dev/null | tr -d '\r' | sed "s/^/$size /"
done
