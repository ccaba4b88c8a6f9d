#!/usr/bin/env bash
# Runs native_waits.py against the Linux program in a private session of the
# native end-to-end tests (Xvfb large enough for a 3840 x 2160 picture, the
# session bus and the accessibility bus), on the smooth depth map of the
# engine's benchmarks at each size, and prints its lines prefixed with the
# size:
#   SIZE wait COMMAND held=MS painted=MS runs=N
#   bench/wait/native_run.sh ENGINE_BENCH BUILD RUNS
# BUILD is the qt preset's build folder, with tavrelic and tavrelic_expected.
set -uo pipefail
here=$(cd "$(dirname "$0")" && pwd)
root=$(cd "$here/../.." && pwd)
engine=$1 build=$2 runs=$3
session=$(mktemp -d /tmp/tavrelic-native-waits.XXXXXX)
trap 'bash "$root/tests/e2e/atspi/session.sh" stop "$session" "" >/dev/null 2>&1' EXIT

bash "$root/tests/e2e/atspi/session.sh" start "$session" --native "$build" >&2 || exit 1
# The session's display and buses, as its scenarios see them.
# shellcheck source=/dev/null
. "$session/env"
export DISPLAY DBUS_SESSION_BUS_ADDRESS QT_SCALE_FACTOR XDG_RUNTIME_DIR=$session/runtime
export TAVRELIC_MENU_TABLE=$session/menu-table.txt TAVRELIC_PREFERENCES_FIELDS=$session/preferences-fields.txt
for size in 640x480 1920x1080 3840x2160; do
  map=$session/depth-$size.bmp
  "$engine" --write-depth-map "$map" "${size%x*}" "${size#*x}" || exit 1
  /usr/bin/python3 "$here/native_waits.py" "$build/src/shell/qt/tavrelic" "$map" "$runs" 2>/dev/null |
    sed "s/^/$size /"
done
