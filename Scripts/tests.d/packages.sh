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
  check "the unpacked dialog finds its library (then wants a display)" \
    "Keyscout needs a graphical display (X11 or Wayland), and none could be opened: check DISPLAY or WAYLAND_DISPLAY." \
    "$(env -u DISPLAY -u WAYLAND_DISPLAY "$scratch/root/usr/bin/keyscout" 2>&1)"
  for file in usr/lib/x86_64-linux-gnu/keyscout/keyscout-gtk.so usr/share/applications/keyscout.desktop usr/share/icons/hicolor/{scalable/apps/keyscout.svg,48x48/apps/keyscout.png,256x256/apps/keyscout.png} \
    usr/share/man/man1/keyscout.1.gz usr/share/doc/keyscout/{copyright,changelog.gz} usr/share/metainfo/org.tavrin.keyscout.metainfo.xml; do
    if [ -f "$scratch/root/$file" ]; then pass "deb holds /$file"; else fail "deb holds /$file"; fi
  done
  # Debian's rules, shown whole; warnings are left to be read, errors fail.
  lintian_output="$(lintian --fail-on error "$deb" "$root/build/native/packages/keyscout-dbgsym_${version}_amd64.ddeb" 2>&1)"
  status=$?
  grep -v 'running with root privileges' <<<"$lintian_output"
  if [ "$status" -eq 0 ]; then pass "lintian finds no error"; else fail "lintian finds no error"; fi
  if appstreamcli validate --no-net "$scratch/root/usr/share/metainfo/org.tavrin.keyscout.metainfo.xml"; then
    pass "appstreamcli validates the metainfo"
  else
    fail "appstreamcli validates the metainfo"
  fi
  # The manual page follows --help: every option the program lists is in it.
  manual="$(MANWIDTH=200 man -l "$scratch/root/usr/share/man/man1/keyscout.1.gz" 2>/dev/null | col -b)"
  missing=""
  for option in $("$scratch/root/usr/bin/keyscout" --help | grep -oE -- '(^|[ [|,])--?[a-zA-Z][a-z-]*' | grep -oE -- '--?[a-zA-Z][a-z-]*' | sort -u); do
    grep -qe "$option" <<<"$manual" || missing+=" $option"
  done
  check "options of --help missing from keyscout.1" "" "${missing# }"
  # Stripped, with its symbols in the debug package under its build id.
  program="$scratch/root/usr/bin/keyscout"
  build_id="$(readelf -n "$program" | sed -n 's/.*Build ID: //p')"
  if ! readelf -S "$program" | grep -q '\.debug_info'; then pass "program stripped"; else fail "program stripped"; fi
  ddeb="$root/build/native/packages/keyscout-dbgsym_${version}_amd64.ddeb"
  dpkg -x "$ddeb" "$scratch/debug"
  check "debug package: root entry's mode, executable files" "drwxr-xr-x 0" \
    "$(dpkg-deb -c "$ddeb" | awk 'NR == 1 { root = $1 } /^-..x/ { n++ } END { print root, n + 0 }')"
  if [ -n "$build_id" ] && [ -f "$scratch/debug/usr/lib/debug/.build-id/${build_id:0:2}/${build_id:2}.debug" ]; then
    pass "debug package holds the program's symbols by build id"
  else
    fail "debug package holds the program's symbols by build id '$build_id'"
  fi
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
  for file in keyscout.exe keyscout.pdb README.txt LICENSE.txt; do
    if grep -qx "$file" <<<"$listing"; then pass "zip holds $file"; else fail "zip holds $file: $(paste -sd' ' <<<"$listing")"; fi
  done
else
  fail "no $zip"
fi
check "keyscout.sh --version without a display" "keyscout $version" "$(env -u DISPLAY -u WAYLAND_DISPLAY "$root/Scripts/keyscout.sh" --version 2>&1)"
echo "packages: $passed passed, $failed failed"
[ "$failed" -eq 0 ]
