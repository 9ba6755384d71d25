#!/bin/bash
# The devices suite's cases, run as the first process of its QEMU guest
# (Scripts/tests.d/devices.sh): virtual devices made through uinput and UHID,
# read by the real keyscout through evdev, SDL and Xorg with libinput. Every
# check prints one "ok" or "FAIL" line on the console; the guest powers off at
# the end.
export PATH=/usr/local/sbin:/usr/local/bin:/usr/sbin:/usr/bin:/sbin:/bin HOME=/root LANG=C.UTF-8
root="$(cd "$(dirname "$0")/../.." && pwd)"
source "$root/Scripts/suite-lib.sh"
exe="$root/build/native/Src/Tools/Keyscout/keyscout"
log_file="$root/build/native/Src/Tools/Keyscout/keyscout_log.txt"
layout_probe="$root/build/native/Tests/libkeyscout_layout_probe.so"
device="$root/Scripts/devices/virtual-device.py"
out="$root/build/devices/guest"
window_title="Press one or many keys.."
dialog_title="Tavrin Engine Input detector"

end_guest() {
  echo "cases: done"
  sync
  busybox poweroff -f
}
trap end_guest EXIT

# --- The guest's own system ----------------------------------------------------------
mount -t tmpfs tmpfs /run && mount -t tmpfs tmpfs /tmp && mkdir -p /dev/pts && mount -t devpts devpts /dev/pts
mkdir -p /lib/modules && mount --bind "$root/build/devices/vm/kernel/lib/modules" /lib/modules
modprobe -a uinput evdev uhid hid-generic || fail guest "the input modules did not load"
rm -rf "$out" && mkdir -p "$out"
/lib/systemd/systemd-udevd --daemon && udevadm settle
cat >/tmp/xorg.conf <<'EOF'
Section "Module"
  Disable "glx"
EndSection
Section "Device"
  Identifier "dummy"
  Driver "dummy"
  VideoRam 16384
EndSection
Section "Screen"
  Identifier "screen"
  Device "dummy"
  SubSection "Display"
    Modes "1024x768"
  EndSubSection
EndSection
EOF
Xorg :1 -config /tmp/xorg.conf -novtswitch -sharevts -nolisten tcp -noreset -logfile "$out/Xorg.log" >/dev/null 2>&1 &
export DISPLAY=:1
for ((i = 0; i < 300; i++)); do xdpyinfo >/dev/null 2>&1 && break; sleep 0.1; done
xdpyinfo >/dev/null 2>&1 || { fail guest "Xorg did not start"; exit 1; }

# --- Devices ---------------------------------------------------------------------
# plug NAME KIND [SERIAL]: a device that lives while its file descriptor is
# open; send NAME "TYPE CODE VALUE..." writes one report; unplug NAME.
declare -A device_fd device_pid
# Runs a command without the shell's ends of the devices' pipes: a copy
# would keep a device plugged in after unplug.
detached() {
  local fd
  for fd in "${device_fd[@]}"; do eval "exec $fd>&-"; done
  exec "$@"
}
plug() {
  local fifo="/tmp/$1.in" fd
  mkfifo "$fifo"
  detached python3 "$device" "$2" "${3:-}" <"$fifo" >"/tmp/$1.out" 2>&1 &
  device_pid[$1]=$!
  exec {fd}>"$fifo"
  device_fd[$1]=$fd
  for ((i = 0; i < 100; i++)); do grep -q ready "/tmp/$1.out" && break; sleep 0.1; done
  rm -f "$fifo"
  udevadm settle
}
send() { echo "$2" >&"${device_fd[$1]}"; }
# press NAME CODE...: keys or buttons pressed in order, held, let go in reverse.
press() {
  local i codes=("${@:2}")
  for ((i = 0; i < ${#codes[@]}; i++)); do send "$1" "$EV_KEY ${codes[i]} 1"; sleep 0.3; done
  sleep 0.5
  for ((i = ${#codes[@]} - 1; i >= 0; i--)); do send "$1" "$EV_KEY ${codes[i]} 0"; sleep 0.3; done
}
# move NAME "TYPE CODE VALUE" "TYPE CODE VALUE": moved, held, released.
move() { send "$1" "$2"; sleep 0.8; send "$1" "$3"; }
unplug() {
  exec {device_fd[$1]}>&-
  wait "${device_pid[$1]}"
  udevadm settle
}
EV_KEY=1 EV_ABS=3 EV_REL=2

# --- The program ---------------------------------------------------------------
# The program names its windows in the locale's encoding, which xdotool
# cannot search.
window_id() { xwininfo -root -tree 2>/dev/null | grep -F "\"$1\":" | awk '{print $1; exit}'; }
wait_window() {
  local i
  for ((i = 0; i < 300; i++)); do [ -n "$(window_id "$1")" ] && return 0; sleep 0.1; done
  return 1
}
# once NAME [OPTION...]: starts keyscout --once and waits for its window,
# which takes the keyboard; then the caller acts and calls result.
once() {
  once_name=$1
  shift
  detached "$exe" --once "$@" >"$out/$once_name.txt" 2>"$out/$once_name.err" &
  once_pid=$!
  focus_detection
}
# Gives the detection window the keyboard, which its devices need to read,
# and waits until the X server says it has it.
focus_detection() {
  local id i
  wait_window "$window_title" || return 1
  id=$(window_id "$window_title")
  for ((i = 0; i < 50; i++)); do
    xdotool windowfocus "$id" 2>/dev/null
    [ "$(printf '0x%x' "$(xdotool getwindowfocus 2>/dev/null)")" = "$id" ] && break
    sleep 0.2
  done
  # The devices read from the run's first poll on.
  sleep 1
}
# click_control KIND TEXT: a click at the centre of a dialog's control, as
# the layout probe module that the dialog loads lays them out.
click_control() {
  local centre
  for ((i = 0; i < 300; i++)); do [ -s "$out/layout.txt" ] && break; sleep 0.1; done
  centre=$(awk -v kind="$1" -v text="$2" '$1 == kind {
    t = $0; sub(/^[^ ]+ [^ ]+ [^ ]+ [^ ]+ [^ ]+ ?/, "", t)
    if (t == text) { print int($2 + $4 / 2), int($3 + $5 / 2); exit } }' "$out/layout.txt")
  [ -n "$centre" ] && xdotool mousemove --window "$(window_id "$dialog_title")" $centre click 1
}
# wait_log TEXT [COUNT]: until the program's log holds TEXT COUNT times.
wait_log() {
  local i
  for ((i = 0; i < 300; i++)); do [ "$(grep -c -F "$1" "$log_file" 2>/dev/null)" -ge "${2:-1}" ] && return 0; sleep 0.1; done
  return 1
}
# result EXPECTED [STATUS]: the line --once printed and its exit status.
result() {
  local status i
  for ((i = 0; i < 300; i++)); do kill -0 "$once_pid" 2>/dev/null || break; sleep 0.1; done
  kill "$once_pid" 2>/dev/null
  wait "$once_pid"
  status=$?
  check "$once_name" "$1 (${2:-0})" "$(head -n 1 "$out/$once_name.txt") ($status)"
}

# --- Cases ---------------------------------------------------------------------
# A pad (SDL maps it as a game controller) and a flight stick, both watched by
# default, in the lists' order.
plug pad pad
plug stick stick
send stick "$EV_ABS 0 512 $EV_ABS 1 512"
once "a joystick not listed" --joystick 5
result "" 2
check "a joystick not listed: message" "keyscout: there is no joystick 5 (2 listed)" "$(cat "$out/$once_name.err")"
once "pad hat up"
move pad "$EV_ABS 0x11 -1" "$EV_ABS 0x11 0"
result "joystick0button11 + joystick0arrow0"
once "pad axis right"
move pad "$EV_ABS 0 127" "$EV_ABS 0 0"
result "joystick0axis0"
once "pad button"
press pad 0x130
result "joystick0button0"
once "second joystick by default"
press stick 0x121
result "joystick1button1"
once "--joystick 1 as the first" --joystick 1
press stick 0x121
result "joystick0button1"
unplug pad
# The stick's axes by identity: X, Y, Rz as Rz; the throttle is the first
# slider, which the mapper does not name, so only the button shows.
for axis in "x:0:1023:512:joystick0axis0" "y:1:1023:512:joystick0axis1" "rz:5:127:0:joystick0axis5"; do
  IFS=: read -r name code far rest expected <<<"$axis"
  once "flight stick $name"
  move stick "$EV_ABS $code $far" "$EV_ABS $code $rest"
  result "$expected"
done
once "flight stick throttle"
send stick "$EV_ABS 6 255 $EV_KEY 0x120 1"
sleep 0.8
send stick "$EV_ABS 6 0 $EV_KEY 0x120 0"
result "joystick0button0"
unplug stick
plug wheel wheel
for axis in "wheel:8:511:0:joystick0axis0" "accelerator:9:255:0:joystick0axis1" "brake:10:255:0:joystick0axis5"; do
  IFS=: read -r name code far rest expected <<<"$axis"
  once "wheel and pedals: $name"
  move wheel "$EV_ABS $code $far" "$EV_ABS $code $rest"
  result "$expected"
done
unplug wheel

# Twins: the second one is chosen. All go; the first to come back takes the
# first one's node, the second the second's. Without serials the node
# decides (the newcomer on the first node is idle to the run, the one on the
# second node is the chosen pad); with serials the serial does (the chosen
# pad's serial on the first node is still the chosen pad).
# twins NAME SERIAL SERIAL REOPENED: REOPENED is 1 when the newcomer on the
# first node is the chosen pad.
twins() {
  local name=$1 serials=("$2" "$3") reopened=$4
  plug a pad "${serials[0]:-}"
  plug b pad "${serials[1]:-}"
  rm -f "$log_file"
  once "$name" --joystick 1
  unplug b
  wait_log unplugged
  unplug a
  plug first pad "${serials[1]:-}"
  sleep 2
  check "$name: the newcomer on the first node is the chosen pad" "$reopened" "$(grep -c "plugged in again" "$log_file")"
  press first 0x131
  plug second pad "${serials[0]:-}"
  sleep 2
  press second 0x133
}
twins "twins without serials" "" "" 0
result "joystick0button2"
unplug first
unplug second
twins "twins with serials" S1 S2 1
result "joystick0button1"
unplug first
unplug second

# The dialog's lists follow a pad plugged in and out (each relisting is logged).
rm -f "$log_file"
GTK_MODULES="$layout_probe" KEYSCOUT_LAYOUT_FILE="$out/layout.txt" detached "$exe" >"$out/dialog.txt" 2>&1 &
dialog_pid=$!
wait_window "$dialog_title"
plug pad pad
check "dialog lists a pad plugged in" "yes" "$(wait_log "Joystick list changed: 1 listed" && echo yes)"
unplug pad
check "dialog lists a pad unplugged" "yes" "$(wait_log "Joystick list changed: 0 listed" && echo yes)"

# Keyboard and mouse in the dialog, one run after the other; each result is
# a line on its standard output.
# detect NAME EXPECTED COMMAND...: one run of the dialog's button.
detect() {
  local lines i
  lines=$(wc -l <"$out/dialog.txt")
  click_control button "Detect key(s)"
  focus_detection
  "${@:3}"
  for ((i = 0; i < 200; i++)); do [ "$(wc -l <"$out/dialog.txt")" -gt "$lines" ] && break; sleep 0.1; done
  check "$1" "$2" "$(sed -n "$((lines + 1))p" "$out/dialog.txt")"
}
plug mouse mouse
plug keyboard keyboard
KEY_LEFTCTRL=29 KEY_A=30 KEY_RIGHTCTRL=97 KEY_RIGHTALT=100 KEY_RIGHTSHIFT=54 KEY_NUMLOCK=69 KEY_KP1=79 KEY_Y=21 KEY_MINUS=12
detect "wheel notch up" "mousewheel + mousewheelup" send mouse "$EV_REL 8 1"
detect "side button" "mousebuttonx1" press mouse 0x113
detect "extra button" "mousebuttonx2" press mouse 0x114
detect "leftctrl + a" "leftctrl + a" press keyboard $KEY_LEFTCTRL $KEY_A
detect "right ctrl alone" "rightctrl" press keyboard $KEY_RIGHTCTRL
detect "right alt alone" "rightalt" press keyboard $KEY_RIGHTALT
detect "right shift alone" "rightshift" press keyboard $KEY_RIGHTSHIFT
# Keys are physical: the keypad's names do not follow NumLock.
detect "keypad 1, numlock off" "keypad1" press keyboard $KEY_KP1
press keyboard $KEY_NUMLOCK
detect "keypad 1, numlock on" "keypad1" press keyboard $KEY_KP1
press keyboard $KEY_NUMLOCK
detect "us: y" "y" press keyboard $KEY_Y
detect "us: minus" "subtract" press keyboard $KEY_MINUS
setxkbmap de
detect "de: the key of y" "z" press keyboard $KEY_Y
detect "de: the key of minus" "leftbracket" press keyboard $KEY_MINUS
click_control check "Exclude mouse movements"
detect "mouse motion, box unticked" "mouseaxisx" send mouse "$EV_REL 0 4"
kill "$dialog_pid"
wait "$dialog_pid"
unplug mouse
unplug keyboard
