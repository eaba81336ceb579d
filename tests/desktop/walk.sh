#!/usr/bin/env bash
# Every window the main menu opens, and those its module windows open by keyboard, walked by
# keyboard and read as a screen reader reads them (see walk.py), on a desktop of the size $2 with
# a window manager (Xvfb and openbox) and the accessibility bus, the installed program started in
# a fresh home.
set -euo pipefail
source "$(dirname "$0")/../support/desktop.sh"
install_program "$1"

cat >"$work/session.sh" <<'INNER'
set -u
source "$2"
start_window_manager || exit 1
# The accessibility bus of this session; the program joins it whether or not a screen reader
# asked for it.
/usr/libexec/at-spi-bus-launcher --launch-immediately &
bus=$!
trap 'kill "$bus" "$wm" 2>/dev/null' EXIT
export QT_LINUX_ACCESSIBILITY_ALWAYS_ON=1
"$1/Quillory/quillory" 2>"$1/program.log" &
pid=$!
status=0
/usr/bin/python3 "$3" "$4" || status=$?
if [ "$status" -ne 0 ]; then
    kill -0 "$pid" 2>/dev/null || echo "the program had ended"
    echo "what the program printed:"
    tail -n 40 "$1/program.log"
fi
kill "$pid" 2>/dev/null
wait "$pid" 2>/dev/null || true
exit "$status"
INNER
start_display "$2"
dbus-run-session -- bash "$work/session.sh" "$work" "$desktop_support" "$(dirname "$0")/walk.py" \
    "$2" 2>&1 | grep -v '^dbus-daemon\|AccessDenied\|SpiRegistry'
