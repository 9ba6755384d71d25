#!/usr/bin/env bash
# Builds Keyscout for Windows and launches it under Wine.
set -euo pipefail
cd "$(dirname "$0")/.."
root="$PWD"

"$root/Scripts/install-dependencies.sh"
source "$root/Scripts/wine-env.sh"

cmake --preset windows >/dev/null
cmake --build --preset windows --target keyscout -j "$(nproc 2>/dev/null || echo 2)"

exe="$root/build/windows/Src/Tools/Keyscout/keyscout.exe"
[ -f "$exe" ] || { echo "keyscout.exe was not built (see the build output above)"; exit 1; }
# The prefix falls back to Wine's null display driver without X, where the
# dialog would run where nobody can see it.
[ -n "${DISPLAY:-}" ] || { echo "No X display: run Keyscout from a desktop session (or under xvfb-run)"; exit 1; }
tavrin_wine_prefix
exec "$WINE64" "$exe"
