#!/bin/bash
# A saver killed with SIGKILL (no chance to clean up) while it runs full
# screen, and while it switches the display mode inside Wine's virtual
# desktop, must leave its stored settings readable and start correctly the
# next time. Runs in the prefix of $WINEPREFIX, on the display of $DISPLAY.
#
#   killed_saver.sh ROOT SCR
set -u
root=$1 scr=$2
source "$root/tools/wine-env.sh"
work=$(mktemp -d)
source "$root/tests/faults/saver_screen.sh"
fail=0
problem() { echo "FAIL: $*"; fail=1; }
key='HKCU\Software\Palvane\Hanging Mobile'
# A copy under a name of this run's own, so that its processes are told
# apart from everything else, another run of this test beside it included:
# the kills below must never reach a saver that is not ours.
copy="$work/KilledSaver$$.scr"
cp "$scr" "$copy"
saver_pids() { pgrep -f "KilledSaver$$\.scr" | grep -vx "$$" || true; }
cleanup() {
    for pid in $(saver_pids); do kill -9 "$pid" 2>/dev/null; done
    "$WINE_LOADER" reg delete "$key" /f >/dev/null 2>&1
    rm -rf "$work"
}
trap cleanup EXIT
reg() { "$WINE_LOADER" reg "$@" </dev/null 2>/dev/null | tr -d '\r'; }
stored() {
    local value
    value=$(reg query "$key" /v "$1" | awk -v n="$1" '$1 == n { print $3 }')
    [ -n "$value" ] && echo $((value))
}

# ---- Killed while running full screen, right after camera keys.
reg delete "$key" /f >/dev/null
reg add "$key" /v longitude /t REG_DWORD /d 100 /f >/dev/null
home_mouse
"$WINE_LOADER" "$copy" /s </dev/null >/dev/null 2>&1 &
pid=$!
wait_for_mobile || problem "the saver showed no mobile"
for _ in 1 2 3 4 5; do xdotool key Left; done
kill -9 "$pid"
wait "$pid" 2>/dev/null
sleep 1
longitude=$(stored longitude)
case "$longitude" in
95 | 96 | 97 | 98 | 99 | 100) ;;
*) problem "after the kill the stored longitude reads '$longitude' (expected 95 to 100)" ;;
esac

# The next start is a normal one.
home_mouse
"$WINE_LOADER" "$copy" /s </dev/null >/dev/null 2>&1 &
pid=$!
wait_for_mobile || problem "after the kill the next saver showed no mobile"
sleep 1
travel_mouse
code=$(wait_exit "$pid" 30)
[ "$code" = 0 ] || problem "after the kill the next saver ended with $code"
[ "$(stored longitude)" = "$longitude" ] || problem "the next run changed the longitude"

# ---- Killed while switching to 640 x 480 x 16 in Wine's virtual desktop.
reg add "$key" /v ChangeScreenMode /t REG_DWORD /d 1 /f >/dev/null
desktop="KilledSaver$$"
home_mouse
"$WINE_LOADER" explorer "/desktop=$desktop,1024x768" "$copy" /s </dev/null >/dev/null 2>&1 &
explorer=$!
switched=0
for _ in $(seq 480); do # up to 2 minutes on a busy machine
    sleep 0.25
    geometry=$(xdotool search --name "$desktop" getwindowgeometry 2>/dev/null | sed -n 's/^ *Geometry: //p' | head -1)
    if [ "$geometry" = 640x480 ]; then switched=1; break; fi
done
[ $switched -eq 1 ] || problem "the saver did not switch the virtual desktop to 640x480 (geometry '$geometry')"
for p in $(saver_pids); do [ "$p" = "$explorer" ] || kill -9 "$p" 2>/dev/null; done
sleep 1
[ "$(stored ChangeScreenMode)" = 1 ] || problem "after the kill mid-switch the setting reads '$(stored ChangeScreenMode)'"
[ "$(stored longitude)" = "$longitude" ] || problem "after the kill mid-switch the longitude reads '$(stored longitude)'"
code=$(wait_exit "$explorer" 30)
[ "$code" != timeout ] || { kill -9 "$explorer" 2>/dev/null; problem "the virtual desktop stayed after the kill"; }

# The next start in a virtual desktop switches again and shows the mobile.
home_mouse
"$WINE_LOADER" explorer "/desktop=$desktop,1024x768" "$copy" /s </dev/null >/dev/null 2>&1 &
explorer=$!
for _ in $(seq 480); do # up to 2 minutes on a busy machine
    sleep 0.25
    geometry=$(xdotool search --name "$desktop" getwindowgeometry 2>/dev/null | sed -n 's/^ *Geometry: //p' | head -1)
    [ "$geometry" = 640x480 ] && break
done
[ "$geometry" = 640x480 ] || problem "the next start did not switch the mode (geometry '$geometry')"
wait_for_mobile 640x480+0+0 || problem "the next start in the virtual desktop showed no mobile"
sleep 1
travel_mouse
code=$(wait_exit "$explorer" 30)
[ "$code" != timeout ] || problem "the next saver in the virtual desktop did not end"
for _ in $(seq 60); do left=$(saver_pids); [ -z "$left" ] && break; sleep 0.5; done
[ -z "$left" ] || problem "a saver process is left: $(ps -o args= -p "$(echo $left | tr " " ",")")"

[ $fail -eq 0 ] && echo "ok: killed full screen and mid-switch; settings readable, next starts correct"
exit $fail
