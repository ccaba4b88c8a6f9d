#!/usr/bin/env bash
# Installs what is missing, builds, and runs every test: the unit tests
# (plain and under ASan+UBSan), a bounded fuzz run, the cross build of
# tavrelic.exe, and the end-to-end tests under Wine in Xvfb.
set -uo pipefail
cd "$(dirname "$0")"
root=$(pwd)
jobs=$(nproc 2>/dev/null || echo 2)
fuzz_seconds=${FUZZ_SECONDS:-60}

passed=0
failed=0
note_failure() { echo "FAILED: $1"; failed=$((failed + 1)); }

case "$(uname -s)" in
  MINGW*|MSYS*|CYGWIN*)
    echo "The tests drive tavrelic.exe under Wine in a virtual display, so they run on Linux:"
    echo "on Windows, run ./test.sh inside WSL (Debian or Ubuntu)."
    exit 1
    ;;
esac

./scripts/install-deps.sh || { echo "could not install the dependencies"; echo "0 passed, 1 failed"; exit 1; }

# Adds the counts of one ctest run (its log in $1) to the totals.
count_ctest() {
  local line total bad
  line=$(grep -E '[0-9]+% tests passed, [0-9]+ tests? failed out of [0-9]+' "$1" | tail -n 1)
  if [ -z "$line" ]; then note_failure "$2: no test ran"; return; fi
  bad=$(sed -E 's/.* ([0-9]+) tests? failed out of.*/\1/' <<<"$line")
  total=$(sed -E 's/.*out of ([0-9]+).*/\1/' <<<"$line")
  passed=$((passed + total - bad))
  failed=$((failed + bad))
}

# Configures, builds and runs the unit tests in build/$1 with extra cmake args.
unit_tests() {
  local dir=build/$1; shift
  if cmake -S . -B "$dir" "$@" >"$dir.configure.log" 2>&1 &&
     cmake --build "$dir" -j "$jobs" >"$dir.build.log" 2>&1; then
    (cd "$dir" && ctest --output-on-failure -j "$jobs") >"$dir.ctest.log" 2>&1
    tail -n 3 "$dir.ctest.log"
    grep -E '^\s*[0-9]+/[0-9]+ Test .*\*\*\*Failed|Failed  ' "$dir.ctest.log" || true
    count_ctest "$dir.ctest.log" "$dir"
  else
    tail -n 40 "$dir.configure.log" "$dir.build.log" 2>/dev/null
    note_failure "build of $dir"
  fi
}

mkdir -p build
echo "== unit tests"
unit_tests native -DCMAKE_BUILD_TYPE=Release
echo "== unit tests under AddressSanitizer + UndefinedBehaviorSanitizer"
unit_tests asan -DCMAKE_BUILD_TYPE=Debug -DTAVRELIC_SANITIZE=ON -DTAVRELIC_BENCH=OFF

echo "== fuzzing loadBmp for ${fuzz_seconds} s"
if CXX=clang++ cmake -S . -B build/fuzz -DTAVRELIC_FUZZ=ON -DTAVRELIC_TESTS=OFF -DTAVRELIC_BENCH=OFF \
     -DCMAKE_BUILD_TYPE=RelWithDebInfo >build/fuzz.configure.log 2>&1 &&
   cmake --build build/fuzz -j "$jobs" >build/fuzz.build.log 2>&1; then
  if fuzz/run.sh build/fuzz "$fuzz_seconds" >build/fuzz.run.log 2>&1; then
    passed=$((passed + 1)); tail -n 2 build/fuzz.run.log
  else
    tail -n 40 build/fuzz.run.log; note_failure "fuzzing"
  fi
else
  tail -n 40 build/fuzz.configure.log build/fuzz.build.log; note_failure "build of the fuzz target"
fi

echo "== cross build of tavrelic.exe"
if cmake -S . -B build/mingw -DCMAKE_TOOLCHAIN_FILE="$root/cmake/mingw-w64-x86_64.cmake" \
     -DCMAKE_BUILD_TYPE=Release >build/mingw.configure.log 2>&1 &&
   cmake --build build/mingw -j "$jobs" >build/mingw.build.log 2>&1; then
  passed=$((passed + 1))
  echo "== end-to-end tests under Wine"
  tests/e2e/run.sh build/mingw 2>&1 | tee build/e2e.log
  e2e_rc=${PIPESTATUS[0]}
  e2e_pass=$(grep -c '^PASS ' build/e2e.log)
  e2e_fail=$(grep -c '^FAIL ' build/e2e.log)
  if [ "$e2e_rc" -ne 0 ] && [ "$e2e_fail" -eq 0 ]; then e2e_fail=1; fi
  if [ "$e2e_pass" -eq 0 ] && [ "$e2e_fail" -eq 0 ]; then e2e_fail=1; fi
  passed=$((passed + e2e_pass))
  failed=$((failed + e2e_fail))
else
  tail -n 40 build/mingw.configure.log build/mingw.build.log; note_failure "cross build"
fi

echo "$passed passed, $failed failed"
[ "$failed" -eq 0 ]
