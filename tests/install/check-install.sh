#!/usr/bin/env bash
# Installs into a temporary DESTDIR and checks the tree, validates the desktop entry and the
# AppStream file, then builds the Debian package with debhelper (lintian must find no error and no
# warning) and checks its contents and dependencies.
#   check-install.sh BUILD_DIR
set -euo pipefail
build="$1"
source_root="$(cd "$(dirname "${BASH_SOURCE[0]}")/../.." && pwd)"
stage="$(mktemp -d)"
trap 'rm -rf "$stage"' EXIT
failures=0
fail() { echo "FAIL: $*"; failures=$((failures + 1)); }
id=de.kelvanter.Kelvanter

DESTDIR="$stage/root" cmake --install "$build" --prefix /usr >/dev/null
root="$stage/root/usr"
[ -x "$root/bin/kelvanter" ] || fail "no executable bin/kelvanter"
for file in share/applications/$id.desktop share/metainfo/$id.metainfo.xml \
    share/icons/hicolor/scalable/apps/$id.svg; do
    [ -f "$root/$file" ] || fail "missing $file"
done
for size in 16 32 48; do
    icon="$root/share/icons/hicolor/${size}x${size}/apps/$id.png"
    # Width and height stand big-endian in the PNG header at bytes 16 to 23.
    read -r -a header < <(od -An -tu1 -j16 -N8 "$icon")
    width=$(( (header[2] << 8) | header[3] ))
    height=$(( (header[6] << 8) | header[7] ))
    [ "$width" = "$size" ] && [ "$height" = "$size" ] || fail "$icon is ${width}x${height}, not ${size}x${size}"
done
unexpected=$(cd "$root" && find . -type f |
    grep -v -E "^\./(bin/kelvanter|share/(applications|metainfo|icons|man|kio/servicemenus|nemo/actions|file-manager/actions|kelvanter|doc/kelvanter)/)" ||
    true)
for page in share/man/man1/kelvanter.1 share/man/de/man1/kelvanter.1; do
    [ -f "$root/$page" ] || fail "missing $page"
    if command -v man >/dev/null; then man -l "$root/$page" >/dev/null 2>&1 || fail "$page does not format"; fi
done
[ -z "$unexpected" ] || fail "unexpected files installed: $unexpected"

desktop="$root/share/applications/$id.desktop"
desktop-file-validate "$desktop" || fail "desktop-file-validate"
grep -qx "Name=Kelvanter" "$desktop" || fail "desktop entry's Name"
grep -qx "Icon=$id" "$desktop" || fail "desktop entry's Icon"
grep -q "^Comment=.*vernichten" "$desktop" || fail "desktop entry's German Comment"
grep -qx "Exec=kelvanter -- %F" "$desktop" || fail "desktop entry's Exec takes no list of files after --"
# The file managers' context menus. Dolphin's service menu and the file-manager action (Caja,
# PCManFM) are desktop entries of their own types, so only the validator's words on those types are
# forgiven; Nemo's action is no desktop entry at all.
menu="$root/share/kio/servicemenus/$id.vernichten.desktop"
fm_action="$root/share/file-manager/actions/kelvanter-vernichten.desktop"
for file in "$menu" "$fm_action"; do
    complaints=$(desktop-file-validate "$file" 2>&1 |
        grep -v -E 'key "(MimeType|Actions)" is present in group "Desktop Entry", but the type is "Service"' |
        grep -v -E 'value "Action" for key "Type"|file contains key "(Tooltip|Profiles)" in group "Desktop Entry"' || true)
    [ -z "$complaints" ] || fail "desktop-file-validate on $file: $complaints"
done
grep -q "^MimeType=.*inode/directory;" "$menu" || fail "the service menu is not offered for folders"
grep -qx "MimeTypes=all/all;" "$fm_action" || fail "the file-manager action is not offered for files and folders"
action="$root/share/nemo/actions/kelvanter-vernichten.nemo_action"
grep -qx "Extensions=any;" "$action" || fail "the Nemo action is not offered for files and folders"
for file in "$menu" "$action" "$fm_action"; do
    [ -f "$file" ] || fail "missing $file"
    grep -qx "Name=Mit Kelvanter vernichten" "$file" || fail "$file does not say \"Mit Kelvanter vernichten\""
    # %F hands over absolute paths, after "--": a file named "-stylesheet" is no option.
    grep -qx "Exec=kelvanter -- %F" "$file" || fail "$file does not hand over every selected file after --"
done
[ "$(sed -n 1p "$action")" = "[Nemo Action]" ] || fail "$action has no [Nemo Action] group"
script="$root/share/kelvanter/nautilus-scripts/mit-kelvanter-vernichten"
[ -x "$script" ] || fail "the GNOME Files script is missing or not executable"
sh -n "$script" || fail "the GNOME Files script does not parse"
# GNOME Files hands over bare names: the script makes them absolute, after "--".
mkdir -p "$stage/stub" "$stage/folder"
printf '#!/bin/sh\nprintf "%%s|" "$@"\n' >"$stage/stub/kelvanter"
chmod +x "$stage/stub/kelvanter"
handed=$(cd "$stage/folder" && PATH="$stage/stub:$PATH" sh "$script" -stylesheet "a b" /abs/c)
[ "$handed" = "--|$stage/folder/-stylesheet|$stage/folder/a b|/abs/c|" ] || fail "the GNOME Files script hands over $handed"
appstreamcli validate --pedantic --no-net "$root/share/metainfo/$id.metainfo.xml" || fail "appstreamcli validate"

# "Open with": the desktop entry starts the installed program with the file as its one argument
# after "--", and the file is left alone until the user confirms.
victim="$stage/Offen mit Kelvanter.txt"
echo "vertraulich" >"$victim"
launched=$(env -u QT_QPA_PLATFORM PATH="$root/bin:$PATH" xvfb-run -a bash -c '
    # Only a program this launch started counts, not one that another test is still ending.
    before=" $(pgrep -d " " -x kelvanter || true) "
    gio launch "$1" "$2" >/dev/null 2>&1 &
    for _ in $(seq 100); do
        for candidate in $(pgrep -x kelvanter || true); do
            [[ "$before" == *" $candidate "* ]] || pid=$candidate
        done
        [ -n "${pid:-}" ] && break
        sleep 0.1
    done
    [ -n "${pid:-}" ] || exit 1
    tr "\0" "\n" <"/proc/$pid/cmdline" | sed -n 3p
    kill "$pid"' _ "$desktop" "$victim") || fail "the desktop entry did not start the program"
[ "$launched" = "$victim" ] || fail "started with '$launched', not with the file"
[ "$(cat "$victim")" = "vertraulich" ] || fail "the file changed without a confirmation"

KELVANTER_PACKAGE_DIR="$stage/package" "$source_root/tools/package" >/dev/null || fail "tools/package (lintian)"
deb=$(ls "$stage"/package/kelvanter_*.deb)
contents=$(dpkg-deb --contents "$deb")
for file in usr/bin/kelvanter usr/share/applications/$id.desktop usr/share/icons/hicolor/48x48/apps/$id.png \
    usr/share/man/man1/kelvanter.1.gz usr/share/man/de/man1/kelvanter.1.gz usr/share/doc/kelvanter/copyright \
    usr/share/icons/hicolor/scalable/apps/$id.svg usr/share/metainfo/$id.metainfo.xml \
    usr/share/kio/servicemenus/$id.vernichten.desktop usr/share/nemo/actions/kelvanter-vernichten.nemo_action \
    usr/share/file-manager/actions/kelvanter-vernichten.desktop \
    usr/share/kelvanter/nautilus-scripts/mit-kelvanter-vernichten usr/share/doc/kelvanter/handbuch.md; do
    grep -q "\./$file\$" <<<"$contents" || fail "package lacks $file"
done
depends=$(dpkg-deb --field "$deb" Depends)
echo "Depends: $depends"
for library in libqt6core6 libqt6gui6 libqt6widgets6 qt6-translations-l10n; do
    grep -q "$library" <<<"$depends" || fail "package does not depend on $library"
done
[ "$(dpkg-deb --field "$deb" Package)" = kelvanter ] || fail "package name"
dpkg-deb --info "$deb" >/dev/null || fail "dpkg-deb --info"

if [ "$failures" -ne 0 ]; then
    echo "$failures check(s) failed"
    exit 1
fi
echo "install tree, desktop entry, metainfo and package are as they should be"
