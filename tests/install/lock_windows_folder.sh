#!/bin/bash
# Runs a test program with the prefix's Windows folder made immutable on the
# host: Wine runs as root here, and file permissions do not stop root, but
# the immutable attribute does. The attribute is always taken off again.
# Without the attribute (no chattr, no capability, a file system without
# it) the test is skipped (exit 77).
#   lock_windows_folder.sh WINE_RUN PROGRAM [ARGS...]
wine_run=$1
shift
folder=${WINEPREFIX:?}/drive_c/windows
chattr +i "$folder" 2>/dev/null || { echo "cannot make $folder immutable"; exit 77; }
trap 'chattr -i "$folder"' EXIT
"$wine_run" "$@"
