# Sourced: a private, quiet Wine prefix inside the Windows build folder.
TAVRIN_ROOT="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
export WINEPREFIX="$TAVRIN_ROOT/build/windows/wineprefix"
export WINEDEBUG=-all
export WINEDLLOVERRIDES="mscoree,mshtml="
WINE64="$(command -v wine64 || true)"
[ -n "$WINE64" ] || WINE64=/usr/lib/wine/wine64

# First use of the prefix creates it; later calls return at once.
tavrin_wine_prefix() {
  if [ ! -f "$WINEPREFIX/system.reg" ]; then
    mkdir -p "$WINEPREFIX"
    "$WINE64" wineboot --init >/dev/null 2>&1 || true
    "${WINE64%64}server" -w 2>/dev/null || wineserver -w 2>/dev/null || true
  fi
  # Without an X display Wine falls back to its null display driver, so the
  # window tests run headless while the GUI still shows under X or xvfb.
  if ! grep -q '^"Graphics"="x11,null"' "$WINEPREFIX/user.reg" 2>/dev/null; then
    "$WINE64" reg add 'HKCU\Software\Wine\Drivers' /v Graphics /d x11,null /f >/dev/null 2>&1 || true
    "${WINE64%64}server" -w 2>/dev/null || wineserver -w 2>/dev/null || true
  fi
}
