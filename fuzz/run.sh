#!/usr/bin/env bash
# One bounded fuzzing run of a target, from a copy of its seed corpus so
# that the repository stays as it is.
#   fuzz/run.sh TARGET CORPUS SECONDS ARTIFACTS
# TAVRELIC_FUZZ_SECONDS, when set, stands for SECONDS. Exits non-zero on any crash, leak, timeout or sanitizer report; the input
# that caused it is kept in ARTIFACTS.
set -uo pipefail
if [ $# -ne 4 ]; then
  echo "usage: $0 TARGET CORPUS SECONDS ARTIFACTS" >&2
  exit 2
fi
target=$1 corpus=$2 seconds=${TAVRELIC_FUZZ_SECONDS:-$3} artifacts=$4
[ -x "$target" ] || { echo "no fuzz target at $target" >&2; exit 2; }

work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
cp -r "$corpus" "$work/corpus"
mkdir -p "$artifacts"

"$target" -max_total_time="$seconds" -rss_limit_mb=2048 -timeout=30 -print_final_stats=1 \
  -artifact_prefix="$artifacts/" "$work/corpus"
rc=$?
if [ "$rc" -ne 0 ]; then
  echo "fuzzing $(basename "$target") failed (exit code $rc); the input is kept in $artifacts" >&2
  exit "$rc"
fi
echo "fuzzing $(basename "$target"): nothing found in $seconds s"
