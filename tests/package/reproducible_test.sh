#!/bin/bash
# The same commit gives the same bytes. The sources are copied into two
# folders of different names and built twice with the project's preset: the
# first in the copy's own build folder, the second in a folder of another
# name outside its copy, later (after the first build) and under another
# umask. Each copy's tools/package then packages its own build, and every
# file made must be identical byte for byte.
#
#   reproducible_test.sh ROOT scr   HangingMobile.scr, the zip and its sum
#   reproducible_test.sh ROOT deb   the X11 hack's Debian package
set -u
root=$1 what=$2
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

# The files of the commit as they stand in the working tree (new ones too).
copy_sources() {
    mkdir -p "$1"
    git -C "$root" ls-files -z -co --exclude-standard |
        tar -C "$root" --null --ignore-failed-read -T - -cf - 2>/dev/null | tar -C "$1" -xf -
    [ -f "$1/CMakeLists.txt" ]
}

# build SOURCES BUILD: the shipped program, or the hack and its pages, then
# packaged into BUILD/dist by the sources' own tools/package.
build() {
    local sources=$1 build=$2
    if [ "$what" = scr ]; then
        (cd "$sources" && cmake --preset win32 -B "$build" -DHM_RUN_WINE_TESTS=OFF) &&
            cmake --build "$build" --target HangingMobile &&
            "$sources/tools/package" --scr "$build/HangingMobile.scr" --out "$build/dist"
    else
        (cd "$sources" && cmake --preset native -B "$build") &&
            cmake --build "$build" --target hangingmobile-package-files &&
            "$sources/tools/package" --deb "$build" --out "$build/dist"
    fi
}

copy_sources "$work/first" && copy_sources "$work/second-sources" || { echo "FAIL: copying the sources"; exit 1; }
one=$work/first/build/release two=$work/elsewhere
build "$work/first" "$one" >"$work/one.log" 2>&1 || { cat "$work/one.log"; echo "FAIL: the first build"; exit 1; }
(umask 0002 && build "$work/second-sources" "$two") >"$work/two.log" 2>&1 ||
    { cat "$work/two.log"; echo "FAIL: the second build"; exit 1; }

cd "$one" || exit 1
if [ "$what" = scr ]; then
    files=(HangingMobile.scr dist/HangingMobile-*.zip dist/HangingMobile-*.zip.sha256)
else
    files=(dist/hangingmobile_*.deb)
fi
fail=0
for file in "${files[@]}"; do
    if [ ! -f "$file" ]; then
        echo "FAIL: the build made no $file"
        fail=1
    elif ! cmp "$file" "$two/$file"; then
        echo "FAIL: $file differs between the two builds"
        fail=1
    else
        sha256sum "$file"
    fi
done
exit $fail
