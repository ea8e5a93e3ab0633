#!/usr/bin/env bash
# Builds the Debian package of a finished build into a temporary folder, unpacks it into a
# temporary root (dpkg -x), checks that every file is in its place and valid, starts both
# installed programs without a display, and runs lintian, which must find no error.
# Usage: check-package.sh BUILD_FOLDER VERSION APPLICATION_ID
set -euo pipefail
build="$1" version="$2" id="$3"
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
failures=0
fail() {
    echo "FAIL: $*" >&2
    failures=$((failures + 1))
}

if ! cpack --config "$build/CPackConfig.cmake" -B "$work/out" >"$work/cpack.log" 2>&1; then
    cat "$work/cpack.log" >&2
    echo "FAIL: cpack could not build the package" >&2
    exit 1
fi
deb=$(echo "$work"/out/*.deb)
[ -f "$deb" ] || { echo "FAIL: no package in $work/out" >&2; exit 1; }
echo "package: $(basename "$deb"), $(du -k "$deb" | cut -f1) KiB"

field() { dpkg-deb -f "$deb" "$1"; }
[ "$(field Version)" = "$version" ] || fail "package version $(field Version), project version $version"
# The dependencies come from dpkg-shlibdeps: the Qt libraries the binaries link, and libc.
for library in libqt6widgets6 libqt6core6 libxtst6 libc6; do
    field Depends | grep -q "\b$library\b" || fail "Depends lacks $library: $(field Depends)"
done
[ -n "$(field Section)" ] && [ -n "$(field Maintainer)" ] || fail "Section or Maintainer missing"

root="$work/root"
dpkg -x "$deb" "$root"
for file in usr/bin/moxeno-trellin usr/bin/trellinctl \
    "usr/share/applications/$id.desktop" "usr/share/metainfo/$id.metainfo.xml" \
    "usr/share/icons/hicolor/scalable/apps/$id.svg" "usr/share/icons/hicolor/16x16/apps/$id.png" \
    "usr/share/icons/hicolor/48x48/apps/$id.png" "usr/share/icons/hicolor/256x256/apps/$id.png" \
    usr/share/man/man1/moxeno-trellin.1.gz usr/share/man/man1/trellinctl.1.gz \
    usr/share/bash-completion/completions/trellinctl usr/share/zsh/vendor-completions/_trellinctl \
    usr/share/moxeno-trellin/help/index.html \
    usr/share/moxeno-trellin/help/style.css usr/share/doc/moxeno-trellin/copyright; do
    [ -s "$root/$file" ] || fail "$file is missing from the package"
done
desktop-file-validate "$root/usr/share/applications/$id.desktop" || fail "desktop-file-validate"
appstreamcli validate --no-net "$root/usr/share/metainfo/$id.metainfo.xml" >"$work/appstream.log" 2>&1 \
    || { cat "$work/appstream.log" >&2; fail "appstreamcli validate"; }
grep -q "<release version=\"$version\"" "$root/usr/share/metainfo/$id.metainfo.xml" \
    || fail "the AppStream data has no release $version"
zcat "$root/usr/share/man/man1/moxeno-trellin.1.gz" | grep -q "^\.TH MOXENO\\\\-TRELLIN 1 .*$version" \
    || fail "the man page does not carry release $version"

# The installed programs, without any display.
run() { env -u DISPLAY -u WAYLAND_DISPLAY QT_QPA_PLATFORM=offscreen "$@"; }
[ "$(run "$root/usr/bin/moxeno-trellin" --version)" = "moxeno-trellin $version" ] \
    || fail "moxeno-trellin --version"
[ "$(run "$root/usr/bin/trellinctl" --version)" = "trellinctl $version" ] || fail "trellinctl --version"
run "$root/usr/bin/moxeno-trellin" --help | grep -q '^Usage: moxeno-trellin' || fail "moxeno-trellin --help"

# lintian: errors fail the check; its warnings are shown.
if ! lintian --fail-on error --tag-display-limit 0 "$deb" >"$work/lintian.log" 2>&1; then
    fail "lintian found errors"
fi
cat "$work/lintian.log"

if [ "$failures" -gt 0 ]; then
    echo "$failures check(s) failed" >&2
    exit 1
fi
echo "the package installs, starts and passes lintian"
