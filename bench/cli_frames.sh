#!/usr/bin/env bash
# tavrelic-cli on frame sequences:
# - stereograms for a folder of 1920x1080 depth maps, each frame its own
#   fresh start, on one core (taskset) and on all of them, BMP to BMP, and
#   PNG to PNG on all cores beside it: the frames per second of each;
# - calm frames: one sphere crossing a 640x480 picture, made into an
#   animated PNG with and without --fresh-dots; for each pair of
#   consecutive frames, the share of pixels that change, in the rows the
#   sphere touches (in either frame) and in the rows it does not.
#   bench/cli_frames.sh ENGINE_BENCH CLI [FRAMES]
set -euo pipefail
engine=$1 cli=$2 count=${3:-24}
here=$(cd "$(dirname "$0")" && pwd)
work=$(mktemp -d /tmp/tavrelic-frames.XXXXXX)
trap 'rm -rf "$work"' EXIT
mkdir -p "$work/bmp" "$work/png"
for i in $(seq -w "$count"); do
  "$engine" --write-depth-map "$work/bmp/frame$i.bmp" 1920 1080 >/dev/null
  "$engine" --write-depth-map "$work/png/frame$i.png" 1920 1080 >/dev/null
done

# Frames per second of one run on the CPUs given (a taskset list), of the
# frames of one kind (bmp or png), each written as its input's kind.
frames_per_second() {
  local cpus=$1 kind=$2 out=$work/out-$3 start end
  start=$(date +%s.%N)
  taskset -c "$cpus" "$cli" generate "$work/$kind"/frame* -o "$out" 2>/dev/null
  end=$(date +%s.%N)
  awk -v n="$count" -v s="$start" -v e="$end" 'BEGIN { printf "%.2f", n / (e - s) }'
}

cores=$(nproc)
all_cpus="0-$((cores - 1))"
one=$(frames_per_second 0 bmp one)
all=$(frames_per_second "$all_cpus" bmp all)
png=$(frames_per_second "$all_cpus" png png)
diff -rq "$work/out-one" "$work/out-all" >/dev/null || { echo "the frames made on one core and on all differ" >&2; exit 1; }
echo "tavrelic-cli generate, $count frames of 1920x1080: $one frames/s on 1 core, $all frames/s on $cores cores (BMP to BMP)"
awk -v p="$png" -v b="$all" -v c="$cores" \
  'BEGIN { printf "PNG to PNG on %d cores: %.2f frames/s, %.2f times BMP to BMP\n", c, p, p / b }'

echo
"$engine" --write-moving-sphere "$work/kula" 640 480 12 >/dev/null
"$cli" generate "$work"/kula*.bmp --animate -o "$work/calm.png" 2>/dev/null
"$cli" generate "$work"/kula*.bmp --animate --fresh-dots -o "$work/fresh.png" 2>/dev/null
python3 "$here/calm_frames.py" "$work"/kula*.bmp -- "$work/calm.png" "$work/fresh.png"
