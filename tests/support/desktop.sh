# Sourced by the tests that run the installed program on a real display (bash, set -euo pipefail).

# Lays out a program directory from the programs in the folder $1 into a fresh work folder, $work,
# which is also the home of everything started from here on, and is removed at the end.
install_program() {
    work=$(mktemp -d)
    trap 'rm -rf "$work"' EXIT
    export HOME=$work XDG_CONFIG_HOME=$work/config
    "$1/quillory-install" "$work/Quillory" >/dev/null
}

# Starts Xvfb with a screen of the size $1 (WIDTHxHEIGHT) and points DISPLAY at it. Xvfb picks a
# free display itself and names it, so runs side by side never share one.
start_display() {
    Xvfb -displayfd 3 -screen 0 "$1x24" -nolisten tcp 3>"$work/display" 2>/dev/null &
    xvfb=$!
    trap 'kill "$xvfb" 2>/dev/null || true; rm -rf "$work"' EXIT
    for _ in $(seq 1 100); do
        [ -s "$work/display" ] && break
        sleep 0.1
    done
    export DISPLAY=:$(head -n 1 "$work/display") QT_QPA_PLATFORM=xcb
}

# The path of this file, for the scripts a test runs on the display to source in their turn.
desktop_support=${BASH_SOURCE[0]}

# Starts the openbox window manager on the display, stopped when the script ends, and waits
# until it is ready: it names itself on the root window then. What it prints goes to
# $HOME/openbox.log; when it is not ready within 30 seconds, that log is shown and the call fails.
start_window_manager() {
    openbox >"$HOME/openbox.log" 2>&1 &
    wm=$!
    trap 'kill "$wm" 2>/dev/null' EXIT
    for _ in $(seq 1 300); do
        xprop -root _NET_SUPPORTING_WM_CHECK 2>/dev/null | grep -q 'window id' && return 0
        sleep 0.1
    done
    echo "the window manager did not start; it printed:"
    cat "$HOME/openbox.log"
    return 1
}

# The shown window whose title is exactly $1, if any.
window() { xdotool search --onlyvisible --name "^$1\$" 2>/dev/null | head -n 1; }

# Waits for the window titled $1 (at most $2 tenths of a second, 200 unless given) while the
# program $pid runs, and prints its id; fails when it does not come or the program ended.
wait_for() {
    for _ in $(seq 1 "${2:-200}"); do
        id=$(window "$1")
        [ -n "$id" ] && { echo "$id"; return 0; }
        kill -0 "$pid" 2>/dev/null || return 1
        sleep 0.1
    done
    return 1
}

# The frame's place and size of the window $1 as the window manager shows it: x y width height.
frame() {
    local info x y w h l r t b
    # The window manager sets the frame's extents a moment after it maps the window.
    for _ in $(seq 1 50); do
        read -r l r t b < <(xprop -id "$1" _NET_FRAME_EXTENTS | sed -n 's/.*= *//; s/,//gp')
        [ -n "$b" ] && break
        sleep 0.1
    done
    info=$(xwininfo -id "$1")
    x=$(sed -n 's/.*Absolute upper-left X: *//p' <<<"$info")
    y=$(sed -n 's/.*Absolute upper-left Y: *//p' <<<"$info")
    w=$(sed -n 's/.*Width: *//p' <<<"$info")
    h=$(sed -n 's/.*Height: *//p' <<<"$info")
    echo "$((x - l)) $((y - t)) $((w + l + r)) $((h + t + b))"
}

# Waits until the window $1 has stood still for a moment, then gives its frame.
settled() {
    local last now
    last=$(frame "$1")
    for _ in $(seq 1 30); do
        sleep 0.2
        now=$(frame "$1")
        [ "$now" = "$last" ] && break
        last=$now
    done
    echo "$last"
}
