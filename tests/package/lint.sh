#!/usr/bin/env bash
# The distribution's checks report nothing on the package: the desktop entry, the AppStream
# metainfo read together with the entry and the icons it names, and lintian's errors.
# $1 is the package's path without "_ARCHITECTURE.deb".
set -euo pipefail
deb=$1_$(dpkg --print-architecture).deb
root=$(mktemp -d)
trap 'rm -rf "$root"' EXIT
dpkg -x "$deb" "$root"
failed=0

if ! report=$(desktop-file-validate "$root/usr/share/applications/quillory.desktop" 2>&1) ||
    [ -n "$report" ]; then
    echo "$report"
    failed=1
fi
if ! report=$(appstreamcli validate-tree --no-net "$root" 2>&1) ||
    grep -qE '^ *[EWI]: ' <<<"$report"; then
    echo "$report"
    failed=1
fi
lintian --fail-on error "$deb" || failed=1
exit "$failed"
