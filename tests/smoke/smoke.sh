#!/usr/bin/env bash
# Starts the real program under Xvfb from a freshly laid-out program directory and waits for
# its main menu to appear.
set -euo pipefail
source "$(dirname "$0")/../support/desktop.sh"
install_program "$1"

cat >"$work/session.sh" <<'INNER'
"$1/Quillory/quillory" &
pid=$!
for _ in $(seq 1 200); do
    if xwininfo -root -tree | grep -q '"Quillory 3.0 Menu"'; then
        kill "$pid"
        wait "$pid" || true
        echo "main menu shown"
        exit 0
    fi
    kill -0 "$pid" 2>/dev/null || { echo "the program ended before its main menu appeared"; exit 1; }
    sleep 0.1
done
kill "$pid"
echo "no main menu within 20 seconds"
exit 1
INNER
start_display 1024x768
bash "$work/session.sh" "$work"
