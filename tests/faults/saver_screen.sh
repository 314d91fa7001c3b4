# Sourced by the shell tests that watch the real saver on the X display:
# screenshots, "the mobile is on show", mouse travel and waiting for a
# process with a time limit.

# Fractions of the area (default: the whole screen) in the built-in mobile's
# background colour, and in colours that are neither that nor black.
screen_shares() {
    local area=${1:-}
    import -window root ${area:+-crop "$area"} "$work/screen.png" 2>/dev/null || return 1
    background=$(convert "$work/screen.png" -fuzz 2% -fill white -opaque '#1A1A33' \
        -fill black +opaque white -format '%[fx:mean]' info: 2>/dev/null)
    pieces=$(convert "$work/screen.png" -fuzz 2% -fill black -opaque '#1A1A33' \
        -fill white +opaque black -format '%[fx:mean]' info: 2>/dev/null)
}

# Waits up to 60 s for the mobile in the area; true when it shows.
wait_for_mobile() {
    for _ in $(seq 120); do
        sleep 0.5
        screen_shares "${1:-}" || continue
        awk -v b="$background" -v p="$pieces" 'BEGIN { exit !(b > 0.25 && p > 0.005) }' && return 0
    done
    return 1
}

# Puts the cursor in the middle, where a saver started next takes it from.
home_mouse() {
    xdotool mousemove 512 384
}

# Mouse travel well beyond the default threshold from the middle, to points
# inside a 640 x 480 screen too: a move outside a smaller screen never
# reaches the saver, and the second point alone must end it as well.
travel_mouse() {
    xdotool mousemove 620 460
    sleep 0.3
    xdotool mousemove 100 100
}

# Waits up to $2 seconds for pid $1 (a child of this shell) to end; prints
# its exit code, or "timeout".
wait_exit() {
    for _ in $(seq $(($2 * 2))); do
        if ! kill -0 "$1" 2>/dev/null; then
            wait "$1"
            echo $?
            return
        fi
        sleep 0.5
    done
    echo timeout
}
