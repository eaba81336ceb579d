#!/usr/bin/env bash
# The session's end is an Exit: the installed program runs on a desktop with a window manager
# (Xvfb and openbox), a contact is typed into the address book, and the program gets SIGTERM as
# at a logout. The contact must be in the table file afterwards.
set -euo pipefail
source "$(dirname "$0")/../support/desktop.sh"
install_program "$1"

cat >"$work/session.sh" <<'INNER'
set -u
dir=$1
source "$2"
start_window_manager
"$dir/Quillory/quillory" &
pid=$!
book=
menu=$(wait_for "Quillory 3.0 Menu") || { echo "no main menu"; exit 1; }
# Alt+A opens the address book; a key sent before the menu has the focus is tried again.
for _ in 1 2 3 4 5; do
    xdotool windowactivate --sync "$menu"
    sleep 0.3
    xdotool key alt+a
    book=$(wait_for "Quillory - Address Book" 50) && break
done
[ -n "$book" ] || { echo "no address book"; exit 1; }
xdotool windowactivate --sync "$book"
sleep 0.3
xdotool key alt+a
xdotool type --delay 20 "Zylinski"
sleep 0.3
kill -TERM "$pid"
for _ in $(seq 1 100); do
    kill -0 "$pid" 2>/dev/null || break
    sleep 0.1
done
if kill -0 "$pid" 2>/dev/null; then
    echo "the program did not end on SIGTERM"
    kill -KILL "$pid"
    exit 1
fi
wait "$pid"
echo "ended with $?"
INNER
start_display 1280x1024
bash "$work/session.sh" "$work" "$desktop_support"
found=$(sqlite3 "$work/Quillory/Data/QYName2.DB" \
    "SELECT count(*) FROM records WHERE 'Zylinski' IN (FirstName, LastName, Company, NickName)")
if [ "$found" != 1 ]; then
    echo "the contact typed before SIGTERM was not stored"
    exit 1
fi
echo "the contact typed before SIGTERM was stored"
