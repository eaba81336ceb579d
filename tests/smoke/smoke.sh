#!/usr/bin/env bash
# Starts the real program under Xvfb from a freshly laid-out program directory and waits for
# its main menu to appear.
set -euo pipefail
bin=$1
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
export HOME=$work XDG_CONFIG_HOME=$work/config
"$bin/quillory-install" "$work/Quillory" >/dev/null

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
pid=
# Xvfb picks a free display itself and names it, so runs side by side never share one.
Xvfb -displayfd 3 -screen 0 1024x768x24 -nolisten tcp 3>"$work/display" 2>/dev/null &
xvfb=$!
trap 'kill "$xvfb" 2>/dev/null || true; rm -rf "$work"' EXIT
for _ in $(seq 1 100); do
    [ -s "$work/display" ] && break
    sleep 0.1
done
DISPLAY=:$(head -n 1 "$work/display") QT_QPA_PLATFORM=xcb bash "$work/session.sh" "$work"
