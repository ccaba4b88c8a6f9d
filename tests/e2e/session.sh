#!/usr/bin/env bash
# The end-to-end tests' session: a private Xvfb display and Wine prefix in
# which the Win32 test driver runs tavrelic.exe through the scenarios of
# tests/e2e/scenarios. CTest calls it (tests/e2e/CMakeLists.txt):
#
#   session.sh package BUILD ZIP FOLDER
#       makes the ZIP package in the Windows build BUILD and unpacks it into
#       FOLDER: the scenarios run the tavrelic.exe taken out of it
#   session.sh start SESSION [--native BUILD] [--dpi N] [--locale NAME] [--screen WxH] [--keep KEEP]
#       makes the display (4000x2400, room for a 3840 x 2160 picture, unless
#       --screen), the Wine prefix (at N
#       dots per inch, 96 unless --dpi; under the Unix locale NAME) and the
#       watcher that takes screenshots and drops files for the driver; with --native, the input BMP files, written by
#       BUILD's tavrelic_expected, which the scenarios also need, and the
#       program's menu and Preferences tables, by which the driver turns the
#       names in the scenarios into ids. Their state is kept in the folder
#       SESSION
#   session.sh wine SESSION PROGRAM [ARGUMENTS...]
#       runs a Windows program in the session
#   session.sh without-display SESSION PROGRAM VERSION
#       runs tavrelic.exe from the Unix shell with no X display: --help,
#       --version and a refused call print to the Unix standard output and
#       error, and a start that would make the window fails
#   session.sh cli SESSION CLI TOOL FOLDER
#       runs tavrelic-cli's end-to-end tests on the Windows CLI in the session
#   session.sh run SESSION SCRIPT SCENARIO PROGRAM DRIVER
#       writes the files the scenario must save (by replaying it on the
#       portable core with the native tavrelic_expected), then runs it;
#       prints "PASS name" or "FAIL name: reason" and fails with the scenario
#   session.sh check-white SESSION SHOT / check-squares SESSION SHOT
#       checks a screenshot the scenarios took: a white image area; the two
#       convergence squares of a stereogram
#   session.sh stop SESSION KEEP
#       ends the display and the prefix; the screenshots, and the expected
#       files beside them, and the logs (KEEP/logs: the display's, the
#       buses', each scenario's driver output and the program's standard
#       error) are kept in KEEP, which start's --keep names to failure reports
set -uo pipefail

here=$(cd "$(dirname "$0")" && pwd)
root=$(cd "$here/../.." && pwd)

fail() { echo "FAIL $1"; exit 1; }
# shellcheck source=session_common.sh
. "$here/session_common.sh"

# The Windows name of a Unix path, through Wine's drive Z: (the root).
windows_path() { printf 'Z:%s' "${1//\//\\}"; }
unix_path() { local p=${1#[Zz]:}; printf '%s' "${p//\\//}"; }

load_session() {
  session=$1
  [ -f "$session/env" ] || fail "e2e-session: no session in $session (the setup test did not run)"
  # shellcheck source=/dev/null
  . "$session/env"
  export DISPLAY WINEPREFIX WINEDEBUG=-all WINEARCH=win64 WINEDLLOVERRIDES="mscoree=;mshtml="
  [ -n "${LOCPATH:-}" ] && export LOCPATH
  # bash itself may not know the locale; it need not.
  [ -n "${SESSION_LANG:-}" ] && { export LANG=$SESSION_LANG LC_ALL=$SESSION_LANG; } 2>/dev/null
  data=$session/data expected=$session/expected out=$session/out shots=$session/shots
}

# --- the package ----------------------------------------------------------

command_package() {
  local build=$1 zip=$2 folder=$3
  (cd "$build" && cpack --config CPackConfig.cmake) >"$build/package.log" 2>&1 ||
    fail "e2e-package: cpack failed: $(tail -n 5 "$build/package.log")"
  [ -f "$build/$zip" ] || fail "e2e-package: no $build/$zip"
  rm -rf "$folder"
  mkdir -p "$folder"
  (cd "$folder" && cmake -E tar xf "$build/$zip") || fail "e2e-package: cannot unpack $zip"
  echo "PASS package: $(cd "$folder" && find . -type f | sort | tr '\n' ' ')"
}

# --- start ----------------------------------------------------------------

start_prefix() {
  timeout 300 wineboot -i >"$session/wineboot.log" 2>&1 ||
    fail "e2e-session: wineboot failed: $(tail -n 3 "$session/wineboot.log")"
  # Without a window manager Wine waits about 2 s whenever a box closes,
  # unless its windows are unmanaged; and a crash must end the program at
  # once instead of opening Wine's own crash dialog.
  wine reg add 'HKCU\Software\Wine\X11 Driver' /v Managed /d N /f >/dev/null 2>&1 &&
    wine reg add 'HKCU\Software\Wine\WineDbg' /v ShowCrashDialog /t REG_DWORD /d 0 /f >/dev/null 2>&1 &&
    wine reg add 'HKCU\Control Panel\Desktop' /v LogPixels /t REG_DWORD /d "$dpi" /f >/dev/null 2>&1 ||
    fail "e2e-session: cannot write the Wine registry"
  wineserver -w
  # The server stays up between the scenarios; it leaves with "stop".
  setsid wineserver -p </dev/null >/dev/null 2>&1
}

# The screenshot watcher. The driver asks for a screenshot with NAME.req
# ("NAME LIMIT client-x y w h window-x y w h dialog-x y w h [EXPECTED.bmp]",
# the dialog's width 0 when none is open) and waits for NAME.done. With
# EXPECTED the image area must show exactly that picture; it is
# photographed again until it does (the program paints after the driver's
# last check) or LIMIT seconds, the step's own limit, pass.
take_screenshot() {
  local name limit cx cy cw ch wx wy ww wh dx dy dw dh want
  read -r name limit cx cy cw ch wx wy ww wh dx dy dw dh want <"$1"
  rm -f "$1"
  local window=$shots/$name.png image=$shots/$name-image.png
  local answer="ok" deadline=$((SECONDS + limit)) size differ where
  local inside="+$((cx - wx))+$((cy - wy))"
  [ -n "$want" ] && want=$(unix_path "$want") && size=$(identify -format '%wx%h' "$want" 2>/dev/null)
  while true; do
    # Only the window's part of the screen is read.
    import -window root -crop "${ww}x${wh}+${wx}+${wy}" +repage "$window" 2>/dev/null
    convert "$window" -crop "${cw}x${ch}${inside}" +repage "$shots/$name-client.png"
    [ "$dw" -gt 0 ] && import -window root -crop "${dw}x${dh}+${dx}+${dy}" +repage "$shots/$name-dialog.png" 2>/dev/null
    [ -z "$want" ] && break
    if [ -z "$size" ]; then answer="cannot read $want"; break; fi
    convert "$window" -crop "${size}${inside}" +repage "$image"
    differ=$(compare -metric AE "$image" "$want" null: 2>&1)
    [ "$differ" = "0" ] && break
    if [ "$SECONDS" -ge "$deadline" ]; then
      where=$(convert "$image" "$want" -compose difference -composite -threshold 0 -format '%@' info: 2>/dev/null)
      answer="$differ pixels differ from $(basename "$want") (within ${where:-?} of the picture)"
      break
    fi
    sleep 0.2
  done
  echo "$answer" >"$shots/$name.done.tmp" && mv "$shots/$name.done.tmp" "$shots/$name.done"
}

# The drop watcher's part. The driver asks for a drop with NAME.drop
# ("LIMIT X Y FILE", FILE a Windows path) and waits for NAME.dropped: the
# file is dragged from an X client and dropped at X, Y of the screen
# (tests/e2e/xdnd.py), and the answer is "ok" once the window has taken it.
drop_file() {
  local limit x y file answer
  read -r limit x y file <"$1"
  rm -f "$1"
  answer=$(/usr/bin/python3 "$xdnd" "$x" "$y" "$(unix_path "$file")" "$limit" 2>&1)
  echo "$answer" >"${1%.drop}.dropped.tmp" && mv "${1%.drop}.dropped.tmp" "${1%.drop}.dropped"
}

watch_screenshots() {
  while true; do
    for request in "$shots"/*.req; do
      [ -e "$request" ] && take_screenshot "$request"
    done
    for request in "$shots"/*.drop; do
      [ -e "$request" ] && drop_file "$request"
    done
    sleep 0.05
  done
}

command_start() {
  session=$1; shift
  local native="" locale_name="" keep="" cmd
  dpi=96 screen=4000x2400
  while [ $# -gt 0 ]; do
    case "$1" in
      --native) native=$2 ;;
      --dpi) dpi=$2 ;;
      --locale) locale_name=$2 ;;
      --screen) screen=$2 ;;
      --keep) keep=$2 ;;
      *) fail "e2e-session: unknown option $1" ;;
    esac
    shift 2
  done
  for cmd in Xvfb wine wineboot wineserver import convert compare identify setsid; do
    command -v "$cmd" >/dev/null || fail "e2e-session: missing $cmd"
  done
  /usr/bin/python3 -c 'import Xlib' 2>/dev/null || fail "e2e-session: /usr/bin/python3 lacks python3-xlib, which drags files"
  [ -z "$native" ] || [ -x "$native/tests/e2e/expected/tavrelic_expected" ] ||
    fail "e2e-session: no $native/tests/e2e/expected/tavrelic_expected (build the native preset first)"
  [ -f "$session/env" ] && command_stop "$session" ""
  rm -rf "$session"
  # A folder with a Polish name, for the files with Polish names.
  mkdir -p "$session"/{data,expected,out}/Zdjęcia "$session"/shots "$session"/logs
  { echo "NATIVE=$native"; echo "KEEP='${keep:-$session}'"; } >"$session/env"
  [ -n "$locale_name" ] && prepare_locale "$locale_name"
  start_display 95 160
  echo "WINEPREFIX=$session/prefix" >>"$session/env"
  load_session "$session"
  start_prefix
  if [ -n "$native" ]; then
    bash "$here/write_inputs.sh" "$data" "$native" || fail "e2e-session: cannot write the input files"
    "$native/tests/e2e/expected/tavrelic_expected" menu-table >"$session/menu-table.txt" &&
      "$native/tests/e2e/expected/tavrelic_expected" dialog-fields >"$session/dialog-fields.txt" ||
      fail "e2e-session: cannot write the program's tables"
  fi
  export shots xdnd=$here/xdnd.py
  setsid bash -c "$(declare -f unix_path take_screenshot drop_file watch_screenshots); watch_screenshots" \
    </dev/null >"$session/watcher.log" 2>&1 &
  echo "WATCHER_PID=$!" >>"$session/env"
  echo "e2e session ready: display $DISPLAY ($screen), $dpi dpi${locale_name:+, locale $locale_name}"
}

# tavrelic-cli.exe through tests/cli/cli_test.sh, under the session's Wine.
command_cli() {
  load_session "$1"
  shift
  bash "$root/tests/cli/cli_test.sh" "$@"
}

# tavrelic.exe run by Wine from the Unix shell with no X display: what it
# prints reaches the Unix standard output and error. The last run would
# make the window and must fail: it shows that no display could be reached.
command_without_display() {
  load_session "$1"
  local program=$2 version=$3 out=$session/without-display rc
  local usage="Użycie: tavrelic [--depth-map | --stereogram] [PLIK] | --help | --version"
  run_without_display() { env -u DISPLAY timeout 120 wine "$program" "$@" >"$out.out" 2>"$out.err"; }
  run_without_display --version
  rc=$?
  [ $rc -eq 0 ] && [ "$(cat "$out.out")" = "tavrelic $version" ] ||
    fail "without-display: --version ended with $rc and printed $(head -c 200 "$out.out")"
  run_without_display --help
  rc=$?
  [ $rc -eq 0 ] && [ "$(head -n 1 "$out.out")" = "$usage" ] && grep -q '^  --stereogram    PLIK wczytany jako stereogram$' "$out.out" ||
    fail "without-display: --help ended with $rc and printed $(head -c 200 "$out.out")"
  run_without_display a.bmp b.bmp
  rc=$?
  [ $rc -eq 2 ] && [ ! -s "$out.out" ] && [ "$(grep -v '^wine: ' "$out.err")" = "tavrelic: można podać najwyżej jeden plik
$usage" ] || fail "without-display: two files ended with $rc and printed $(head -c 200 "$out.err")"
  run_without_display
  rc=$?
  [ $rc -ne 0 ] || fail "without-display: the program started its window with no display (the check is void)"
  echo "PASS without-display (a start with a window ended with $rc)"
}

command_wine() {
  load_session "$1"
  shift
  wine "$@"
}

# --- run ------------------------------------------------------------------

command_run() {
  load_session "$1"
  local script=$2 scenario=$3 program=$4 driver=$5
  local tool=$NATIVE/tests/e2e/expected/tavrelic_expected
  if ! E2E_DATA=$data E2E_OUT=$expected E2E_EXPECTED=$expected "$tool" replay "$script" "$scenario"; then
    fail "$scenario: tavrelic_expected could not replay the scenario"
  fi
  local log=$session/logs/$scenario.log
  (cd "$out" && E2E_DATA=$(windows_path "$data") E2E_OUT=$(windows_path "$out") \
    E2E_EXPECTED=$(windows_path "$expected") E2E_SHOTS=$(windows_path "$shots") \
    TAVRELIC_MENU_TABLE=$(windows_path "$session/menu-table.txt") \
    TAVRELIC_DIALOG_FIELDS=$(windows_path "$session/dialog-fields.txt") \
    timeout "${E2E_TIMEOUT:-1100}" wine "$driver" "$(windows_path "$script")" "$(windows_path "$program")" "$scenario") \
    >"$log" 2>"$log.err"
  # Under Wine the program's standard error is the driver's: both are
  # processes of one Unix terminal.
  report_scenario "$log" "$scenario" $? "$log.err"
}

# --- checks of screenshots ------------------------------------------------

# The image area, the client area above the strip, is white.
command_check_white() {
  load_session "$1"
  local shot=$shots/$2-client.png area
  [ -f "$shot" ] || fail "$2-white: no screenshot $2"
  area=$(identify -format '%w' "$shot")x$(($(identify -format '%h' "$shot") - 18))
  if [ "$(convert "$shot" -crop "$area+0+0" +repage -format '%[fx:minima]' info:)" = "1" ]; then
    echo "PASS $2-picture-white"
  else
    fail "$2-picture-white: the image area is not white within $(convert "$shot" -crop "$area+0+0" +repage -trim -format '%wx%h%O' info:)"
  fi
}

# The two 20 x 20 convergence squares, black, at rows 20..39 and columns
# L = (W - w) / 2 and R = (W + w) / 2 for a strip w = W / 5, and not black
# just outside.
command_check_squares() {
  load_session "$1"
  local image=$shots/$2-image.png width strip left right x region max
  [ -f "$image" ] || fail "convergence-squares: no screenshot $2"
  width=$(identify -format '%w' "$image")
  [ "$(identify -format '%h' "$image")" -ge 40 ] || fail "convergence-squares: the picture is too low"
  strip=$((width / 5)) left=$(((width - strip) / 2)) right=$(((width + strip) / 2))
  for x in "$left" "$right"; do
    max=$(convert "$image" -crop "20x20+$x+20" +repage -format '%[fx:maxima]' info:)
    [ "$max" = "0" ] || fail "convergence-squares: the square at column $x is not black"
    for region in "1x20+$((x - 1))+20" "1x20+$((x + 20))+20" "20x1+$x+19" "20x1+$x+40"; do
      max=$(convert "$image" -crop "$region" +repage -format '%[fx:maxima]' info:)
      [ "$max" != "0" ] || fail "convergence-squares: black beyond the square at column $x ($region)"
    done
  done
  echo "PASS convergence-squares"
}

# --- stop -----------------------------------------------------------------

command_stop() {
  local session=$1 keep=$2
  [ -f "$session/env" ] || return 0
  # shellcheck source=/dev/null
  ( . "$session/env"
    WINEPREFIX=$WINEPREFIX wineserver -k 2>/dev/null
    WINEPREFIX=$WINEPREFIX timeout 30 wineserver -w 2>/dev/null
    end_process_groups "${WATCHER_PID:-}" "${XVFB_PID:-}" )
  if [ -n "$keep" ]; then
    rm -rf "$keep"
    mkdir -p "$keep"
    cp "$session"/shots/*.png "$session"/shots/*.txt "$session"/expected/*.bmp "$keep"/ 2>/dev/null
    keep_logs "$session" "$keep"
    local shot
    for shot in "$session"/shots/*.bmp; do
      [ -e "$shot" ] && convert "$shot" "$keep/$(basename "$shot" .bmp).png"
    done
  fi
  rm -rf "$session"
  echo "e2e session ended"
}

case "${1:-}" in
  start) shift; command_start "$@" ;;
  package) shift; command_package "$@" ;;
  run) shift; command_run "$@" ;;
  wine) shift; command_wine "$@" ;;
  without-display) shift; command_without_display "$@" ;;
  cli) shift; command_cli "$@" ;;
  check-white) shift; command_check_white "$@" ;;
  check-squares) shift; command_check_squares "$@" ;;
  stop) shift; command_stop "$@" ;;
  *) echo "usage: see the head of $0" >&2; exit 2 ;;
esac
