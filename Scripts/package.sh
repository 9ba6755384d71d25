#!/usr/bin/env bash
# Makes the packages with CPack, building what is missing first:
#   build/native/packages/keyscout_<version>_amd64.deb
#   build/windows/packages/keyscout-<version>-win64.zip
# Names given on the command line make only those: native, windows.
set -euo pipefail
cd "$(dirname "$0")/.."
root="$PWD"
presets=("$@")
[ ${#presets[@]} -gt 0 ] || presets=(native windows)

"$root/Scripts/install-dependencies.sh" >/dev/null
for preset in "${presets[@]}"; do
  cmake --preset "$preset" >/dev/null
  cmake --build --preset "$preset" -j "$(nproc 2>/dev/null || echo 2)" >/dev/null
  (cd "$root/build/$preset" && cpack >/dev/null)
  ls "$root/build/$preset/packages/"keyscout[-_]*.{deb,zip} 2>/dev/null || true
done
