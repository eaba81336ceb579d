#!/usr/bin/env bash
# The package's command, run from a scratch root with a fresh home on a real display, lays out the
# user's program directory and shows the main menu. Started again after the tables, the backups
# and the settings changed and with an older program in the directory (as after an update of the
# package), it puts the packaged program there and leaves the rest as it was.
# $1 is the package's path without "_ARCHITECTURE.deb".
set -euo pipefail
source "$(dirname "$0")/../support/desktop.sh"
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
dpkg -x "$1_$(dpkg --print-architecture).deb" "$work/root"
unset QUILLORY_HOME XDG_CONFIG_HOME XDG_DATA_HOME
export HOME=$work/home
mkdir "$HOME"
start_display 1024x768
dir=$HOME/.local/share/Quillory
settings=$HOME/.config/Varnholt/Quillory.reg

fail() {
    echo "$1"
    exit 1
}

# Starts the packaged command, waits for the main menu and ends the program.
start() {
    "$work/root/usr/bin/quillory" &
    pid=$!
    wait_for "Quillory 3.0 Menu" >/dev/null || fail "no main menu on the $1 start"
    kill "$pid"
    wait "$pid" || true
}

start first
cmp -s "$work/root/usr/lib/quillory/quillory" "$dir/quillory" ||
    fail "the program directory has not the packaged program"
tables=$(cd "$dir/Data" && ls)
[ "$tables" = "$(printf '%s\n' CollBk2.DB CollCD2.DB CollCDR2.DB CollTp2.DB Journal2.DB \
    QYName2.DB ToDo2.db UserDa.db)" ] || fail "the data folder holds: $tables"
grep -qx "PATH=$dir/Data" "$dir/Quillory.cfg" || fail "Quillory.cfg: $(cat "$dir/Quillory.cfg")"
[ -d "$dir/BackUp" ] || fail "no backup folder"

sqlite3 "$dir/Data/Journal2.DB" \
    "insert into records(DateTimeStamp, MemoField1) values('2026-12-10 09:30:00', 'kept')"
echo "a backup" >"$dir/BackUp/kept.txt"
printf '%s\n' '[SOFTWARE\Varnholt\Quillory\Kept]' 'Marker=str:kept' >>"$settings"
printf 'older' >>"$dir/quillory"

start second
cmp -s "$work/root/usr/lib/quillory/quillory" "$dir/quillory" ||
    fail "the second start kept the older program"
[ "$(sqlite3 "$dir/Data/Journal2.DB" 'select MemoField1 from records')" = kept ] ||
    fail "the journal lost its entry"
[ "$(cat "$dir/BackUp/kept.txt")" = "a backup" ] || fail "the backup folder lost its file"
grep -qx 'Marker=str:kept' "$settings" || fail "the settings lost a value: $(cat "$settings")"
echo "laid out, started twice, data kept"
