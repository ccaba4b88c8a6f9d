# What both end-to-end sessions do alike, sourced by tests/e2e/session.sh
# (the exe under Wine) and tests/e2e/atspi/session.sh (the Linux program).
# The caller defines fail and sets session (the session's folder, whose
# file env keeps its state) and screen (WxH).

# A private Xvfb display on the first free number from FIRST to LAST; its
# number and process go into the session's env.
start_display() {
  local first=$1 last=$2 n display=""
  for n in $(seq "$first" "$last"); do
    if [ ! -e "/tmp/.X11-unix/X$n" ] && [ ! -e "/tmp/.X$n-lock" ]; then display=$n; break; fi
  done
  [ -n "$display" ] || fail "session: no free X display number"
  setsid Xvfb ":$display" -screen 0 "${screen}x24" -nolisten tcp </dev/null >"$session/xvfb.log" 2>&1 &
  echo "XVFB_PID=$!" >>"$session/env"
  echo "DISPLAY=:$display" >>"$session/env"
  # A backstop: the display is there within a fraction of a second.
  for _ in $(seq 600); do
    [ -e "/tmp/.X11-unix/X$display" ] && return 0
    sleep 0.1
  done
  fail "session: Xvfb did not start: $(tail -n 3 "$session/xvfb.log")"
}

# A Unix locale of the user's choice, made in the session when the system
# lacks it, so that the program takes its language and code page from it.
prepare_locale() {
  local name=$1 lang=${1%%.*} charset=${1#*.}
  [ "$charset" = "$1" ] && charset=UTF-8
  if ! locale -a 2>/dev/null | grep -qix "${lang}.$(tr -d - <<<"$charset")"; then
    mkdir -p "$session/locales"
    localedef -i "$lang" -f "$charset" "$session/locales/$name" >"$session/localedef.log" 2>&1 ||
      fail "session: cannot make the locale $name: $(tail -n 2 "$session/localedef.log")"
    echo "LOCPATH=$session/locales" >>"$session/env"
  fi
  echo "SESSION_LANG=$name" >>"$session/env"
}
