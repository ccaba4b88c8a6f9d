#!/usr/bin/env bash
# Builds the program and starts it. On Linux: tavrelic, the program on Qt 6
# Widgets; with --windows, tavrelic.exe under Wine. On Windows (Git Bash or
# MSYS2): tavrelic.exe.
set -euo pipefail
cd "$(dirname "$0")"
jobs=$(nproc 2>/dev/null || echo 2)

windows=no
case "${1:-}" in
  "") ;;
  --windows) windows=yes ;;
  *) echo "Usage: ./run.sh [--windows]" >&2; exit 2 ;;
esac

case "$(uname -s)" in
  MINGW*|MSYS*|CYGWIN*)
    cmake --preset windows
    cmake --build --preset windows -j "$jobs"
    exe=$(find build/windows -name tavrelic.exe -path '*win32*' | head -n 1)
    if [ -z "$exe" ]; then echo "tavrelic.exe was not built" >&2; exit 1; fi
    exec "$exe"
    ;;
esac

# Both programs show their windows on an X display; say so before a long build.
if [ -z "${DISPLAY:-}" ]; then
  echo "No display: DISPLAY is not set. Run this from a desktop session, or start" >&2
  echo "a virtual one first, e.g.  Xvfb :91 & export DISPLAY=:91" >&2
  exit 1
fi

./scripts/install-deps.sh
if [ "$windows" = yes ]; then
  cmake --preset mingw
  cmake --build --preset mingw -j "$jobs" --target tavrelic
  exec wine build/mingw/src/shell/win32/tavrelic.exe
fi

cmake --preset qt
cmake --build --preset qt -j "$jobs" --target tavrelic_qt
exec build/qt/src/shell/qt/tavrelic
