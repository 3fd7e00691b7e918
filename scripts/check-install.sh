#!/usr/bin/env bash
# Proves the game installs like any other: the man page lints clean; `cmake --install` to a
# scratch prefix and the Debian package each put exactly the expected files in Debian's
# layout, with the manual's SEE ALSO and the README's links pointing at files installed
# beside them; lintian finds no error and no warning in the package; the installed program
# plays every golden transcript; and two builds of the commit, in two folders at two
# times, give the same package byte for byte.
#
# Needs: cmake, ninja, g++, git, gzip, groff, mandoc (optional), Debian's dpkg-dev, file
# and lintian.
set -euo pipefail
cd "$(dirname "$0")/.."
scratch=$(mktemp -d)
trap 'rm -rf "$scratch"' EXIT
fail() { echo "check-install: $*" >&2; exit 1; }
# The package's timestamps must come from the commit, not from a caller's setting; and
# it is built under umask 022, as Debian's builders work (cmake/PackageTime.cmake).
unset SOURCE_DATE_EPOCH
umask 022
deb_name=quellmoor_1.0.0_$(dpkg --print-architecture).deb

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

echo "-- cmake --install"
cmake --workflow --preset package >/dev/null
cmake --install build/release --prefix "$scratch/prefix" >/dev/null
expected="./games/quellmoor
./share/doc/quellmoor/CONTRIBUTING.md
./share/doc/quellmoor/README.md
./share/doc/quellmoor/changelog.gz
./share/doc/quellmoor/copyright
./share/doc/quellmoor/playing.md
./share/doc/quellmoor/web-phone.png
./share/doc/quellmoor/web.png
./share/man/man6/quellmoor.6.gz"
actual=$(files_under "$scratch/prefix")
[ "$actual" = "$expected" ] || fail "cmake --install put other files:
$actual"
check_documents "" "$scratch/prefix"

echo "-- Debian package"
deb=build/release/$deb_name
field() { dpkg-deb -f "$deb" "$1"; }
[ "$(field Package)" = quellmoor ] || fail "package name is $(field Package)"
[ "$(field Version)" = 1.0.0 ] || fail "version is $(field Version)"
[ "$(field Section)" = games ] || fail "section is $(field Section)"
[ -n "$(field Maintainer)" ] || fail "no maintainer"
[ -n "$(field Description)" ] || fail "no description"
# Computed from what the program links, whatever else it comes to need.
field Depends | grep -Eq '(^|, )libc6 \(>= [0-9.]+\)' ||
    fail "dependencies not computed: $(field Depends)"
field Depends | grep -Eq '(^|, )libedit2 ' ||
    fail "the packaged game has no line editor: $(field Depends)"

dpkg -x "$deb" "$scratch/root"
actual=$(files_under "$scratch/root/usr")
[ "$actual" = "$expected" ] || fail "the package holds other files:
$actual"
check_documents "$scratch/root" /usr
dpkg-deb -c "$deb"

echo "-- lintian"
lintian --display-info "$deb" 2>&1 | grep -v '^running with root privileges' |
    tee "$scratch/lintian.txt"
! grep -Eq '^[EW]: ' "$scratch/lintian.txt" || fail "lintian reports errors or warnings"

echo "-- the installed program plays every golden transcript"
played=0
for input in tests/golden/*/*.in; do
    "$scratch/root/usr/games/quellmoor" <"$input" | cmp -s - "${input%.in}.out" ||
        fail "installed program differs on $input"
    played=$((played + 1))
done
echo "installed program: $played transcripts played, all identical"

echo "-- reproducible: two builds of the commit, in two folders at two times"
commit=$(git rev-parse HEAD)
# One build after the other, the second in a longer path.
build_commit() {
    local where=$1
    git clone --quiet --no-checkout "$PWD" "$where"
    git -C "$where" checkout --quiet "$commit"
    (cd "$where" && cmake --workflow --preset package) >"$where.log" 2>&1 ||
        { cat "$where.log"; fail "cannot build the package of $commit in $where"; }
}
build_commit "$scratch/a"
build_commit "$scratch/second/build/of/quellmoor"
first=$scratch/a/build/release/$deb_name
second=$scratch/second/build/of/quellmoor/build/release/$deb_name
sha256sum "$first" "$second" | sed "s|$scratch/||"
cmp "$first" "$second" || fail "two builds of $commit differ"
if [ -z "$(git status --porcelain --untracked-files=no)" ]; then
    cmp "$deb" "$first" || fail "the package built here differs from a build of $commit"
    echo "the package built here is the same, byte for byte"
fi
