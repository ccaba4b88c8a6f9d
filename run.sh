#!/usr/bin/env bash
# Builds the program and starts it. On Linux: tavrelic, the program on Qt 6
# Widgets; with --windows, tavrelic.exe under Wine. On Windows (Git Bash or
# MSYS2): tavrelic.exe.
#
# On Linux without a display, the program is shown in a virtual one and
# played through a short first session from outside, as the end-to-end
# tests drive it over the accessibility bus (a sample depth map, a pattern,
# a stereogram, its decoding, both saved); the script then says where the
# saved pictures and a screenshot of the window are.
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

# Plays the first session in a virtual display and keeps what it made in
# build/qt/first-session. Whatever happens, nothing it started is left
# running; when the session fails, its logs are kept there too.
run_headless() {
  local session=$PWD/build/qt/first-session-run kept=$PWD/build/qt/first-session
  local script=tests/e2e/scenarios/first_session.txt rc=0
  echo "No display (DISPLAY is not set): the program runs in a virtual display (Xvfb),"
  echo "through a short session driven from outside over the accessibility bus."
  cmake --preset qt
  cmake --build --preset qt -j "$jobs" --target tavrelic_qt tavrelic_expected
  rm -rf "$kept"
  mkdir -p "$kept"
  trap 'bash tests/e2e/atspi/session.sh stop "$session" "$kept/session" >/dev/null' EXIT
  if bash tests/e2e/atspi/session.sh start "$session" --native build/qt --screen 1280x1024 --keep "$kept/session"; then
    bash tests/e2e/atspi/session.sh run "$session" "$script" first-session build/qt/src/shell/qt/tavrelic || rc=$?
  else
    rc=1
  fi
  cp "$session"/out/first-session-*.bmp "$session"/shots/first-session.png "$kept"/ 2>/dev/null || true
  bash tests/e2e/atspi/session.sh stop "$session" "$kept/session" >/dev/null
  trap - EXIT
  if [ "$rc" -ne 0 ]; then
    echo "The session did not go as expected (see above). Its logs, the program's" >&2
    echo "standard error among them: $kept/session/logs" >&2
    return 1
  fi
  echo "Saved by the program: $kept/first-session-stereogram.bmp"
  echo "                      $kept/first-session-depth.bmp (the stereogram decoded)"
  echo "The window, with the stereogram on show: $kept/first-session.png"
  echo "On a desktop, ./run.sh starts the program in a window of its own."
}

./scripts/install-deps.sh
if [ -z "${DISPLAY:-}" ] && [ "$windows" = no ]; then
  run_headless
  exit
fi
# Wine shows its windows on an X display; say so before a long build.
if [ -z "${DISPLAY:-}" ]; then
  echo "No display: DISPLAY is not set. Run this from a desktop session, or start" >&2
  echo "a virtual one first, e.g.  Xvfb :91 & export DISPLAY=:91" >&2
  exit 1
fi
if [ "$windows" = yes ]; then
  cmake --preset mingw
  cmake --build --preset mingw -j "$jobs" --target tavrelic
  exec wine build/mingw/src/shell/win32/tavrelic.exe
fi

cmake --preset qt
cmake --build --preset qt -j "$jobs" --target tavrelic_qt
exec build/qt/src/shell/qt/tavrelic
