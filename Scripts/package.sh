#!/usr/bin/env bash
# Makes the packages with CPack, building what is missing first:
#   build/native/packages/keyscout_<version>_amd64.deb (and its -dbgsym .ddeb)
#   build/windows/packages/keyscout-<version>-win64.zip
# Names given on the command line make only those: native, windows.
set -euo pipefail
cd "$(dirname "$0")/.."
root="$PWD"
presets=("$@")
[ ${#presets[@]} -gt 0 ] || presets=(native windows)

# CPack (3.25) writes the debug package's md5sums with its own absolute
# staging paths and gives it no documentation; dpkg and lintian want paths
# relative to the root and a doc folder, which a debug package links to its
# program's.
repair_debug_package() {
  local ddeb=$1 tree
  tree="$(mktemp -d)"
  dpkg-deb -R "$ddeb" "$tree"
  # The package's root entry is this folder, which mktemp made private; and
  # detached symbols are data, not programs.
  chmod 0755 "$tree"
  find "$tree/usr" -type f -name '*.debug' -exec chmod 0644 {} +
  mkdir -p "$tree/usr/share/doc"
  ln -sfn keyscout "$tree/usr/share/doc/keyscout-dbgsym"
  (cd "$tree" && find usr -type f -print0 | sort -z | xargs -0 md5sum) >"$tree/DEBIAN/md5sums"
  dpkg-deb --root-owner-group --build "$tree" "$ddeb" >/dev/null
  rm -rf "$tree"
}

"$root/Scripts/install-dependencies.sh" >/dev/null
for preset in "${presets[@]}"; do
  cmake --preset "$preset" >/dev/null
  # The program alone (with the files its package carries), not the tests.
  cmake --build --preset "$preset" --target keyscout -j "$(nproc 2>/dev/null || echo 2)" >/dev/null
  (cd "$root/build/$preset" && cpack >/dev/null)
  for ddeb in "$root/build/$preset/packages/"keyscout-dbgsym_*.ddeb; do
    [ -f "$ddeb" ] && repair_debug_package "$ddeb"
  done
  ls "$root/build/$preset/packages/"keyscout[-_]*.{deb,ddeb,zip} 2>/dev/null || true
done
