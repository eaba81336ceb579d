#!/usr/bin/env bash
# Starts the real program under Xvfb from a freshly laid-out program directory and waits for
# its main menu to appear.
set -euo pipefail
bin=$1
work=$(mktemp -d)
trap 'kill "$pid" 2>/dev/null || true; rm -rf "$work"' EXIT
export HOME=$work XDG_CONFIG_HOME=$work/config
"$bin/quillory-install" "$work/Quillory" >/dev/null

cat >"$work/session.sh" <<'INNER'
"$1/Quillory/quillory" &
pid=$!
for _ in $(seq 1 200); do
    if xwininfo -root -tree | grep -q '"Quillory 3.0 Menu"'; then
        kill "$pid"
        # The program stores its settings as it ends; the folder goes only after that.
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
pid=
QT_QPA_PLATFORM=xcb xvfb-run -a -s "-screen 0 1024x768x24" bash "$work/session.sh" "$work"
