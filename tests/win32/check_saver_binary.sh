#!/bin/bash
# Checks that the built saver is a 32-bit Windows GUI program importing only
# system DLLs (no mingw runtime DLL to ship beside it).
set -u
scr=$1
fail=0

kind=$(file -b "$scr")
case "$kind" in
*"PE32 executable (GUI) Intel 80386"*) ;;
*) echo "not a 32-bit GUI program: $kind"; fail=1 ;;
esac

system_dlls=" kernel32.dll user32.dll gdi32.dll advapi32.dll shell32.dll comctl32.dll opengl32.dll glu32.dll msvcrt.dll "
while read -r dll; do
    lower=$(echo "$dll" | tr 'A-Z' 'a-z')
    case "$system_dlls" in
    *" $lower "*) ;;
    *) echo "imports a DLL that is not a system DLL: $dll"; fail=1 ;;
    esac
done < <(i686-w64-mingw32-objdump -p "$scr" | sed -n 's/^\s*DLL Name: //p')

[ $fail -eq 0 ] && echo "ok: $kind; imports $(i686-w64-mingw32-objdump -p "$scr" | sed -n 's/^\s*DLL Name: //p' | tr '\n' ' ')"
exit $fail
