#!/bin/bash
# The release archive as a Windows user gets it: tools/package makes it from
# the given program; the archive must hold exactly the program, the README
# and the sums, the sums must match, the program's version block must carry
# the archive's version, and two runs must give the same bytes. With --run,
# the archive is unpacked into a fresh Wine prefix of its own, the saver is
# started from there with /s, shows the mobile, is dismissed by moving the
# mouse and ends with exit code 0.
#
#   package_test.sh ROOT SCR VERSION [--run]
set -u
root=$1 scr=$2 version=$3 run=${4:-}
name="HangingMobile-$version"
work=$(mktemp -d)
fail=0
problem() { echo "FAIL: $*"; fail=1; }
cleanup() {
    if [ -n "${saver_pid:-}" ]; then kill -9 "$saver_pid" 2>/dev/null; fi
    if [ -d "$work/prefix" ]; then WINEPREFIX="$work/prefix" "${WINE_SERVER:-true}" -k 2>/dev/null; fi
    rm -rf "$work"
}
trap cleanup EXIT

"$root/tools/package" --scr "$scr" --version "$version" --out "$work/a" >/dev/null || { echo "FAIL: tools/package"; exit 1; }
"$root/tools/package" --scr "$scr" --version "$version" --out "$work/b" >/dev/null || { echo "FAIL: tools/package"; exit 1; }
zip="$work/a/$name.zip"

cmp -s "$zip" "$work/b/$name.zip" || problem "two runs gave different archives"
(cd "$work/a" && sha256sum --quiet -c "$name.zip.sha256") || problem "the archive's own sum does not match"

listing=$(unzip -Z1 "$zip" | sort | tr '\n' ' ')
[ "$listing" = "$name/HangingMobile.scr $name/README.txt $name/SHA256SUMS.txt " ] ||
    problem "unexpected contents: $listing"

unzip -q "$zip" -d "$work/unpacked" || problem "unzip failed"
dir="$work/unpacked/$name"
cmp -s "$scr" "$dir/HangingMobile.scr" || problem "the packed program is not the built one"
(cd "$dir" && tr -d '\r' <SHA256SUMS.txt | sha256sum --quiet -c -) || problem "SHA256SUMS.txt does not match"
[ "$(tr -d '\r' <"$dir/SHA256SUMS.txt" | wc -l)" = 2 ] || problem "SHA256SUMS.txt should list two files"

# The README is for Notepad: CR LF on every line, the version filled in, and
# what a user needs: install, uninstall and the camera keys.
lines=$(wc -l <"$dir/README.txt")
crlf=$(grep -c $'\r$' "$dir/README.txt")
[ "$lines" -gt 20 ] && [ "$lines" = "$crlf" ] || problem "README.txt: $crlf of $lines lines end in CR LF"
grep -q "Hanging Mobile $version" "$dir/README.txt" || problem "README.txt lacks the version"
! grep -q "@VERSION@" "$dir/README.txt" || problem "README.txt has an unfilled version"
for phrase in 'right-click' 'Install' 'HangingMobile.exe' 'Uninstall' 'installed programs' 'Page Up' 'Home, End'; do
    grep -q "$phrase" "$dir/README.txt" || problem "README.txt does not mention '$phrase'"
done

# The version block holds the same version (UTF-16 strings in the resources).
strings -el "$dir/HangingMobile.scr" | grep -qx "$version" || problem "the version block does not hold $version"

if [ "$run" = --run ] && [ $fail -eq 0 ]; then
    export WINEPREFIX="$work/prefix"
    case "$(file -b "$scr")" in *x86-64*) export WINEARCH=win64 ;; *) export WINEARCH=win32 ;; esac
    source "$root/tools/wine-env.sh"
    wine_boot
    source "$root/tests/faults/saver_screen.sh"
    xdotool mousemove 512 384
    "$WINE_LOADER" "$dir/HangingMobile.scr" /s </dev/null >/dev/null 2>&1 &
    saver_pid=$!
    wait_for_mobile || problem "the saver from the archive showed no mobile"
    sleep 1
    travel_mouse
    code=$(wait_exit "$saver_pid" 30)
    [ "$code" = 0 ] || problem "the saver from the archive ended with $code"
    saver_pid=
fi

[ $fail -eq 0 ] && echo "ok: $name.zip ($(stat -c %s "$zip") bytes)${run:+, runs from a fresh prefix}"
exit $fail
