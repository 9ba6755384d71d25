#!/usr/bin/env bash
# End-to-end run of keyscout.exe as a user would drive it: under Wine on a
# private X server (Xvfb, no window manager), with xdotool for the keyboard
# and mouse and keyscout_probe.exe to read the dialog back. Bounded in time;
# every process it starts is ended on the way out.
#   TAVRIN_E2E_SECONDS   overall limit (default 300)
set -uo pipefail
root="$(cd "$(dirname "$0")/../.." && pwd)"
source "$root/Scripts/wine-env.sh"
build="$root/build/windows"
exe_dir="$build/Src/Tools/Keyscout"
exe="$exe_dir/keyscout.exe"
probe_exe="$build/Tests/keyscout_probe.exe"
log_file="$exe_dir/keyscout_log.txt"
crash_file="$exe_dir/keyscout_crash.txt"
# A prefix of its own: the console tests' prefix stays headless.
export WINEPREFIX="$build/wineprefix-gui"
wineserver_bin="${WINE64%64}server"
[ -x "$wineserver_bin" ] || wineserver_bin="$(command -v wineserver || echo /usr/lib/wine/wineserver)"

dialog_title="Tavrin Engine Input detector"
window_title="Press one or many keys.."
passed=0
failed=0
xvfb_pid=""
app_pid=""
watchdog_pid=""

finish() {
  trap - EXIT INT TERM
  if [ -n "$app_pid" ]; then
    kill "$app_pid" 2>/dev/null
    fail "program still running at the end" "ended by the script"
  fi
  # Ends the Wine processes of this prefix only.
  [ -n "$xvfb_pid" ] && "$wineserver_bin" -k 2>/dev/null
  local pid
  for pid in $app_pid $xvfb_pid $watchdog_pid; do
    kill "$pid" 2>/dev/null
    wait "$pid" 2>/dev/null
  done
  echo "e2e: $passed passed, $failed failed"
  [ "$failed" -eq 0 ] && [ "$passed" -gt 0 ]
  exit $?
}
trap finish EXIT
trap 'echo "e2e: interrupted"; failed=$((failed + 1)); exit 1' INT TERM

pass() { passed=$((passed + 1)); echo "ok   - $1: $2"; }
fail() { failed=$((failed + 1)); echo "FAIL - $1: $2"; }
# check NAME EXPECTED ACTUAL
check() { if [ "$2" = "$3" ]; then pass "$1" "'$3'"; else fail "$1" "expected '$2', got '$3'"; fi; }

probe() { timeout 30 "$WINE64" "$probe_exe" "$@" 2>/dev/null | tr -d '\r'; }
# The value of one "key=value" line of the probe's report.
field() { sed -n "s/^$1=//p" <<<"$2" | head -n 1; }

# Waits until a command's output matches, for up to $2 tenths of a second.
wait_until() {
  local pattern=$1 tenths=$2
  shift 2
  for ((i = 0; i < tenths; i++)); do
    "$@" | grep -qE "$pattern" && return 0
    sleep 0.1
  done
  return 1
}

# Seen by the whole script: one limit for everything it does.
seconds="${TAVRIN_E2E_SECONDS:-300}"
watchdog() {
  sleep "$seconds" &
  local sleeper=$!
  trap 'kill $sleeper 2>/dev/null; exit 0' TERM
  wait "$sleeper" && { echo "e2e: time limit of ${seconds}s reached"; kill -TERM $$; }
}
watchdog &
watchdog_pid=$!

if [ ! -f "$exe" ] || [ ! -f "$probe_exe" ]; then
  cmake --build --preset windows --target keyscout keyscout_probe >/dev/null 2>&1 ||
    { fail build "keyscout.exe and keyscout_probe.exe could not be built"; exit 1; }
fi

# A free display chosen by the server itself.
display_file="$(mktemp)"
Xvfb -displayfd 3 -screen 0 1280x1024x24 -nolisten tcp 3>"$display_file" >/dev/null 2>&1 &
xvfb_pid=$!
for ((i = 0; i < 100; i++)); do [ -s "$display_file" ] && break; sleep 0.1; done
export DISPLAY=":$(head -n 1 "$display_file")"
rm -f "$display_file"
[ "$DISPLAY" != ":" ] || { fail xvfb "no display"; exit 1; }
tavrin_wine_prefix

# --- Start -----------------------------------------------------------------
rm -f "$log_file" "$crash_file"
"$WINE64" "$exe" >/dev/null 2>&1 &
app_pid=$!
if ! wait_until '^dialog\.visible=1' 600 probe info; then
  fail start "the dialog '$dialog_title' did not appear"
  exit 1
fi
sleep 0.5
import -window root "$build/keyscout-dialog-before.png" 2>/dev/null

info="$(probe info)"
check "dialog title" "$dialog_title" "$(field dialog.text "$info")"
check "prompt (1002)" "Click the button above to start key detection.." "$(field 1002.text "$info")"
check "button (1001)" "Detect key(s)" "$(field 1001.text "$info")"
check "label (1003)" "Joystick #0:" "$(field 1003.text "$info")"
check "label (1004)" "Joystick #1:" "$(field 1004.text "$info")"
check "check box (1005)" "Exclude mouse movements" "$(field 1005.text "$info")"
check "check box ticked" "1" "$(field 1005.checked "$info")"
check "joystick list 1022 empty" "0 -1" "$(field 1022.count "$info") $(field 1022.selection "$info")"
check "joystick list 1023 empty" "0 -1" "$(field 1023.count "$info") $(field 1023.selection "$info")"

# Brings the dialog to the front and gives it the keyboard (no window manager).
focus_dialog() {
  probe front >/dev/null
  local id
  id="$(xdotool search --name "^$dialog_title\$" 2>/dev/null | head -n 1)"
  [ -n "$id" ] && xdotool windowfocus --sync "$id" 2>/dev/null
  sleep 0.3
}

# A real click on a dialog control.
click_control() {
  local xy
  xy="$(probe centre "$1")"
  [ -n "$xy" ] || return 1
  # shellcheck disable=SC2086
  xdotool mousemove $xy click 1
}

# Presses "Detect key(s)" and gives the detection window the keyboard.
start_detection() {
  focus_dialog
  click_control 1001 || return 1
  wait_until '^window\.visible=1' 100 probe window "$window_title" || return 1
  local id
  id="$(xdotool search --name "^$window_title\$" 2>/dev/null | head -n 1)"
  [ -n "$id" ] || return 1
  xdotool windowfocus --sync "$id" 2>/dev/null
  sleep 0.4
}

# The dialog's text once the run is over and the dialog is back. A run that
# does not end is closed, so that the next case starts from the dialog.
result() {
  if ! wait_until '^dialog\.visible=1' 100 probe info; then
    probe close "$window_title"
    wait_until '^dialog\.visible=1' 50 probe info
    echo "<run did not end; closed with '$(probe text)'>"
    return
  fi
  probe text
}

# --- Detection window ------------------------------------------------------
if start_detection; then
  window="$(probe window "$window_title")"
  check "detection window client area" "320x100" "$(field window.client "$window")"
  read -r wx wy ww wh <<<"$(field window.rect "$window" | tr ',' ' ')"
  read -r sw sh <<<"$(field screen "$window" | tr 'x' ' ')"
  dx=$((2 * wx + ww - sw)); dy=$((2 * wy + wh - sh))
  if [ "${dx#-}" -le 2 ] && [ "${dy#-}" -le 2 ]; then
    pass "detection window centred" "rect $wx,$wy ${ww}x$wh on ${sw}x$sh"
  else
    fail "detection window centred" "rect $wx,$wy ${ww}x$wh on ${sw}x$sh"
  fi
  check "dialog hidden during the run" "0" "$(field dialog.visible "$(probe info)")"
  xdotool keydown Control_L; sleep 0.15; xdotool keydown a; sleep 0.15
  xdotool keyup a; sleep 0.15; xdotool keyup Control_L
  check "left ctrl then a" "leftctrl + a" "$(result)"
  info="$(probe info)"
  check "dialog restored and enabled" "1 1" "$(field dialog.visible "$info") $(field dialog.enabled "$info")"
else
  fail "detection window" "'$window_title' did not open"
fi

# Runs one detection with the given actions and checks the text.
detect_case() {
  local name=$1 expected=$2
  shift 2
  if ! start_detection; then
    fail "$name" "'$window_title' did not open"
    return
  fi
  "$@"
  check "$name" "$expected" "$(result)"
}

a_then_ctrl() {
  xdotool keydown a; sleep 0.15; xdotool keydown Control_L; sleep 0.15
  xdotool keyup Control_L; sleep 0.15; xdotool keyup a
}
held_a() { xdotool keydown a; sleep 1.5; xdotool keyup a; }
wheel_up() { xdotool click 4; }
# In the middle of the client area, pressed and released as a hand would.
left_click() {
  local id
  id="$(xdotool search --name "^$window_title\$" 2>/dev/null | head -n 1)"
  [ -n "$id" ] && xdotool mousemove --window "$id" 160 60
  sleep 0.2
  xdotool mousedown 1; sleep 0.15; xdotool mouseup 1
}
alt_return() {
  xdotool keydown Alt_L; sleep 0.15; xdotool keydown Return; sleep 0.15
  xdotool keyup Return; sleep 0.15; xdotool keyup Alt_L
}
keypad_enter() { xdotool key KP_Enter; }
# A steady motion for about two seconds, inside the detection window. Wine's
# DirectInput mouse may miss the first moves after the window opens, as a
# user's hand would not be that quick anyway; the run ends at the first poll
# without motion once some was recorded.
move_mouse() {
  for ((step = 0; step < 40; step++)); do xdotool mousemove_relative -- 3 -2; sleep 0.04; done
}
# Motion that records nothing: the run goes on until the window is closed.
move_then_close() { move_mouse; sleep 0.5; probe close "$window_title"; }
close_window() { sleep 0.3; probe close "$window_title"; }

detect_case "a then left ctrl" "a + leftctrl" a_then_ctrl
detect_case "a held past auto-repeat" "a" held_a
detect_case "one wheel notch up, box ticked" "mousewheel + mousewheelup" wheel_up
detect_case "mouse moved, box ticked" "" move_then_close
detect_case "closed before any input" "" close_window
info="$(probe info)"
check "dialog restored after closing" "1 1" "$(field dialog.visible "$info") $(field dialog.enabled "$info")"

focus_dialog
click_control 1005
check "check box unticked" "0" "$(field 1005.checked "$(probe info)")"
if start_detection; then
  move_mouse
  text="$(result)"
  if [[ "$text" =~ ^mouseaxis[xy]( \+ mouseaxis[xy])?$ ]]; then
    pass "mouse moved, box unticked" "'$text'"
  else
    fail "mouse moved, box unticked" "expected mouseaxisx and/or mouseaxisy, got '$text'"
  fi
else
  fail "mouse moved, box unticked" "'$window_title' did not open"
fi
focus_dialog
click_control 1005
check "check box ticked again" "1" "$(field 1005.checked "$(probe info)")"

detect_case "left click in the window" "mousebuttonleft" left_click
detect_case "left alt with return" "leftalt + return" alt_return
detect_case "keypad enter" "keypadenter" keypad_enter
sleep 0.3
import -window root "$build/keyscout-dialog-after.png" 2>/dev/null
for shot in before after; do
  if [ -s "$build/keyscout-dialog-$shot.png" ]; then
    pass "screenshot $shot" "build/windows/keyscout-dialog-$shot.png"
  else
    fail "screenshot $shot" "not written"
  fi
done

# --- Esc ends the program --------------------------------------------------
focus_dialog
xdotool key Escape
ended=0
for ((i = 0; i < 200; i++)); do
  kill -0 "$app_pid" 2>/dev/null || { ended=1; break; }
  sleep 0.1
done
if [ "$ended" -eq 1 ]; then
  wait "$app_pid" 2>/dev/null
  app_pid=""
  pass "Esc on the dialog" "the process ended"
else
  fail "Esc on the dialog" "the process is still running"
fi

# --- Log and crash report --------------------------------------------------
if [ -f "$log_file" ]; then
  order="$(tr -d '\r' <"$log_file" | sed -n 's/^\[[^]]*\] //p' |
    grep -xE 'Installing IKernel|Installing IInput|Installing IRenderer|IRenderer uninstalled|IInput uninstalled|IKernel uninstalled' |
    paste -sd, -)"
  check "module lines in the log" \
    "Installing IKernel,Installing IInput,Installing IRenderer,IRenderer uninstalled,IInput uninstalled,IKernel uninstalled" "$order"
else
  fail "module lines in the log" "no $log_file"
fi
if [ -e "$crash_file" ]; then
  fail "no crash report" "$(head -n 5 "$crash_file")"
else
  pass "no crash report" "no keyscout_crash.txt"
fi
