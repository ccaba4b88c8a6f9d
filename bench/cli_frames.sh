#!/usr/bin/env bash
# tavrelic-cli on a frame sequence: stereograms for a folder of 1920x1080
# depth maps, each frame its own fresh start, on one core (taskset) and on
# all of them; prints the frames per second of each.
#   bench/cli_frames.sh ENGINE_BENCH CLI [FRAMES]
set -euo pipefail
engine=$1 cli=$2 count=${3:-24}
work=$(mktemp -d /tmp/tavrelic-frames.XXXXXX)
trap 'rm -rf "$work"' EXIT
for i in $(seq -w "$count"); do "$engine" --write-depth-map "$work/frame$i.bmp" 1920 1080 >/dev/null; done

# Frames per second of one run on the CPUs given (a taskset list).
frames_per_second() {
  local cpus=$1 out=$work/out-$2 start end
  start=$(date +%s.%N)
  taskset -c "$cpus" "$cli" generate "$work"/frame*.bmp -o "$out" 2>/dev/null
  end=$(date +%s.%N)
  awk -v n="$count" -v s="$start" -v e="$end" 'BEGIN { printf "%.1f", n / (e - s) }'
}

cores=$(nproc)
one=$(frames_per_second 0 one)
all=$(frames_per_second "0-$((cores - 1))" all)
diff -rq "$work/out-one" "$work/out-all" >/dev/null || { echo "the frames made on one core and on all differ" >&2; exit 1; }
echo "tavrelic-cli generate, $count frames of 1920x1080: $one frames/s on 1 core, $all frames/s on $cores cores"
