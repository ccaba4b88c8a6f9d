# What both end-to-end sessions do alike, sourced by tests/e2e/session.sh
# (the exe under Wine) and tests/e2e/atspi/session.sh (the Linux program).
# The caller defines fail and sets session (the session's folder, whose
# file env keeps its state) and screen (WxH).

# A private Xvfb display. The server picks a free number itself and writes
# it to the pipe only once it accepts clients (-displayfd): the number comes
# with the server's own word that it is ready, and no two sessions (or a
# session and ./run.sh) can take one number, nor a client reach a server
# that is still starting or still leaving. Its number and process go into
# the session's env. Without -noreset the server starts over whenever its
# last client leaves, and refuses a client that comes meanwhile.
start_display() {
  local pipe=$session/xvfb-display display=""
  rm -f "$pipe"
  mkfifo "$pipe" || fail "session: cannot make $pipe"
  setsid Xvfb -displayfd 3 -noreset -screen 0 "${screen}x24" -nolisten tcp 3>"$pipe" </dev/null >"$session/xvfb.log" 2>&1 &
  echo "XVFB_PID=$!" >>"$session/env"
  # The read ends with the number, or at once when the server ends without
  # one; the limit is only a backstop far above a start's fraction of a second.
  read -r -t 120 display <"$pipe"
  rm -f "$pipe"
  [ -n "$display" ] || fail "session: Xvfb did not start: $(tail -n 3 "$session/xvfb.log")"
  echo "DISPLAY=:$display" >>"$session/env"
}

# True while the process runs: a process that has ended but that nobody has
# reaped yet (a zombie) has ended.
process_alive() {
  local state
  state=$(ps -o stat= -p "$1" 2>/dev/null)
  [ -n "$state" ] && [ "${state:0:1}" != Z ]
}

# Ends the processes (each started by setsid, so each leads a process group
# of its own with what it started) and waits until they have ended, so that
# nothing of the session outlives it. The wait's limit is a backstop.
end_process_groups() {
  local pid deadline=$((SECONDS + 30))
  for pid in "$@"; do
    [ -n "$pid" ] && { kill -- "-$pid" 2>/dev/null || kill "$pid" 2>/dev/null; }
  done
  for pid in "$@"; do
    [ -n "$pid" ] || continue
    while process_alive "$pid" && [ "$SECONDS" -lt "$deadline" ]; do sleep 0.05; done
    process_alive "$pid" && kill -KILL -- "-$pid" 2>/dev/null
  done
  return 0
}

# A Unix locale of the user's choice, made in the session when the system
# lacks it, so that the program takes its language and code page from it.
prepare_locale() {
  local name=$1 lang=${1%%.*} charset=${1#*.}
  [ "$charset" = "$1" ] && charset=UTF-8
  if ! locale -a 2>/dev/null | grep -ix "${lang}.$(tr -d - <<<"$charset")" >/dev/null; then
    mkdir -p "$session/locales"
    localedef -i "$lang" -f "$charset" "$session/locales/$name" >"$session/localedef.log" 2>&1 ||
      fail "session: cannot make the locale $name: $(tail -n 2 "$session/localedef.log")"
    echo "LOCPATH=$session/locales" >>"$session/env"
  fi
  echo "SESSION_LANG=$name" >>"$session/env"
}

# The last lines a program printed on standard error, on one line, for a
# failure report.
last_error_lines() {
  local lines
  lines=$(tr -d '\r' <"$1" 2>/dev/null | grep -v '^[[:space:]]*$' | tail -n 5 | tr '\n' '|' | sed 's/|$//; s/|/ | /g')
  if [ -n "$lines" ]; then echo "the program's standard error ends: $lines"; else echo "the program printed nothing on standard error"; fi
}

# Prints the driver's verdict on a scenario from its log, and a FAIL line of
# our own when it gave none; a FAIL line ends with what the program printed
# last. Returns the scenario's outcome: 0 passed, 77 skipped, 1 otherwise.
report_scenario() {
  local log=$1 scenario=$2 rc=$3 program_errors=$4 verdict why
  verdict=$(grep -E "^(PASS|FAIL|SKIP) $scenario(:|\$)" "$log" | tail -n 1)
  grep -E '^(PASS|FAIL|SKIP) ' "$log" | grep -vxF -- "$verdict"
  if [ -z "$verdict" ]; then
    why="the driver ended with code $rc: $(tail -n 3 "$log.err" 2>/dev/null | tr '\n' ' ')"
    [ "$rc" -eq 124 ] && why="not finished in time"
    verdict="FAIL $scenario: $why"
  fi
  case "$verdict" in
    PASS*) echo "$verdict"; return 0 ;;
    SKIP*) echo "$verdict"; return 77 ;;
  esac
  echo "$verdict; $(last_error_lines "$program_errors")"
  echo "  logs: $session/logs, kept in $KEEP/logs when the session ends"
  return 1
}

# The session's own logs (display, buses, Wine) and each scenario's (the
# driver's output and the program's standard error) into KEEP/logs.
keep_logs() {
  mkdir -p "$2/logs"
  cp "$1"/*.log "$1"/logs/* "$2/logs/" 2>/dev/null
  return 0
}
