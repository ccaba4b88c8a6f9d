#!/usr/bin/env bash
# Builds tavrelic.exe and starts it: under Wine on Linux, directly on
# Windows (Git Bash or MSYS2).
set -euo pipefail
cd "$(dirname "$0")"
root=$(pwd)
jobs=$(nproc 2>/dev/null || echo 2)

case "$(uname -s)" in
  MINGW*|MSYS*|CYGWIN*)
    cmake -S . -B build/windows -DCMAKE_BUILD_TYPE=Release
    cmake --build build/windows --config Release -j "$jobs"
    exe=$(find build/windows -name tavrelic.exe -path '*win32*' | head -n 1)
    if [ -z "$exe" ]; then echo "tavrelic.exe was not built" >&2; exit 1; fi
    exec "$exe"
    ;;
esac

# Wine shows its windows on an X display; say so before a long build.
if [ -z "${DISPLAY:-}" ]; then
  echo "No display: DISPLAY is not set. Run this from a desktop session, or start" >&2
  echo "a virtual one first, e.g.  Xvfb :91 & export DISPLAY=:91" >&2
  exit 1
fi

./scripts/install-deps.sh
cmake -S . -B build/mingw -DCMAKE_TOOLCHAIN_FILE="$root/cmake/mingw-w64-x86_64.cmake" \
  -DCMAKE_BUILD_TYPE=Release
cmake --build build/mingw -j "$jobs"

exec wine build/mingw/src/shell/win32/tavrelic.exe
