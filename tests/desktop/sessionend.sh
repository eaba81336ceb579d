#!/usr/bin/env bash
# The session's end is an Exit, whatever is open: the installed program runs on a desktop with a
# window manager (Xvfb and openbox) and gets SIGTERM, SIGHUP or SIGINT, as at a logout or when its
# terminal closes. Each time it must end by itself, with status 0, within ten seconds, and what was
# typed into the window open then must be in its table file afterwards. It ends so with a
# first-use error showing, and with the box that refuses to store a record another program
# changed, and with the import asking for the password of a source table. A count table dropped by
# another program is laid again, and the contact typed then is stored.
set -euo pipefail
source "$(dirname "$0")/../support/desktop.sh"
install_program "$1"

cat >"$work/session.sh" <<'INNER'
set -u
dir=$1
bin=$3
source "$2"
start_window_manager || exit 1
pid=
start() {
    "$dir/Quillory/quillory" 2>/dev/null &
    pid=$!
}
# Opens a window from the main menu by its key; a key sent before the menu has the focus is tried
# again.
open() {
    local menu id=
    menu=$(wait_for "Quillory 3.0 Menu") || { echo "no main menu"; exit 1; }
    for _ in 1 2 3 4 5; do
        xdotool windowactivate --sync "$menu" 2>/dev/null
        sleep 0.3
        xdotool key "$1"
        id=$(wait_for "$2" 50) && break
    done
    [ -n "$id" ] || { echo "no window $2"; exit 1; }
    xdotool windowactivate --sync "$id"
    sleep 0.3
}
# Sends the signal $1 and waits for the program to end by itself; $2 says what was open.
end_with() {
    local status=0
    kill -"$1" "$pid"
    for _ in $(seq 1 100); do
        kill -0 "$pid" 2>/dev/null || break
        sleep 0.1
    done
    if kill -0 "$pid" 2>/dev/null; then
        echo "the program did not end on SIG$1 with $2 open"
        kill -KILL "$pid"
        exit 1
    fi
    wait "$pid" || status=$?
    [ "$status" = 0 ] || { echo "SIG$1 with $2 open ended the program with status $status"; exit 1; }
}
# Types $5 as a new record of the window $3 (opened by $2) and ends the program with SIG$1.
typed_then() {
    start
    open "$2" "$3"
    xdotool key ctrl+n
    sleep 0.3
    xdotool type --delay 20 "$4"
    sleep 0.3
    end_with "$1" "$3"
}

# The first use cannot copy the to-do table: "Error 2" shows while the main menu opens.
todo=$dir/Quillory/Data/ToDo2.db
rm "$todo"
mkdir "$todo"
start
wait_for "Quillory 3.0" >/dev/null || { echo "no first-use error"; exit 1; }
end_with TERM "the first-use error"
rmdir "$todo"

typed_then TERM alt+j "Quillory -  Journal" "Zylinski wrote"
typed_then HUP alt+a "Quillory - Address Book" "Zylinski"
typed_then INT alt+j "Quillory -  Journal" "Zylinski added"

# The contact is changed here while another program changes it too: closing the window shows
# that it cannot be stored.
start
open alt+a "Quillory - Address Book"
xdotool key alt+a
xdotool type --delay 20 "X"
"$bin/other-writer" "$dir/Quillory" QYName2.DB Company Elsewhere
xdotool key Escape
wait_for "Quillory 3.0" >/dev/null || { echo "no box for the record changed elsewhere"; exit 1; }
end_with HUP "the box for the record changed elsewhere"

# Another program drops the count table while a contact is typed, in a book too long to be
# counted while its beginning is read.
"$bin/other-writer" "$dir/Quillory" QYName2.DB LastName Many 300
start
open alt+a "Quillory - Address Book"
sqlite3 "$dir/Quillory/Data/QYName2.DB" "DROP TABLE tally"
xdotool key ctrl+n
xdotool type --delay 20 "Tallyless"
xdotool key ctrl+n
sleep 0.5
end_with TERM "the count table dropped"

# The import asks for the password of a source address book that another program protected.
source=$dir/protected
mkdir "$source"
"$bin/other-writer" --protected "$source" QYName2.DB elsewhere
start
open alt+p "Quillory - Options"
xdotool key alt+f
xdotool type --delay 20 "$source"
xdotool key alt+1 alt+n
wait_for "Quillory - Import" >/dev/null || { echo "no password prompt"; exit 1; }
end_with TERM "the import's password prompt"
INNER
start_display 1280x1024
bash "$work/session.sh" "$work" "$desktop_support" "$1"

# $2 must stand in a record of the table file $1, else $3 was lost.
stored() {
    if [ "$(sqlite3 "$work/Quillory/Data/$1" "SELECT * FROM records" | grep -c -- "$2")" = 0 ]; then
        echo "$3 was lost"
        exit 1
    fi
}
stored Journal2.DB "Zylinski wrote" "the journal entry typed before SIGTERM"
stored QYName2.DB "Zylinski" "the contact typed before SIGHUP"
stored Journal2.DB "Zylinski added" "the journal entry typed before SIGINT"
stored QYName2.DB "Elsewhere" "the other program's change"
stored QYName2.DB "Tallyless" "the contact typed after the count table was dropped"
echo "each signal ended the program and stored what was typed"
