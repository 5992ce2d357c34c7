#!/usr/bin/env bash
# Installs the build into a scratch prefix and checks every file a desktop
# expects, each with the validator Debian ships for it.
#   installed_tree.sh BUILD_DIR SCRATCH_DIR
set -euo pipefail
build=$1 prefix=$2
fail() { echo "FAIL: $*" >&2; exit 1; }
need() { command -v "$1" >/dev/null || fail "$1 is missing (package $2; ./build.sh installs it)"; }
need desktop-file-validate desktop-file-utils
need appstreamcli appstream
need groff groff-base
need update-mime-database shared-mime-info

rm -rf "$prefix"
cmake --install "$build" --prefix "$prefix" >/dev/null
cd "$prefix"

expected="bin/cerebrix
bin/cerebrix-cli
share/applications/org.cerebrix.Cerebrix.desktop
share/bash-completion/completions/cerebrix-cli
share/doc/cerebrix/changelog.gz
share/doc/cerebrix/copyright
share/fish/vendor_completions.d/cerebrix-cli.fish
share/icons/hicolor/128x128/apps/cerebrix.png
share/icons/hicolor/16x16/apps/cerebrix.png
share/icons/hicolor/22x22/apps/cerebrix.png
share/icons/hicolor/24x24/apps/cerebrix.png
share/icons/hicolor/256x256/apps/cerebrix.png
share/icons/hicolor/32x32/apps/cerebrix.png
share/icons/hicolor/48x48/apps/cerebrix.png
share/icons/hicolor/64x64/apps/cerebrix.png
share/icons/hicolor/scalable/apps/cerebrix.svg
share/man/man1/cerebrix-cli.1.gz
share/man/man1/cerebrix.1.gz
share/metainfo/org.cerebrix.Cerebrix.metainfo.xml
share/mime/packages/cerebrix.xml
share/zsh/vendor-completions/_cerebrix-cli"
actual=$(find . -type f | sed 's|^\./||' | LC_ALL=C sort)
[ "$actual" = "$expected" ] || fail "installed files differ:
$(diff <(echo "$expected") <(echo "$actual"))"

# Each PNG is the size its folder names.
for png in share/icons/hicolor/*x*/apps/cerebrix.png; do
    size=${png#share/icons/hicolor/}
    size=${size%%x*}
    dims=$(od -An -tu1 -j16 -N8 "$png" | awk '{print $3*256+$4 "x" $7*256+$8}')
    [ "$dims" = "${size}x${size}" ] || fail "$png is $dims"
done

desktop-file-validate share/applications/org.cerebrix.Cerebrix.desktop || fail "desktop entry"
grep -qx 'Exec=cerebrix %f' share/applications/org.cerebrix.Cerebrix.desktop || fail "Exec takes no file"
appstreamcli validate --no-net share/metainfo/org.cerebrix.Cerebrix.metainfo.xml >/dev/null || fail "metainfo"
for page in cerebrix cerebrix-cli; do
    lint=$(zcat share/man/man1/$page.1.gz | groff -man -ww -z 2>&1) || fail "$page man page: $lint"
    [ -z "$lint" ] || fail "$page man page: $lint"
done
update-mime-database "$prefix/share/mime" || fail "mime package"
grep -q 'application/x-cerebrix-brain' share/mime/globs2 || fail "*.brain has no type"
grep -q ':\*\.brain' share/mime/globs2 || fail "*.brain glob missing"

# The installed program runs on its own and knows its version.
env -i "$prefix/bin/cerebrix" --version | grep -q '^cerebrix [0-9]' || fail "installed program"
env -i "$prefix/bin/cerebrix-cli" --version | grep -q '[0-9]' || fail "installed companion"
echo "installed tree OK"
