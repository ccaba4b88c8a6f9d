#!/usr/bin/env bash
# The end-to-end session of the native program: a private Xvfb display, a
# private D-Bus session with the accessibility bus, in which driver.py runs
# the Linux program through the scenarios of tests/e2e/scenarios, reading and
# driving it over AT-SPI. CTest calls it (tests/e2e/atspi/CMakeLists.txt):
#
#   session.sh start SESSION --native BUILD [--scale F] [--locale NAME] [--screen WxH] [--keep KEEP] [--wayland]
#       makes the display (4000x2400, room for a 3840 x 2160 picture, unless
#       --screen), the session bus and the accessibility bus; the program
#       then runs at the display scale F (QT_SCALE_FACTOR, 1 unless --scale)
#       under the locale NAME (made in the session when the system lacks it).
#       With --wayland the display is a headless Weston instead, in the
#       session's own XDG_RUNTIME_DIR, and the program a Wayland client
#       (QT_QPA_PLATFORM=wayland); there is no X display at all, and the
#       scenarios with a step that needs one are skipped.
#       BUILD's tavrelic_expected writes the input files and the program's
#       menu and Preferences tables, through which the driver finds the
#       commands and controls that the scenarios name. Their state is kept
#       in the folder SESSION
#   session.sh package BUILD DEB FOLDER
#       makes the DEB package in BUILD, unpacks it into FOLDER and checks
#       what it holds: the program, its desktop entry and AppStream
#       metainfo (both must validate), the icons (what make_icon.py draws),
#       the manual pages, the copyright file and the changelog, the guide,
#       the samples, dependencies found by dpkg-shlibdeps; lintian must find
#       no error and no warning. The scenarios run the program taken out of it
#   session.sh run SESSION SCRIPT SCENARIO PROGRAM
#       writes the files the scenario must save (by replaying it on the
#       portable core), then runs it; prints "PASS name", "FAIL name: reason"
#       or "SKIP name: reason" and ends with 0, 1 or 77 (skipped)
#   session.sh stop SESSION KEEP
#       ends the display and the buses; the screenshots, and the expected
#       files beside them, and the logs (KEEP/logs: the display's, the
#       buses', each scenario's driver output and the program's standard
#       error) are kept in KEEP, which start's --keep names to failure reports
set -uo pipefail

here=$(cd "$(dirname "$0")" && pwd)
root=$(cd "$here/../../.." && pwd)
# Debian's python, which has the accessibility bindings (gi, Atspi).
python=/usr/bin/python3

fail() { echo "FAIL $1"; exit 1; }
# shellcheck source=../session_common.sh
. "$here/../session_common.sh"

load_session() {
  session=$1
  [ -f "$session/env" ] || fail "native-session: no session in $session (the setup test did not run)"
  # The session's display, X or Wayland, is the only one the program can
  # reach, whatever the caller's environment holds.
  unset DISPLAY WAYLAND_DISPLAY E2E_QT_PLATFORM
  # shellcheck source=/dev/null
  . "$session/env"
  export DBUS_SESSION_BUS_ADDRESS QT_SCALE_FACTOR XDG_RUNTIME_DIR=$session/runtime
  [ -n "${DISPLAY:-}" ] && export DISPLAY
  [ -n "${WAYLAND_DISPLAY:-}" ] && export WAYLAND_DISPLAY E2E_QT_PLATFORM
  [ -n "${LOCPATH:-}" ] && export LOCPATH
  [ -n "${SESSION_LANG:-}" ] && { export LANG=$SESSION_LANG LC_ALL=$SESSION_LANG; } 2>/dev/null
  data=$session/data expected=$session/expected out=$session/out shots=$session/shots
}

# --- start ----------------------------------------------------------------

# The session bus, and on it the accessibility bus with its registry, which
# the program joins when it starts and the driver reads.
start_buses() {
  local bus
  bus=$(dbus-daemon --session --fork --nopidfile --print-address=1 --print-pid=1 2>"$session/dbus.log") ||
    fail "native-session: cannot start a session bus: $(tail -n 2 "$session/dbus.log")"
  {
    echo "DBUS_SESSION_BUS_ADDRESS='$(sed -n 1p <<<"$bus")'"
    echo "DBUS_PID=$(sed -n 2p <<<"$bus")"
  } >>"$session/env"
  load_session "$session"
  setsid /usr/libexec/at-spi-bus-launcher --launch-immediately </dev/null >"$session/atspi.log" 2>&1 &
  echo "ATSPI_PID=$!" >>"$session/env"
  # Each wait ends when the name is taken on its bus: the launcher's, then
  # the registry's on the accessibility bus (activated if need be), which
  # the program reaches as it starts. The limits are backstops.
  local a11y
  gdbus wait --session --timeout 120 org.a11y.Bus >>"$session/atspi.log" 2>&1 &&
    a11y=$(gdbus call --session --dest org.a11y.Bus --object-path /org/a11y/bus --method org.a11y.Bus.GetAddress \
      2>>"$session/atspi.log" | sed -n "s/^('\(.*\)',)\$/\1/p") && [ -n "$a11y" ] &&
    gdbus wait --address "$a11y" --activate org.a11y.atspi.Registry --timeout 120 org.a11y.atspi.Registry \
      >>"$session/atspi.log" 2>&1 ||
    fail "native-session: the accessibility bus did not start: $(tail -n 3 "$session/atspi.log")"
}

# Weston, headless, as the session's Wayland compositor. start_weston.py
# returns once Weston itself says it is ready (its systemd-notify module):
# from then on it serves the clients that connect.
start_compositor() {
  local pid
  pid=$($python "$here/start_weston.py" "$session/runtime" wayland-tavrelic "$session/weston.log" 2>>"$session/weston.log") ||
    fail "native-session: Weston did not start: $(tail -n 3 "$session/weston.log")"
  {
    echo "WESTON_PID=$pid"
    echo "WAYLAND_DISPLAY=wayland-tavrelic"
    echo "E2E_QT_PLATFORM=wayland"
  } >>"$session/env"
}

command_start() {
  session=$1; shift
  local native="" locale_name="" scale=1 keep="" wayland="" cmd
  screen=4000x2400
  while [ $# -gt 0 ]; do
    [ "$1" = --wayland ] && { wayland=1; shift; continue; }
    case "$1" in
      --native) native=$(cd "$2" && pwd) || fail "native-session: no folder $2" ;;
      --scale) scale=$2 ;;
      --locale) locale_name=$2 ;;
      --screen) screen=$2 ;;
      --keep) keep=$2 ;;
      *) fail "native-session: unknown option $1" ;;
    esac
    shift 2
  done
  [ -n "$native" ] || fail "native-session: --native BUILD is needed"
  for cmd in Xvfb dbus-daemon dbus-send /usr/libexec/at-spi-bus-launcher xdotool import compare identify setsid $python \
      ${wayland:+weston}; do
    command -v "$cmd" >/dev/null || fail "native-session: missing $cmd"
  done
  $python -c 'import gi; gi.require_version("Atspi", "2.0")' 2>/dev/null ||
    fail "native-session: $python lacks the accessibility bindings (python3-pyatspi, gir1.2-atspi-2.0)"
  $python -c 'import Xlib' 2>/dev/null || fail "native-session: $python lacks python3-xlib, which drags files"
  [ -z "$wayland" ] || [ -n "$(find /usr/lib -path '*/qt6/plugins/platforms/libqwayland*' -print -quit 2>/dev/null)" ] ||
    fail "native-session: Qt has no Wayland platform plugin (qt6-wayland)"
  [ -f "$session/env" ] && command_stop "$session" ""
  rm -rf "$session"
  mkdir -p "$session"/{data,expected,out}/Zdjęcia "$session"/shots "$session"/logs
  mkdir -m 700 "$session/runtime"
  {
    echo "NATIVE=$native"
    echo "QT_SCALE_FACTOR=$scale"
    echo "KEEP='${keep:-$session}'"
  } >"$session/env"
  [ -n "$locale_name" ] && prepare_locale "$locale_name"
  if [ -n "$wayland" ]; then
    start_compositor
  else
    start_display 161 220
  fi
  start_buses
  bash "$here/../write_inputs.sh" "$session/data" "$native" || fail "native-session: cannot write the input files"
  "$native/tests/e2e/expected/tavrelic_expected" menu-table >"$session/menu-table.txt" &&
    "$native/tests/e2e/expected/tavrelic_expected" dialog-fields >"$session/dialog-fields.txt" ||
    fail "native-session: cannot write the program's tables"
  if [ -n "$wayland" ]; then
    echo "native e2e session ready: Wayland compositor $WAYLAND_DISPLAY, scale $scale${locale_name:+, locale $locale_name}"
  else
    echo "native e2e session ready: display $DISPLAY ($screen), scale $scale${locale_name:+, locale $locale_name}"
  fi
}

# --- the package ----------------------------------------------------------

command_package() {
  local build=$1 deb=$2 folder=$3 file size binary lines status
  local app=org.tavrelic.Tavrelic doc=usr/share/doc/tavrelic icons=usr/share/icons/hicolor man=usr/share/man/man1
  (cd "$build" && cpack --config CPackConfig.cmake) >"$build/package.log" 2>&1 ||
    fail "native-package: cpack failed: $(tail -n 5 "$build/package.log")"
  [ -f "$build/$deb" ] || fail "native-package: no $build/$deb"
  rm -rf "$folder"
  mkdir -p "$folder"
  dpkg-deb -x "$build/$deb" "$folder" || fail "native-package: cannot unpack $deb"
  for file in usr/bin/tavrelic usr/share/applications/$app.desktop usr/share/metainfo/$app.metainfo.xml \
      $icons/scalable/apps/$app.svg $doc/PRZEWODNIK.txt $doc/GUIDE.txt $doc/copyright $doc/changelog.gz \
      $man/tavrelic.1.gz usr/share/tavrelic/samples/kule-640x480.bmp; do
    [ -f "$folder/$file" ] || fail "native-package: $deb holds no /$file"
  done

  # Every icon is what make_icon.py draws from its one picture, each PNG of
  # its folder's size; so is the Windows program's icon in the sources.
  local drawn=$build/package-icons
  rm -rf "$drawn"
  $python "$root/src/shell/resources/make_icon.py" "$drawn" >/dev/null ||
    fail "native-package: make_icon.py failed"
  cmp -s "$drawn/tavrelic.ico" "$root/src/shell/resources/tavrelic.ico" ||
    fail "native-package: src/shell/resources/tavrelic.ico is not what make_icon.py draws"
  cmp -s "$drawn/icons/tavrelic.svg" "$folder/$icons/scalable/apps/$app.svg" ||
    fail "native-package: the scalable icon is not what make_icon.py draws"
  for size in 16 32 48 64 128 256; do
    file=$icons/${size}x$size/apps/$app.png
    [ -f "$folder/$file" ] || fail "native-package: $deb holds no /$file"
    [ "$($python -c 'import struct, sys; print(*struct.unpack(">II", open(sys.argv[1], "rb").read(24)[16:]))' \
        "$folder/$file")" = "$size $size" ] || fail "native-package: /$file is not $size x $size"
    cmp -s "$drawn/icons/tavrelic-$size.png" "$folder/$file" ||
      fail "native-package: /$file is not what make_icon.py draws"
  done

  # A manual page for each program, and the metainfo names each of them.
  for binary in "$folder"/usr/bin/*; do
    binary=$(basename "$binary")
    [ -f "$folder/$man/$binary.1.gz" ] || fail "native-package: $deb holds /usr/bin/$binary without its manual page"
    grep -q "<binary>$binary</binary>" "$folder/usr/share/metainfo/$app.metainfo.xml" ||
      fail "native-package: the metainfo does not name /usr/bin/$binary"
  done
  for file in "$folder/$man"/*; do
    binary=$(basename "$file" .1.gz)
    [ -f "$folder/usr/bin/$binary" ] || fail "native-package: $deb holds a manual page for /usr/bin/$binary, which it lacks"
    # grep reads to the end: one that stopped at the first line would leave
    # sed writing into a closed pipe, and the pipeline would fail.
    zcat "$file" | sed 's/\\-/-/g' | grep "^\.TH ${binary^^} 1 " >/dev/null || fail "native-package: /$man/$(basename "$file") is no manual page of $binary"
  done
  [ "$(grep -c "<binary>" "$folder/usr/share/metainfo/$app.metainfo.xml")" = "$(ls "$folder/usr/bin" | wc -l)" ] ||
    fail "native-package: the metainfo names other binaries than /usr/bin holds"

  # The changelog's latest entry is this version, by this maintainer.
  lines=$(zcat "$folder/$doc/changelog.gz" | dpkg-parsechangelog -l - -S Version 2>&1)
  [ "$lines" = "$(dpkg-deb -f "$build/$deb" Version)" ] ||
    fail "native-package: the changelog's latest version is $lines, the package's $(dpkg-deb -f "$build/$deb" Version)"
  lines=$(zcat "$folder/$doc/changelog.gz" | dpkg-parsechangelog -l - -S Maintainer 2>&1)
  [ "$lines" = "$(dpkg-deb -f "$build/$deb" Maintainer)" ] ||
    fail "native-package: the changelog names $lines, the package $(dpkg-deb -f "$build/$deb" Maintainer)"

  desktop-file-validate "$folder/usr/share/applications/$app.desktop" ||
    fail "native-package: the desktop entry does not validate"
  # validate-tree also checks the metainfo against the desktop entry it
  # launches.
  appstreamcli validate --no-net "$folder/usr/share/metainfo/$app.metainfo.xml" >"$build/appstream.log" 2>&1 &&
    appstreamcli validate-tree --no-net "$folder" >>"$build/appstream.log" 2>&1 ||
    fail "native-package: the metainfo does not validate: $(cat "$build/appstream.log")"
  dpkg-deb -f "$build/$deb" Depends | grep -q libqt6widgets6 ||
    fail "native-package: $deb does not depend on Qt 6 Widgets: $(dpkg-deb -f "$build/$deb" Depends)"
  dpkg-deb -f "$build/$deb" Recommends | grep -qw qt6-wayland ||
    fail "native-package: $deb does not recommend qt6-wayland"

  # An error or a warning fails; the info and pedantic notes are kept in
  # BUILD/lintian.log. As root, lintian wants to be told that it may run.
  command -v lintian >/dev/null || fail "native-package: no lintian (scripts/install-deps.sh installs it)"
  # A build under the sanitizers keeps its symbols for their reports.
  local keep_symbols=()
  grep -q '^TAVRELIC_SANITIZE:BOOL=ON$' "$build/CMakeCache.txt" &&
    keep_symbols=(--suppress-tags unstripped-binary-or-object)
  lintian --allow-root --fail-on error,warning --display-info --pedantic "${keep_symbols[@]}" "$build/$deb" \
    >"$build/lintian.log" 2>&1
  status=$?
  lines=$(grep -E '^[EW]: ' "$build/lintian.log")
  [ -z "$lines" ] || fail "native-package: lintian: $lines"
  [ $status -eq 0 ] || fail "native-package: lintian could not check $deb: $(tail -n 5 "$build/lintian.log")"
  echo "PASS package: $deb, depends on $(dpkg-deb -f "$build/$deb" Depends);" \
    "lintian: $(grep -cE '^[IP]: ' "$build/lintian.log") info and pedantic notes (in $build/lintian.log)"
}

# --- run ------------------------------------------------------------------

command_run() {
  load_session "$1"
  local script program scenario=$3
  script=$(realpath "$2") program=$(realpath "$4")
  if ! E2E_DATA=$data E2E_OUT=$expected E2E_EXPECTED=$expected \
      "$NATIVE/tests/e2e/expected/tavrelic_expected" replay "$script" "$scenario"; then
    fail "$scenario: tavrelic_expected could not replay the scenario"
  fi
  local log=$session/logs/$scenario.log errors=$session/logs/$scenario.program-stderr.txt
  : >"$errors"
  (cd "$out" && E2E_DATA=$data E2E_OUT=$out E2E_EXPECTED=$expected E2E_SHOTS=$shots E2E_PROGRAM_STDERR=$errors \
    TAVRELIC_MENU_TABLE=$session/menu-table.txt TAVRELIC_DIALOG_FIELDS=$session/dialog-fields.txt \
    timeout "${E2E_TIMEOUT:-1100}" $python "$here/driver.py" "$script" "$program" "$scenario") \
    >"$log" 2>"$log.err"
  report_scenario "$log" "$scenario" $? "$errors"
}

# --- stop -----------------------------------------------------------------

command_stop() {
  local session=$1 keep=$2
  [ -f "$session/env" ] || return 0
  # shellcheck source=/dev/null
  ( . "$session/env"
    end_process_groups "${ATSPI_PID:-}" "${DBUS_PID:-}" "${XVFB_PID:-}" "${WESTON_PID:-}" )
  if [ -n "$keep" ]; then
    rm -rf "$keep"
    mkdir -p "$keep"
    cp "$session"/shots/*.png "$session"/shots/*.txt "$session"/expected/*.bmp "$keep"/ 2>/dev/null
    keep_logs "$session" "$keep"
  fi
  rm -rf "$session"
  echo "native e2e session ended"
}

case "${1:-}" in
  start) shift; command_start "$@" ;;
  package) shift; command_package "$@" ;;
  run) shift; command_run "$@" ;;
  stop) shift; command_stop "$@" ;;
  *) echo "usage: see the head of $0" >&2; exit 2 ;;
esac
