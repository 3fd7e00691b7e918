#!/bin/sh
# The game's version, as project() in CMakeLists.txt sets it: the one place it is written.
# The build has it from CMake; the scripts and CI read it here.
set -eu
version=$(sed -n 's/^project(quellmoor VERSION \([0-9][0-9.]*\)[ )].*/\1/p' \
    "$(dirname "$0")/../CMakeLists.txt")
[ -n "$version" ] || { echo "version.sh: no version in project() of CMakeLists.txt" >&2 && exit 1; }
echo "$version"
