#!/bin/sh
# Starts the organizer from the user's program directory, $QUILLORY_HOME or
# ~/.local/share/Quillory. The first start lays the directory out; a start after the package was
# updated puts the new program there. Both leave Data, BackUp and the settings as they are.
set -e
programs=$(dirname "$(readlink -f "$0")")/../lib/quillory
target=${QUILLORY_HOME:-$HOME/.local/share/Quillory}
if ! cmp -s "$programs/quillory" "$target/quillory"; then
    "$programs/quillory-install" "$target" >/dev/null
fi
exec "$target/quillory" "$@"
