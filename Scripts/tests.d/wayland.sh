#!/usr/bin/env bash
# The native keyscout on Wayland, with no X server of its own: weston's X11
# backend inside a private Xvfb gives a compositor with a keyboard and pointer
# seat, and input injected into the Xvfb with xdotool reaches its clients.
# Windows are seen on the compositor's output (screenshots of the Xvfb root),
# results on the program's standard output. Weston's headless backend, which
# has no seat, checks the no-display case. Every process it starts is ended
# by its id; only checks that can fail are counted.
#   TAVRIN_WAYLAND_SECONDS   overall limit (default 180)
set -uo pipefail
root="$(cd "$(dirname "$0")/../.." && pwd)"
source "$root/Scripts/suite-lib.sh"
build="$root/build/native"
exe="$build/Src/Tools/Keyscout/keyscout"
log_file="$build/Src/Tools/Keyscout/keyscout_log.txt"
crash_file="$build/Src/Tools/Keyscout/keyscout_crash.txt"
screenshot="$build/keyscout-wayland-detection.png"
no_display="Keyscout needs a graphical display (X11 or Wayland), and none could be opened: check DISPLAY or WAYLAND_DISPLAY."
# The detection window's background; GTK's dialog background (Adwaita).
window_colour="rgb(244,247,252)"
dialog_colour="rgb(246,245,244)"
app_pid=""
weston_pids=()
work="$(mktemp -d)"
out="$work/stdout.txt"
shot="$work/shot.png"

finish() {
  trap - EXIT INT TERM
  if [ -n "$app_pid" ]; then
    kill "$app_pid" 2>/dev/null
    fail "program still running at the end" "ended by the script"
  fi
  end_started $app_pid "${weston_pids[@]}"
  rm -rf "$work"
  report_totals wayland
  exit $?
}
trap finish EXIT
trap 'echo "wayland: interrupted"; failed=$((failed + 1)); exit 1' INT TERM

start_watchdog wayland "${TAVRIN_WAYLAND_SECONDS:-180}"

for tool in Xvfb weston xdotool xwininfo import convert; do
  command -v "$tool" >/dev/null || { fail setup "$tool is not installed"; exit 1; }
done
if ! (cd "$root" && { [ -f "$build/CMakeCache.txt" ] || cmake --preset native >/dev/null 2>&1; } &&
  cmake --build --preset native --target keyscout layout_sweep >/dev/null 2>&1); then
  fail build "keyscout and layout_sweep could not be built"
  exit 1
fi

# The compositors' sockets live in a private runtime folder.
export XDG_RUNTIME_DIR="$work/runtime"
mkdir -m 700 "$XDG_RUNTIME_DIR"
unset WAYLAND_DISPLAY SDL_VIDEODRIVER GDK_BACKEND
start_xvfb || { fail xvfb "no display"; exit 1; }

# start_weston BACKEND SOCKET: a compositor on that socket, once it listens;
# the X11 backend's output is a 1024 x 768 window at the top left of the X screen.
start_weston() {
  local i
  weston --backend="$1-backend.so" --socket="$2" --no-config --use-pixman --idle-time=0 --width=1024 --height=768 \
    >"$work/weston-$1.log" 2>&1 &
  weston_pids+=($!)
  for ((i = 0; i < 100; i++)); do [ -S "$XDG_RUNTIME_DIR/$2" ] && return 0; sleep 0.1; done
  return 1
}

# The number of pixels of a colour on the output (the Xvfb root), and the
# geometry "W H X Y" of their bounding box.
screenshot() { import -window root "$shot" 2>/dev/null; }
colour_count() { convert "$shot" -fill black +opaque "$1" -fill white -opaque "$1" -format "%[fx:round(mean*w*h)]" info:; }
colour_box() { convert "$shot" -fill black +opaque "$1" -trim -format "%w %h %X %Y" info: 2>/dev/null; }
# wait_colour COLOUR TEST COUNT: until the count of that colour passes the
# test (-ge, -eq, ...), for up to 10 s; the last count is in $count.
wait_colour() {
  local i
  for ((i = 0; i < 50; i++)); do
    screenshot && count="$(colour_count "$1")"
    [ "${count:-0}" "$2" "$3" ] && return 0
    sleep 0.2
  done
  return 1
}
dialog_shown() { wait_colour "$dialog_colour" -ge 30000; }
# The prompt written inside and the pointer's cursor may hide some of it.
window_shown() { wait_colour "$window_colour" -ge 28000; }
window_gone() { wait_colour "$window_colour" -eq 0; }
# The dialog hides just before a run starts reading.
dialog_hidden() { wait_colour "$dialog_colour" -eq 0; }
# The cursor's black outline under a pointer at (960, 700) (the desktop has
# no black); waits up to 5 s for it.
cursor_shown() {
  local i
  for ((i = 0; i < 25; i++)); do
    screenshot && cursor="$(convert "$shot" -crop 24x24+960+700 +repage -fill white +opaque black -negate \
      -format "%[fx:round(mean*w*h)]" info:)"
    [ "${cursor:-0}" -gt 0 ] && return 0
    sleep 0.2
  done
  return 1
}

lines() { wc -l <"$out"; }
# The next line of standard output, after line $1 (waits up to 10 s).
result() {
  local i
  for ((i = 0; i < 100; i++)); do
    [ "$(lines)" -gt "$1" ] && { sed -n "$(($1 + 1))p" "$out"; return; }
    sleep 0.1
  done
  echo "<no result>"
}

# The program with only WAYLAND_DISPLAY: no X server for it.
start_program() {
  rm -f "$log_file" "$crash_file"
  : >"$out"
  env -u DISPLAY WAYLAND_DISPLAY="$socket" "$exe" "$@" >"$out" 2>"$work/stderr.txt" &
  app_pid=$!
}
# wait_end NAME STATUS: the program ends by itself with that status.
wait_end() {
  local i
  for ((i = 0; i < 100; i++)); do kill -0 "$app_pid" 2>/dev/null || break; sleep 0.1; done
  if kill -0 "$app_pid" 2>/dev/null; then
    fail "$1" "the process is still running"
    stop_program
    return 1
  fi
  wait "$app_pid"
  check "$1: exit status" "$2" "$?"
  app_pid=""
}

# --- A compositor with a seat -------------------------------------------------
socket="wayland-ks-$$"
# Two layouts, US active: the X11 backend takes the X server's keymap and
# follows its group and its reloads.
setxkbmap -layout us,de
start_weston x11 "$socket" || { fail weston "the X11 backend did not start: $(tail -n 3 "$work/weston-x11.log")"; exit 1; }
compositor="$(xwininfo -root -tree | grep -F '"Weston Compositor' | awk '{print $1}' | head -n 1)"
[ -n "$compositor" ] || { fail weston "no compositor window on the X server"; exit 1; }
xdotool windowfocus --sync "$compositor" 2>/dev/null
# Weston follows the X pointer once it has seen it enter its window.
xdotool mousemove --sync 1200 1000
xdotool mousemove --sync 960 700
cursor_shown || { fail weston "the compositor does not follow the pointer"; exit 1; }

start_program
if dialog_shown; then
  pass "dialog" "shown on the compositor's output"
else
  fail "dialog" "not on the output: $(head -n 3 "$work/stderr.txt")"
  exit 1
fi

# detect_case NAME EXPECTED ACTION...: Return starts a run from the dialog;
# the action's input must come back as the expected line (or, after a "~",
# a line matching that regular expression). Fails when the
# dialog does not come back. The first detection window is measured and kept
# as the screenshot.
first_window=1
detect_case() {
  local name=$1 expected=$2 before actual w h x y
  shift 2
  before="$(lines)"
  xdotool key Return
  if ! window_shown || ! dialog_hidden; then
    fail "$name" "no detection window alone on the output after Return ($count pixels)"
    return 1
  fi
  if [ -n "$first_window" ]; then
    first_window=""
    cp "$shot" "$screenshot"
    read -r w h x y <<<"$(colour_box "$window_colour")"
    check "detection window on the output, started with Return" "320 100" "$w $h"
    note screenshot "${screenshot#"$root"/}"
  fi
  "$@"
  actual="$(result "$before")"
  if [[ $expected != "~"* ]]; then
    check "$name" "$expected" "$actual"
  elif [[ $actual =~ ${expected#"~"} ]]; then
    pass "$name" "'$actual'"
  else
    fail "$name" "expected a match of '${expected#"~"}', got '$actual'"
  fi
  window_gone && dialog_shown
}
# Over the detection window's middle, found by its colour.
point_at_window() {
  local w h x y
  read -r w h x y <<<"$(colour_box "$window_colour")"
  xdotool mousemove --sync $((x + w / 2)) $((y + h / 2))
}
click_in_window() {
  point_at_window
  xdotool mousedown "$1"
  sleep 0.15
  xdotool mouseup "$1"
}
wheel_in_window() { point_at_window && wheel_notch up; }
move_in_window() {
  local step
  point_at_window
  for ((step = 0; step < 30; step++)); do xdotool mousemove_relative -- 3 0; sleep 0.04; done
}
# From the button, focused when the dialog opens (a result text joins the
# focus chain later): the check box before it, ticked off, and back.
untick_box() { xdotool key shift+Tab && xdotool key space && xdotool key Tab; }

# A run that never shows its window leaves the program waiting for it.
stop_program() {
  kill "$app_pid" 2>/dev/null
  wait "$app_pid" 2>/dev/null
  app_pid=""
}

if ! { detect_case "left ctrl then a" "leftctrl + a" hold_keys xdotool Control_L a &&
  detect_case "left button in the window" "mousebuttonleft" click_in_window 1 &&
  detect_case "wheel notch up in the window" "mousewheel + mousewheelup" wheel_in_window; }; then
  stop_program
fi

# After the runs the pointer still shows its cursor over the desktop.
xdotool mousemove --sync 960 700
if cursor_shown; then
  pass "cursor shown after the runs" "$cursor outline pixels under the pointer"
else
  fail "cursor shown after the runs" "no cursor drawn under the pointer"
fi

if [ -n "$app_pid" ]; then
  xdotool key Escape
  wait_end "Esc on the dialog" 0 && check_reports "Esc on the dialog" "$log_file" "$crash_file"
fi

# Motion, from a new dialog whose button has the focus.
start_program
if dialog_shown && untick_box; then
  detect_case "mouse moved in the window, box unticked" "~^mouseaxis[xy]( \+ mouseaxis[xy])?$" move_in_window ||
    stop_program
else
  fail "mouse moved in the window, box unticked" "no dialog"
fi
if [ -n "$app_pid" ]; then
  xdotool key Escape
  wait_end "Esc on the dialog after motion" 0
fi

start_program --once
if window_shown; then
  hold_keys xdotool x
else
  fail "--once: detection window" "not on the output ($count pixels of its colour)"
  stop_program
fi
if [ -n "$app_pid" ]; then
  wait_end "--once with a key" 0
  check "--once with a key: output" "x" "$(cat "$out")"
fi

# once_switching NAME EXPECTED STEP...: a --once run under us,de with US
# active, driven by steps ("setxkbmap ARG..." or a layout_sweep command: keys
# by X key code, the XKB group); it must end by itself with the names. X key
# 52 types z on US, y on German; 20 is US -.
once_switching() {
  local name=$1 expected=$2 step
  shift 2
  setxkbmap -layout us,de
  start_program --once
  window_shown || { fail "$name" "no detection window"; stop_program; return; }
  # shellcheck disable=SC2086
  for step in "$@"; do if [[ $step == setxkbmap* ]]; then $step; else "$build/Tests/layout_sweep" $step; fi; done
  wait_end "$name" 0 && check "$name" "$expected" "$(cat "$out")"
}
once_switching "us,de: German chosen before the first press, US while y is held" "y + subtract" \
  "group 1" "down 52" "group 0" "down 20" "up 20" "up 52"
once_switching "a keymap reload while z is held: the run ends at its release" "z" "down 52" "setxkbmap de" "up 52"

# --- A compositor that accepts and never answers: left out, as without a seat ---
python3 -c 'import socket, sys, time; s = socket.socket(socket.AF_UNIX); s.bind(sys.argv[1]); s.listen(); time.sleep(120)' \
  "$XDG_RUNTIME_DIR/mute" &
mute_pid=$!
for ((i = 0; i < 50; i++)); do [ -S "$XDG_RUNTIME_DIR/mute" ] && break; sleep 0.1; done
message="$(env -u DISPLAY WAYLAND_DISPLAY=mute timeout 20 "$exe" 2>&1 >/dev/null)"
check "mute compositor: status within 20 s, and message" "2 $no_display" "$? $message"
kill "$mute_pid"; wait "$mute_pid" 2>/dev/null

# --- A compositor without a seat ----------------------------------------------
headless="wayland-ks-$$-headless"
if start_weston headless "$headless"; then
  rm -f "$crash_file"
  env -u DISPLAY WAYLAND_DISPLAY="$headless" "$exe" >"$out" 2>"$work/stderr.txt"
  check "no seat: exit status" "2" "$?"
  check "no seat: message" "$no_display" "$(cat "$work/stderr.txt")"
  [ -e "$crash_file" ] && fail "no seat: no crash report" "$(head -n 3 "$crash_file")" ||
    pass "no seat: no crash report" "no keyscout_crash.txt"
  # With an X server as well, the program goes there instead.
  rm -f "$log_file" "$crash_file"
  WAYLAND_DISPLAY="$headless" "$exe" >"$out" 2>"$work/stderr.txt" &
  app_pid=$!
  for ((i = 0; i < 100; i++)); do
    dialog_id="$(xwininfo -root -tree | grep -F '"Tavrin Engine Input detector":' | awk '{print $1}' | head -n 1)"
    [ -n "$dialog_id" ] && break
    sleep 0.1
  done
  if [ -n "$dialog_id" ]; then
    pass "no seat, X server present: dialog on the X server" "$dialog_id"
    xdotool windowfocus --sync "$dialog_id" 2>/dev/null
    xdotool key Escape
    wait_end "no seat, X server present: Esc" 0
  else
    fail "no seat, X server present: dialog on the X server" "none: $(head -n 3 "$work/stderr.txt")"
  fi
else
  fail weston "the headless backend did not start: $(tail -n 3 "$work/weston-headless.log")"
fi
