#!/usr/bin/env bash
# Builds the benchmarks (the bench preset, build/bench) and runs them:
# the figures, then the time per pixel of each operation against its plain
# reference measured in the same run, then the machine they ran on.
# Extra arguments go to the benchmark, e.g. --benchmark_filter=decode.
set -euo pipefail
cd "$(dirname "$0")"
dir=build/bench
mkdir -p build
cmake --preset bench >"$dir.configure.log" 2>&1 || { cat "$dir.configure.log"; exit 1; }
cmake --build --preset bench -j 2 --target tavrelic_bench >"$dir.build.log" 2>&1 || { tail -n 40 "$dir.build.log"; exit 1; }

results=$(mktemp)
trap 'rm -f "$results"' EXIT
"$dir/bench/tavrelic_bench" --benchmark_color=false "$@" | tee "$results"

echo
echo "Time per pixel against the plain reference (ratio = reference / engine):"
# per_px is printed with an SI prefix (939.3ns, 1.2us); both sides are
# turned into nanoseconds before they are compared.
awk '
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
echo "The plain decoding of noise at 3840x2160 is timed on its top 54 rows."
echo
echo "Machine: $(lscpu | sed -n 's/^Model name:[[:space:]]*//p' | head -n 1), $(nproc) CPUs online"
