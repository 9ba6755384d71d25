#!/usr/bin/env bash
# End-to-end run of keyscout.exe as a user would drive it: under Wine on a
# private X server (Xvfb, no window manager), with xdotool and xte for the
# keyboard and mouse and keyscout_probe.exe to read the dialog back and to
# post it messages. Bounded in time; every process it starts is ended on the
# way out. Only checks that can fail are counted.
#   TAVRIN_E2E_SECONDS   overall limit (default 420)
set -uo pipefail
root="$(cd "$(dirname "$0")/../.." && pwd)"
source "$root/Scripts/wine-env.sh"
source "$root/Scripts/suite-lib.sh"
build="$root/build/windows"
exe_dir="$build/Src/Tools/Keyscout"
exe="$exe_dir/keyscout.exe"
probe_exe="$build/Tests/keyscout_probe.exe"
log_file="$exe_dir/keyscout_log.txt"
crash_file="$exe_dir/keyscout_crash.txt"
dialog_out="$build/keyscout-dialog-out.txt"
# A prefix of its own: the console tests' prefix stays headless.
export WINEPREFIX="$build/wineprefix-gui"
wineserver_bin="${WINE64%64}server"
[ -x "$wineserver_bin" ] || wineserver_bin="$(command -v wineserver || echo /usr/lib/wine/wineserver)"

dialog_title="Tavrin Engine Input detector"
window_title="Press one or many keys.."
app_pid=""

finish() {
  trap - EXIT INT TERM
  if [ -n "$app_pid" ]; then
    kill "$app_pid" 2>/dev/null
    fail "program still running at the end" "ended by the script"
  fi
  # Ends the Wine processes of this prefix only.
  [ -n "$xvfb_pid" ] && "$wineserver_bin" -k 2>/dev/null
  end_started $app_pid
  report_totals e2e
  exit $?
}
trap finish EXIT
trap 'echo "e2e: interrupted"; failed=$((failed + 1)); exit 1' INT TERM

probe() { timeout 30 "$WINE64" "$probe_exe" "$@" 2>/dev/null | tr -d '\r'; }
# The value of one "key=value" line of the probe's report.
field() { sed -n "s/^$1=//p" <<<"$2" | head -n 1; }

# Waits until a command's output matches, for up to $2 tenths of a second.
wait_until() {
  local pattern=$1 tenths=$2 i
  shift 2
  for ((i = 0; i < tenths; i++)); do
    "$@" | grep -qE "$pattern" && return 0
    sleep 0.1
  done
  return 1
}

screenshot() {
  local file="$build/keyscout-dialog-$1.png"
  rm -f "$file"
  if import -window root "$file" 2>/dev/null && [ -s "$file" ]; then
    note "screenshot $1" "build/windows/keyscout-dialog-$1.png"
  else
    note "screenshot $1" "could not be taken"
  fi
}

start_watchdog e2e "${TAVRIN_E2E_SECONDS:-420}"

# Up to date with the sources, whether run by the test command or alone.
if ! { [ -f "$build/CMakeCache.txt" ] || cmake --preset windows >/dev/null 2>&1; } ||
  ! cmake --build --preset windows --target keyscout keyscout_probe >/dev/null 2>&1; then
  fail build "keyscout.exe and keyscout_probe.exe could not be built"
  exit 1
fi
command -v xte >/dev/null ||
  fail xte "not installed (Debian's xautomation, installed by Scripts/install-dependencies.sh)"

start_xvfb || { fail xvfb "no display"; exit 1; }
tavrin_wine_prefix
# Wine's X input method composes a dead key with the next key and drops both
# key events; Windows' raw input never does (the layouts below have dead keys).
"$WINE64" reg add 'HKCU\Software\Wine\X11 Driver' /v UseXIM /d N /f >/dev/null 2>&1

# --- The program and its windows --------------------------------------------
# Starts keyscout.exe with no log or crash file beside it and waits for the
# dialog, with its prompt set.
start_program() {
  rm -f "$log_file" "$crash_file"
  "$WINE64" "$exe" >"$dialog_out" 2>/dev/null &
  app_pid=$!
  wait_until '^1002\.text=Click' 600 probe info && return 0
  fail "start" "the dialog '$dialog_title' did not appear"
  return 1
}

# end_program NAME ACTION...: the action must end the process within 20 s;
# then the log holds the module lines in order and there is no crash file.
end_program() {
  local name=$1 i
  shift
  "$@"
  for ((i = 0; i < 200; i++)); do
    kill -0 "$app_pid" 2>/dev/null || break
    sleep 0.1
  done
  if kill -0 "$app_pid" 2>/dev/null; then
    fail "$name" "the process is still running"
    return
  fi
  wait "$app_pid" 2>/dev/null
  app_pid=""
  pass "$name" "the process ended"
  check_reports "$name" "$log_file" "$crash_file"
}

window_id() { xdotool search --name "^$1\$" 2>/dev/null | head -n 1; }

# Brings the dialog to the front and gives it the keyboard (no window manager).
focus_dialog() {
  probe front >/dev/null
  local id
  id="$(window_id "$dialog_title")"
  [ -n "$id" ] && xdotool windowfocus --sync "$id" 2>/dev/null
  wait_until '^active=1' 30 probe focus "$dialog_title"
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
  id="$(window_id "$window_title")"
  [ -n "$id" ] || return 1
  xdotool windowfocus --sync "$id" 2>/dev/null
  wait_until '^active=1' 30 probe focus "$window_title"
  # The dialog hides once the devices exist; they start reading at their
  # first poll, which nothing outside shows, so give it a few passes.
  wait_until '^dialog\.visible=0' 50 probe info || return 1
  sleep 0.1
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
  probe text || echo "<no dialog>"
}

# detect_case NAME EXPECTED ACTION...: one detection run driven by the action.
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

# --- Kinds of input, for the cases ----------------------------------------
tap_key() { xdotool key "$1"; }
# click_in_window BUTTON: X button number (1 left, 2 middle, 3 right, 8 and 9
# the extra buttons), in the middle of the client area, held like a hand's.
click_in_window() {
  local id
  id="$(window_id "$window_title")"
  [ -n "$id" ] && xdotool mousemove --sync --window "$id" 160 60
  sleep 0.1
  xdotool mousedown "$1"
  sleep 0.15
  xdotool mouseup "$1"
}
# A steady motion for about two seconds, inside the detection window. Wine's
# DirectInput mouse may miss the first moves after the window opens, as a
# user's hand would not be that quick anyway; the run ends at the first poll
# without motion once some was recorded.
move_mouse() {
  local step
  for ((step = 0; step < 40; step++)); do xdotool mousemove_relative -- 3 -2; sleep 0.04; done
}
# Messages another program could post or send: post_to TITLE MESSAGE WPARAM LPARAM.
post_to() { probe post "$@" >/dev/null; }
send_to() { probe send "$@" >/dev/null; }
# The detection window's close box (WM_SYSCOMMAND SC_CLOSE), after a moment.
close_window() { sleep 0.3; post_to "$window_title" WM_SYSCOMMAND 0xF060 0; }
# Motion that records nothing: the run goes on until the window is closed.
move_then_close() { move_mouse; close_window; }
# The dialog's close box: without a window manager nothing draws it, so the
# message a click on it makes is posted.
close_dialog() { post_to "$dialog_title" WM_SYSCOMMAND 0xF060 0; }
press_escape() { focus_dialog; xdotool key Escape; }
# A key held while the window closes: its release goes to the dialog, never
# to the run that saw it pressed.
release_after_close() {
  xdotool keydown a
  sleep 0.2
  close_window
  wait_until '^dialog\.visible=1' 100 probe info
  xdotool keyup a
}
# Another program sends and posts the button's command to the hidden dialog.
commands_during_run() {
  post_to "$dialog_title" WM_COMMAND 1001 0
  send_to "$dialog_title" WM_COMMAND 1001 0
  hold_keys xdotool c
}
# A forged extra-button message (no such button) before a real key.
bad_extra_button() {
  post_to "$window_title" WM_XBUTTONDOWN 0x30000 0
  post_to "$window_title" WM_XBUTTONUP 0x30000 0
  hold_keys xdotool d
}

# --- The dialog as it opens ------------------------------------------------
start_program || exit 1
screenshot before
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

# --- The detection window --------------------------------------------------
if start_detection; then
  window="$(probe window "$window_title")"
  check "detection window client area" "320x100" "$(field window.client "$window")"
  read -r wx wy ww wh <<<"$(field window.rect "$window" | tr ',' ' ')"
  read -r sw sh <<<"$(field screen "$window" | tr 'x' ' ')"
  dx=$((2 * ${wx:-0} + ${ww:-0} - ${sw:-0})); dy=$((2 * ${wy:-0} + ${wh:-0} - ${sh:-0}))
  if [ -n "${sh:-}" ] && [ "${dx#-}" -le 2 ] && [ "${dy#-}" -le 2 ]; then
    pass "detection window centred" "rect $wx,$wy ${ww}x$wh on ${sw}x$sh"
  else
    fail "detection window centred" "rect ${wx:-?},${wy:-?} ${ww:-?}x${wh:-?} on ${sw:-?}x${sh:-?}"
  fi
  check "dialog hidden during the run" "0" "$(field dialog.visible "$(probe info)")"
  hold_keys xdotool Control_L a
  check "left ctrl then a" "leftctrl + a" "$(result)"
  info="$(probe info)"
  check "dialog restored and enabled" "1 1" "$(field dialog.visible "$info") $(field dialog.enabled "$info")"
else
  fail "detection window" "'$window_title' did not open"
fi

# --- What the detection window shows while it records ----------------------
# The client area's pixels: "INK DARK" in $counts, ink where it differs from
# the background (its corner), dark where darker than dimmed text can be.
ink() {
  local origin background shot="$build/live-client.png"
  counts=""
  origin="$(field window.origin "$(probe window "$window_title")")"
  [ -n "$origin" ] && import -window root -crop "320x100+${origin%,*}+${origin#*,}" +repage "$shot" 2>/dev/null || return 1
  background="$(convert "$shot" -format "%[pixel:p{0,0}]" info:)"
  counts="$(convert "$shot" -fuzz 2% -fill black +opaque "$background" -fill white -opaque "$background" \
    -format "%[fx:round((1-mean)*w*h)] " info:)"
  counts+="$(convert "$shot" -colorspace gray -threshold 25% -negate -format "%[fx:round(mean*w*h)]" info:)"
}
if start_detection; then
  ink
  read -r blank_ink _ <<<"$counts"
  xdotool keydown Control_L
  wait_ink "\$1 > 0"
  read -r ctrl_ink _ <<<"$counts"
  xdotool keydown a
  wait_ink "\$1 > $ctrl_ink"
  read -r chord_ink chord_dark <<<"$counts"
  check "held chord in the window before release: blank, +leftctrl, +a (ink grows)" "1" \
    "$((blank_ink == 0 && ctrl_ink > 0 && chord_ink > ctrl_ink && chord_dark > 0))"
  xdotool keyup a
  wait_ink "\$2 < $chord_dark"
  read -r let_go_ink let_go_dark <<<"$counts"
  check "a let go: the same text, its part dimmed (ink kept, less dark)" "1" \
    "$((let_go_ink * 10 >= chord_ink * 9 && let_go_dark > 0 && let_go_dark < chord_dark))"
  read -r wx wy ww wh <<<"$(field window.rect "$(probe window "$window_title")" | tr ',' ' ')"
  mkdir -p "$root/build/screenshots" &&
    import -window root -crop "${ww}x$wh+$wx+$wy" +repage "$root/build/screenshots/live-windows.png" 2>/dev/null &&
    note screenshot "build/screenshots/live-windows.png"
  xdotool keyup Control_L
  check "the result of a run shown live" "leftctrl + a" "$(result)"
else
  fail "held chord in the window" "'$window_title' did not open"
fi

# --- Detection runs, one per case: name, expected text, input --------------
detect_case "a then left ctrl" "a + leftctrl" hold_keys xdotool a Control_L
detect_case "a held past auto-repeat" "a" held_key a 1.5
detect_case "one wheel notch up, box ticked" "mousewheel + mousewheelup" wheel_notch up
detect_case "one wheel notch down, box ticked" "mousewheel + mousewheeldown" wheel_notch down
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

detect_case "left click in the window" "mousebuttonleft" click_in_window 1
detect_case "middle click in the window" "mousebuttonmiddle" click_in_window 2
detect_case "first extra button in the window" "mousebuttonx1" click_in_window 8
detect_case "left alt with return" "leftalt + return" hold_keys xdotool Alt_L Return
detect_case "keypad enter" "keypadenter" tap_key KP_Enter
detect_case "right ctrl then f5" "rightctrl + f5" hold_keys xte Control_R F5
detect_case "right alt alone" "rightalt" hold_keys xte Alt_R
detect_case "a held while the window closed" "a" release_after_close
detect_case "next run after a release the window never saw" "b" hold_keys xdotool b
detect_case "button command sent and posted during a run" "c" commands_during_run
if wait_until '^window\.visible=1' 15 probe window "$window_title"; then
  fail "no run after the commands" "a second detection window opened"
  probe close "$window_title"
  wait_until '^dialog\.visible=1' 50 probe info
else
  pass "no run after the commands" "no detection window"
fi
detect_case "forged extra-button message" "d" bad_extra_button
focus_dialog
xdotool key ctrl+c
check "ctrl+c copies the result" "d" "$(field clipboard "$(probe clipboard)")"
screenshot after

# --- Keyboard layouts: the Linux program's names ---------------------------
# On this X server and layout both programs get every character key of the
# main block held in one run, after Tab (named by both); the Linux program
# with --once. Their names must differ exactly as listed (X key code: the
# Windows program's name under Wine > the Linux program's): where Wine's own
# layout tables are not Windows' (the Linux program follows Windows' tables
# KBDUK, KBDGR, KBDFR, KBDSP, KBDIT and KBDRU; + and - which Windows codes
# by character), or where the Linux program's rule for a layout without a
# Windows table keeps a key's position code.
layout_keys=(23 49 10 11 12 13 14 15 16 17 18 19 20 21 24 25 26 27 28 29 30 31 32 33 34 35
  38 39 40 41 42 43 44 45 46 47 48 51 94 52 53 54 55 56 57 58 59 60 61)
declare -A layout_differences=(
  [us]=""
  # Windows' UK table: ` VK_OEM_8 (no name), ' tilde, # quote, the key left of Z separator.
  [gb]="49:tilde> 48:quote>tilde 51:separator>quote 94:>separator"
  # Windows' German table (KBDGR), which the Linux program gives; Wine's differs.
  [de]="49:tilde>separator 20:semicolon>leftbracket 21:equal>rightbracket 34:subtract>semicolon 35:rightbracket>equal 47:leftbracket>tilde 51:separator>divide 61:divide>subtract"
  # Windows' French table (KBDFR): ² quote, ù tilde.
  [fr]="49:tilde>quote 48:subtract>tilde"
  # Wine codes + and - by position, and Spanish and Italian punctuation its
  # own way; the Linux program gives KBDSP's and KBDIT's codes.
  [es]="20:subtract>leftbracket 21:semicolon>rightbracket 34:leftbracket>semicolon 35:rightbracket>equal 47:equal>tilde 51:tilde>divide 61:divide>subtract"
  [it]="49:tilde>divide 20:subtract>leftbracket 21:semicolon>rightbracket 34:leftbracket>semicolon 35:rightbracket>equal 47:equal>tilde 48:separator>quote 51:quote>separator 61:divide>subtract"
  # Wine's Dvorak table is Windows' (KBDDV).
  [us:dvorak]=""
  # The rule: the i key gives i, - , . follow their character; Wine gives
  # i to the ı key and codes - , . by position.
  [tr]="20:subtract>equal 21:equal>subtract 31:i>divide 34:semicolon>leftbracket 35:comma>rightbracket 47:decimal>semicolon 48:quote>i 51:separator>comma 59:leftbracket>separator 60:rightbracket>quote 61:divide>decimal"
  # Wine does not match the Cyrillic layout to its tables and gives most
  # keys codes without names; Windows' table (KBDRU) keeps the letter keys'
  # positions.
  [ru]="49:>tilde 24:semicolon>q 25:comma>w 26:decimal>e 27:tilde>r 28:leftbracket>t 29:rightbracket>y 30:quote>u 31:>i 32:>o 33:>p 34:>leftbracket 35:>rightbracket 38:>a 39:>s 40:>d 41:>f 42:>g 43:>h 44:>j 45:>k 46:>l 47:>semicolon 48:>quote 52:>z 53:>x 54:>c 55:>v 56:>b 57:>n 58:>m 59:>comma 60:>decimal"
)
linux_exe="$root/build/native/Src/Tools/Keyscout/keyscout"
presser="$root/build/native/Tests/layout_sweep"

# The Linux program's line for the held keys.
linux_names() {
  local out pid id i
  out="$(mktemp)"
  "$linux_exe" --once >"$out" 2>/dev/null &
  pid=$!
  for ((i = 0; i < 100; i++)); do
    id="$(xdotool search --onlyvisible --pid "$pid" 2>/dev/null | head -n 1)"
    [ -n "$id" ] && break
    sleep 0.1
  done
  [ -n "$id" ] && xdotool windowfocus --sync "$id" 2>/dev/null && sleep 0.2 && "$presser" hold "${layout_keys[@]}"
  for ((i = 0; i < 100; i++)); do kill -0 "$pid" 2>/dev/null || break; sleep 0.1; done
  kill "$pid" 2>/dev/null
  wait "$pid" 2>/dev/null
  cat "$out"
  rm -f "$out"
}
# differences WINDOWS LINUX: "KEY:WINDOWS>LINUX" for each key named apart.
differences() {
  awk -v w="$1" -v l="$2" -v keys="${layout_keys[*]}" 'BEGIN {
    n = split(keys, k, " ")
    if (split(w, a, / \+ /) != n || split(l, b, / \+ /) != n) { print "names for " n " keys expected"; exit }
    for (i = 2; i <= n; i++) if (a[i] != b[i]) printf "%s%s:%s>%s", (s++ ? " " : ""), k[i], a[i], b[i]
  }'
}

if (cd "$root" && { [ -f build/native/CMakeCache.txt ] || cmake --preset native >/dev/null 2>&1; } &&
  cmake --build --preset native --target keyscout layout_sweep >/dev/null 2>&1); then
  for layout in us gb de fr es it us:dvorak tr ru; do
    setxkbmap -layout "${layout%%:*}" -variant "$([[ $layout == *:* ]] && echo "${layout#*:}")"
    sleep 0.3
    if start_detection; then
      "$presser" hold "${layout_keys[@]}"
      windows_names="$(result)"
    else
      windows_names="<'$window_title' did not open>"
    fi
    check "layout $layout: names apart from the Linux program's" "${layout_differences[$layout]}" \
      "$(differences "$windows_names" "$(linux_names)")"
  done
  setxkbmap us
else
  fail "keyboard layouts" "the Linux keyscout and layout_sweep could not be built"
fi

# --- Ways out ---------------------------------------------------------------
end_program "Esc on the dialog" press_escape
# The first three runs: left ctrl then a, the same shown live, a then left ctrl.
check "the dialog's results on standard output" "leftctrl + a,leftctrl + a,a + leftctrl" \
  "$(tr -d '\r' <"$dialog_out" | head -n 3 | paste -sd,)"
start_program && end_program "close box of the dialog" close_dialog

# === The same options from a console ===========================================
# Wine hands the program this shell's standard streams, as a console or a
# redirection would on Windows.
console_out="$build/keyscout-console-out.txt"
console_err="$build/keyscout-console-err.txt"
# console_run ARG...: the program's exit status; its output in the files above.
console_run() {
  timeout 60 "$WINE64" "$exe" "$@" >"$console_out" 2>"$console_err"
  echo $?
}
console_text() { tr -d '\r' <"$1"; }
version="$(sed -n 's/^project([^)]*VERSION \([0-9.]*\).*/\1/p' "$root/CMakeLists.txt" | head -n 1)"
status="$(console_run --version)"
check "wine keyscout.exe --version: output and status" "keyscout $version 0" "$(console_text "$console_out") $status"
status="$(console_run --help)"
check "--help lists the exit statuses, status 0" "yes 0" "$(grep -q '^Exit status:' "$console_out" && echo yes) $status"
status="$(console_run --bogus)"
check "unknown option: status 2 and the reason" "2 keyscout: unknown option '--bogus'" "$status $(console_text "$console_err" | head -n 1)"

# once_with ACTION...: a --once --verbose run driven by the action; "status output".
once_with() {
  local pid
  rm -f "$log_file" "$crash_file"
  "$WINE64" "$exe" --once --verbose >"$console_out" 2>"$console_err" &
  pid=$!
  if wait_until '^window\.visible=1' 300 probe window "$window_title"; then
    xdotool windowfocus --sync "$(window_id "$window_title")" 2>/dev/null
    wait_until '^active=1' 30 probe focus "$window_title"
    sleep 0.3
    "$@"
  fi
  for ((i = 0; i < 300; i++)); do kill -0 "$pid" 2>/dev/null || break; sleep 0.1; done
  kill "$pid" 2>/dev/null
  wait "$pid"
  echo "$? $(console_text "$console_out")"
}
check "--once with a key: status 0 and the names" "0 x" "$(once_with hold_keys xdotool x)"
check "--verbose: the log on standard error from its first line" "Installing IKernel" "$(console_text "$console_err" | sed -n '1s/^\[[^]]*\] //p')"
check "--once closed without input: status 1 and an empty line" "1 " "$(once_with close_window)"
for mode in dialog --once; do
  status="$(unset DISPLAY; console_run ${mode#dialog})"
  check "no display, $mode: status 2 and one line" "2 1" "$status $(console_text "$console_err" | wc -l)"
done
