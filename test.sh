#!/usr/bin/env bash
# Installs what is missing, builds, and runs every test: the unit tests
# (plain, under ASan+UBSan, and without SIMD), the fuzz targets (their
# corpora and a bounded run each), the Linux program on Qt 6 with its
# package and its end-to-end tests over the accessibility bus in Xvfb (also
# built under ASan+UBSan), and the cross build of tavrelic.exe with the same
# end-to-end scenarios under Wine in Xvfb. Each part is a CMake preset (CMakePresets.json)
# whose tests ctest runs; the counts come from ctest's JUnit reports.
# TAVRELIC_FUZZ_SECONDS sets the length of each fuzzing run (60 s).
set -uo pipefail
cd "$(dirname "$0")"
jobs=$(nproc 2>/dev/null || echo 2)
fuzz_seconds=${TAVRELIC_FUZZ_SECONDS:-60}

case "$(uname -s)" in
  MINGW*|MSYS*|CYGWIN*)
    echo "The tests drive tavrelic.exe under Wine in a virtual display, so they run on Linux:"
    echo "on Windows, run ./test.sh inside WSL (Debian or Ubuntu)."
    exit 1
    ;;
esac

passed=0
failed=0
not_applying=0
note_failure() { echo "FAILED: $1"; failed=$((failed + 1)); }

./scripts/install-deps.sh || { echo "could not install the dependencies"; echo "0 passed, 1 failed"; exit 1; }

# Adds the counts of a ctest JUnit report to the totals; a test that did
# not run counts as failed, unless it ended with the code that says it does
# not apply there (77: a scenario of the Linux program on Wayland that needs
# the X display), which counts as skipped.
count_junit() {
  local report=$1 suite tests failures skipped declined
  if [ ! -s "$report" ]; then note_failure "$2: no test report"; return; fi
  suite=$(tr '\n\t' '  ' <"$report" | grep -o '<testsuite [^>]*>' | head -n 1)
  attribute() { sed -n "s/.* $1=\"\([0-9]*\)\".*/\1/p" <<<"$suite"; }
  tests=$(attribute tests) failures=$(attribute failures) skipped=$(attribute skipped)
  if [ -z "${tests:-}" ] || [ "$tests" -eq 0 ]; then note_failure "$2: no test ran"; return; fi
  declined=$(grep -c '<skipped message="SKIP_RETURN_CODE=' "$report")
  passed=$((passed + tests - failures - skipped))
  failed=$((failed + failures + skipped - declined))
  not_applying=$((not_applying + declined))
  local note=""
  [ "$declined" -eq 0 ] || note=" ($declined skipped as not applying)"
  echo "$2: $((tests - failures - skipped)) of $tests passed$note"
}

# Configures, builds and tests one preset; extra arguments go to ctest.
run_preset() {
  local preset=$1; shift
  local dir=build/$preset
  mkdir -p "$dir"
  echo "== $preset"
  if ! cmake --preset "$preset" >"$dir.configure.log" 2>&1 ||
     ! cmake --build --preset "$preset" -j "$jobs" >"$dir.build.log" 2>&1; then
    tail -n 40 "$dir.configure.log" "$dir.build.log" 2>/dev/null
    note_failure "build of the $preset preset"
    return 1
  fi
  rm -f "$dir/junit.xml"
  ctest --preset "$preset" --output-junit junit.xml "$@" >"$dir.ctest.log" 2>&1
  grep -E '(\*\*\*Failed|\*\*\*Not Run|\*\*\*Timeout|\*\*\*Exception)|^(PASS|FAIL) ' "$dir.ctest.log" | grep -v '^PASS ' || true
  count_junit "$dir/junit.xml" "$preset"
}

run_preset native -j "$jobs"
run_preset asan -j "$jobs"
run_preset nosimd -j "$jobs"
TAVRELIC_FUZZ_SECONDS=$fuzz_seconds run_preset fuzz -j "$jobs"
run_preset qt
run_preset qt-asan
run_preset mingw

[ "$not_applying" -eq 0 ] ||
  echo "$not_applying skipped as not applying there (the reasons: build/qt*/native-e2e-screenshots/wayland/logs)"
echo "$passed passed, $failed failed"
[ "$failed" -eq 0 ]
