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
layout_probe="$build/Tests/libkeyscout_layout_probe.so"
log_file="$build/Src/Tools/Keyscout/keyscout_log.txt"
crash_file="$build/Src/Tools/Keyscout/keyscout_crash.txt"
dialog_title="Tavrin Engine Input detector"
window_title="Press one or many keys.."
app_pid=""
work="$(mktemp -d)"
out="$work/stdout.txt"
layout_file="$work/layout.txt"

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
  cmake --build --preset native --target keyscout sdl_window_probe keyscout_layout_probe layout_sweep >/dev/null 2>&1); then
  fail build "keyscout, sdl_window_probe, keyscout_layout_probe and layout_sweep could not be built"
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
# click_dialog X Y: a click at a point of the dialog.
click_dialog() {
  local id
  id="$(window_id "$dialog_title")"
  [ -n "$id" ] || return 1
  xdotool mousemove --window "$id" "$1" "$2" click 1
}
# The dialog's controls as GTK laid them out, from the probe module that
# every start loads: "kind x y width height text" lines (the window first).
layout() {
  local i
  for ((i = 0; i < 100; i++)); do [ -s "$layout_file" ] && break; sleep 0.1; done
  cat "$layout_file" 2>/dev/null
}
# control_centre KIND TEXT: "x y" of that control's centre in the dialog.
control_centre() {
  layout | awk -v kind="$1" -v text="$2" '$1 == kind {
    t = $0; sub(/^[^ ]+ [^ ]+ [^ ]+ [^ ]+ [^ ]+ ?/, "", t)
    if (t == text) { print int($2 + $4 / 2), int($3 + $5 / 2); exit } }'
}
# click_control KIND TEXT: a click at the centre of that control.
click_control() {
  local centre
  centre="$(control_centre "$1" "$2")"
  [ -n "$centre" ] && click_dialog $centre
}
# The text of the dialog's result line.
result_line() {
  layout | awk '$1 == "label" { sub(/^[^ ]+ [^ ]+ [^ ]+ [^ ]+ [^ ]+ ?/, ""); if ($0 !~ /^Joystick #[01]:$/) print }'
}
lines() { wc -l <"$out"; }

start_program() {
  rm -f "$log_file" "$crash_file" "$layout_file"
  : >"$out"
  GTK_MODULES="$layout_probe" KEYSCOUT_LAYOUT_FILE="$layout_file" "$exe" "$@" >"$out" 2>"$work/stderr.txt" &
  app_pid=$!
}

# Presses "Detect key(s)" and gives the detection window the keyboard.
start_detection() {
  local id
  click_control button "Detect key(s)" || return 1
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

# --- What the detection window shows while it records ----------------------------
# Pixels of the detection window in the text colour and in the dimmed one
# (halfway to the background): "TEXT DIMMED" in $counts.
ink() {
  counts=""
  import -window "$(window_id "$window_title")" "$work/live.png" 2>/dev/null || return 1
  counts="$(convert "$work/live.png" -format %c histogram:info:- |
    awk '/#000000 / { t = $1 + 0 } /#7A7B7E / { d = $1 + 0 } END { print t + 0, d + 0 }')"
}
before="$(lines)"
if start_detection; then
  ink
  read -r prompt_ink _ <<<"$counts"
  xdotool keydown Control_L
  wait_ink "\$1 > $prompt_ink"
  read -r ctrl_ink _ <<<"$counts"
  xdotool keydown a
  wait_ink "\$1 > $ctrl_ink"
  read -r chord_ink _ <<<"$counts"
  check "held chord in the window before release: prompt < +leftctrl < +a (text pixels)" "1" \
    "$((prompt_ink > 0 && ctrl_ink > prompt_ink && chord_ink > ctrl_ink))"
  xdotool keyup a
  wait_ink '$2 > 0'
  read -r held_ink dimmed_ink <<<"$counts"
  check "a let go: its part dimmed, leftctrl as held (text pixels, all pixels)" "$ctrl_ink $chord_ink" \
    "$held_ink $((held_ink + dimmed_ink))"
  mkdir -p "$root/build/screenshots" && cp "$work/live.png" "$root/build/screenshots/live-linux.png" &&
    note screenshot "build/screenshots/live-linux.png"
  xdotool keyup Control_L
  check "the result of a run shown live" "leftctrl + a" "$(result "$before")"
else
  fail "held chord in the window" "'$window_title' did not open"
fi

click_control check "Exclude mouse movements"
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
check "the joystick lists are named by their labels" "Joystick #0:,Joystick #1:" \
  "$(layout | awk '$1 == "combo" { sub(/^[^ ]+ [^ ]+ [^ ]+ [^ ]+ [^ ]+ ?/, ""); print }' | sort | paste -sd, -)"
# The idle dialog reads SDL's connection, which hears of every device motion
# (not xdotool's absolute warps): the most bytes its sockets hold unread.
unread() { ss -xpn | awk -v pid="pid=$app_pid," 'index($0, pid) && $3 > n { n = $3 } END { print n + 0 }'; }
xdotool $(for ((i = 0; i < 1000; i++)); do echo mousemove_relative -- 1 1 mousemove_relative -- -1 -1; done)
for ((i = 0; i < 100; i++)); do held=$(unread); [ "$held" -lt 4096 ] && break; sleep 0.1; done
check "idle dialog after 2000 pointer motions: under 4096 bytes unread" "yes" "$([ "$held" -lt 4096 ] && echo yes || { echo "$held"; ss -xpn | grep "pid=$app_pid,"; })"
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

# After its runs the dialog has drawn its ticked box; the mark is a bitmap,
# so the SVG loader's libraries (megabytes) stay out of the idle dialog.
check "dialog without the SVG loader" "" "$(grep -o 'librsvg[^ ]*' "/proc/$app_pid/maps" 2>/dev/null | head -n 1)"
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

# --- Layout switches during a run -----------------------------------------------------
# once_switching NAME EXPECTED STEP...: a --once run started under us,de with
# US active, driven by steps ("setxkbmap ARG..." or a layout_sweep command:
# keys by X key code, the XKB group as desktops switch it); it must end by
# itself with the names. X key 52 types z on US, y on German; 20 is US -.
presser="$build/Tests/layout_sweep"
once_switching() {
  local name=$1 expected=$2 step
  shift 2
  setxkbmap -layout us,de
  start_program --once
  wait_window "$window_title" 200 && xdotool windowfocus --sync "$(window_id "$window_title")" 2>/dev/null
  sleep 0.2
  # shellcheck disable=SC2086
  for step in "$@"; do if [[ $step == setxkbmap* ]]; then $step; else "$presser" $step; fi; done
  for ((i = 0; i < 50; i++)); do kill -0 "$app_pid" 2>/dev/null || break; sleep 0.1; done
  kill "$app_pid" 2>/dev/null
  wait "$app_pid"
  status=$?
  app_pid=""
  check "$name" "$expected 0" "$(cat "$out") $status"
}
once_switching "us,de: German chosen before the first press, US while y is held" "y + subtract" \
  "group 1" "down 52" "group 0" "down 20" "up 20" "up 52"
once_switching "a keymap reload while z is held: the run ends at its release" "z" "down 52" "setxkbmap de" "up 52"
setxkbmap us

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
  read -r button_x button_y <<<"$(control_centre button "Detect key(s)")"
  detect_case "wheel with the pointer in the corner, off the window" "mousewheel + mousewheelup" wheel_notch up
  check "the pointer is back where it was after the run" "x:$((left + button_x)) y:$((top + button_y))" \
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

# Another client holds the pointer (a game, a drag): a run neither waits for
# it nor gives up on it for good. Return starts the run: clicks are the holder's.
"$closer" grab >"$work/grab.txt" 2>&1 &
grab_pid=$!
start_program
if wait_window "$dialog_title" 200 && grep -q grabbed "$work/grab.txt"; then
  xdotool windowmove "$(window_id "$dialog_title")" 0 0
  before="$(lines)"
  xdotool windowfocus --sync "$(window_id "$dialog_title")" key Return
  wait_window "$window_title" && xdotool windowfocus --sync "$(window_id "$window_title")" && sleep 0.2
  hold_keys xdotool x
  check "pointer held by another client: the key; the log says the pointer waits" "x 1" \
    "$(result "$before") $(grep -c "The pointer is held by another program" "$log_file")"
  kill "$grab_pid"
  detect_case "pointer free again: the next run holds it (the wheel off the window)" "mousewheel + mousewheelup" wheel_notch up
  end_program "Esc after the held pointer" press_escape
else
  fail "pointer held by another client" "no grab ($(cat "$work/grab.txt")) or no dialog"
fi
kill "$grab_pid" 2>/dev/null; wait "$grab_pid" 2>/dev/null

# === A desktop program: streams, statuses, failures, layout, identity ====
# run_once KEY COMMAND...: runs a --once command line (a function) in the
# background, presses KEY in its window, or closes the window when KEY is
# "-", and prints the command's exit status.
run_once() {
  local key=$1 pid
  shift
  rm -f "$crash_file"
  : >"$out"
  "$@" &
  pid=$!
  if wait_window "$window_title" 200; then
    if [ "$key" = - ]; then
      close_window
    else
      xdotool windowfocus --sync "$(window_id "$window_title")" 2>/dev/null
      sleep 0.2
      hold_keys xdotool "$key"
    fi
  fi
  wait "$pid"
  echo $?
}
once_to_full() { "$exe" --once >/dev/full 2>"$work/stderr.txt"; }
once_plain() { "$exe" --once >"$out" 2>"$work/stderr.txt"; }
once_to_closed_pipe() { "$exe" --once 2>"$work/stderr.txt" | true; }
once_verbose() { "$exe" --once --verbose >"$out" 2>"$work/stderr.txt"; }
stderr_text() { cat "$work/stderr.txt"; }

check "--help to a full disk: status 3" "3" "$("$exe" --help >/dev/full 2>/dev/null; echo $?)"
status="$(run_once x once_to_full)"
check "--once to a full disk: status and message" "3 keyscout: the output could not be written: No space left on device" \
  "$status $(stderr_text)"
status="$(run_once x once_to_closed_pipe)"
check "--once into a pipe nobody reads: status and message" "3 keyscout: the output could not be written: Broken pipe" \
  "$status $(stderr_text)"
# Closed standard error would give its number to the display connection.
for options in "" "--verbose"; do
  # shellcheck disable=SC2086
  "$exe" $options >"$out" 2>&- &
  app_pid=$!
  if wait_window "$dialog_title" 200; then
    press_escape
    wait "$app_pid"
    check "dialog ${options:+$options }with standard error closed: shown, Esc, status 0" "0" "$?"
  else
    fail "dialog ${options:+$options }with standard error closed" "not shown"
    kill "$app_pid" 2>/dev/null
    wait "$app_pid"
  fi
  app_pid=""
done
status="$(run_once Menu once_plain)"
check "a key without a name (Menu) is a result: one empty line, status 0" "1 '' 0" "$(lines) '$(cat "$out")' $status"
check "standard error is empty by default" "" "$(stderr_text)"
status="$(run_once x once_verbose)"
check "--verbose mirrors the log on standard error, without carriage returns" "0 yes 0" \
  "$status $(grep -q 'Installing IKernel' "$work/stderr.txt" && echo yes) $(tr -cd '\r' <"$work/stderr.txt" | wc -c)"

# The detection window cannot open while the display works.
status="$(SDL_VIDEODRIVER=bogus "$exe" --once 2>"$work/stderr.txt" >"$out"; echo $?)"
check "--once, no detection window: status and one line" \
  "3 1 keyscout: The detection window could not open: Cannot create window" \
  "$status $(wc -l <"$work/stderr.txt") $(stderr_text)"
SDL_VIDEODRIVER=bogus start_program
if wait_window "$dialog_title" 200 && click_control button "Detect key(s)"; then
  sleep 1
  check "dialog, no detection window: the result line says so" \
    "The detection window could not open: Cannot create window" "$(result_line)"
  press_escape
  wait "$app_pid"
  check "dialog, no detection window: still usable, Esc ends it with status 0" "0" "$?"
else
  fail "dialog, no detection window" "the dialog or its button was not found: $(layout | head -n 3)"
  kill "$app_pid" 2>/dev/null
  wait "$app_pid"
fi
app_pid=""

# Ctrl+C copies a result only.
clipboard() { timeout 5 xclip -o -selection clipboard 2>&1; }
# The clipboard's owner until another takes it; ended by its id below.
printf 'kept' | xclip -selection clipboard -quiet >/dev/null 2>&1 &
clipboard_owner=$!
start_program
if wait_window "$dialog_title" 200; then
  press_ctrl_c() { xdotool windowfocus --sync "$(window_id "$dialog_title")" 2>/dev/null; xdotool key ctrl+c; sleep 0.3; }
  press_ctrl_c
  check "ctrl+c before any run keeps the clipboard" "kept" "$(clipboard)"
  detect_case "a run closed before any input" "" close_window
  press_ctrl_c
  check "ctrl+c after a run that recorded nothing keeps the clipboard" "kept" "$(clipboard)"
  end_program "Esc after the clipboard cases" press_escape
fi
kill "$clipboard_owner" 2>/dev/null
wait "$clipboard_owner" 2>/dev/null

# Scaled twice: GTK lays the controls out without overlap, inside the window.
# layout_problems: every control that overlaps another or touches the edge.
layout_problems() {
  layout | awk '
    $1 == "window" { W = $4; H = $5; next }
    $1 == "scrollbar" { next }
    { n++; x[n] = $2; y[n] = $3; w[n] = $4; h[n] = $5; k[n] = $1 " " $6 }
    END {
      for (i = 1; i <= n; i++) {
        if (x[i] < 1 || y[i] < 1 || x[i] + w[i] > W - 1 || y[i] + h[i] > H - 1) print k[i] " touches the edge"
        for (j = i + 1; j <= n; j++)
          if (x[i] < x[j] + w[j] && x[j] < x[i] + w[i] && y[i] < y[j] + h[j] && y[j] < y[i] + h[i]) print k[i] " overlaps " k[j]
      }
      if (n != 7) print n " controls"
    }'
}
GDK_DPI_SCALE=2 start_program
if wait_window "$dialog_title" 200 && [ -n "$(layout)" ]; then
  check "dialog at GDK_DPI_SCALE=2: 7 controls, none overlapping, none at the edge" "" "$(layout_problems)"
  dialog_id="$(window_id "$dialog_title")"
  check "dialog's window class" 'WM_CLASS(STRING) = "keyscout", "Keyscout"' "$(xprop -id "$dialog_id" WM_CLASS)"
  check "dialog's icon" "Icon (64 x 64):" "$(xprop -id "$dialog_id" _NET_WM_ICON | grep -o "Icon ([0-9]* x [0-9]*):" | head -n 1)"
  if start_detection; then
    window="$(window_id "$window_title")"
    check "detection window's class" 'WM_CLASS(STRING) = "keyscout", "Keyscout"' "$(xprop -id "$window" WM_CLASS)"
    check "detection window's icon" "Icon (64 x 64):" "$(xprop -id "$window" _NET_WM_ICON | grep -o "Icon ([0-9]* x [0-9]*):" | head -n 1)"
    close_window
    wait_window "$dialog_title" 50
  fi
  import -window "$(window_id "$dialog_title")" "$build/keyscout-linux-dialog-scaled.png" 2>/dev/null
  end_program "Esc on the scaled dialog" press_escape
else
  fail "dialog at GDK_DPI_SCALE=2" "not shown or no layout"
fi

# The display goes away under the dialog: its own X server, killed.
display_file="$(mktemp)"
Xvfb -displayfd 3 -screen 0 1024x768x24 -nolisten tcp 3>"$display_file" >/dev/null 2>&1 &
lost_xvfb=$!
for ((i = 0; i < 100; i++)); do [ -s "$display_file" ] && break; sleep 0.1; done
lost_display=":$(head -n 1 "$display_file")"
rm -f "$display_file" "$log_file"
DISPLAY="$lost_display" "$exe" >/dev/null 2>"$work/stderr.txt" &
app_pid=$!
DISPLAY="$lost_display" wait_window "$dialog_title" 200
kill "$lost_xvfb"
wait "$lost_xvfb" 2>/dev/null
wait "$app_pid"
status=$?
app_pid=""
check "display lost: status, one line on standard error" "3 keyscout: the connection to the display $lost_display was lost" \
  "$status $(stderr_text)"
check "display lost: said in the log" "1" "$(grep -c "Error: the connection to the display $lost_display was lost" "$log_file")"

# A small screen at a large text scale: the dialog stays on it; what does not
# fit is behind a scroll bar.
Xvfb -displayfd 3 -screen 0 640x480x24 -nolisten tcp -noreset 3>"$work/small" >/dev/null 2>&1 &
small_xvfb=$!
for ((i = 0; i < 100; i++)); do [ -s "$work/small" ] && break; sleep 0.1; done
main_display=$DISPLAY DISPLAY=":$(head -n 1 "$work/small")"
GDK_DPI_SCALE=2 start_program
# (xwininfo without a window id waits for a click.)
cut_off() {
  { id="$(window_id "$dialog_title")" && [ -n "$id" ] && xwininfo -id "$id"; layout; } | awk '
    /Absolute upper-left X/ { x = $NF } /Absolute upper-left Y/ { y = $NF } $1 == "window" { w = $4; h = $5 }
    $1 == "scrollbar" && $4 > 1 { bar[$6] = 1 } $1 ~ /^(label|combo|button|check)$/ { r[NR] = $2 + $4; b[NR] = $3 + $5; k[NR] = $1 }
    END {
      for (i in k) if (r[i] > w && !bar["h"] || b[i] > h && !bar["v"]) print k[i] " cut off"
      if (!w || x < 0 || y < 0 || x + w > 640 || y + h > 480) print "dialog " w "x" h "+" x "+" y
    }'
}
wait_window "$dialog_title" 200
for ((i = 0; i < 50; i++)); do [ -z "$(cut_off)" ] && break; sleep 0.1; done
check "GDK_DPI_SCALE=2 on 640x480: inside the screen, a scroll bar for what is not" "" "$(cut_off)"
kill "$app_pid" "$small_xvfb" 2>/dev/null
wait "$app_pid" "$small_xvfb" 2>/dev/null
app_pid="" DISPLAY=$main_display

# Under Wayland (weston on this X server, with a private runtime folder): the
# same dialog, scaled, laid out the same way.
if command -v weston >/dev/null; then
  wayland_runtime="$(mktemp -d)"
  chmod 700 "$wayland_runtime"
  XDG_RUNTIME_DIR="$wayland_runtime" weston --backend=x11-backend.so --socket=keyscout-e2e --width=1280 --height=1000 \
    >/dev/null 2>&1 &
  weston_pid=$!
  for ((i = 0; i < 100; i++)); do [ -S "$wayland_runtime/keyscout-e2e" ] && break; sleep 0.1; done
  rm -f "$layout_file"
  env -u DISPLAY XDG_RUNTIME_DIR="$wayland_runtime" WAYLAND_DISPLAY=keyscout-e2e GDK_DPI_SCALE=2 \
    GTK_MODULES="$layout_probe" KEYSCOUT_LAYOUT_FILE="$layout_file" "$exe" >/dev/null 2>&1 &
  app_pid=$!
  check "Wayland, GDK_DPI_SCALE=2: 7 controls, none overlapping, none at the edge" "" "$(layout_problems)"
  kill "$app_pid" "$weston_pid" 2>/dev/null
  wait "$app_pid" "$weston_pid" 2>/dev/null
  app_pid=""
  rm -rf "$wayland_runtime"
else
  fail "Wayland" "weston is not installed (Scripts/install-dependencies.sh installs it)"
fi
# --- Reports folder and files ---------------------------------------------------------
# The log's folder as a user meets it: no folder fit for it (unprivileged user,
# read-only or missing state folder), HOME unset, a link put in the log's
# place, two instances at once.
as_nobody() { setpriv --reuid=65534 --regid=65534 --clear-groups "$@"; }
# once_pressing_x ENV...: --once with the environment given, pressing x in the
# detection window; "<stdout> <status>", standard error in $work/stderr.txt.
once_pressing_x() {
  : >"$out"
  as_nobody env "$@" "$exe" --once >"$out" 2>"$work/stderr.txt" &
  app_pid=$!
  if wait_window "$window_title" 200; then
    xdotool windowfocus --sync "$(window_id "$window_title")" 2>/dev/null
    sleep 0.2
    hold_keys xdotool x
  fi
  wait "$app_pid"
  local status=$?
  app_pid=""
  echo "$(cat "$out") $status"
}
said_no_log() { grep -F "no log could be written" "$work/stderr.txt"; }

reports="$(mktemp -d)"
chmod 755 "$reports"
mkdir -m 755 "$reports/read-only"
mkdir -m 555 "$reports/own-read-only"
chown 65534:65534 "$reports/own-read-only"
touch "$reports/file"
nobody_home="$(getent passwd nobody | cut -d: -f6)"
rm -rf /tmp/.local/state/keyscout
# case: environment | why no log could be written
while IFS='|' read -r name environment reason; do
  # shellcheck disable=SC2086
  check "no log, $name: detection works" "x 0" "$(once_pressing_x $environment)"
  check "no log, $name: one line says why" "Keyscout: no log could be written: $reason" "$(said_no_log)"
  check "no log, $name: no 'Cannot open log file'" "0" "$(grep -c "Cannot open log file" "$work/stderr.txt")"
done <<CASES
XDG_STATE_HOME read-only|XDG_STATE_HOME=$reports/read-only HOME=$reports/read-only|'$reports/read-only/keyscout': Permission denied
XDG_STATE_HOME a regular file|XDG_STATE_HOME=$reports/file HOME=$reports/read-only|'$reports/file/keyscout': Not a directory
HOME read-only|-u XDG_STATE_HOME HOME=$reports/own-read-only|'$reports/own-read-only/.local': Permission denied
HOME another user's (sudo -E): the password database's home|-u XDG_STATE_HOME HOME=$reports/read-only|'$nobody_home': Permission denied
HOME unset: the password database's home|-u XDG_STATE_HOME -u HOME|'$nobody_home': Permission denied
CASES
[ -e /tmp/.local/state/keyscout ] && fail "HOME unset: never a shared folder" "/tmp/.local/state/keyscout made" ||
  pass "HOME unset: never a shared folder" "no /tmp/.local/state/keyscout"
rm -rf "$reports"

# A log left by root in the user's state folder: the log takes the next name.
state="$(mktemp -d)"
chown 65534:65534 "$state"
as_nobody mkdir -m 700 "$state/keyscout"
echo "root's" >"$state/keyscout/keyscout_log.txt"
check "root's log in the way: detection works" "x 0" "$(once_pressing_x XDG_STATE_HOME="$state")"
check "root's log in the way: the next name, saying why" \
  "Log file '$state/keyscout/keyscout_log.txt' cannot be written (Permission denied): this one writes '$state/keyscout/keyscout_log-2.txt'" \
  "$(sed -n 's/^\[[^]]*\] //p' "$state/keyscout/keyscout_log-2.txt" 2>/dev/null | head -n 1)"
rm -rf "$state"

# A "$" in the program's folder is a letter, not an alias: the program runs,
# says that no log can be named there, and writes nothing anywhere else.
shared="$work/share\$/tools"
mkdir -p "$shared"
cp "$exe" "$shared/keyscout"
once_from_shared() { (cd "$work" && "$shared/keyscout" --once >"$out" 2>"$work/stderr.txt"); }
status="$(run_once x once_from_shared)"
check "a \$ in the program's folder: detection works" "x 0" "$(cat "$out") $status"
check "a \$ in the program's folder: one line says why there is no log" \
  "keyscout: no log could be written: its name cannot be made (File name $shared/keyscout_log.txtcontains unresolved alias(es))" \
  "$(said_no_log)"
check "a \$ in the program's folder: nothing written" "" "$(ls "$work/crashLog.txt" "$shared"/*.txt 2>/dev/null)"
# The program alone, without the dialog's library beside it or installed.
real_shared="$(realpath "$shared")"
check "the dialog's library missing: said, status 3" \
  "Keyscout's dialog could not be loaded: neither '$real_shared/keyscout-gtk.so' nor '$real_shared/../lib/x86_64-linux-gnu/keyscout/keyscout-gtk.so' exists. status 3" \
  "$("$shared/keyscout" </dev/null 2>&1) status $?"
rm -rf "$work/share\$"

# A link in the log's place is replaced by the log; what it led to keeps every byte.
echo "someone else's" >"$work/victim.txt"
rm -f "$crash_file"
ln -sf "$work/victim.txt" "$log_file"
"$exe" --once >/dev/null 2>&1 &
app_pid=$!
wait_window "$window_title" 200 && close_window
wait "$app_pid"
app_pid=""
check "link in place of the log: its target untouched" "someone else's" "$(cat "$work/victim.txt")"
[ -f "$log_file" ] && [ ! -L "$log_file" ] && grep -q "Installing IKernel" "$log_file" &&
  pass "link in place of the log: replaced by the log" "$log_file" ||
  fail "link in place of the log: replaced by the log" "$(ls -l "$log_file" 2>&1)"

# Two instances: the second writes a log of its own and says so in its first line.
second_log="${log_file%.txt}-2.txt"
rm -f "$second_log"
start_program
first_pid=$app_pid
if wait_window "$dialog_title" 200; then
  "$exe" --once >/dev/null 2>&1 &
  app_pid=$!
  wait_window "$window_title" 200 && close_window
  wait "$app_pid"
  app_pid=$first_pid
  check "second instance: first line of its own log" \
    "Log file '$log_file' is in use by another instance of the program: this one writes '$second_log'" \
    "$(sed -n 's/^\[[^]]*\] //p' "$second_log" 2>/dev/null | head -n 1)"
  check "second instance: the first one's log intact" "1" "$(grep -c "Installing IKernel" "$log_file")"
  end_program "first of two instances" press_escape
else
  fail "two instances" "'$dialog_title' did not appear"
fi
rm -f "$second_log" "${crash_file%.txt}-2.txt"
