#!/usr/bin/env bash
# Orvane installed into a fresh prefix, as cmake --install puts it: every file where the
# desktop and the program look for it, the menu entry, listing and file type valid, and the command
# line answering with no display at all.
#   install_test.sh BUILD_FOLDER SOURCE_FOLDER VERSION
set -uo pipefail

build=$1
source=$2
version=$3
prefix=$(mktemp -d "${TMPDIR:-/tmp}/orvane-install.XXXXXX")
trap 'rm -rf "$prefix"' EXIT
failed=0
fail() {
    echo "install: FAILED: $*" >&2
    failed=1
}

cmake --install "$build" --prefix "$prefix" >"$prefix.log" 2>&1 || {
    cat "$prefix.log" >&2
    rm -f "$prefix.log"
    echo "install: FAILED: cmake --install" >&2
    exit 1
}
# Every file goes under the prefix: an absolute destination would write into the system.
outside=$(grep -E '^-- (Installing|Up-to-date): ' "$prefix.log" | grep -vF -- "$prefix/" || true)
[ -z "$outside" ] || fail "installed outside the prefix: $outside"
rm -f "$prefix.log"

share=$prefix/share
for file in bin/orvane bin/orvane-script share/applications/org.orvane.orvane.desktop \
    share/metainfo/org.orvane.orvane.metainfo.xml \
    share/mime/packages/orvane.xml share/icons/hicolor/scalable/apps/orvane.svg \
    share/icons/hicolor/48x48/apps/orvane.png share/icons/hicolor/256x256/apps/orvane.png \
    share/man/man1/orvane.1.gz share/man/man1/orvane-script.1.gz \
    share/doc/orvane/copyright share/doc/orvane/changelog.gz; do
    [ -s "$prefix/$file" ] || fail "$file is not installed"
done
# The sound process, in a folder of the program's own; only it loads the sound libraries.
sound=$prefix/libexec/orvane/orvane-sound
[ -x "$sound" ] || fail "libexec/orvane/orvane-sound is not installed"
if ldd "$prefix/bin/orvane" | grep -E 'libpulse|libespeak' >/dev/null; then
    fail "the program itself loads the sound libraries"
fi
# The program's folder once installed: the program looks for its tips there.
[ -d "$share/orvane" ] || fail "share/orvane is not installed"
if [ -f "$source/resources/ORVANETIPS.TXT" ]; then
    cmp -s "$source/resources/ORVANETIPS.TXT" "$share/orvane/ORVANETIPS.TXT" ||
        fail "the tips file is not installed in share/orvane"
fi

# With no display at all, --help and --version answer; a mistyped option is refused in one
# line on standard error, with status 2.
run() {
    env -u DISPLAY -u WAYLAND_DISPLAY -u QT_QPA_PLATFORM "$prefix/bin/orvane" "$@" \
        >"$prefix/out" 2>"$prefix/err" </dev/null
    echo $?
}
[ "$(run --version)" = 0 ] || fail "--version: $(cat "$prefix/err")"
[ "$(cat "$prefix/out")" = "Orvane Version $version" ] || fail "--version printed: $(cat "$prefix/out")"
[ "$(run --help)" = 0 ] || fail "--help: $(cat "$prefix/err")"
for word in "Usage: orvane" --own-clock --no-splash --serve --version FILE.ovx "Exit status:" \
    launch.ovx ORVANETIPS.TXT .config/Orvane/orvane.ini xvfb-run; do
    grep -qF -- "$word" "$prefix/out" || fail "--help does not mention $word"
done
[ "$(run --no-splsh)" = 2 ] || fail "an unknown option should end with status 2"
[ ! -s "$prefix/out" ] || fail "an unknown option printed on standard output"
[ "$(wc -l <"$prefix/err")" = 1 ] || fail "an unknown option should say so in one line"
grep -qF -- "--no-splsh" "$prefix/err" && grep -qF -- "--help" "$prefix/err" ||
    fail "the error should name the option and --help: $(cat "$prefix/err")"
[ "$(run one.ovx two.ovx)" = 2 ] || fail "two files should end with status 2"

desktop=$share/applications/org.orvane.orvane.desktop
if command -v desktop-file-validate >/dev/null 2>&1; then
    desktop-file-validate "$desktop" || fail "desktop-file-validate refuses the menu entry"
else
    fail "desktop-file-validate is not installed (Debian package desktop-file-utils)"
fi
grep -qx 'Exec=orvane %f' "$desktop" || fail "the menu entry does not open a file with orvane"
grep -qx 'MimeType=application/x-orvane-launch-data;' "$desktop" ||
    fail "the menu entry does not open launch data files"

# The software centres' listing: valid as Debian's appstream reads it, naming the menu entry
# installed beside it, with this version as its latest release. Made with a project address,
# it points its home page and screenshots there, and is still valid.
metainfo=$share/metainfo/org.orvane.orvane.metainfo.xml
appstream_valid() {
    local said
    said=$(appstreamcli validate --pedantic --no-net "$1" 2>&1) || fail "appstreamcli refuses $2: $said"
}
if command -v appstreamcli >/dev/null 2>&1; then
    appstream_valid "$metainfo" "the listing"
    launchable=$(sed -n 's:.*<launchable type="desktop-id">\(.*\)</launchable>.*:\1:p' "$metainfo")
    [ -s "$share/applications/$launchable" ] || fail "the listing launches '$launchable', which is not installed"
    grep -qF "<release version=\"$version\"" "$metainfo" || fail "the listing has no release $version"
    if grep -q '^ORVANE_PROJECT_ADDRESS:STRING=$' "$build/CMakeCache.txt"; then
        grep -q '<screenshot\|<url' "$metainfo" && fail "the listing points somewhere without a project address"
    fi
    mkdir -p "$prefix/addressed"
    addressed=$prefix/addressed/org.orvane.orvane.metainfo.xml
    "$source/scripts/make-metainfo" "$source/resources/org.orvane.orvane.metainfo.xml.in" \
        "$source/packaging/changelog" "$addressed" --address https://orvane.example.org/ ||
        fail "make-metainfo with a project address"
    appstream_valid "$addressed" "the listing made with a project address"
    grep -qF '<image>https://orvane.example.org/docs/images/present-count.png</image>' "$addressed" &&
        grep -qF '<url type="homepage">https://orvane.example.org/</url>' "$addressed" ||
        fail "the listing made with a project address does not point there"
else
    fail "appstreamcli is not installed (Debian package appstream)"
fi

# The file type as the desktop's MIME database reads it.
if command -v update-mime-database >/dev/null 2>&1; then
    update-mime-database "$share/mime" >/dev/null 2>&1 || fail "update-mime-database refuses the type"
    grep -qx 'application/x-orvane-launch-data:\*\.ovx' "$share/mime/globs" ||
        fail "*.ovx is not known as application/x-orvane-launch-data"
    grep -q 'Orvane launch data' "$share/mime/application/x-orvane-launch-data.xml" ||
        fail "the file type has no comment"
fi

for size in 48 256; do
    got=$(identify -format '%wx%h' "$share/icons/hicolor/${size}x$size/apps/orvane.png" 2>/dev/null)
    [ "$got" = "${size}x$size" ] || fail "the $size px icon is $got"
done
zcat "$share/man/man1/orvane.1.gz" | grep '^\.TH ORVANE 1' >/dev/null || fail "the manual page is not orvane(1)"
zcat "$share/man/man1/orvane-script.1.gz" | grep '^\.TH ORVANE-SCRIPT "1"' >/dev/null ||
    fail "the scenario runner's manual page is not orvane-script(1)"
zcat "$share/man/man1/orvane-script.1.gz" | grep -F 'program\-dir' >/dev/null ||
    fail "the scenario runner's manual page does not give its options"

# The package's documents: the copyright in the machine-readable format, naming the system's
# copy of the licence; the changelog at this version, compressed without a name or a time.
copyright=$share/doc/orvane/copyright
head -n 1 "$copyright" | grep -x 'Format: https://www.debian.org/doc/packaging-manuals/copyright-format/1.0/' >/dev/null ||
    fail "the copyright file is not in the machine-readable format"
grep -qx 'License: GPL-3+' "$copyright" && grep -qF '/usr/share/common-licenses/GPL-3' "$copyright" ||
    fail "the copyright file does not name the GPL, version 3 or later"
changelog=$share/doc/orvane/changelog.gz
[ "$(zcat "$changelog" | head -n 1 | cut -d' ' -f2)" = "($version)" ] ||
    fail "the changelog does not start at version $version"
[ "$(od -An -tx1 -j3 -N5 "$changelog" | tr -d ' ')" = 0000000000 ] ||
    fail "the changelog was compressed with a name or a time stamp (gzip -n)"

# Settings written by an earlier build, which kept the remote displays' choice in Orvane.ini,
# are found by the installed program: it moves them into orvane.ini once, and serves as they
# say at this start and the next.
home=$prefix/home
mkdir -p "$home/config/Orvane"
printf '[Remote%%20Displays]\nServe=1\nAddress=127.0.0.1\nPort=0\n' >"$home/config/Orvane/Orvane.ini"
serves() {
    env HOME="$home" XDG_CONFIG_HOME="$home/config" XDG_DATA_HOME="$home/data" \
        QT_QPA_PLATFORM=offscreen ORVANE_INSTANCE_NAME="orvane-install-$$" \
        "$prefix/bin/orvane" --no-splash >"$prefix/serve.out" 2>"$prefix/serve.err" </dev/null &
    local pid=$! served=1
    for _ in $(seq 300); do
        if grep -q '^Serving on http://127\.0\.0\.1:[0-9]*/$' "$prefix/serve.out"; then
            served=0
            # The program started its sound process from where it is installed.
            for child in $(cat /proc/"$pid"/task/*/children 2>/dev/null); do
                helpers+=" $(readlink /proc/"$child"/exe)"
            done
            break
        fi
        kill -0 "$pid" 2>/dev/null || break
        sleep 0.1
    done
    kill "$pid" 2>/dev/null
    wait "$pid" 2>/dev/null
    return $served
}
helpers=
serves || fail "the settings of an earlier build were not found: $(cat "$prefix/serve.err")"
[[ " $helpers " == *" $sound "* ]] || fail "the installed program did not start $sound (it started:$helpers)"
[ ! -e "$home/config/Orvane/Orvane.ini" ] || fail "Orvane.ini is still there after the move"
grep -qx 'Serve=1' "$home/config/Orvane/orvane.ini" 2>/dev/null ||
    fail "orvane.ini did not take the remote displays' choice"
serves || fail "after the move, the next start did not serve: $(cat "$prefix/serve.err")"

[ $failed = 0 ] && echo "install: passed"
exit $failed
