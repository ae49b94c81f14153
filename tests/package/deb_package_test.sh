#!/usr/bin/env bash
# Makes the .deb from this build tree, checks the files it holds, and runs the
# unpacked command line and the desktop validators.
#   deb_package_test.sh <build dir> <version>
set -euo pipefail
build=$1
version=$2
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

cpack -G DEB --config "$build/CPackConfig.cmake" -B "$work/out" >/dev/null
debs=("$work"/out/*.deb)
deb=${debs[0]}
[[ $(dpkg-deb --field "$deb" Version) == "$version" ]] || { echo "wrong version"; exit 1; }
dpkg-deb --field "$deb" Depends | grep -q 'libqt6widgets6' || { echo "no Qt dependency"; exit 1; }
# The window loads libcurl and libcrypto only when it first needs them, so
# only the command line's link names them.
dpkg-deb --field "$deb" Depends | grep -q 'libcurl4' || { echo "no libcurl dependency"; exit 1; }
dpkg-deb --field "$deb" Depends | grep -q 'libssl3' || { echo "no libcrypto dependency"; exit 1; }

dpkg-deb --contents "$deb" | awk '{print $NF}' >"$work/files"
for entry in ./usr/bin/corvane ./usr/bin/corvane-setup \
    ./usr/share/applications/corvane-setup.desktop \
    ./usr/share/icons/hicolor/scalable/apps/corvane-setup.svg \
    ./usr/share/icons/hicolor/16x16/apps/corvane-setup.png \
    ./usr/share/icons/hicolor/256x256/apps/corvane-setup.png \
    ./usr/share/icons/hicolor/512x512/apps/corvane-setup.png \
    ./usr/share/metainfo/dev.corvane.setup.metainfo.xml; do
    grep -qxF "$entry" "$work/files" || { echo "missing from the package: $entry"; exit 1; }
done

dpkg-deb -x "$deb" "$work/root"
HOME=$work "$work/root/usr/bin/corvane" clients | grep -q 'Codex'
[[ $("$work/root/usr/bin/corvane" --version) == *"$version"* ]] || { echo "wrong --version"; exit 1; }
if command -v desktop-file-validate >/dev/null; then
    desktop-file-validate "$work/root/usr/share/applications/corvane-setup.desktop"
fi
if command -v appstreamcli >/dev/null; then
    appstreamcli validate --no-net "$work/root/usr/share/metainfo/dev.corvane.setup.metainfo.xml" >/dev/null
fi
echo "package ok: $(basename "$deb")"
