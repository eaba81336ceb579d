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
