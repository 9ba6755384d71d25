# Sourced by the suites of Scripts/tests.d that drive programs on a private X
# server: their counters and checks, their time limit, the X server, and the
# input a hand gives. Every process they start is ended by its id.

passed=0
failed=0
xvfb_pid=""
watchdog_pid=""

pass() { passed=$((passed + 1)); echo "ok   - $1: $2"; }
fail() { failed=$((failed + 1)); echo "FAIL - $1: $2"; }
# Not a check: something for a person to look at.
note() { echo "note - $1: $2"; }
# check NAME EXPECTED ACTUAL
check() { if [ "$2" = "$3" ]; then pass "$1" "'$3'"; else fail "$1" "expected '$2', got '$3'"; fi; }

# report_totals SUITE: the closing line; the status says whether it passed.
report_totals() {
  echo "$1: $passed passed, $failed failed"
  [ "$failed" -eq 0 ] && [ "$passed" -gt 0 ]
}

# check_reports NAME LOG CRASH: after the program ended, its log holds the
# module lines in install and uninstall order, and it left no crash report.
check_reports() {
  local name=$1 log=$2 crash=$3
  if [ -f "$log" ]; then
    check "module lines in the log, $name" \
      "Installing IKernel,Installing IInput,Installing IRenderer,IRenderer uninstalled,IInput uninstalled,IKernel uninstalled" \
      "$(tr -d '\r' <"$log" | sed -n 's/^\[[^]]*\] //p' |
        grep -xE 'Installing IKernel|Installing IInput|Installing IRenderer|IRenderer uninstalled|IInput uninstalled|IKernel uninstalled' |
        paste -sd, -)"
  else
    fail "module lines in the log, $name" "no $log"
  fi
  if [ -e "$crash" ]; then
    fail "no crash report, $name" "$(head -n 5 "$crash")"
  else
    pass "no crash report, $name" "no ${crash##*/}"
  fi
}

# start_watchdog SUITE SECONDS: the whole suite's time limit.
start_watchdog() {
  local suite=$1 seconds=$2
  (
    sleep "$seconds" &
    sleeper=$!
    trap 'kill $sleeper 2>/dev/null; exit 0' TERM
    wait "$sleeper" && { echo "$suite: time limit of ${seconds}s reached"; kill -TERM $$; }
  ) &
  watchdog_pid=$!
}

# A free display chosen by the server itself, 1280x1024, no window manager;
# -noreset: a server that resets when its last client leaves turns the next
# program away for a moment (and reloads its default keymap).
start_xvfb() {
  local display_file i
  display_file="$(mktemp)"
  Xvfb -displayfd 3 -screen 0 1280x1024x24 -nolisten tcp -noreset 3>"$display_file" >/dev/null 2>&1 &
  xvfb_pid=$!
  for ((i = 0; i < 100; i++)); do [ -s "$display_file" ] && break; sleep 0.1; done
  export DISPLAY=":$(head -n 1 "$display_file")"
  rm -f "$display_file"
  [ "$DISPLAY" != ":" ]
}

# end_started PID...: the processes this suite started, and its helpers.
end_started() {
  local pid
  for pid in "$@" $xvfb_pid $watchdog_pid; do
    kill "$pid" 2>/dev/null
    wait "$pid" 2>/dev/null
  done
}

# hold_keys TOOL KEY...: presses the keys in order and releases them in the
# reverse order, each held a moment as a hand would. TOOL is xdotool, or xte
# for the right-hand modifiers: xdotool presses Control_R, Shift_R and Alt_R
# together with the left-hand key, xte presses them alone.
hold_keys() {
  local tool=$1 key i
  shift
  local keys=("$@")
  for key in "${keys[@]}"; do key_event "$tool" down "$key"; sleep 0.15; done
  for ((i = ${#keys[@]} - 1; i >= 0; i--)); do key_event "$tool" up "${keys[i]}"; sleep 0.15; done
}
key_event() {
  case $1 in
    xdotool) xdotool "key$2" "$3" ;;
    xte) xte "key$2 $3" ;;
  esac
}
# held_key KEY SECONDS: held past the keyboard's auto-repeat.
held_key() { xdotool keydown "$1"; sleep "$2"; xdotool keyup "$1"; }
# wheel_notch up|down: one notch.
wheel_notch() { if [ "$1" = up ]; then xdotool click 4; else xdotool click 5; fi; }
# wait_ink CONDITION: until the suite's own `ink` finds counts ($counts) that
# meet CONDITION (awk, on $1 and $2), up to 10 s.
wait_ink() {
  local i
  for ((i = 0; i < 50; i++)); do
    ink && awk "{ exit !($1) }" <<<"$counts" && return 0
    sleep 0.2
  done
  return 1
}
