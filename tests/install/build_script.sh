#!/usr/bin/env bash
# ./build.sh as a user meets it: help, a mistyped command, and a machine
# where packages are missing and neither root nor sudo can install them.
#   build_script.sh SOURCE_DIR
set -uo pipefail
script=$1/build.sh
fail() { echo "FAIL: $*" >&2; exit 1; }
scratch=$(mktemp -d)
trap 'rm -rf "$scratch"' EXIT

for asked in help -h --help; do
    out=$("$script" "$asked" 2>"$scratch/err") || fail "$asked exits $?"
    grep -q '^Usage: ./build.sh' <<<"$out" || fail "$asked prints no usage"
    grep -q 'install \[PREFIX\]' <<<"$out" || fail "$asked does not list install"
done

"$script" frob >"$scratch/out" 2>"$scratch/err"
[ $? -eq 2 ] || fail "an unknown command must exit 2"
[ -s "$scratch/out" ] && fail "an unknown command prints on stdout"
grep -q "unknown command 'frob'" "$scratch/err" || fail "no 'unknown command'"
grep -q '^Usage:' "$scratch/err" || fail "no usage on stderr"

# Not root, no sudo, a package missing: the script names it and stops.
if command -v sudo >/dev/null; then
    echo "sudo is installed here: the no-sudo case is not tested"
else
    mkdir "$scratch/bin"
    printf '#!/bin/sh\necho 1000\n' >"$scratch/bin/id"
    printf '#!/bin/sh\nexit 1\n' >"$scratch/bin/dpkg-query"
    chmod +x "$scratch/bin/id" "$scratch/bin/dpkg-query"
    PATH="$scratch/bin:$PATH" "$script" test >"$scratch/out" 2>"$scratch/err"
    [ $? -eq 1 ] || fail "without root and sudo the script must stop with status 1"
    grep -q 'qt6-wayland' "$scratch/err" || fail "the missing packages are not named: $(cat "$scratch/err")"
    grep -q 'neither is available' "$scratch/err" || fail "no clear reason: $(cat "$scratch/err")"
    grep -q 'command not found' "$scratch/err" && fail "a raw shell error leaked: $(cat "$scratch/err")"
fi
echo "build.sh OK"
