#!/usr/bin/env bash
# Start-up benchmark: launch to window of `keyscout --once`, of the dialog, of
# xev (the plainest X client that maps a window) and of the floors of
# Keyscout's two toolkits, written for this benchmark: the plainest SDL 2
# window that paints its surface once (startup_floor_sdl, the floor of
# --once) and the plainest GTK 3 dialog, a label and a button
# (startup_floor_gtk, the floor of the dialog). Alternating rounds on a
# private Xvfb; each timed from the launch to the window's MapNotify by
# startup_map_watch. Prints the medians, the ratios to xev and to the floor,
# the processor time each used up to its map (steadier than the wall time on
# a busy machine), the resident and private memory of the idle windows with
# any software-GL library mapped, and the timeline of Keyscout's own start:
# the program's marks (KEYSCOUT_STARTUP_TRACE) and the kernel's log lines,
# each phase's median time since the launch and its share of the map.
# A measurement, not a test: it fails only when a program maps no window.
#
#   Benchmarks/Startup/startup-benchmark.sh [ROUNDS] [--wine]
#
# --wine also times the Windows program under Wine (build/windows).
# KEYSCOUT=/path/to/keyscout times another build of the program;
# KEYSCOUT_BASELINE=/path/to/keyscout times one more build in the same rounds
# (for a before/after comparison side by side).
set -euo pipefail

root=$(cd "$(dirname "$0")/../.." && pwd)
rounds=7
wine=0
for argument in "$@"; do
  case "$argument" in
    --wine) wine=1 ;;
    *[!0-9]* | '') echo "usage: $0 [ROUNDS] [--wine]" >&2; exit 2 ;;
    *) rounds=$argument ;;
  esac
done

build=$root/build/native
if [ ! -x "$build/Benchmarks/startup_map_watch" ] || [ ! -x "$build/Benchmarks/startup_floor_gtk" ] ||
  { [ -z "${KEYSCOUT:-}" ] && [ ! -x "$build/Src/Tools/Keyscout/keyscout" ]; }; then
  (cd "$root" && cmake --preset native >/dev/null &&
    cmake --build --preset native --target keyscout startup_map_watch startup_floor_sdl startup_floor_gtk >/dev/null)
fi
watch=$build/Benchmarks/startup_map_watch
keyscout=${KEYSCOUT:-$build/Src/Tools/Keyscout/keyscout}

work=$(mktemp -d)
xvfb_pid=
cleanup() {
  [ -n "$xvfb_pid" ] && kill "$xvfb_pid" 2>/dev/null && wait "$xvfb_pid" 2>/dev/null
  rm -rf "$work"
}
trap cleanup EXIT
Xvfb -displayfd 3 -screen 0 1280x1024x24 -nolisten tcp -noreset 3>"$work/display" 2>/dev/null &
xvfb_pid=$!
for _ in $(seq 100); do [ -s "$work/display" ] && break; sleep 0.05; done
export DISPLAY=":$(cat "$work/display")"
unset WAYLAND_DISPLAY
# The program's log and crash files stay out of the build folder's way.
export XDG_STATE_HOME=$work/state

names=(xev sdl once gtk dialog)
declare -A label=([xev]="xev" [sdl]="SDL floor" [once]="keyscout --once" [gtk]="GTK floor" [dialog]="keyscout (dialog)"
  [wine]="keyscout.exe (Wine)")
declare -A command=([xev]="xev" [sdl]="$build/Benchmarks/startup_floor_sdl" [once]="$keyscout --once"
  [gtk]="$build/Benchmarks/startup_floor_gtk" [dialog]="$keyscout")
# The floor each program is held against.
declare -A floor=([once]=sdl [dialog]=gtk [base_once]=sdl [base_dialog]=gtk)
# Keyscout's builds, whose start is traced; their log is beside the program.
declare -A logfile=([once]="$(dirname "$keyscout")/keyscout_log.txt" [dialog]="$(dirname "$keyscout")/keyscout_log.txt")
declare -A title=()
if [ -n "${KEYSCOUT_BASELINE:-}" ]; then
  label[base_once]="baseline --once"
  label[base_dialog]="baseline (dialog)"
  command[base_once]="$KEYSCOUT_BASELINE --once"
  command[base_dialog]="$KEYSCOUT_BASELINE"
  logfile[base_once]="$(dirname "$KEYSCOUT_BASELINE")/keyscout_log.txt"
  logfile[base_dialog]=${logfile[base_once]}
  names+=(base_once base_dialog)
fi
if [ "$wine" = 1 ]; then
  # shellcheck source=/dev/null
  source "$root/Scripts/wine-env.sh"
  export WINEPREFIX=$root/build/windows/wineprefix-gui WINEDEBUG=-all
  tavrin_wine_prefix
  command[wine]="$WINE64 $root/build/windows/Src/Tools/Keyscout/keyscout.exe"
  title[wine]="Tavrin Engine Input detector"
  names+=(wine)
  # Starts the wine server once, as a user's desktop session would have it.
  $watch --timeout 60000 --title "${title[wine]}" -- ${command[wine]} >/dev/null || true
fi

# The kernel's log lines that close a phase of its install, and the phase.
log_phases=("Installing IKernel=log-header" "Raw monocore performance=benchmark" "Installing IInput=kernel-checks"
  "SDL video held to=sdl-begin" "SDL [0-9.]* input=sdl-started")

# One round's timeline of a traced program: its marks (ms since launch), the
# log's phases placed from the "kernel" mark (the log's time 0 is the start
# of the kernel's install), then the map.
timeline() {
  local name=$1 line=$2 trace kernel entry
  trace=$(sed -n 's/.* trace=\([^ ]*\).*/\1/p' <<<"$line" | tr ',' '\n' | tr ':' ' ')
  echo "$trace" | sed '/^$/d' >>"$work/$name.timeline"
  kernel=$(awk '$1 == "kernel" {print $2}' <<<"$trace")
  if [ -n "$kernel" ] && [ -f "${logfile[$name]}" ]; then
    for entry in "${log_phases[@]}"; do
      awk -v k="$kernel" -v p="${entry#*=}" -v pattern="^\\[ *[0-9.]+ s,[^]]*\\] ${entry%%=*}" \
        '$0 ~ pattern {sub(/^\[ */, ""); printf "%s %.1f\n", p, k + $1 * 1000; exit}' "${logfile[$name]}" >>"$work/$name.timeline"
    done
  fi
  echo "map $(sed -n 's/^map_ms=\([0-9.]*\) .*/\1/p' <<<"$line")" >>"$work/$name.timeline"
}

# One launch: its map time in ms goes to $work/NAME.times; the last round
# also keeps the idle memory line.
measure() {
  local name=$1 memory=()
  [ "$2" = last ] && memory=(--memory 1000)
  [ -n "${title[$name]:-}" ] && memory+=(--title "${title[$name]}")
  [ -n "${logfile[$name]:-}" ] && memory+=(--trace "$work/trace")
  local line
  # GTK caches its OpenGL visuals in this root property; without it (the
  # first GTK program of a session) GTK probes OpenGL. Each launch is timed
  # as that first one.
  xprop -root -remove GDK_VISUALS 2>/dev/null || true
  # shellcheck disable=SC2086
  line=$($watch "${memory[@]}" --timeout 60000 -- ${command[$name]} </dev/null 2>/dev/null) || {
    echo "startup: ${label[$name]} mapped no window" >&2
    return 1
  }
  sed -n 's/^map_ms=\([0-9.]*\) .*/\1/p' <<<"$line" >>"$work/$name.times"
  sed -n 's/.* cpu_ms=\([0-9.]*\) .*/\1/p' <<<"$line" >>"$work/$name.cpu"
  [ "$2" = last ] && echo "$line" >"$work/$name.memory"
  [ -n "${logfile[$name]:-}" ] && timeline "$name" "$line"
  return 0
}

# Alternating order, so that no program always follows the same one.
for round in $(seq "$rounds"); do
  when=round
  [ "$round" = "$rounds" ] && when=last
  if [ $((round % 2)) = 1 ]; then order=("${names[@]}"); else order=(); for ((i=${#names[@]}-1; i>=0; i--)); do order+=("${names[$i]}"); done; fi
  for name in "${order[@]}"; do measure "$name" "$when"; done
done

median() { sort -n "$1" | awk '{v[NR]=$1} END {print (NR % 2) ? v[(NR+1)/2] : (v[NR/2] + v[NR/2+1]) / 2}'; }
field() { sed -n "s/.* $2=\([^ ]*\).*/\1/p" "$1"; }

xev_median=$(median "$work/xev.times")
echo "Start-up, launch to MapNotify, median of $rounds rounds (Xvfb $DISPLAY, $(nproc) cores):"
for name in "${names[@]}"; do
  value=$(median "$work/$name.times")
  awk -v l="${label[$name]}" -v v="$value" -v x="$xev_median" -v all="$(sort -n "$work/$name.times" | tr '\n' ' ')" \
    'BEGIN {printf "  %-20s %8.1f ms  %6.1fx xev   [%s]\n", l, v, v / x, all}'
done
echo "Against the toolkit's floor (median over median):"
for name in "${names[@]}"; do
  [ -n "${floor[$name]:-}" ] || continue
  awk -v l="${label[$name]}" -v f="${label[${floor[$name]}]}" -v v="$(median "$work/$name.times")" \
    -v b="$(median "$work/${floor[$name]}.times")" 'BEGIN {printf "  %-20s %6.2fx %s\n", l, v / b, f}'
done
echo "Processor time used up to the map (all threads), median; less upset by a busy machine:"
cpu_median=$(median "$work/xev.cpu")
for name in "${names[@]}"; do
  value=$(median "$work/$name.cpu")
  awk -v l="${label[$name]}" -v v="$value" -v x="$cpu_median" 'BEGIN {printf "  %-20s %8.1f ms  %6.1fx xev\n", l, v, v / x}'
done
echo "Idle memory, 1 s after the map (last round):"
for name in "${names[@]}"; do
  file=$work/$name.memory
  [ -s "$file" ] || continue
  awk -v l="${label[$name]}" -v r="$(field "$file" rss_kb)" -v p="$(field "$file" private_kb)" -v g="$(field "$file" software_gl)" \
    'BEGIN {printf "  %-20s resident %6.1f MB  private %6.1f MB  software GL: %s\n", l, r / 1024, p / 1024, g}'
done
gtk_private=$(field "$work/gtk.memory" private_kb)
for name in dialog base_dialog; do
  [ -s "$work/$name.memory" ] || continue
  awk -v l="${label[$name]}" -v p="$(field "$work/$name.memory" private_kb)" -v g="$gtk_private" \
    'BEGIN {printf "  %-20s private %5.2fx the GTK floor'"'"'s\n", l, p / g}'
done
# Per phase: the median of its time since the launch, in time order, the
# step from the phase before and that step's share of the map.
for name in "${names[@]}"; do
  file=$work/$name.timeline
  [ -s "$file" ] || continue
  echo "Timeline of ${label[$name]} (ms since launch, medians of $rounds rounds):"
  for phase in $(awk '!seen[$1]++ {print $1}' "$file"); do
    awk -v p="$phase" '$1 == p {print $2}' "$file" >"$work/phase"
    echo "$phase $(median "$work/phase")"
  done | sort -k2 -n | awk -v m="$(median "$work/$name.times")" \
    '{step = $2 - last; last = $2; printf "  %-18s %8.1f ms  %+7.1f ms  %5.1f%%\n", $1, $2, step, 100 * step / m}'
done
