#!/usr/bin/env bash
# Proves the game installs like any other: the man page lints clean; `cmake --install` to a
# scratch prefix and the Debian package each put exactly the expected files in Debian's
# layout, with the manual's SEE ALSO and the README's links pointing at files installed
# beside them, and a menu entry and software centre metainfo that their validators pass,
# naming the game, the icons and the changelog's releases as installed; lintian finds no
# error and no warning in the package; the installed program plays every golden transcript;
# the package carries the commit's time, or the caller's SOURCE_DATE_EPOCH; and two builds
# of one source tarball, in two folders days apart, give the same package byte for byte.
#
# Usage: scripts/check-install.sh [PACKAGE...]
# Each PACKAGE named, a package of this commit built for another machine by the preset of
# its folder, is built twice from the tarball too and compared; a Debian package for
# another machine (build/arm64/quellmoor_VERSION_arm64.deb) gets the same checks of its
# metadata, its files and lintian's, and the Windows zip
# (build/windows/quellmoor-VERSION-windows-x86_64.zip) a check of its files; each must carry
# the commit's time. VERSION is project()'s in CMakeLists.txt (scripts/version.sh).
#
# Needs: cmake, ninja, g++, git, gzip, groff, mandoc (optional), python3, Debian's dpkg-dev,
# file, lintian, faketime, librsvg2-bin (rsvg-convert draws the icons), desktop-file-utils
# and appstream (their validators).
set -euo pipefail
cd "$(dirname "$0")/.."
scratch=$(mktemp -d)
trap 'rm -rf "$scratch"' EXIT
fail() { echo "check-install: $*" >&2; exit 1; }
# The package's timestamps must come from the sources, not from a caller's setting; and
# it is built under umask 022, as Debian's builders work (cmake/PackageTime.cmake).
unset SOURCE_DATE_EPOCH
umask 022
version=$(scripts/version.sh)
deb_name=quellmoor_${version}_$(dpkg --print-architecture).deb
other_packages=("$@")

echo "-- version $version, as the changelog and the man page name it"
[ "$(dpkg-parsechangelog -l docs/changelog -S Version)" = "$version" ] ||
    fail "the newest entry of docs/changelog is for $(dpkg-parsechangelog -l docs/changelog -S Version), not $version"
grep -q "^\.TH .* \"Quellmoor $version\" " docs/quellmoor.6 ||
    fail "the man page's .TH line does not name Quellmoor $version: $(grep '^\.TH' docs/quellmoor.6)"

echo "-- man page"
groff -ww -z -man docs/quellmoor.6 2>&1 | (! grep .) || fail "groff warns about the man page"
if command -v mandoc >/dev/null; then
    mandoc -T lint -W warning docs/quellmoor.6 || fail "mandoc warns about the man page"
fi

# The files under ROOT (a prefix, or a package's root and its prefix), one a line.
files_under() { (cd "$1" && find . -type f | sort); }

# The documents installed under PREFIX, as seen from ROOT: the manual names the guide
# where it is, and every link of the README leads to a file beside it.
check_documents() {
    local root=$1 prefix=$2 guide target
    guide=$(zcat "$root$prefix/share/man/man6/quellmoor.6.gz" |
        sed -n '/^\.SH SEE ALSO/,$ s/^\.IR \([^ ]*\) \.$/\1/p')
    [ "$guide" = "$prefix/share/doc/quellmoor/playing.md" ] ||
        fail "the manual's SEE ALSO names '$guide', not the guide under $prefix"
    [ -f "$root$guide" ] || fail "the manual's SEE ALSO names $guide, which is not installed"
    for target in $(grep -o -e '\](\([^)]*\))' -e 'src="[^"]*"' \
        "$root$prefix/share/doc/quellmoor/README.md" | sed 's/^](\(.*\))$/\1/; s/^src="\(.*\)"$/\1/'); do
        case $target in *://*) continue ;; esac
        [ -f "$root$prefix/share/doc/quellmoor/$target" ] ||
            fail "the installed README links $target, which is not beside it"
    done
}

# The menu entry, the icons and the software centre's metainfo installed under PREFIX, as
# seen from ROOT: both files pass their validators with nothing to say (bar appstreamcli's
# pedantic hints and the notes below), the entry starts the game installed beside it, each
# icon is drawn at its folder's size, and the releases are the changelog's, newest first.
check_desktop() {
    local root=$1 prefix=$2 entry metainfo said status complaints size png key
    entry=$root$prefix/share/applications/com.example.quellmoor.desktop
    metainfo=$root$prefix/share/metainfo/com.example.quellmoor.metainfo.xml
    said=$(desktop-file-validate "$entry" 2>&1) || fail "desktop-file-validate rejects $entry:
$said"
    [ -z "$said" ] || fail "desktop-file-validate warns about $entry:
$said"
    status=0
    said=$(appstreamcli validate --no-net --pedantic "${appstream_overrides[@]}" "$metainfo" 2>&1) ||
        status=$?
    echo "$said"
    complaints=$(appstream_complaints "$said")
    if [ "$status" -ne 0 ] || [ -n "$complaints" ]; then
        fail "appstreamcli finds errors, warnings or notes in $metainfo (it ends $status):
$complaints"
    fi
    for key in Exec TryExec; do
        [ "$(sed -n "s/^$key=//p" "$entry")" = "$prefix/games/quellmoor" ] ||
            fail "the menu entry's $key is $(sed -n "s/^$key=//p" "$entry"), not the game under $prefix"
    done
    [ -x "$root$prefix/games/quellmoor" ] || fail "the menu entry's program is not installed"
    [ "$(sed -n 's/^Icon=//p' "$entry")" = quellmoor ] || fail "the menu entry names another icon"
    cmp "$root$prefix/share/icons/hicolor/scalable/apps/quellmoor.svg" web/page/icon.svg ||
        fail "the scalable icon is not web/page/icon.svg"
    for png in "$root$prefix"/share/icons/hicolor/*x*/apps/quellmoor.png; do
        size=${png%/apps/quellmoor.png}
        size=${size##*/}
        file -b "$png" | grep -q "^PNG image data, ${size%x*} x ${size#*x}," ||
            fail "$png is not a ${size} PNG: $(file -b "$png")"
    done
    [ "$(metainfo_releases "$metainfo")" = "$changelog_releases" ] ||
        fail "the metainfo's releases are not the changelog's:
$(metainfo_releases "$metainfo")"
}

# The errors, warnings and notes in appstreamcli's SAID, a line each, bar those the
# transition between AppStream's versions lets pass (appstream_transition, below).
appstream_complaints() {
    awk -v passed="$appstream_transition" '/^[EWI]: / && $0 !~ passed' <<<"$1"
}

# Each release of METAINFO as "VERSION DATE", a line each, in the file's order.
metainfo_releases() {
    python3 -c 'import sys, xml.etree.ElementTree as tree
for release in tree.parse(sys.argv[1]).getroot().iter("release"):
    print(release.get("version"), release.get("date"))' "$1"
}

# Each entry of docs/changelog as "VERSION DATE", newest first, the day as its author wrote it.
# The newest is project()'s version (checked above), so the metainfo's newest must be too.
changelog_releases=$(dpkg-parsechangelog -l docs/changelog --all --format rfc822 |
    sed -n 's/^Version: //p; s/^Date: [A-Za-z]*, *\([0-9]*\) \([A-Za-z]*\) \([0-9]*\) .*/\1 \2 \3/p' |
    while read -r entry_version && read -r day; do
        echo "$entry_version $(LC_ALL=C date -u -d "$day" +%F)"
    done)
# appstreamcli's notes fail the check as its warnings and errors do, bar these: each of
# AppStream 0.16 (Debian 12) and 1.0 (Debian 13) notes the other's way of naming the
# developer, and the metainfo has both, for the software centres of both; and 1.0 warns of
# a component without a homepage, but lets a project that has none say so (0.16 knows no
# such warning): this one has none. Its pedantic hints are shown, and pass.
appstream_transition='unknown-tag developer$|developer-name-tag-deprecated|url-homepage-missing'
appstream_overrides=()
[ "$(appstreamcli --version | sed -n 's/^AppStream[a-zA-Z ]* version: \([0-9]*\)\..*/\1/p' | head -1)" -lt 1 ] ||
    appstream_overrides=(--override url-homepage-missing=info)

echo "-- cmake --install"
cmake --workflow --preset package >/dev/null
cmake --install build/release --prefix "$scratch/prefix" >/dev/null
expected="./games/quellmoor
./share/applications/com.example.quellmoor.desktop
./share/doc/quellmoor/CONTRIBUTING.md
./share/doc/quellmoor/README.md
./share/doc/quellmoor/changelog.gz
./share/doc/quellmoor/copyright
./share/doc/quellmoor/hosting.md
./share/doc/quellmoor/packaging.md
./share/doc/quellmoor/playing.md
./share/doc/quellmoor/web-phone.png
./share/doc/quellmoor/web.md
./share/doc/quellmoor/web.png
./share/doc/quellmoor/windows.md
$(for size in 128 16 24 256 32 48 64; do echo "./share/icons/hicolor/${size}x$size/apps/quellmoor.png"; done)
./share/icons/hicolor/scalable/apps/quellmoor.svg
./share/man/man6/quellmoor.6.gz
./share/metainfo/com.example.quellmoor.metainfo.xml"
actual=$(files_under "$scratch/prefix")
[ "$actual" = "$expected" ] || fail "cmake --install put other files:
$actual"
check_documents "" "$scratch/prefix"
check_desktop "" "$scratch/prefix"

# The checks every package of the game passes, whatever machine it is for: its fields,
# its dependencies computed from what the program links, its files, its documents, lintian.
check_package() {
    local deb=$1 root=$scratch/root-$(basename "$1" .deb) arch
    arch=$(basename "$deb" .deb)
    arch=${arch##*_}
    field() { dpkg-deb -f "$deb" "$1"; }
    [ "$(field Package)" = quellmoor ] || fail "package name is $(field Package)"
    [ "$(field Version)" = "$version" ] || fail "version is $(field Version)"
    [ "$(field Architecture)" = "$arch" ] || fail "$deb is for $(field Architecture)"
    [ "$(field Section)" = games ] || fail "section is $(field Section)"
    [ -n "$(field Maintainer)" ] || fail "no maintainer"
    [ -n "$(field Description)" ] || fail "no description"
    # Computed from what the program links, whatever else it comes to need.
    field Depends | grep -Eq '(^|, )libc6 \(>= [0-9.]+\)' ||
        fail "dependencies not computed: $(field Depends)"
    field Depends | grep -Eq '(^|, )libedit2 ' ||
        fail "the packaged game has no line editor: $(field Depends)"
    dpkg -x "$deb" "$root"
    [ "$(program_cpu "$root/usr/games/quellmoor")" = "$arch" ] ||
        fail "the program in $deb is not built for $arch: $(file -b "$root/usr/games/quellmoor")"

    actual=$(files_under "$root/usr")
    [ "$actual" = "$expected" ] || fail "the package holds other files:
$actual"
    check_documents "$root" /usr
    check_desktop "$root" /usr
    dpkg-deb -c "$deb"

    # Judged by what lintian says as well as by its status (2 for an error or a warning, 1
    # when it could not check): nothing said passes; an error, a warning, or a hardening
    # tag of any kind (cmake/DebianFlags.cmake) fails.
    echo "-- lintian"
    local status=0
    lintian --display-info --fail-on error,warning "$deb" >"$scratch/lintian.txt" 2>&1 ||
        status=$?
    grep -v '^running with root privileges' "$scratch/lintian.txt" || true
    [ "$status" -ne 1 ] || fail "lintian could not check $deb"
    if [ "$status" -ne 0 ] || grep -Eq '^[EW]: ' "$scratch/lintian.txt"; then
        fail "lintian reports errors or warnings"
    fi
    ! grep -q ' hardening-' "$scratch/lintian.txt" || fail "lintian finds the program unhardened"
}

# The Windows zip holds the program for Windows and the documents it names, under one
# folder named for the zip, and nothing else.
check_zip() {
    local folder
    folder=$(basename "$1" .zip)
    actual=$(python3 -c 'import sys, zipfile; print("\n".join(zipfile.ZipFile(sys.argv[1]).namelist()))' "$1")
    [ "$actual" = "$(printf '%s\n' CONTRIBUTING.md LICENSE.txt README.md docs/ docs/hosting.md docs/packaging.md \
        docs/playing.md docs/web-phone.png docs/web.md docs/web.png docs/windows.md quellmoor.exe | sed "s|^|$folder/|")" ] ||
        fail "the zip holds other files:
$actual"
    python3 -c 'import sys, zipfile; sys.stdout.buffer.write(zipfile.ZipFile(sys.argv[1]).read(sys.argv[2]))' \
        "$1" "$folder/quellmoor.exe" >"$scratch/quellmoor.exe"
    case $(file -b "$scratch/quellmoor.exe") in
    *"PE32+ executable"*x86-64*) ;;
    *) fail "the zip's quellmoor.exe is not a 64-bit Windows program" ;;
    esac
}

# Debian's name for the processor PROGRAM is built for, from what `file` says of it.
program_cpu() {
    case $(file -b "$1") in
    *x86-64*) echo amd64 ;;
    *"ARM aarch64"*) echo arm64 ;;
    *) echo unknown ;;
    esac
}

echo "-- Debian package"
deb=build/release/$deb_name
check_package "$deb"
for other in "${other_packages[@]}"; do
    case $other in
    *.deb)
        echo "-- Debian package for another machine: $other"
        check_package "$other"
        ;;
    *.zip)
        echo "-- Windows zip: $other"
        check_zip "$other"
        ;;
    *) fail "$other: neither a Debian package nor a zip" ;;
    esac
done

echo "-- the installed program plays every golden transcript"
played=0
for input in tests/golden/*/*.in; do
    "$scratch/root-${deb_name%.deb}/usr/games/quellmoor" <"$input" | cmp -s - "${input%.in}.out" ||
        fail "installed program differs on $input"
    played=$((played + 1))
done
echo "installed program: $played transcripts played, all identical"

# The one time every file in PACKAGE carries, as seconds since 1970. A zip keeps times in
# steps of two seconds: seconds since 1970 that the zip keeps as they were are even.
package_time() {
    case $1 in
    *.zip)
        python3 -c 'import calendar, sys, zipfile
for when in sorted({info.date_time for info in zipfile.ZipFile(sys.argv[1]).infolist()}):
    print(calendar.timegm(when + (0, 0, 0)))' "$1"
        ;;
    *)
        dpkg-deb --fsys-tarfile "$1" | TZ=UTC tar -t -v --full-time | awk '{ print $4 " " $5 }' |
            sort -u | while read -r day time; do date -u -d "$day $time" +%s; done
        ;;
    esac
}
# What a package's time must be: the caller's SOURCE_DATE_EPOCH, else the commit's when
# built in a clone, else the newest changelog entry's, as Debian's own tools read it.
commit=$(git rev-parse HEAD)
commit_time=$(git log -1 --format=%ct "$commit")
changelog_time=$(dpkg-parsechangelog -l docs/changelog -S Timestamp)

echo "-- the package's time: the commit's, or the caller's"
[ "$(package_time "$deb")" = "$commit_time" ] ||
    fail "the package built in a clone carries $(package_time "$deb"), not the commit's time $commit_time"
for other in "${other_packages[@]}"; do
    case $other in *.zip) expected=$((commit_time / 2 * 2)) ;; *) expected=$commit_time ;; esac
    [ "$(package_time "$other")" = "$expected" ] ||
        fail "$other carries $(package_time "$other"), not the commit's time $commit_time"
done
SOURCE_DATE_EPOCH=1000000000 cpack --config build/release/CPackConfig.cmake \
    -B "$scratch/explicit" >/dev/null
[ "$(package_time "$scratch/explicit/$deb_name")" = 1000000000 ] ||
    fail "a package made with SOURCE_DATE_EPOCH=1000000000 carries $(package_time "$scratch/explicit/$deb_name")"
echo "commit $commit_time, caller's 1000000000: as made"

echo "-- reproducible: two builds of one source tarball, in two folders days apart"
# The packages compared, each the preset that makes it and the file it makes: the one
# built here, and those named on the command line, each made by the preset its folder is
# named after (build/PRESET/FILE).
packages=("release:build/release/$deb_name")
for other in "${other_packages[@]}"; do
    preset=$(basename "$(dirname "$other")")
    packages+=("$preset:build/$preset/$(basename "$other")")
done
# Builds every package from a tarball of the commit, as a distribution takes it (the
# files, with no history), unpacked at WHERE; the rest is a command to build under. The
# tests are left out: they were run on this commit, and the package holds none of them.
build_tarball() {
    local where=$1 entry
    shift
    mkdir -p "$where"
    git archive "$commit" | tar -x -C "$where"
    for entry in "${packages[@]}"; do
        (cd "$where" && "$@" sh -c 'cmake --preset "$0" -DQUELLMOOR_TESTS=OFF &&
            cmake --build --preset "$0" && cpack --preset "$0"' "${entry%%:*}") >>"$where.log" 2>&1 ||
            { cat "$where.log"; fail "cannot build ${entry#*:} from a tarball of $commit in $where"; }
    done
}
# The first copy now; the second in a longer path, inside some other git repository (whose
# dates are not the game's), with the clock nine days on.
build_tarball "$scratch/a"
outer=$scratch/outer
git init --quiet "$outer"
GIT_COMMITTER_DATE=2001-09-09T01:46:40Z git -C "$outer" -c user.name=other \
    -c user.email=other@example.com commit --quiet --allow-empty -m "another project"
build_tarball "$outer/second/build/of/quellmoor" faketime -m -f +9d
for entry in "${packages[@]}"; do
    first=$scratch/a/${entry#*:}
    second=$outer/second/build/of/quellmoor/${entry#*:}
    sha256sum "$first" "$second" | sed "s|$scratch/||"
    cmp "$first" "$second" || fail "two tarball builds of $commit differ: ${entry#*:}"
done
[ "$(package_time "$scratch/a/build/release/$deb_name")" = "$changelog_time" ] ||
    fail "the package built from a tarball carries $(package_time "$scratch/a/build/release/$deb_name"), not the changelog's time $changelog_time"
echo "both carry the newest changelog entry's time, $changelog_time"
