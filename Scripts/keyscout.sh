#!/usr/bin/env bash
# Builds Keyscout for Windows and launches it (under Wine on Linux).
set -euo pipefail
cd "$(dirname "$0")/.."
root="$PWD"

"$root/Scripts/install-dependencies.sh"
source "$root/Scripts/wine-env.sh"

cmake --preset windows >/dev/null
cmake --build --preset windows -j "$(nproc 2>/dev/null || echo 2)"

exe="$root/build/windows/Src/Tools/Keyscout/keyscout.exe"
if [ ! -f "$exe" ]; then
  echo "The engine libraries and tests are built; the Keyscout tool itself is not part of this tree yet."
  exit 0
fi
tavrin_wine_prefix
exec "$WINE64" "$exe"
