# A headless sway of the bench's own (pixman, one output of 1024 x 768, run
# as nobody: sway refuses root) on a private runtime folder, for the
# Wayland sections: sourced, it starts sway and sets
#
#   work        a folder nobody can read, for what the programs must read
#   session     the variables a client of that sway needs
#   as_user     runs "${command[@]}" as nobody in the session (it replaces
#               its shell: call it in the background or in ( ))
#   for_user    copies a program or library of the build into $work and
#               prints the copy's path: nobody can run it from there,
#               wherever the checkout lies (in a folder only its owner may
#               enter, say)
#
# and ends sway, and the process in $client if any, when its shell exits.
work=$(mktemp -d)
chmod 755 "$work"
mkdir -m 700 "$work/run"
chown nobody "$work/run"
printf 'xwayland disable\ndefault_border none\noutput HEADLESS-1 resolution 1024x768\n' >"$work/config"
chmod 644 "$work/config"
as_user() {
    exec env -i PATH=/usr/bin:/bin HOME="$work/run" XDG_RUNTIME_DIR="$work/run" "$@" \
        setpriv --reuid=65534 --regid=65534 --clear-groups "${command[@]}"
}
for_user() {
    mkdir -p -m 755 "$work/bin"
    install -m 755 "$1" "$work/bin/"
    echo "$work/bin/$(basename "$1")"
}
sway_cleanup() {
    [ -n "${client:-}" ] && kill -9 "$client" 2>/dev/null
    [ -n "${server:-}" ] && kill "$server" 2>/dev/null && wait "$server" 2>/dev/null
    rm -rf "$work"
}
trap sway_cleanup EXIT

command=(sway -c "$work/config")
as_user WLR_BACKENDS=headless WLR_LIBINPUT_NO_DEVICES=1 WLR_RENDERER=pixman >/dev/null 2>&1 &
server=$!
for _ in $(seq 300); do
    socket=$(cd "$work/run" && ls wayland-? 2>/dev/null | head -1) || true
    ipc=$(ls "$work/run"/sway-ipc.* 2>/dev/null | head -1) || true
    [ -n "$socket" ] && [ -n "$ipc" ] && break
    sleep 0.1
done
[ -n "$socket" ] || { echo "sway_session: sway did not start" >&2; exit 1; }
session=(WAYLAND_DISPLAY="$socket" SWAYSOCK="$ipc")
