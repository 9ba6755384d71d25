#!/usr/bin/env bash
# The packages as a user gets them: the .deb unpacked into a scratch root
# (dpkg -x) runs from there, and the .zip holds the Windows program and the
# README. Both are named from the project's one version.
set -uo pipefail
root="$(cd "$(dirname "$0")/../.." && pwd)"
passed=0
failed=0
pass() { passed=$((passed + 1)); echo "ok   - $1"; }
fail() { failed=$((failed + 1)); echo "FAIL - $1"; }
check() { if [ "$2" = "$3" ]; then pass "$1: '$3'"; else fail "$1: expected '$2', got '$3'"; fi; }

scratch="$(mktemp -d)"
trap 'rm -rf "$scratch"' EXIT
version="$(sed -n 's/^CMAKE_PROJECT_VERSION:STATIC=//p' "$root/build/native/CMakeCache.txt" 2>/dev/null)"

if ! "$root/Scripts/package.sh" >"$scratch/package.log" 2>&1; then
  tail -n 30 "$scratch/package.log"
  fail "packages made"
fi
[ -n "$version" ] || version="$(sed -n 's/^CMAKE_PROJECT_VERSION:STATIC=//p' "$root/build/native/CMakeCache.txt")"

deb="$root/build/native/packages/keyscout_${version}_amd64.deb"
if [ -f "$deb" ]; then
  pass "deb named from the version: ${deb##*/}"
  dpkg -x "$deb" "$scratch/root"
  check "keyscout --version from the unpacked package" "keyscout $version" "$("$scratch/root/usr/bin/keyscout" --version 2>&1)"
  for file in usr/share/applications/keyscout.desktop usr/share/icons/hicolor/scalable/apps/keyscout.svg; do
    if [ -f "$scratch/root/$file" ]; then pass "deb holds /$file"; else fail "deb holds /$file"; fi
  done
  depends="$(dpkg-deb -f "$deb" Depends)"
  for library in libsdl2 libgtk-3; do
    if grep -q "$library" <<<"$depends"; then pass "deb depends on $library"; else fail "deb depends on $library: '$depends'"; fi
  done
else
  fail "no $deb"
fi

zip="$root/build/windows/packages/keyscout-${version}-win64.zip"
if [ -f "$zip" ]; then
  pass "zip named from the version: ${zip##*/}"
  listing="$(python3 -c 'import sys, zipfile; print("\n".join(zipfile.ZipFile(sys.argv[1]).namelist()))' "$zip")"
  for file in keyscout.exe keyscout.pdb README.md; do
    if grep -qx "$file" <<<"$listing"; then pass "zip holds $file"; else fail "zip holds $file: $(paste -sd' ' <<<"$listing")"; fi
  done
else
  fail "no $zip"
fi
echo "packages: $passed passed, $failed failed"
[ "$failed" -eq 0 ]
