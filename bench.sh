#!/usr/bin/env bash
# The benchmarks. First the engine's (the bench preset, build/bench): the
# figures, then the time per pixel of each operation against its plain
# reference measured in the same run, colour against grey, and the PNG
# writer's time at 3840x2160. Then how well the exact and the tolerant
# decoder read stereograms back, the program's own and netpbm's
# pamstereogram's, lossless and through JPEG. Then tavrelic-cli's frames
# per second on a sequence of 1920x1080 depth maps, on one core and on
# all, BMP to BMP and PNG to PNG, and the calm-frames table of an animation
# of a moving sphere. Then the wait of the real window:
# tavrelic.exe (the mingw preset) under Wine in Xvfb, each command's wait at
# 640x480, 1920x1080 and 3840x2160 beside the engine's own time for the same
# work. Then the same for the Linux program (the qt preset's tavrelic),
# driven over the accessibility bus as the end-to-end tests drive it. Last,
# the machine they ran on.
# Extra arguments go to the engine's benchmark, e.g. --benchmark_filter=decode;
# TAVRELIC_WAIT_RUNS sets how many times each command is timed (7).
set -euo pipefail
cd "$(dirname "$0")"
jobs=$(nproc 2>/dev/null || echo 2)
wait_runs=${TAVRELIC_WAIT_RUNS:-7}
mkdir -p build
./scripts/install-deps.sh
for preset in bench mingw qt; do
  cmake --preset "$preset" >"build/$preset.configure.log" 2>&1 || { cat "build/$preset.configure.log"; exit 1; }
done
cmake --build --preset bench -j "$jobs" --target tavrelic_bench tavrelic_decoder_quality tavrelic_cli \
  >build/bench.build.log 2>&1 ||
  { tail -n 40 build/bench.build.log; exit 1; }
cmake --build --preset mingw -j "$jobs" --target tavrelic tavrelic_waits >build/mingw.build.log 2>&1 ||
  { tail -n 40 build/mingw.build.log; exit 1; }
cmake --build --preset qt -j "$jobs" --target tavrelic_qt tavrelic_expected >build/qt.build.log 2>&1 ||
  { tail -n 40 build/qt.build.log; exit 1; }

results=$(mktemp) engine_json=$(mktemp) wait_lines=$(mktemp) native_lines=$(mktemp) quality=$(mktemp -d)
trap 'rm -f "$results" "$engine_json" "$wait_lines" "$native_lines"; rm -rf "$quality"' EXIT
build/bench/bench/tavrelic_bench --benchmark_color=false --benchmark_out="$engine_json" \
  --benchmark_out_format=json "$@" | tee "$results"

echo
echo "Time per pixel against the plain reference (ratio = reference / engine):"
# per_px is printed with an SI prefix (939.3ns, 1.2us); the benchmarks'
# lines are read into perPixel (nanoseconds) and order by this.
per_pixel_awk='
  function nanoseconds(text,   value, unit) {
    value = text; unit = text
    sub(/[a-z]+$/, "", value); sub(/^[0-9.e+-]+/, "", unit)
    if (unit == "ps") return value / 1000
    if (unit == "ns") return value
    if (unit == "us") return value * 1000
    if (unit == "ms") return value * 1000000
    return value * 1000000000
  }
  {
    for (i = 1; i <= NF; ++i) if ($i ~ /^per_px=/) { sub(/^per_px=/, "", $i); perPixel[$1] = nanoseconds($i); order[++n] = $1 }
  }
'
awk "$per_pixel_awk"'
  END {
    printf "%-42s %12s %12s %9s\n", "operation", "engine ns/px", "plain ns/px", "ratio"
    for (j = 1; j <= n; ++j) {
      name = order[j]
      if (name ~ /^reference\//) continue
      plain = "reference/" name
      if (plain in perPixel)
        printf "%-42s %12.2f %12.2f %9.1f\n", name, perPixel[name], perPixel[plain], perPixel[plain] / perPixel[name]
      else
        printf "%-42s %12.2f %12s %9s\n", name, perPixel[name], "-", "-"
    }
  }' "$results"
echo "The plain decoding of noise at 1920x1080 and 3840x2160 is timed on its top 54 rows."

echo
echo "Generation in colour against grey, in the same run (ratio = colour / grey, per pixel):"
awk "$per_pixel_awk"'
  END {
    printf "%-42s %12s %12s %9s\n", "operation", "grey ns/px", "colour ns/px", "ratio"
    for (j = 1; j <= n; ++j) {
      name = order[j]
      if (name !~ /^generate\/colour\//) continue
      grey = name; sub(/\/colour/, "", grey)
      if (grey in perPixel)
        printf "%-42s %12.2f %12.2f %9.2f\n", grey, perPixel[grey], perPixel[name], perPixel[name] / perPixel[grey]
    }
  }' "$results"

echo
echo "PNG files on one core: the program's own writer beside stb_image_write's, which wrote them before:"
awk '
  $1 ~ /^(reference\/stb_)?png\/(colour\/)?1core\/3840x2160\// {
    bytes = ""
    for (i = 1; i <= NF; ++i) if ($i ~ /^bytes=/) { bytes = $i; sub(/^bytes=/, "", bytes) }
    name = $1; sub(/\/real_time$/, "", name)
    printf "%-42s %10s %-3s %12s bytes\n", name, $2, $3, bytes
  }' "$results"

echo
echo "How well each decoder reads stereograms back (bench/decoder_quality.cpp): level = of the points off"
echo "the background, the share at the level the lossless file holds; near = of all points, the share"
echo "within one level; rho = the rank correlation with the true depth map; w = the strip width found."
python3 samples/make_samples.py "$quality/samples"
build/bench/bench/tavrelic_decoder_quality "$quality/samples" "$quality/work"

echo
bench/cli_frames.sh "$(pwd)/build/bench/bench/tavrelic_bench" "$(pwd)/build/bench/src/cli/tavrelic-cli"

echo
echo "The wait of the real window (tavrelic.exe under Wine in Xvfb; the median of $wait_runs runs, of"
echo "fewer for the batch): held = from the command until the program is back in its event loop,"
echo "painted = until the window has painted too; engine = the same work without a window (above)."
bench/wait/run.sh "$(pwd)/build/bench/bench/tavrelic_bench" "$(pwd)/build/mingw/src/shell/win32/tavrelic.exe" \
  "$(pwd)/build/mingw/bench/wait/tavrelic_waits.exe" "$wait_runs" >"$wait_lines"
python3 bench/wait/wait_table.py "$engine_json" "$wait_lines"
echo
echo "The wait of the native window (tavrelic on Qt 6 in Xvfb, driven over the accessibility bus; the"
echo "median of $wait_runs runs, of fewer for the batch): held = from the press of the menu item (for the"
echo "load, from the Enter that confirms the file name) until the program answers the bus again, which it"
echo "does only from its event loop; painted = until it has answered once more, behind its paint."
bench/wait/native_run.sh "$(pwd)/build/bench/bench/tavrelic_bench" "$(pwd)/build/qt" "$wait_runs" >"$native_lines"
python3 bench/wait/wait_table.py "$engine_json" "$native_lines"
echo
echo "Machine: $(lscpu | sed -n 's/^Model name:[[:space:]]*//p' | head -n 1), $(nproc) CPUs online, $(wine --version 2>/dev/null)," \
  "Qt $(pkg-config --modversion Qt6Widgets 2>/dev/null), load average $(cut -d ' ' -f 1-3 /proc/loadavg)"
