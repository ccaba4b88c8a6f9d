#!/usr/bin/env bash
# Runs the end-to-end scenarios of tests/e2e/scenarios against the real
# tavrelic.exe under Wine in a private Xvfb display, and prints one line per
# scenario, "PASS name" or "FAIL name: reason". Exits non-zero when any
# failed.
#
#   tests/e2e/run.sh MINGW_BUILD_DIR [NATIVE_BUILD_DIR]
#
# MINGW_BUILD_DIR holds the cross-built tavrelic.exe and tavrelic_driver.exe;
# NATIVE_BUILD_DIR (default: the folder "native" beside it) holds, or gets,
# the native tavrelic_expected, which writes the input BMP files and the
# files the program must save. The screenshots, and the expected files
# beside them, are kept in MINGW_BUILD_DIR/e2e-screenshots.
set -uo pipefail

here=$(cd "$(dirname "$0")" && pwd)
root=$(cd "$here/../.." && pwd)
if [ $# -lt 1 ] || [ ! -d "$1" ]; then
  echo "usage: tests/e2e/run.sh MINGW_BUILD_DIR [NATIVE_BUILD_DIR]" >&2
  exit 2
fi
mingw_dir=$(cd "$1" && pwd)
native_dir=${2:-$(dirname "$mingw_dir")/native}
program=$mingw_dir/src/shell/win32/tavrelic.exe
driver=$mingw_dir/tests/e2e/driver/tavrelic_driver.exe
tool=$native_dir/tests/e2e/expected/tavrelic_expected
keep=$mingw_dir/e2e-screenshots
scenario_timeout=120

fail_setup() { echo "FAIL e2e-setup: $1"; exit 1; }

for f in "$program" "$driver"; do
  [ -f "$f" ] || fail_setup "missing $f (build $mingw_dir first)"
done
if [ ! -x "$tool" ]; then
  if [ ! -f "$native_dir/CMakeCache.txt" ]; then
    cmake -S "$root" -B "$native_dir" -DCMAKE_BUILD_TYPE=Release >/dev/null ||
      fail_setup "cannot configure $native_dir"
  fi
  cmake --build "$native_dir" --target tavrelic_expected -j 2 >/dev/null ||
    fail_setup "cannot build tavrelic_expected in $native_dir"
fi
for cmd in Xvfb wine wineboot wineserver import convert compare identify; do
  command -v "$cmd" >/dev/null || fail_setup "missing $cmd"
done

work=$(mktemp -d /tmp/tavrelic-e2e.XXXXXX)
data=$work/data expected=$work/expected out=$work/out shots=$work/shots
mkdir -p "$data" "$expected" "$out" "$shots"
xvfb_pid="" watcher_pid=""

cleanup() {
  [ -n "$watcher_pid" ] && kill "$watcher_pid" 2>/dev/null
  WINEPREFIX=$work/prefix wineserver -k 2>/dev/null
  if [ -n "$xvfb_pid" ]; then
    kill "$xvfb_pid" 2>/dev/null
    wait "$xvfb_pid" 2>/dev/null
  fi
  rm -rf "$work"
}
trap cleanup EXIT
trap 'exit 130' INT TERM

# The Windows name of a Unix path, through Wine's drive Z: (the root).
windows_path() { printf 'Z:%s' "${1//\//\\}"; }
unix_path() { local p=${1#[Zz]:}; printf '%s' "${p//\\//}"; }

# --- the display and the Wine prefix ------------------------------------
display=""
for n in $(seq 95 140); do
  if [ ! -e "/tmp/.X11-unix/X$n" ] && [ ! -e "/tmp/.X$n-lock" ]; then display=$n; break; fi
done
[ -n "$display" ] || fail_setup "no free X display number"
Xvfb ":$display" -screen 0 1024x768x24 -nolisten tcp >"$work/xvfb.log" 2>&1 &
xvfb_pid=$!
for _ in $(seq 100); do
  [ -e "/tmp/.X11-unix/X$display" ] && break
  kill -0 "$xvfb_pid" 2>/dev/null || break
  sleep 0.1
done
[ -e "/tmp/.X11-unix/X$display" ] || fail_setup "Xvfb did not start: $(tail -n 3 "$work/xvfb.log")"

export DISPLAY=":$display" WINEPREFIX=$work/prefix WINEDEBUG=-all WINEARCH=win64
# No Mono or Gecko installer: the program needs neither.
export WINEDLLOVERRIDES="mscoree=;mshtml="
timeout 300 wineboot -i >"$work/wineboot.log" 2>&1 || fail_setup "wineboot failed: $(tail -n 3 "$work/wineboot.log")"
# Without a window manager Wine waits about 2 s whenever a box closes,
# unless its windows are unmanaged; and a crash must end the program at
# once instead of opening Wine's own crash dialog.
wine reg add 'HKCU\Software\Wine\X11 Driver' /v Managed /d N /f >/dev/null 2>&1 &&
  wine reg add 'HKCU\Software\Wine\WineDbg' /v ShowCrashDialog /t REG_DWORD /d 0 /f >/dev/null 2>&1 ||
  fail_setup "cannot write the Wine registry"
wineserver -w
wineserver -p

# --- input files ---------------------------------------------------------
"$tool" depth-map "$data/depth300.bmp" 300 200 &&
  "$tool" depth-map "$data/depth400.bmp" 400 300 &&
  "$tool" depth-map "$data/depth641.bmp" 641 100 ||
  fail_setup "cannot write the input depth maps"

# --- screenshots ---------------------------------------------------------
# The driver asks for a screenshot with NAME.req ("NAME client-x y w h
# window-x y w h [EXPECTED.bmp]") and waits for NAME.done. With EXPECTED the
# image area must show exactly that picture; it is photographed again until
# it does (the program paints after the driver's last check) or 10 s pass.
take_screenshot() {
  local name cx cy cw ch wx wy ww wh want
  read -r name cx cy cw ch wx wy ww wh want <"$1"
  rm -f "$1"
  local screen=$shots/$name-screen.png window=$shots/$name.png image=$shots/$name-image.png
  local answer="ok" deadline=$((SECONDS + 10)) size differ where
  [ -n "$want" ] && want=$(unix_path "$want") && size=$(identify -format '%wx%h' "$want" 2>/dev/null)
  while true; do
    import -window root "$screen" 2>/dev/null
    convert "$screen" -crop "${ww}x${wh}+${wx}+${wy}" +repage "$window"
    convert "$screen" -crop "${cw}x${ch}+${cx}+${cy}" +repage "$shots/$name-client.png"
    [ -z "$want" ] && break
    if [ -z "$size" ]; then answer="cannot read $want"; break; fi
    convert "$screen" -crop "${size}+${cx}+${cy}" +repage "$image"
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

watch_screenshots() {
  while true; do
    for request in "$shots"/*.req; do
      [ -e "$request" ] && take_screenshot "$request"
    done
    sleep 0.05
  done
}
watch_screenshots &
watcher_pid=$!

# The two 20 x 20 convergence squares, black, at rows 20..39 and columns
# L = (W - w) / 2 and R = (W + w) / 2 for a strip w = W / 5, and not black
# just outside.
check_squares() {
  local image=$1 width height strip left right
  [ -f "$image" ] || { echo "no screenshot $image"; return 1; }
  width=$(identify -format '%w' "$image") height=$(identify -format '%h' "$image")
  strip=$((width / 5)) left=$(((width - strip) / 2)) right=$(((width + strip) / 2))
  local x region max
  for x in "$left" "$right"; do
    max=$(convert "$image" -crop "20x20+$x+20" +repage -format '%[fx:maxima]' info:)
    [ "$max" = "0" ] || { echo "the square at column $x is not black"; return 1; }
    for region in "1x20+$((x - 1))+20" "1x20+$((x + 20))+20" "20x1+$x+19" "20x1+$x+40"; do
      max=$(convert "$image" -crop "$region" +repage -format '%[fx:maxima]' info:)
      [ "$max" != "0" ] || { echo "black beyond the square at column $x ($region)"; return 1; }
    done
  done
  [ "$height" -ge 40 ] || { echo "the picture is only $height rows high"; return 1; }
}

# --- the scenarios -------------------------------------------------------
program_win=$(windows_path "$program")
status=0
for script in "$here"/scenarios/*.txt; do
  name=$(basename "$script" .txt)
  if ! E2E_DATA=$data E2E_OUT=$expected E2E_EXPECTED=$expected "$tool" replay "$script"; then
    echo "FAIL $name: tavrelic_expected could not replay the script"
    status=1
    continue
  fi
  log=$work/$name.log
  (cd "$out" && E2E_DATA=$(windows_path "$data") E2E_OUT=$(windows_path "$out") \
    E2E_EXPECTED=$(windows_path "$expected") E2E_SHOTS=$(windows_path "$shots") \
    timeout "$scenario_timeout" wine "$driver" "$(windows_path "$script")" "$program_win") >"$log" 2>"$log.err"
  rc=$?
  grep -E '^(PASS|FAIL) ' "$log"
  [ "$rc" -eq 0 ] || status=1
  # A scenario the driver did not finish (it was stopped, or crashed)
  # fails too.
  for scenario in $(sed -n 's/^scenario[[:space:]]\+\([^[:space:]]*\).*/\1/p' "$script"); do
    if ! grep -qE "^(PASS|FAIL) $scenario(:|\$)" "$log"; then
      why="the driver ended with code $rc"
      [ "$rc" -eq 124 ] && why="not finished within $scenario_timeout s"
      echo "FAIL $scenario: $why"
      status=1
    fi
  done
done

# Right after start the image area, the client area above the strip, is
# white.
start_picture=$shots/start-client.png
if [ ! -f "$start_picture" ]; then
  echo "FAIL start-picture-white: no screenshot of the start"
  status=1
elif [ "$(convert "$start_picture" -crop 640x480+0+0 +repage -format '%[fx:minima]' info:)" = "1" ]; then
  echo "PASS start-picture-white"
else
  where=$(convert "$start_picture" -crop 640x480+0+0 +repage -trim -format '%wx%h%O' info:)
  echo "FAIL start-picture-white: the image area is not white within $where (see $keep/start-client.png)"
  status=1
fi
if reason=$(check_squares "$shots/stereogram-image.png"); then
  echo "PASS convergence-squares"
else
  echo "FAIL convergence-squares: $reason"
  status=1
fi

rm -rf "$keep"
mkdir -p "$keep"
cp "$shots"/*.png "$expected"/*.bmp "$keep"/ 2>/dev/null
exit "$status"
