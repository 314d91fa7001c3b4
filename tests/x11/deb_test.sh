#!/bin/bash
# The Debian package of the X11 hack and the Wayland program, as
# tools/package makes it: lintian finds no fault, it holds exactly the
# programs and their files and depends on
# the libraries the program links, its desktop entry is valid, and the
# program unpacked from it runs from where it installs, drawing in a window
# of its own on a private X server until SIGTERM ends it. Then it is
# installed with apt-get into a fresh Debian 12 root and run there
# (deb_fresh_root.sh: some 20 seconds, with Debian's mirror). On a machine
# that cannot make such a root, HM_NO_FRESH_ROOT=1 leaves that out, and the
# contents checked above stand for it.
#
#   deb_test.sh SOURCE_DIR BUILD_DIR
set -u
root=$1 build=$2
work=$(mktemp -d)
fail=0
problem() { echo "FAIL: $*"; fail=1; }
cleanup() {
    [ -n "${program:-}" ] && kill -9 "$program" 2>/dev/null
    [ -n "${server:-}" ] && kill "$server" 2>/dev/null
    rm -rf "$work"
}
trap cleanup EXIT

deb=$("$root/tools/package" --deb "$build" --out "$work/out" 2>"$work/package.log") ||
    { cat "$work/package.log"; echo "FAIL: tools/package --deb"; exit 1; }
echo "built $(basename "$deb")"

# Exactly these files, and the program reachable by name from /usr/bin.
listing=$(dpkg-deb -c "$deb" | awk '{print $6 $7 $8}' | grep -v '/$' | sort | tr '\n' ' ')
expected="./usr/bin/hangingmobile->../libexec/xscreensaver/hangingmobile \
./usr/bin/hangingmobile-add-to-xscreensaver \
./usr/bin/hangingmobile-wayland \
./usr/libexec/xscreensaver/hangingmobile \
./usr/share/applications/screensavers/hangingmobile.desktop \
./usr/share/doc/hangingmobile/changelog.gz \
./usr/share/doc/hangingmobile/copyright \
./usr/share/man/man6/hangingmobile-add-to-xscreensaver.6.gz \
./usr/share/man/man6/hangingmobile-wayland.6.gz \
./usr/share/man/man6/hangingmobile.6.gz \
./usr/share/xscreensaver/config/hangingmobile.xml "
[ "$listing" = "$expected" ] || problem "contents: $listing"

depends=$(dpkg-deb -f "$deb" Depends)
for library in libc6 libx11-6 libglu1-mesa libglx0 libwayland-client0 libwayland-egl1 libegl1 libxkbcommon0; do
    [[ "$depends" == *"$library"* ]] || problem "Depends lacks $library: $depends"
done

dpkg-deb -x "$deb" "$work/unpacked"
desktop-file-validate "$work/unpacked/usr/share/applications/screensavers/hangingmobile.desktop" ||
    problem "desktop-file-validate"
grep -qx 'Exec=hangingmobile -root' "$work/unpacked/usr/share/applications/screensavers/hangingmobile.desktop" ||
    problem "the desktop entry does not run hangingmobile -root"
for page in hangingmobile hangingmobile-wayland; do
    man --warnings -l "$work/unpacked/usr/share/man/man6/$page.6.gz" 2>"$work/man.log" >/dev/null
    [ ! -s "$work/man.log" ] || problem "the manual page $page: $(cat "$work/man.log")"
done

# The unpacked program, called by its name in /usr/bin, draws in a window of
# its own and ends cleanly at SIGTERM.
# A display number the server picks itself, so that no other test's is taken.
# -noreset: the window polls below connect and leave, and the server
# resetting as the last one leaves refuses the program's connection then.
Xvfb -displayfd 3 -screen 0 640x480x24 -nolisten tcp -noreset 3>"$work/display" >/dev/null 2>&1 &
server=$!
for _ in $(seq 300); do [ -s "$work/display" ] && break; sleep 0.1; done
number=$(head -1 "$work/display")
DISPLAY=":$number" LP_NUM_THREADS=0 "$work/unpacked/usr/bin/hangingmobile" --window 2>"$work/run.log" &
program=$!
shown=0
for _ in $(seq 600); do
    xwininfo -display ":$number" -name "Hanging Mobile" 2>/dev/null | grep -q 'IsViewable' && { shown=1; break; }
    sleep 0.1
done
[ $shown = 1 ] || problem "the installed program showed no window: $(cat "$work/run.log")"
kill -TERM "$program"
wait "$program"
status=$?
program=
[ $status = 0 ] || problem "the installed program ended with status $status: $(cat "$work/run.log")"

if [ "${HM_NO_FRESH_ROOT:-}" = 1 ]; then
    echo "not installed into a fresh Debian 12: HM_NO_FRESH_ROOT=1 (the contents were checked)"
elif [ $fail = 0 ]; then
    "$root/tests/x11/deb_fresh_root.sh" "$deb" || problem "installing into a fresh Debian 12"
fi

[ $fail = 0 ] && echo "the package is sound"
exit $fail
