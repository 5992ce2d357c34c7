#!/usr/bin/env bash
# Installs into a scratch prefix with ./build.sh install, from a build folder
# that has built nothing yet (install must build all it installs), and checks
# every file a desktop expects, each with the validator Debian ships for it.
# Then ./build.sh package in that folder must give the same bytes as a
# package of the suite's own build, when that is an optimised one too.
#   installed_tree.sh SOURCE_DIR SCRATCH_DIR SUITE_BUILD_DIR
set -euo pipefail
source=$1 scratch=$2 suite=$3
prefix=$scratch/prefix
fail() { echo "FAIL: $*" >&2; exit 1; }
need() { command -v "$1" >/dev/null || fail "$1 is missing (package $2; ./build.sh installs it)"; }
need desktop-file-validate desktop-file-utils
need appstreamcli appstream
need groff groff-base
need update-mime-database shared-mime-info

rm -rf "$scratch"
mkdir -p "$scratch"
# Compiling the two programs again is cheap where ccache is at hand.
command -v ccache >/dev/null && export CMAKE_CXX_COMPILER_LAUNCHER=ccache
CEREBRIX_BUILD_DIR="$scratch/build" "$source/build.sh" install "$prefix" >"$scratch/log" 2>&1 ||
    fail "./build.sh install from an empty build folder: $(tail -5 "$scratch/log")"
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
# (less the type database that ./build.sh install lets update-mime-database make)
actual=$(find . -type f -not \( -path './share/mime/*' -not -path './share/mime/packages/*' \) |
         sed 's|^\./||' | LC_ALL=C sort)
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
grep -qx 'StartupWMClass=cerebrix' share/applications/org.cerebrix.Cerebrix.desktop || fail "no StartupWMClass"
appstreamcli validate --no-net share/metainfo/org.cerebrix.Cerebrix.metainfo.xml >/dev/null || fail "metainfo"
grep -q '<binary>cerebrix-cli</binary>' share/metainfo/org.cerebrix.Cerebrix.metainfo.xml || fail "cerebrix-cli not provided"
grep -q '<project_license>MIT</project_license>' share/metainfo/org.cerebrix.Cerebrix.metainfo.xml || fail "project_license"
version=$(env -i "$prefix/bin/cerebrix" --version | sed -n '1s/^cerebrix //p')
[ -n "$version" ] || fail "cerebrix --version"
# Each page lints clean, carries the version and names the other under SEE ALSO.
for page in cerebrix:cerebrix-cli cerebrix-cli:cerebrix; do
    this=${page%%:*} other=${page#*:}
    lint=$(zcat share/man/man1/$this.1.gz | groff -man -ww -z 2>&1) || fail "$this man page: $lint"
    [ -z "$lint" ] || fail "$this man page: $lint"
    zcat share/man/man1/$this.1.gz | grep -q "^\.TH .* \"Cerebrix $version\"" || fail "$this(1) lacks version $version"
    zcat share/man/man1/$this.1.gz | sed -n '/^\.SH SEE ALSO/,$p' | grep -qxF ".BR ${other//-/\\-} (1)" ||
        fail "$this(1) does not name $other(1) under SEE ALSO"
done
update-mime-database "$prefix/share/mime" || fail "mime package"
grep -q 'application/x-cerebrix-brain' share/mime/globs2 || fail "*.brain has no type"
grep -q ':\*\.brain' share/mime/globs2 || fail "*.brain glob missing"

# Both programs run on their own and name their version and licence.
for program in cerebrix cerebrix-cli; do
    text=$(env -i "$prefix/bin/$program" --version) || fail "$program --version"
    grep -qx "$program $version" <<<"$text" || fail "$program --version: $text"
    grep -q 'MIT' <<<"$text" || fail "$program --version names no licence: $text"
done

# Two builds of one commit, two packages, the same bytes.
if grep -qx 'CMAKE_BUILD_TYPE:STRING=Release' "$suite/CMakeCache.txt"; then
    CEREBRIX_BUILD_DIR="$scratch/build" "$source/build.sh" package >"$scratch/log" 2>&1 ||
        fail "./build.sh package: $(tail -5 "$scratch/log")"
    (cd "$suite" && cpack -G DEB -B "$scratch/suite_package" >/dev/null)
    cmp "$scratch"/build/package/cerebrix_*.deb "$scratch"/suite_package/cerebrix_*.deb ||
        fail "the packages of two builds of one commit differ"
fi
echo "installed tree OK"
