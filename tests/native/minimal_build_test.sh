#!/bin/bash
# The hack built and installed on a machine with only its own build
# dependencies: every optional library made invisible to the configure
# step, which must name each one as left out.
#
#   minimal_build_test.sh SOURCE_DIR BUILD_DIR
set -euo pipefail
source=$1
build=$2/minimal
rm -rf "$build"
mkdir -p "$build"
# pkg-config finds nothing: the Wayland libraries are invisible.
PKG_CONFIG_LIBDIR=$build/no-pkg-config cmake -S "$source" -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo \
    -DCMAKE_DISABLE_FIND_PACKAGE_PNG=ON -DCMAKE_DISABLE_FIND_PACKAGE_GIF=ON \
    -DCMAKE_DISABLE_FIND_PACKAGE_GTest=ON -DCMAKE_DISABLE_FIND_PACKAGE_benchmark=ON \
    -DOSMESA_LIBRARY= -DX11_Xtst_LIB= -DX11_Xtst_INCLUDE_PATH= \
    -DWAYLAND_SCANNER= -DHM_XDG_SHELL_XML= \
    -DHM_EXT_IDLE_XML= -DHM_KDE_IDLE_XML= -DHM_WLR_PROTOCOLS= >"$build/configure.log"
for package in libosmesa6-dev libpng-dev libgif-dev libbenchmark-dev libgtest-dev libxtst-dev \
    libwayland-dev libegl-dev libxkbcommon-dev wayland-protocols librust-wayland-protocols-dev \
    plasma-wayland-protocols; do
    [ "$(grep -c "(Debian: $package)" "$build/configure.log")" = 1 ] || { echo "no one word of $package"; exit 1; }
done
cmake --build "$build" --target hangingmobile-package-files
DESTDIR=$build/stage cmake --install "$build" --component hangingmobile >/dev/null
"$build/stage/usr/libexec/xscreensaver/hangingmobile" --help | head -1 | grep -q '^usage: hangingmobile'
echo "the hack alone: built and installed"
