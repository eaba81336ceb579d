#!/usr/bin/env bash
# Builds the organizer, installs it into its program directory and starts it.
# Running it again replaces the program files and keeps Data, BackUp and the settings.
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/deps.sh
bash scripts/build.sh build -DQUILLORY_WERROR=OFF
target="${QUILLORY_HOME:-$HOME/.local/share/Quillory}"
build/bin/quillory-install "$target" --desktop-entry
exec "$target/quillory"
