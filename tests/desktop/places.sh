#!/usr/bin/env bash
# Windows keep their place: on a desktop with a window manager (Xvfb and openbox) the installed
# program is started and ended three times, and the journal opened and closed three times. Each
# time the main menu and the journal must come back exactly where and as large as they were left
# (1 px tolerance), wholly on the screen.
set -euo pipefail
source "$(dirname "$0")/../support/desktop.sh"
install_program "$1"

cat >"$work/session.sh" <<'INNER'
set -u
dir=$1
source "$2"
start_window_manager
pid=
# The frame's place and size as the window manager shows it: x y width height.
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
# Waits until the window has stood still for a moment, then gives its frame.
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
same() {
    read -r ax ay aw ah <<<"$2"
    read -r bx by bw bh <<<"$3"
    for d in $((ax - bx)) $((ay - by)) $((aw - bw)) $((ah - bh)); do
        if [ "${d#-}" -gt 1 ]; then
            echo "$1 moved: $2 became $3"
            return 1
        fi
    done
    if [ "$bx" -lt 0 ] || [ "$by" -lt 0 ] || [ $((bx + bw)) -gt 1280 ] || [ $((by + bh)) -gt 1024 ]; then
        echo "$1 is not wholly on the screen: $3"
        return 1
    fi
}
keys() {
    for _ in 1 2 3 4 5; do
        xdotool windowactivate --sync "$1" 2>/dev/null
        sleep 0.3
        xdotool key "$2"
        wait_for "$3" 20 >/dev/null && return 0
    done
    return 1
}
start() {
    "$dir/Quillory/quillory" &
    pid=$!
    menu=$(wait_for "Quillory 3.0 Menu") || { echo "no main menu"; exit 1; }
}
stop() {
    xdotool windowactivate --sync "$menu" 2>/dev/null
    sleep 0.3
    xdotool key alt+x
    for _ in $(seq 1 100); do
        kill -0 "$pid" 2>/dev/null || break
        sleep 0.1
    done
    kill -0 "$pid" 2>/dev/null && { echo "the program did not end"; kill -KILL "$pid"; exit 1; }
    wait "$pid" || true
}

start
first=$(settled "$menu")
stop
for run in 1 2 3; do
    start
    now=$(settled "$menu")
    same "the main menu after restart $run" "$first" "$now" || exit 1
    stop
done
echo "the main menu kept $first"

start
keys "$menu" alt+j "Quillory -  *Journal" || { echo "no journal"; exit 1; }
journal=$(window "Quillory -  *Journal")
first=$(settled "$journal")
for opening in 1 2 3; do
    keys "$journal" Escape "Quillory 3.0 Menu" || true
    for _ in $(seq 1 50); do [ -z "$(window "Quillory -  *Journal")" ] && break; sleep 0.1; done
    keys "$menu" alt+j "Quillory -  *Journal" || { echo "no journal"; exit 1; }
    journal=$(window "Quillory -  *Journal")
    now=$(settled "$journal")
    same "the journal after opening $opening" "$first" "$now" || exit 1
done
echo "the journal kept $first"
keys "$journal" Escape "Quillory 3.0 Menu" || true
for _ in $(seq 1 50); do [ -z "$(window "Quillory -  *Journal")" ] && break; sleep 0.1; done
stop
INNER
start_display 1280x1024
bash "$work/session.sh" "$work" "$desktop_support"
