#!/usr/bin/env bash
# Every program answers --help with its usage and refuses an unknown option or argument with a
# message and a non-zero exit, before it writes anything.
set -euo pipefail
bin=$1
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
export HOME=$work/home XDG_CONFIG_HOME=$work/home/config QT_QPA_PLATFORM=offscreen
mkdir -p "$HOME"
"$bin/quillory-install" "$work/Quillory" >/dev/null
before=$(cd "$work" && find . | sort)
cd "$work"

fail() { echo "$1"; exit 1; }
# expect NAME CODE TEXT COMMAND...: the command exits with CODE and says TEXT (stdout or stderr).
expect() {
    local name=$1 code=$2 text=$3 out status=0
    shift 3
    out=$("$@" 2>&1) || status=$?
    [ "$status" -eq "$code" ] || fail "$name: exit $status, not $code: $out"
    grep -qF -- "$text" <<<"$out" || fail "$name: no \"$text\" in: $out"
}

expect "quillory --help" 0 "Usage: $work/Quillory/quillory [options]" "$work/Quillory/quillory" --help
expect "quillory --bogus" 1 "Unknown option 'bogus'." "$work/Quillory/quillory" --bogus
expect "quillory an argument" 2 "quillory: unknown argument 'stray'" "$work/Quillory/quillory" stray
expect "quillory-install --help" 0 "Lays out a Quillory program directory in DIRECTORY." \
    "$bin/quillory-install" --help
expect "quillory-install --bogus" 1 "Unknown option 'bogus'." "$bin/quillory-install" --bogus target
expect "quillory-install two folders" 2 "usage: quillory-install DIRECTORY [--desktop-entry]" \
    "$bin/quillory-install" one two
expect "quillory-bench --help" 0 "--records <N>" "$bin/quillory-bench" --help
expect "quillory-bench --bogus" 1 "Unknown option 'bogus'." "$bin/quillory-bench" --bogus
expect "quillory-bench --only nothing" 2 \
    "--only takes one of: table, report, tools, export, backup, restore, import" \
    "$bin/quillory-bench" --only nothing

after=$(find . | sort)
[ "$before" = "$after" ] || fail "something was written: $(diff <(echo "$before") <(echo "$after"))"
echo "every program answers --help and refuses what it does not know"
