#!/usr/bin/env bash
# Windows open where they were designed and keep their place: on a desktop with a window manager
# (Xvfb and openbox) the installed program is started in a fresh home and every window opened
# once from the main menu, each of whose frames must stand at its designed place and size. Then
# the program is started and ended three times, and the journal opened and closed three times.
# Each time the main menu and the journal must come back exactly where and as large as they were
# left (1 px tolerance), wholly on the screen.
set -euo pipefail
source "$(dirname "$0")/../support/desktop.sh"
install_program "$1"

cat >"$work/session.sh" <<'INNER'
set -u
dir=$1
source "$2"
start_window_manager || exit 1
pid=
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
    # A sanitizer's finding at the end makes the program end with a failure.
    wait "$pid" || { echo "the program ended with status $?"; exit 1; }
}

# Presses the key $2 over the window $1 until another window is the active one; gives its id.
opened() {
    local active
    for _ in 1 2 3 4 5; do
        xdotool windowactivate --sync "$1" 2>/dev/null
        sleep 0.3
        xdotool key "$2"
        for _ in $(seq 1 30); do
            active=$(xdotool getactivewindow 2>/dev/null) || active=
            [ -n "$active" ] && [ "$active" != "$1" ] && { echo "$active"; return 0; }
            sleep 0.1
        done
    done
    return 1
}
# The first opening of the window the key $1 opens from the main menu stands at the frame $2
# (x y width height); Escape closes it again.
first_opening() {
    local id now
    id=$(opened "$menu" "$1") || { echo "$1 opened no window"; exit 1; }
    now=$(settled "$id")
    same "the first opening by $1 at $2" "$2" "$now" || exit 1
    xdotool windowactivate --sync "$id" 2>/dev/null
    xdotool key Escape
    for _ in $(seq 1 50); do
        [ "$(xdotool getactivewindow 2>/dev/null)" = "$menu" ] && return 0
        sleep 0.1
    done
    echo "Escape did not close the window of $1"
    exit 1
}

start
first=$(settled "$menu")
same "the main menu's first opening" "267 116 465 504" "$first" || exit 1
first_opening alt+a "120 80 940 620"  # address book
first_opening alt+j "0 0 785 573"     # journal, designed 2 px left of the screen
first_opening alt+o "231 86 800 600"  # collections
first_opening alt+d "170 120 720 500" # to-do list
first_opening alt+u "200 60 780 660"  # user-defined records
first_opening alt+c "298 280 646 396" # month calendar: its contents need 15 px more width
first_opening alt+k "287 343 458 291" # backup
first_opening alt+p "240 120 540 460" # options
first_opening alt+m "190 90 620 600"  # maintenance tools
first_opening alt+e "282 134 486 322" # export
first_opening alt+b "200 108 369 283" # about window: 367 × 262 inside its frame
echo "every window opened first at its designed place"
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
