#!/usr/bin/env bash
# Builds the .deb with CPack from an already built tree, then checks its
# fields, its files and lintian's verdict, and that apt would install it;
# and that a second package of the same tree is the same bytes.
#   debian_package.sh BUILD_DIR SCRATCH_DIR
set -euo pipefail
build=$1 out=$2
fail() { echo "FAIL: $*" >&2; exit 1; }
need() { command -v "$1" >/dev/null || fail "$1 is missing (package $2; ./build.sh installs it)"; }
need cpack cmake
need dpkg-shlibdeps dpkg-dev
need lintian lintian

rm -rf "$out"
(cd "$build" && cpack -G DEB -B "$out" >/dev/null)
deb=$(ls "$out"/cerebrix_*.deb)
# Packed again later, with every time stamp of the files newer.
sleep 1
find "$build/app/cerebrix" "$build/cli/cerebrix-cli" "$build/dist" -exec touch {} +
(cd "$build" && cpack -G DEB -B "$out/again" >/dev/null)
cmp -s "$deb" "$out"/again/cerebrix_*.deb || fail "two packages of one build differ"

field() { dpkg-deb -f "$deb" "$1"; }
[ "$(field Package)" = cerebrix ] || fail "Package"
[ "$(field Section)" = graphics ] || fail "Section"
[ -n "$(field Maintainer)" ] || fail "Maintainer"
[ -n "$(field Description)" ] || fail "Description"
# Dependencies computed from the binary.
for lib in libc6 libqt6core6 libqt6gui6 libqt6widgets6 libstdc++6; do
    field Depends | grep -q "\b$lib (>= " || fail "Depends lacks $lib: $(field Depends)"
done
# What new --from-image offers beyond Qt's own formats (WebP, TIFF...).
field Depends | grep -q "\bqt6-image-formats-plugins\b" || fail "Depends lacks qt6-image-formats-plugins: $(field Depends)"

files=$(dpkg-deb -c "$deb" | awk '{print $6}')
for f in ./usr/bin/cerebrix ./usr/bin/cerebrix-cli ./usr/share/man/man1/cerebrix-cli.1.gz ./usr/share/applications/org.cerebrix.Cerebrix.desktop \
         ./usr/share/metainfo/org.cerebrix.Cerebrix.metainfo.xml ./usr/share/mime/packages/cerebrix.xml \
         ./usr/share/man/man1/cerebrix.1.gz ./usr/share/icons/hicolor/scalable/apps/cerebrix.svg \
         ./usr/share/icons/hicolor/16x16/apps/cerebrix.png ./usr/share/icons/hicolor/256x256/apps/cerebrix.png \
         ./usr/share/doc/cerebrix/copyright ./usr/share/doc/cerebrix/changelog.gz \
         ./usr/share/bash-completion/completions/cerebrix-cli ./usr/share/zsh/vendor-completions/_cerebrix-cli \
         ./usr/share/fish/vendor_completions.d/cerebrix-cli.fish; do
    grep -qx -- "$f" <<<"$files" || fail "$f is not in the package"
done
! grep -v '^\./usr/' <<<"$files" | grep -q . || fail "files outside /usr"
dpkg-deb -c "$deb" | awk '$2 != "root/root"' | grep -q . && fail "files not owned by root"

copyright=$(dpkg-deb --fsys-tarfile "$deb" | tar -xOf - ./usr/share/doc/cerebrix/copyright)
grep -qx 'License: MIT' <<<"$copyright" || fail "the copyright file names no MIT licence"
grep -q 'Copyright: .*The Cerebrix developers' <<<"$copyright" || fail "the copyright file names no holder"

# lintian: no errors; its warnings are printed for the record.
report=$(lintian --no-tag-display-limit "$deb" 2>&1 | grep -v 'running with root privileges' || true)
[ -n "$report" ] && echo "$report"
grep -q '^E:' <<<"$report" && fail "lintian errors"

# apt would take it as it is, dependencies and all (a simulation only).
if command -v apt-get >/dev/null; then
    apt-get install -s "$deb" >/dev/null 2>&1 || fail "apt-get cannot install $deb"
fi
echo "package $(basename "$deb") OK"
