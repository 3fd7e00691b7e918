#!/usr/bin/env bash
# Proves the game installs like any other: `cmake --install` to a scratch prefix, the man
# page lints clean, and the Debian package carries the right metadata and files and plays
# every golden transcript with the installed program.
set -euo pipefail
cd "$(dirname "$0")/.."
scratch=$(mktemp -d)
trap 'rm -rf "$scratch"' EXIT
fail() { echo "check-install: $*" >&2; exit 1; }

echo "-- man page"
groff -ww -z -man docs/quellmoor.6 2>&1 | (! grep .) || fail "groff warns about the man page"
if command -v mandoc >/dev/null; then
    mandoc -T lint -W warning docs/quellmoor.6 || fail "mandoc warns about the man page"
fi

echo "-- cmake --install"
cmake --workflow --preset package >/dev/null
cmake --install build/release --prefix "$scratch/prefix" >/dev/null
for file in bin/quellmoor share/man/man6/quellmoor.6 share/doc/quellmoor/README.md \
            share/doc/quellmoor/LICENSE share/doc/quellmoor/playing.md; do
    [ -f "$scratch/prefix/$file" ] || fail "cmake --install did not install $file"
done

echo "-- Debian package"
deb=build/release/quellmoor_1.0.0_amd64.deb
field() { dpkg-deb -f "$deb" "$1"; }
[ "$(field Package)" = quellmoor ] || fail "package name is $(field Package)"
[ "$(field Version)" = 1.0.0 ] || fail "version is $(field Version)"
[ "$(field Section)" = games ] || fail "section is $(field Section)"
[ -n "$(field Maintainer)" ] || fail "no maintainer"
[ -n "$(field Description)" ] || fail "no description"
field Depends | grep -q '^libc6' || fail "dependencies not computed: $(field Depends)"

expected_files="./usr/bin/quellmoor
./usr/share/doc/quellmoor/LICENSE
./usr/share/doc/quellmoor/README.md
./usr/share/doc/quellmoor/playing.md
./usr/share/man/man6/quellmoor.6"
actual_files=$(dpkg-deb -c "$deb" | awk '$1 !~ /^d/ { print $6 }' | sort)
[ "$actual_files" = "$expected_files" ] || fail "unexpected file list:
$actual_files"
dpkg-deb -c "$deb"

echo "-- the installed program plays every golden transcript"
dpkg -x "$deb" "$scratch/root"
played=0
for input in tests/golden/*/*.in; do
    "$scratch/root/usr/bin/quellmoor" <"$input" | cmp -s - "${input%.in}.out" ||
        fail "installed program differs on $input"
    played=$((played + 1))
done
echo "installed program: $played transcripts played, all identical"
