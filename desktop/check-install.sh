#!/usr/bin/env bash
# make check-install: installs into a temporary folder and checks what a desktop and Debian
# will see there: the list of files, the desktop entry, the AppStream data, the manual page,
# the settings-document type, a headless run of the installed program, and the package.
set -euo pipefail
build=$(cd "${1:?usage: desktop/check-install.sh BUILD_DIR}" && pwd)
here=$(cd "$(dirname "$0")" && pwd)
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
fail() { echo "check-install: $*" >&2; exit 1; }

echo "== make install into a temporary DESTDIR (prefix /usr/local)"
root=$work/root
usr=$root/usr/local
DESTDIR=$root cmake --install "$build" --prefix /usr/local >/dev/null
(cd "$root" && find . ! -type d | sed 's|^\.||' | LC_ALL=C sort) >"$work/installed.txt"
diff -u "$here/installed-files.txt" "$work/installed.txt" || fail "installed files differ"
cat "$work/installed.txt"

desktop=$(echo "$usr"/share/applications/*.desktop)
metainfo=$(echo "$usr"/share/metainfo/*.metainfo.xml)
mime=$(echo "$usr"/share/mime/packages/*.xml)
man=$usr/share/man/man1/pendrift.1.gz

echo "== desktop-file-validate"
desktop-file-validate "$desktop" | tee "$work/desktop.log"
! grep -Eq ': (error|warning): ' "$work/desktop.log" || fail "desktop entry"

echo "== appstreamcli validate --no-net"
appstreamcli validate --no-net "$metainfo" | tee "$work/appstream.log"
! grep -Eq '^[EW]: ' "$work/appstream.log" || fail "AppStream data"

echo "== manual page: mandoc -T lint, man --warnings"
mandoc -T lint -W warning "$man" || fail "mandoc lint"
LC_ALL=C.UTF-8 MANWIDTH=80 man --warnings -E UTF-8 -l "$man" 2>"$work/man.log" >/dev/null
! [ -s "$work/man.log" ] || { cat "$work/man.log"; fail "man warnings"; }

echo "== a headless job run by the installed program"
job=$work/job
document=$("$build/demo/pendrift_make_demo" "$job" 2>/dev/null)
status=0
env -u DISPLAY -u WAYLAND_DISPLAY -u QT_QPA_PLATFORM XDG_CONFIG_HOME="$work/config" \
    "$usr/bin/pendrift" /a /q "/f:$document" >"$work/run.log" 2>&1 </dev/null || status=$?
grep '^Done in' "$work/run.log" || { cat "$work/run.log"; fail "no \"Done in\" line"; }
[ "$status" -eq 0 ] || fail "exit status $status"
for dest in "$job/player/Music" "$job/stick/Car"; do
    count=$(find "$dest" -type f | wc -l)
    echo "$dest: $count files"
    [ "$count" -gt 0 ] || fail "nothing copied to $dest"
done

echo "== settings-document type"
# Looked up with GLib's copy of the freedesktop rules, against a database made of our file
# alone beside the system's.
mkdir -p "$work/data/mime/packages"
cp "$mime" "$work/data/mime/packages/"
update-mime-database "$work/data/mime" >/dev/null
cp "$document" "$work/no-extension"
for file in "$document" "$work/no-extension"; do
    type=$(XDG_DATA_HOME=$work/data XDG_DATA_DIRS=/usr/share \
        gio info -a standard::content-type "$file" | sed -n 's/^ *standard::content-type: //p')
    echo "$(basename "$file"): $type"
    [ "$type" = application/x-pendrift-settings ] || fail "$file is $type"
done

echo "== make package"
rm -f "$build"/pendrift_*.deb
(cd "$build" && cpack -G DEB >/dev/null)
deb=$(echo "$build"/pendrift_*.deb)
[ -f "$deb" ] || fail "no package in $build"
echo "$deb"
dpkg-deb --field "$deb"
dpkg-deb --contents "$deb"
dpkg-deb --contents "$deb" | awk '$1 !~ /^d/ {print substr($6, 2)}' | LC_ALL=C sort \
    >"$work/packaged.txt"
sed 's|^/usr/local/|/usr/|' "$work/installed.txt" | diff -u - "$work/packaged.txt" ||
    fail "the package holds other files than make install"
dpkg-deb --field "$deb" Depends | grep -q libqt6widgets6 || fail "Depends not computed"
version=$(dpkg-deb --field "$deb" Version)
grep -q "<release version=\"$version\"" "$metainfo" || fail "no release $version in $metainfo"
if command -v lintian >/dev/null; then
    echo "== lintian"
    lintian --fail-on error --info "$deb" || fail "lintian"
fi
echo "check-install: all passed"
