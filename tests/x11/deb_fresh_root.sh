#!/bin/bash
# Installs the package with apt-get into a fresh Debian 12 root made by
# mmdebstrap (the minimal system with apt, from Debian's mirror) and runs the
# installed program there: every library it needs must have come with its
# dependencies. Needs root (or user namespaces) and the network.
#
#   deb_fresh_root.sh PACKAGE.deb
set -euo pipefail
deb=$1
command -v mmdebstrap >/dev/null || { echo "mmdebstrap is missing (tools/setup installs it)"; exit 1; }
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
cp "$deb" "$work/"
name=$(basename "$deb")
# shellcheck disable=SC2016 # $1 is the root, expanded by mmdebstrap's hooks
mmdebstrap --quiet --variant=apt \
    --customize-hook="copy-in $work/$name /tmp" \
    --customize-hook='chroot "$1" env DEBIAN_FRONTEND=noninteractive apt-get install -y -qq ./tmp/'"$name"' >/dev/null' \
    --customize-hook='chroot "$1" dpkg -s hangingmobile | grep -qx "Status: install ok installed"' \
    --customize-hook='chroot "$1" /usr/bin/hangingmobile --help | head -1 | grep -q "^usage: hangingmobile"' \
    --customize-hook='chroot "$1" /usr/bin/hangingmobile-wayland --help | head -1 | grep -q "^usage: hangingmobile-wayland"' \
    --customize-hook='chroot "$1" sh -c "XDG_RUNTIME_DIR=/tmp WAYLAND_DISPLAY=none /usr/bin/hangingmobile-wayland --saver 2>&1; test \$? = 1" | grep -q "cannot connect to the Wayland compositor"' \
    --customize-hook='chroot "$1" sh -c "DISPLAY=:77 /usr/libexec/xscreensaver/hangingmobile --root 2>&1; test \$? = 1" | grep -q "cannot open the X display"' \
    bookworm "$work/root.tar"
echo "installed into a fresh Debian 12 with apt-get, and ran there"
