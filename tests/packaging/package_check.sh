#!/usr/bin/env bash
# The Debian package as CPack makes it from this build: its files, its control
# fields, and what the desktop's own validators and lintian say of it.
#
#   package_check.sh BUILD_DIR
#
# Exits 77 (skipped) when cpack or dpkg-deb is missing.
set -euo pipefail
build=$(cd "$1" && pwd)
for tool in cpack dpkg-deb; do
    command -v "$tool" >/dev/null 2>&1 || { echo "SKIPPED: $tool is missing"; exit 77; }
done
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
failures=0
fail() { echo "FAIL: $*"; failures=$((failures + 1)); }

(cd "$build" && cpack -G DEB -B "$work" --config "$build/CPackConfig.cmake" >"$work/cpack.log" 2>&1) ||
    { cat "$work/cpack.log"; exit 1; }
deb="$work/kvilbro_3.8_amd64.deb"
[ -f "$deb" ] || { ls "$work"; echo "FAIL: no $deb"; exit 1; }

dpkg-deb -c "$deb" | awk '{print $6}' | sed 's|^\./|/|' >"$work/files"
for f in /usr/bin/kvilbro /usr/bin/kvilbro-tables /usr/bin/kvilbro-start /usr/libexec/kvilbro/kvilbro-welcome \
    /usr/share/applications/kvilbro.desktop /usr/share/icons/hicolor/scalable/apps/kvilbro.svg \
    /usr/share/icons/hicolor/256x256/apps/kvilbro.png /usr/share/metainfo/dk.kvilbro.kvilbro.metainfo.xml \
    /usr/share/kvilbro/index.html /usr/share/kvilbro/Frim.bmp /usr/share/kvilbro/frim.bmp \
    /usr/share/kvilbro/frim2.jpg /usr/share/doc/kvilbro/copyright /usr/share/doc/kvilbro/changelog.gz; do
    grep -qx "$f" "$work/files" || fail "the package lacks $f"
done
# Nothing from the build tree or the tests.
if grep -E '/(tests?|bench|build)/|tst_|bench_' "$work/files"; then fail "the package carries build or test files"; fi

field() { dpkg-deb -f "$deb" "$1"; }
[ "$(field Package)" = kvilbro ] || fail "Package is $(field Package)"
[ "$(field Version)" = 3.8 ] || fail "Version is $(field Version)"
[ "$(field Architecture)" = amd64 ] || fail "Architecture is $(field Architecture)"
depends=$(field Depends)
for dep in libqt6widgets6 libqt6printsupport6 libjpeg62-turbo libsqlite3-0 fonts-liberation2; do
    case ", $depends" in *", $dep"*) ;; *) fail "Depends lacks $dep: $depends" ;; esac
done

mkdir "$work/tree"
dpkg-deb -x "$deb" "$work/tree"
if command -v desktop-file-validate >/dev/null 2>&1; then
    desktop-file-validate "$work/tree/usr/share/applications/kvilbro.desktop" || fail "desktop-file-validate"
else
    echo "note: desktop-file-validate is missing; not run"
fi
if command -v appstreamcli >/dev/null 2>&1; then
    appstreamcli validate --no-net "$work/tree/usr/share/metainfo/dk.kvilbro.kvilbro.metainfo.xml" ||
        fail "appstreamcli validate"
else
    echo "note: appstreamcli is missing; not run"
fi
if command -v lintian >/dev/null 2>&1; then
    lintian --tag-display-limit 0 "$deb" >"$work/lintian" 2>&1 || true
    cat "$work/lintian"
    if grep -q '^E:' "$work/lintian"; then fail "lintian reports errors"; fi
else
    echo "note: lintian is missing; not run"
fi
"$work/tree/usr/bin/kvilbro-tables" --version | grep -qx 'kvilbro-tables 3.8' || fail "the packaged kvilbro-tables does not run"

[ "$failures" -eq 0 ] || { echo "$failures check(s) failed"; exit 1; }
echo "the package is sound"
