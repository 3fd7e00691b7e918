#!/usr/bin/env bash
# The source folders are floors that run one way: each may include only its own floor and
# those below it. Fails, naming the file and the include, when a floor reaches upward.
#   ground:   game/
#   rules:    world/ combat/ goods/   (over the ground)
#   play:     play/                   (the command loop, over the rules)
#   program:  program/                (what the POSIX and Windows programs share, over play)
#   adapters: posix/ windows/         (on top; web/ is its own build above play/)
set -euo pipefail
cd "$(dirname "$0")/../src"

allowed() {
    case "$1" in
    game) echo "game" ;;
    world | combat | goods) echo "game world combat goods" ;;
    play) echo "game world combat goods play" ;;
    *) echo "" ;;  # adapters and the entry may use every floor
    esac
}

status=0
while IFS= read -r file; do
    floor=${file%%/*}
    permitted=$(allowed "$floor")
    [ -n "$permitted" ] || continue
    while IFS= read -r included; do
        target=${included%%/*}
        if [[ " $permitted " != *" $target "* ]]; then
            echo "src/$file includes \"$included\": $floor/ may not use $target/" >&2
            status=1
        fi
    done < <(sed -n 's/^#include "\([^"]*\)".*/\1/p' "$file")
done < <(find . -name '*.[ch]pp' | sed 's#^\./##' | sort)
exit $status
