#!/bin/bash
# Runs a command with the display's DPI set in the Wine prefix, and puts 96
# back afterwards, however the command ended.
#
#   tests/dpi/with-logpixels.sh DPI COMMAND [ARGS...]
#
# Needs $WINEPREFIX and $WINEARCH as tools/with-display sets them (run it
# inside with-display). Wine reads LogPixels when a process starts, so every
# Windows program the command starts runs at DPI; no restart of the wine
# server is needed. Inside ctest, hold RESOURCE_LOCK display while the DPI is
# not 96: every test that shows windows would see it.
set -u
dpi=$1
shift
[ -n "${WINEPREFIX:-}" ] || { echo "with-logpixels: no WINEPREFIX" >&2; exit 125; }
here=$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)
source "$here/../../tools/wine-env.sh"

set_logpixels() {
    for key in 'HKCU\Control Panel\Desktop' 'HKCU\Software\Wine\Fonts'; do
        "$WINE_LOADER" reg add "$key" /v LogPixels /t REG_DWORD /d "$1" /f \
            </dev/null >/dev/null 2>&1 || return 1
    done
}

trap 'set_logpixels 96' EXIT
set_logpixels "$dpi" || { echo "with-logpixels: cannot set LogPixels to $dpi" >&2; exit 125; }
"$@"
