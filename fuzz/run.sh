#!/usr/bin/env bash
# Fuzzes the BMP loader for a while, starting from a copy of the seed
# corpus so the repository stays as it is.
# Usage: fuzz/run.sh BUILD_DIR SECONDS
# Exits non-zero on any crash, leak, timeout or sanitizer report; the
# input that caused it is kept in BUILD_DIR/fuzz-artifacts/.
set -uo pipefail
if [ $# -ne 2 ]; then
  echo "usage: $0 BUILD_DIR SECONDS" >&2
  exit 2
fi
here=$(cd "$(dirname "$0")" && pwd)
build=$(cd "$1" && pwd) || exit 2
seconds=$2
target="$build/fuzz/fuzz_load_bmp"
if [ ! -x "$target" ]; then
  echo "no fuzz target at $target" >&2
  exit 2
fi

work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
cp -r "$here/corpus" "$work/corpus"
artifacts="$build/fuzz-artifacts"
mkdir -p "$artifacts"

"$target" -max_total_time="$seconds" -rss_limit_mb=2048 -timeout=30 \
  -artifact_prefix="$artifacts/" "$work/corpus"
rc=$?
if [ "$rc" -ne 0 ]; then
  echo "fuzzing failed (exit code $rc); inputs kept in $artifacts" >&2
  exit "$rc"
fi
echo "fuzzing: nothing found in $seconds s"
