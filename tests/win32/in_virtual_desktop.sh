#!/bin/bash
# Runs a GoogleTest program inside Wine's virtual desktop. The desktop's
# explorer does not pass the program's exit code on, so the verdict is read
# from the program's own output.
#   in_virtual_desktop.sh WINE_RUN PROGRAM [ARGS...]
wine_run=$1
shift
log=$(mktemp)
"$wine_run" explorer /desktop=HangingMobileTest,1024x768 "$@" >"$log" 2>&1
cat "$log"
grep -q '^\[  PASSED  \]' "$log" && ! grep -q '^\[  FAILED  \]' "$log"
status=$?
rm -f "$log"
exit $status
