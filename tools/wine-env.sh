# Sourced by the Wine wrappers: picks Wine's loader and server for $WINEARCH
# (win32 or win64) and the environment every run shares. Debian's /usr/bin/wine
# always prefers the 32-bit loader, which cannot start on a kernel without
# 32-bit support, so the loaders are called directly.
export WINEDEBUG=${WINEDEBUG:--all}
case ";${WINEDLLOVERRIDES:-};" in
*";mscoree,mshtml=;"*) ;;
*) export WINEDLLOVERRIDES="mscoree,mshtml=${WINEDLLOVERRIDES:+;$WINEDLLOVERRIDES}" ;;
esac
if [ "${WINEARCH:-win32}" = win64 ]; then
    WINE_LOADER=/usr/lib/wine/wine64
else
    WINE_LOADER=/usr/lib/wine/wine
fi
export WINELOADER=$WINE_LOADER
WINE_SERVER=/usr/lib/wine/wineserver64
[ -x "$WINE_SERVER" ] || WINE_SERVER=/usr/lib/wine/wineserver32
export WINESERVER=$WINE_SERVER

# Starts the prefix and a persistent server, with no inherited output: Wine's
# helper processes must not hold a test runner's pipe open.
wine_boot() {
    mkdir -p "$(dirname "$WINEPREFIX")"
    "$WINE_LOADER" wineboot -i </dev/null >/dev/null 2>&1
    "$WINE_SERVER" -p </dev/null >/dev/null 2>&1
    # The virtual display has no window manager: windows Wine leaves to one
    # cost seconds each waiting for answers that never come.
    if ! grep -q '"Managed"="N"' "$WINEPREFIX/user.reg" 2>/dev/null; then
        "$WINE_LOADER" reg add 'HKCU\Software\Wine\X11 Driver' /v Managed /d N /f \
            </dev/null >/dev/null 2>&1
    fi
}

wine_stop() {
    "$WINE_SERVER" -k >/dev/null 2>&1 || true
}
