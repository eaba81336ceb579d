#!/usr/bin/env bash
# Installs the Debian packages the build, the tests and the program need, where they are missing.
set -euo pipefail

packages=(
    build-essential cmake ninja-build pkg-config
    clang-16 libclang-rt-16-dev clang-tidy-16
    qt6-base-dev qtkeychain-qt6-dev libsqlite3-dev libicu-dev libical-dev sqlite3
    khard python3-icalendar radicale python3-caldav
    fonts-liberation fonts-dejavu-core
    libxcb1-dev
    xvfb xauth x11-utils xdotool openbox poppler-utils gnumeric
    dbus at-spi2-core python3-gi gir1.2-atspi-2.0
    dpkg-dev file desktop-file-utils appstream lintian
)

missing=()
for package in "${packages[@]}"; do
    if ! dpkg-query -W -f='${Status}' "$package" 2>/dev/null | grep -q 'install ok installed'; then
        missing+=("$package")
    fi
done
[ ${#missing[@]} -eq 0 ] && exit 0

sudo=()
[ "$(id -u)" -ne 0 ] && sudo=(sudo)
echo "Installing: ${missing[*]}"
"${sudo[@]}" apt-get update
DEBIAN_FRONTEND=noninteractive "${sudo[@]}" apt-get install -y "${missing[@]}"
