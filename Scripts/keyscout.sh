#!/usr/bin/env bash
# Builds Keyscout and launches it: the native Linux program, or with
# --windows the Windows program under Wine. Other arguments go to the program
# (for example --once).
set -euo pipefail
cd "$(dirname "$0")/.."
root="$PWD"
target=native
if [ "${1:-}" = --windows ]; then
  target=windows
  shift
fi

# Options that only print need no display.
needs_display=1
for argument in "$@"; do
  case $argument in -h | --help | -V | --version) needs_display=0 ;; esac
done

# Said before the long build, in one line: without a display the program
# would have no window to show (and under Wine it would wait unseen forever).
if [ "$needs_display" = 1 ] && [ -z "${DISPLAY:-}" ] && [ -z "${WAYLAND_DISPLAY:-}" ]; then
  echo "Keyscout needs a graphical display (X11 or Wayland); none is set (DISPLAY, WAYLAND_DISPLAY): run it from a desktop session or under xvfb-run." >&2
  exit 2
fi

"$root/Scripts/install-dependencies.sh" >/dev/null
cmake --preset "$target" >/dev/null
cmake --build --preset "$target" --target keyscout -j "$(nproc 2>/dev/null || echo 2)" >/dev/null

if [ "$target" = native ]; then
  exec "$root/build/native/Src/Tools/Keyscout/keyscout" "$@"
fi
source "$root/Scripts/wine-env.sh"
# Wine needs X; a Wayland-only session has none to give it.
[ "$needs_display" = 0 ] || [ -n "${DISPLAY:-}" ] || { echo "Keyscout under Wine needs an X display (DISPLAY is not set)." >&2; exit 2; }
tavrin_wine_prefix
exec "$WINE64" "$root/build/windows/Src/Tools/Keyscout/keyscout.exe" "$@"
