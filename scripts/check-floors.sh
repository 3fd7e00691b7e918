#!/usr/bin/env bash
# The source folders are floors that run one way: each may include only its own floor and
# those the table below lets it use. Fails, naming the file and the include, when a floor
# reaches where it may not, and when a folder of src/ has no line in the table.
#
# Every form the compiler takes is read: "..." and <...>, spaces around the #, lines
# continued with a backslash, and paths through "..". An include the check cannot read (a
# macro) is refused too. Needs perl.
set -euo pipefail
cd "$(dirname "$0")/.."

# The floors, from the ground up: game/ (state, generator, console); the rules over it,
# world/, combat/ and goods/; play/, the command loop over the rules; program/, what the
# POSIX and Windows programs share, over play/; then the adapters, each blind to the
# others and each with its program's entry: posix/, windows/, and the page's code in web/.
#
# FLOOR     THE FLOORS IT MAY USE BESIDES ITS OWN
floors='
game
world      game combat goods
combat     game world goods
goods      game world combat
play       game world combat goods
program    game world combat goods play
posix      game world combat goods play program
windows    game world combat goods play program
web        game world combat goods play program
'

# The floors FLOOR may use, its own included; nothing when the table has no such floor.
permitted() {
    awk -v floor="$1" '$1 == floor { print; found = 1 } END { exit !found }' <<<"$floors"
}

# The floor of PATH (from the top of the repository): its folder under src/, "web" for the
# page's code; nothing for a file at the top of src/, which stands on no floor.
floor_of() {
    case $1 in
    src/*/*) rest=${1#src/} && echo "${rest%%/*}" ;;
    web/*) echo web ;;
    esac
}

# Each include of FILE as "KIND PATH" (KIND is the opening quote or bracket), in every
# form the compiler takes: spaces around the #, and lines continued with a backslash. An
# include inside a comment counts too: the check would rather refuse than be walked around.
includes() {
    perl -0777 -ne '
        s/\\\n//g;
        for (split /\n/) {
            next unless /^\s*#\s*(?:include|include_next|import)\b\s*(.*?)\s*$/;
            print $1 =~ /^([<"])([^>"]*)[>"]/ ? "$1 $2\n" : "? $1\n";
        }' "$1"
}

# Where the compiler finds PATH included by FILE: beside FILE first for "...", then in
# src/ (every target's include folder). Nothing for a header of the system.
resolve() {
    local file=$1 kind=$2 path=$3 found=
    if [ "$kind" = '"' ] && [ -e "${file%/*}/$path" ]; then
        found=${file%/*}/$path
    elif [ -e "src/${path%%/*}" ]; then
        found=src/$path
    fi
    case $found in
    */./* | */../*) found=$(realpath -m --relative-to=. "$found") ;;
    esac
    if [[ $found == src/* || $found == web/* ]]; then echo "$found"; fi
}

status=0
refuse() { echo "$1" >&2 && status=1; }

for folder in src/*/; do
    folder=${folder#src/}
    permitted "${folder%/}" >/dev/null ||
        refuse "src/$folder has no floor in scripts/check-floors.sh: say what it may use"
done
for file in src/*.[ch]pp; do
    [ ! -e "$file" ] || refuse "$file stands on no floor: put it in the folder of its floor"
done

while IFS= read -r file; do
    floor=$(floor_of "$file")
    allowed=$(permitted "$floor") || continue
    while read -r kind path; do
        if [ "$kind" = '?' ]; then
            refuse "$file includes $path, which this check cannot follow: name the header"
            continue
        fi
        target=$(resolve "$file" "$kind" "$path")
        [ -n "$target" ] || continue
        used=$(floor_of "$target")
        [[ " $allowed " == *" $used "* ]] ||
            refuse "$file includes $path: $floor/ may not use $used/"
    done < <(includes "$file")
done < <(find src web -type f \( -name '*.[ch]pp' -o -name '*.h' -o -name '*.cc' -o -name '*.inc' \) | sort)
exit $status
