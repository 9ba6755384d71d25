#!/usr/bin/env bash
# End-to-end run of the native Linux keyscout as a user would drive it: on a
# private X server (Xvfb, no window manager), with xdotool and xte for the
# keyboard and mouse. Results are read from the program's standard output,
# windows from the X server. Bounded in time; every process it starts is
# ended on the way out. Only checks that can fail are counted.
#   TAVRIN_E2E_SECONDS   overall limit (default 300)
set -uo pipefail
root="$(cd "$(dirname "$0")/../.." && pwd)"
source "$root/Scripts/suite-lib.sh"
build="$root/build/native"
exe="$build/Src/Tools/Keyscout/keyscout"
closer="$build/Tests/sdl_window_probe"
log_file="$build/Src/Tools/Keyscout/keyscout_log.txt"
crash_file="$build/Src/Tools/Keyscout/keyscout_crash.txt"
dialog_title="Tavrin Engine Input detector"
window_title="Press one or many keys.."
app_pid=""
work="$(mktemp -d)"
out="$work/stdout.txt"

finish() {
  trap - EXIT INT TERM
  if [ -n "$app_pid" ]; then
    kill "$app_pid" 2>/dev/null
    fail "program still running at the end" "ended by the script"
  fi
  end_started $app_pid ${monitor_pid:-} ${bus_pid:-}
  rm -rf "$work"
  report_totals e2e-linux
  exit $?
}
trap finish EXIT
trap 'echo "e2e-linux: interrupted"; failed=$((failed + 1)); exit 1' INT TERM

start_watchdog e2e-linux "${TAVRIN_E2E_SECONDS:-300}"

if ! (cd "$root" && { [ -f "$build/CMakeCache.txt" ] || cmake --preset native >/dev/null 2>&1; } &&
  cmake --build --preset native --target keyscout sdl_window_probe >/dev/null 2>&1); then
  fail build "keyscout and sdl_window_probe could not be built"
  exit 1
fi

# --- Without a display -------------------------------------------------------
rm -f "$crash_file"
message="$(env -u DISPLAY -u WAYLAND_DISPLAY "$exe" --once 2>&1 >/dev/null)"
check "--once without a display: exit status" "2" "$(env -u DISPLAY -u WAYLAND_DISPLAY "$exe" --once >/dev/null 2>&1; echo $?)"
check "--once without a display: message" "Keyscout needs a graphical display (X11 or Wayland)" "${message%%, and*}"
[ -e "$crash_file" ] && fail "no crash report without a display" "$(head -n 3 "$crash_file")" ||
  pass "no crash report without a display" "no keyscout_crash.txt"

start_xvfb || { fail xvfb "no display"; exit 1; }
unset WAYLAND_DISPLAY SDL_VIDEODRIVER
setxkbmap us

# --- Windows on the X server ------------------------------------------------------
# The id of the visible top-level window with that exact title. (The program
# names its windows in the locale's encoding, which xdotool cannot search.)
window_id() {
  xwininfo -root -tree 2>/dev/null | grep -F "\"$1\":" | awk '{print $1}' | while read -r id; do
    xwininfo -id "$id" 2>/dev/null | grep -q "IsViewable" && { echo "$id"; break; }
  done
}
# Geometry "WxH+X+Y" of a window.
geometry() { xwininfo -id "$1" 2>/dev/null | sed -n 's/^ *-geometry //p'; }
wait_window() {
  local i
  for ((i = 0; i < ${2:-100}; i++)); do
    [ -n "$(window_id "$1")" ] && return 0
    sleep 0.1
  done
  return 1
}
wait_gone() {
  local i
  for ((i = 0; i < ${2:-100}; i++)); do
    [ -z "$(window_id "$1")" ] && return 0
    sleep 0.1
  done
  return 1
}
# click_dialog X Y: a click at a point of the dialog (its arrangement is the
# Windows dialog's: 1.5 pixels per horizontal unit, 2 per vertical unit).
click_dialog() {
  local id
  id="$(window_id "$dialog_title")"
  [ -n "$id" ] || return 1
  xdotool mousemove --window "$id" "$1" "$2" click 1
}
lines() { wc -l <"$out"; }

start_program() {
  rm -f "$log_file" "$crash_file"
  : >"$out"
  "$exe" "$@" >"$out" 2>"$work/stderr.txt" &
  app_pid=$!
}

# Presses "Detect key(s)" and gives the detection window the keyboard.
start_detection() {
  local id
  click_dialog 221 140 || return 1
  wait_window "$window_title" || return 1
  wait_gone "$dialog_title" 50 || return 1
  id="$(window_id "$window_title")"
  xdotool windowfocus --sync "$id" 2>/dev/null
  # The devices start reading at their first poll.
  sleep 0.2
}

# The next line of standard output, once the dialog is back; a run that does
# not end is closed so that the next case starts from the dialog.
result() {
  local before=$1 i
  for ((i = 0; i < 100; i++)); do
    [ "$(lines)" -gt "$before" ] && wait_window "$dialog_title" 50 && { sed -n "$((before + 1))p" "$out"; return; }
    sleep 0.1
  done
  "$closer" close "$(window_id "$window_title")" >/dev/null 2>&1
  wait_window "$dialog_title" 50
  echo "<run did not end; closed with '$(sed -n "$((before + 1))p" "$out")'>"
}

detect_case() {
  local name=$1 expected=$2 before
  shift 2
  before="$(lines)"
  if ! start_detection; then
    fail "$name" "'$window_title' did not open"
    return
  fi
  "$@"
  check "$name" "$expected" "$(result "$before")"
}

# --- Kinds of input -----------------------------------------------------------------
click_in_window() {
  xdotool mousemove --sync --window "$(window_id "$window_title")" 160 50
  sleep 0.1
  xdotool mousedown "$1"
  sleep 0.15
  xdotool mouseup "$1"
}
move_mouse() {
  local step
  xdotool mousemove --window "$(window_id "$window_title")" 100 50
  for ((step = 0; step < 30; step++)); do xdotool mousemove_relative -- 3 -1; sleep 0.04; done
}
close_window() { sleep 0.3; "$closer" close "$(window_id "$window_title")" >/dev/null 2>&1; }
release_after_close() {
  xdotool keydown a
  sleep 0.2
  close_window
  wait_window "$dialog_title" 50
  xdotool keyup a
}

# --- The dialog ----------------------------------------------------------------
start_program
if wait_window "$dialog_title" 200; then
  pass "dialog" "'$dialog_title' shown"
else
  fail "dialog" "'$dialog_title' did not appear: $(head -n 3 "$work/stderr.txt")"
  exit 1
fi
before="$(lines)"
if start_detection; then
  geometry_text="$(geometry "$(window_id "$window_title")")"
  check "detection window client area" "320x100" "${geometry_text%%+*}"
  read -r x y <<<"$(sed 's/^[0-9]*x[0-9]*+\([0-9-]*\)+\([0-9-]*\)$/\1 \2/' <<<"$geometry_text")"
  check "detection window centred" "480 462" "$x $y"
  hold_keys xdotool Control_L a
  check "left ctrl then a" "leftctrl + a" "$(result "$before")"
else
  fail "detection window" "'$window_title' did not open"
fi

detect_case "a then left ctrl" "a + leftctrl" hold_keys xdotool a Control_L
detect_case "right ctrl, right shift, f5" "rightctrl + rightshift + f5" hold_keys xte Control_R Shift_R F5
# Num Lock is off on a new server: the keypad's 7 is its Home key.
detect_case "keypad home" "keypad7" xdotool key KP_Home
detect_case "a held past auto-repeat" "a" held_key a 1.5
detect_case "one wheel notch up, box ticked" "mousewheel + mousewheelup" wheel_notch up
detect_case "left button" "mousebuttonleft" click_in_window 1
detect_case "right button" "mousebuttonright" click_in_window 3
detect_case "middle button" "mousebuttonmiddle" click_in_window 2
detect_case "first extra button" "mousebuttonx1" click_in_window 8
detect_case "second extra button" "mousebuttonx2" click_in_window 9
detect_case "closed before any input" "" close_window
detect_case "a held while the window closed" "a" release_after_close
detect_case "next run after a release the window never saw" "b" hold_keys xdotool b
click_dialog 152 102
before="$(lines)"
if start_detection; then
  move_mouse
  text="$(result "$before")"
  if [[ "$text" =~ ^mouseaxis[xy]( \+ mouseaxis[xy])?$ ]]; then
    pass "mouse moved, box unticked" "'$text'"
  else
    fail "mouse moved, box unticked" "expected mouseaxisx and/or mouseaxisy, got '$text'"
  fi
else
  fail "mouse moved, box unticked" "'$window_title' did not open"
fi
xdotool windowfocus --sync "$(window_id "$dialog_title")" 2>/dev/null
xdotool key ctrl+c
check "ctrl+c copies the result" "$text" "$(timeout 5 xclip -o -selection clipboard 2>&1)"
import -window root "$build/keyscout-linux-dialog.png" 2>/dev/null &&
  echo "note - screenshot: build/native/keyscout-linux-dialog.png"

# --- Ways out ---------------------------------------------------------------------
# end_program NAME ACTION...: the action ends the program with status 0, the
# log's module lines in order and no crash report.
end_program() {
  local name=$1 i
  shift
  "$@"
  for ((i = 0; i < 100; i++)); do kill -0 "$app_pid" 2>/dev/null || break; sleep 0.1; done
  if kill -0 "$app_pid" 2>/dev/null; then
    fail "$name" "the process is still running"
    return
  fi
  wait "$app_pid"
  check "$name: exit status" "0" "$?"
  app_pid=""
  check_reports "$name" "$log_file" "$crash_file"
}
press_escape() {
  xdotool windowfocus --sync "$(window_id "$dialog_title")" 2>/dev/null
  xdotool key Escape
}
close_dialog() { "$closer" close "$(window_id "$dialog_title")" >/dev/null 2>&1; }

end_program "Esc on the dialog" press_escape
start_program
wait_window "$dialog_title" 200 && end_program "close box of the dialog" close_dialog

# --- One run from the command line ----------------------------------------------------
start_program --once
if wait_window "$window_title" 200; then
  xdotool windowfocus --sync "$(window_id "$window_title")" 2>/dev/null
  sleep 0.2
  hold_keys xdotool x
fi
wait "$app_pid"
status=$?
app_pid=""
check "--once with a key: output and status" "x 0" "$(cat "$out") $status"
start_program --once
wait_window "$window_title" 200 && close_window
wait "$app_pid"
status=$?
app_pid=""
check "--once closed without input: empty line and status 1" "1 1" "$(lines) $status"

# --- The wheel off the detection window; the screen saver ------------------------------
# The dialog in the screen's corner: the pointer that pressed its button stays
# there, away from the detection window, while the wheel turns. The program
# runs on a private session bus whose messages a monitor records: it must
# never ask org.freedesktop.ScreenSaver to hold the screen saver off.
bus="$(dbus-daemon --session --fork --print-address=1 --print-pid=1 2>/dev/null)"
bus_address="$(sed -n 1p <<<"$bus")"
bus_pid="$(sed -n 2p <<<"$bus")"
monitor_pid=""
if [ -n "$bus_address" ]; then
  DBUS_SESSION_BUS_ADDRESS="$bus_address" dbus-monitor "interface='org.freedesktop.ScreenSaver'" >"$work/bus.txt" 2>&1 &
  monitor_pid=$!
  sleep 0.3
fi
# (No accessibility bridge: it would start its own bus from this one.)
NO_AT_BRIDGE=1 DBUS_SESSION_BUS_ADDRESS="$bus_address" start_program
if wait_window "$dialog_title" 200; then
  xdotool windowmove "$(window_id "$dialog_title")" 0 0
  sleep 0.2
  # Where the pointer rests: on the dialog's button, which it presses.
  read -r left top <<<"$(xwininfo -id "$(window_id "$dialog_title")" |
    awk '/Absolute upper-left X/ {x = $NF} /Absolute upper-left Y/ {y = $NF} END {print x, y}')"
  detect_case "wheel with the pointer in the corner, off the window" "mousewheel + mousewheelup" wheel_notch up
  check "the pointer is back where it was after the run" "x:$((left + 221)) y:$((top + 140))" \
    "$(xdotool getmouselocation | cut -d' ' -f1-2)"
  end_program "Esc after the wheel run" press_escape
else
  fail "wheel with the pointer in the corner, off the window" "'$dialog_title' did not appear"
fi
if [ -n "$monitor_pid" ]; then
  sleep 0.3
  kill "$monitor_pid" 2>/dev/null; wait "$monitor_pid" 2>/dev/null
  check "the screen saver is never inhibited" "" "$(grep -o 'member=Inhibit' "$work/bus.txt" | head -n 1)"
else
  fail "the screen saver is never inhibited" "no private session bus (dbus-daemon)"
fi
[ -n "$bus_pid" ] && kill "$bus_pid" 2>/dev/null
