#!/usr/bin/env bash
# Builds tavrelic.exe and starts it: under Wine on Linux, directly on
# Windows (Git Bash or MSYS2).
set -euo pipefail
cd "$(dirname "$0")"
jobs=$(nproc 2>/dev/null || echo 2)

case "$(uname -s)" in
  MINGW*|MSYS*|CYGWIN*)
    cmake --preset windows
    cmake --build --preset windows -j "$jobs"
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
cmake --preset mingw
cmake --build --preset mingw -j "$jobs" --target tavrelic

exec wine build/mingw/src/shell/win32/tavrelic.exe
