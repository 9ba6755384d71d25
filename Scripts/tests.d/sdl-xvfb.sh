#!/usr/bin/env bash
# The SDL platform layer on a real X server: an engine window opened by
# sdl_window_probe on a private Xvfb (no window manager), driven with xdotool
# and, for the right-hand modifiers that xdotool cannot press alone, xte.
# Checks what reaches the window's listener and its mouse device. Runs the
# native build's probe, and the AddressSanitizer build's when it is built.
#   TAVRIN_SDL_XVFB_SECONDS   overall limit (default 480)
#   TAVRIN_SWEEP_VARIANTS     0: the layout sweep leaves out the layouts' variants
set -uo pipefail
root="$(cd "$(dirname "$0")/../.." && pwd)"
source "$root/Scripts/suite-lib.sh"
title="Tavrin SDL probe"
other_title="Tavrin SDL other"
probe_pid=""
out=""

finish() {
  trap - EXIT INT TERM
  end_started $probe_pid
  [ -n "$out" ] && rm -f "$out"
  report_totals sdl-xvfb
  exit $?
}
trap finish EXIT
trap 'echo "sdl-xvfb: interrupted"; failed=$((failed + 1)); exit 1' INT TERM

start_watchdog sdl-xvfb "${TAVRIN_SDL_XVFB_SECONDS:-480}"

for tool in Xvfb xdotool xte setxkbmap; do
  command -v "$tool" >/dev/null || { fail setup "$tool is not installed"; exit 1; }
done
if [ ! -x "$root/build/native/Tests/sdl_window_probe" ] || [ ! -x "$root/build/native/Tests/layout_sweep" ]; then
  (cd "$root" && cmake --build --preset native --target sdl_window_probe layout_sweep >/dev/null 2>&1) ||
    { fail build "sdl_window_probe and layout_sweep could not be built (is TAVRIN_SDL on?)"; exit 1; }
fi

start_xvfb || { fail xvfb "no display"; exit 1; }
unset WAYLAND_DISPLAY SDL_VIDEODRIVER
out="$(mktemp)"

lines() { wc -l <"$out"; }
# The probe's lines after line $1 that match $2, joined by commas.
since() { tail -n +$(($1 + 1)) "$out" | grep -E "$2" | paste -sd, -; }
# expect NAME FROM FILTER EXPECTED [sorted]: waits up to 3 s for the lines.
expect() {
  local name=$1 from=$2 filter=$3 expected=$4 sorted=${5:-} actual
  for ((i = 0; i < 30; i++)); do
    actual="$(since "$from" "$filter")"
    [ -n "$sorted" ] && actual="$(tr ',' '\n' <<<"$actual" | sort | paste -sd, -)"
    [ "$actual" = "$expected" ] && break
    sleep 0.1
  done
  if [ "$actual" = "$expected" ]; then pass "$name" "$actual"; else fail "$name" "expected '$expected', got '$actual'"; fi
}
# key NAME TOOL KEYSYM CODE: one press and release, one down and one up line;
# TOOL "x" presses the X key code KEYSYM.
key() {
  local from
  from=$(lines)
  if [ "$2" = xte ]; then
    xte "keydown $3"; sleep 0.05; xte "keyup $3"
  elif [ "$2" = x ]; then
    "$root/build/native/Tests/layout_sweep" down "$3"; sleep 0.05; "$root/build/native/Tests/layout_sweep" up "$3"
  else
    xdotool keydown "$3"; sleep 0.05; xdotool keyup "$3"
  fi
  expect "$1" "$from" '^key' "keydown $4,keyup $4"
}

run_suite() {
  local build=$1 probe="$root/build/$1/Tests/sdl_window_probe" from id other
  echo "-- $build"
  : >"$out"
  LSAN_OPTIONS="suppressions=$root/Tests/EndToEnd/Linux/lsan-system.supp${LSAN_OPTIONS:+:$LSAN_OPTIONS}" \
    "$probe" run >"$out" 2>&1 &
  probe_pid=$!
  for ((i = 0; i < 100; i++)); do
    id="$(xdotool search --name "^$title\$" 2>/dev/null | head -n 1)"
    [ -n "$id" ] && grep -q '^ready' "$out" && break
    sleep 0.1
  done
  other="$(xdotool search --name "^$other_title\$" 2>/dev/null | head -n 1)"
  if [ -z "$id" ] || [ -z "$other" ]; then
    fail "$build: window" "did not open: $(head -c 400 "$out")"
    kill "$probe_pid" 2>/dev/null; wait "$probe_pid" 2>/dev/null; probe_pid=""
    return
  fi
  local geometry
  geometry="$(xdotool getwindowgeometry "$id" | tr -s ' \n' ' ')"
  if [[ "$geometry" == *"Position: 480,462"*"Geometry: 320x100"* ]]; then
    pass "$build: window 320x100 centred on 1280x1024" "$geometry"
  else
    fail "$build: window 320x100 centred on 1280x1024" "$geometry"
  fi
  expect "$build: mouse device" 0 '^ready' "ready mouse"
  xdotool windowfocus --sync "$id"
  xdotool mousemove --window "$id" 160 50
  sleep 0.3

  key "$build: left ctrl" xdotool Control_L 162
  key "$build: right ctrl" xte Control_R 163
  key "$build: left shift" xdotool Shift_L 160
  key "$build: right shift" xte Shift_R 161
  key "$build: left alt" xdotool Alt_L 164
  key "$build: right alt" xte Alt_R 165
  key "$build: a on a US layout" xte a 65
  setxkbmap fr; sleep 0.5
  # xte presses the key that types the letter on the current layout.
  key "$build: French a (the US q key)" xte a 65
  key "$build: French q (the US a key)" xte q 81
  setxkbmap us; sleep 0.5
  key "$build: keypad home, num lock off" xte KP_Home 103
  key "$build: keypad up, num lock off" xte KP_Up 104
  key "$build: keypad delete, num lock off" xte KP_Delete 110
  key "$build: home" xte Home 36
  key "$build: num lock on" xte Num_Lock 144
  key "$build: keypad 7, num lock on" xte KP_7 103
  key "$build: keypad 8, num lock on" xte KP_8 104
  # (xte would press the keypad's comma key, which also types KP_Decimal.)
  key "$build: keypad decimal, num lock on" x 91 110
  key "$build: num lock off" xte Num_Lock 144
  key "$build: keypad enter" xte KP_Enter 261
  key "$build: return" xte Return 13

  from=$(lines)
  xdotool keydown b; sleep 1.2; xdotool keyup b
  expect "$build: b held past auto-repeat" "$from" '^key' "keydown 66,keyup 66"

  local button code
  for button in 1:1 2:4 3:2 8:5 9:6; do
    code=${button#*:}
    from=$(lines)
    xdotool mousedown "${button%:*}"; sleep 0.05; xdotool mouseup "${button%:*}"
    expect "$build: mouse button ${button%:*}" "$from" '^button' "buttondown $code,buttonup $code"
  done
  from=$(lines); xdotool click 4
  expect "$build: wheel up" "$from" 'wheel' "mousewheel 1.00,wheel 1.00" sorted
  from=$(lines); xdotool click 5
  expect "$build: wheel down" "$from" 'wheel' "mousewheel -1.00,wheel -1.00" sorted

  local motion sum
  for motion in "10 5" "-7 -3"; do
    from=$(lines)
    # shellcheck disable=SC2086
    xdotool mousemove_relative -- $motion
    for ((i = 0; i < 30; i++)); do
      sum="$(tail -n +$((from + 1)) "$out" | awk '/^motion/ {x += $2; y += $3} END {print x + 0, y + 0}')"
      [ "$sum" = "$motion" ] && break
      sleep 0.1
    done
    if [ "$sum" = "$motion" ]; then pass "$build: relative motion $motion" "$sum"; else fail "$build: relative motion $motion" "$sum"; fi
  done

  from=$(lines)
  xdotool keydown a
  expect "$build: a held" "$from" '^key' "keydown 65"
  from=$(lines)
  xdotool windowfocus --sync "$other"
  expect "$build: focus loss releases a" "$from" '^(key|focus)' "keyup 65,focuslost"
  xdotool keyup a
  from=$(lines)
  xdotool windowfocus --sync "$id"
  expect "$build: focus back" "$from" '^(key|focus)' "focusgained"

  from=$(lines)
  "$probe" close "$id"
  expect "$build: closed by the close box" "$from" '^closed' "closed"
  local status=1
  for ((i = 0; i < 50; i++)); do
    if ! kill -0 "$probe_pid" 2>/dev/null; then
      wait "$probe_pid"; status=$?
      break
    fi
    sleep 0.1
  done
  probe_pid=""
  if [ "$status" -eq 0 ]; then pass "$build: probe ended cleanly" "exit 0"; else fail "$build: probe ended cleanly" "exit $status: $(grep -v -E '^(key|button|motion|wheel|mousewheel|focus|ready|closed)' "$out" | head -n 20)"; fi
}

run_suite native
if [ -x "$root/build/asan/Tests/sdl_window_probe" ]; then
  run_suite asan
fi

# Every layout and variant that setxkbmap offers, each loaded before SDL's
# video starts (SDL reads the keymap then), each key of the main block, the
# keypad and the modifiers pressed by its X key code into a new engine
# window: no two keys of a layout may give one code, none may be lost, a key
# typing a letter gives it, the digit row its digits, and the keys no layout
# renames their US names.
sweep_layouts() {
  local rules=/usr/share/X11/xkb/rules/evdev.lst layouts output summary
  layouts="$(awk '/^! layout/ {f = 1; next} /^!/ {f = 0} f && NF {print $1}' "$rules")"
  if [ "${TAVRIN_SWEEP_VARIANTS:-1}" != 0 ]; then
    layouts+=$'\n'"$(awk '/^! variant/ {f = 1; next} /^!/ {f = 0} f && NF {sub(":", "", $2); print $2 ":" $1}' "$rules")"
  fi
  # shellcheck disable=SC2086
  output="$("$root/build/native/Tests/layout_sweep" sweep $layouts 2>&1)"
  while IFS= read -r line; do fail "layout sweep" "${line#FAIL }"; done < <(grep '^FAIL' <<<"$output")
  summary="$(grep '^layouts ' <<<"$output")"
  grep -q '^windows tables' <<<"$output" && note "layout sweep" "$(grep '^windows tables' <<<"$output")"
  if [[ "$summary" == *", collisions 0, lost 0, moved letters 0, digit row 0, fixed keys 0,"* &&
    "$summary" != "layouts 0,"* ]] && ! grep -q '^FAIL' <<<"$output"; then
    pass "layout sweep" "$summary"
  else
    fail "layout sweep" "${summary:-no result: $(head -c 400 <<<"$output")}"
  fi
}
sweep_layouts
