#!/usr/bin/env bash
# The source folders are floors that run one way: each may include only its own floor and
# those the table below lets it use. Fails, naming the file and the include, when a floor
# reaches where it may not, when a folder of src/ has no line in the table, and when a
# source file lies at the top of src/, on no floor.
#
# What a file includes is the compiler's word, not this script's reading of C++: every
# source file and every header is handed to the compiler of each front end that builds it,
# which lists every file it opened (-M), however the include was spelled, through
# comments, digraphs, macros or "..". A header is handed over on its own as well, so what
# it includes counts against its floor, not only against the files that include it. Needs
# a C++ compiler ($CXX, else c++) and perl; fails without them.
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

# The front ends that build the floors, each compiled as its build compiles it (see
# preprocess, below). A floor no front end builds would go unread: each has a line here.
#
# FRONT END  THE FLOORS IT BUILDS
front_ends='
console      game world combat goods play program posix
windows      game world combat goods play program windows
page         game world combat goods play web
'

# The console program's files are read by this machine's compiler, as its build compiles
# them. The Windows program's and the page's are read by the same compiler standing in for
# theirs (MinGW-w64, em++): with the target's own macros and none of this machine's
# (-undef), and no system header at all (-nostdinc; -MG lists a header it cannot find and
# goes on). No system header includes one of ours, so the stand-in opens the files of ours
# that the target's compiler opens, unless an include of ours hangs on a macro that only the
# target's system headers define. It answers the same on every machine, whatever cross
# compilers it has, and fast: em++ takes seven times the processor time for the page alone.
host=${CXX:-c++}
stand_in=(-undef -nostdinc -nostdinc++)

status=0
refuse() { echo "$1" >&2 && status=1; }
has() { command -v "$1" >/dev/null; }

# The words after NAME on its line of TABLE; fails when TABLE has no such line.
row() {
    awk -v name="$1" '$1 == name { $1 = ""; print; found = 1 } END { exit !found }' <<<"$2"
}
# The floors FLOOR may use, its own included; nothing when the table has no such floor.
permitted() { row "$1" "$floors" >/dev/null && echo "$1 $(row "$1" "$floors")"; }
names() { awk 'NF { print $1 }' <<<"$1"; }

# The floor of PATH (from the top of the repository): its folder under src/, "web" for the
# page's code; nothing for a file at the top of src/, which stands on no floor.
floor_of() {
    case $1 in
    src/*/*) rest=${1#src/} && echo "${rest%%/*}" ;;
    web/*) echo web ;;
    esac
}

# The folder of FLOOR's sources.
folder_of() { if [ "$1" = web ]; then echo web; else echo "src/$1"; fi; }

# FRONT END's compiler and its flags, one a line: those of its build that choose what is
# included (the include folder, the definitions), and -M -MG for the list of files opened.
compiler() {
    local flags=(-std=c++20 -I src -M -MG)
    case $1 in
    console) printf '%s\n' "$host" "${flags[@]}" -DQUELLMOOR_HAS_LINE_EDITOR ;;
    windows)
        printf '%s\n' "$host" "${flags[@]}" "${stand_in[@]}" -DWIN32_LEAN_AND_MEAN -DNOMINMAX \
            -D_WIN32 -D_WIN64 -D__MINGW32__ -D__MINGW64__ -D__x86_64__ -D__GNUC__=12
        ;;
    page)
        printf '%s\n' "$host" "${flags[@]}" "${stand_in[@]}" \
            -D__EMSCRIPTEN__ -D__wasm__ -D__wasm32__ -D__clang__
        ;;
    esac
}

# The source files and headers of FRONT END's floors, each behind the -x its kind takes.
sources() {
    local floor
    for floor in $(row "$1" "$front_ends"); do
        find "$(folder_of "$floor")" -type f \( -name '*.cpp' -o -name '*.cc' \) \
            -printf '-xc++\n%p\n'
        find "$(folder_of "$floor")" -type f \( -name '*.hpp' -o -name '*.h' -o -name '*.inc' \) \
            -printf '-xc++-header\n%p\n'
    done
}

# Each "FILE OPENED" pair, from the top of the repository, of the rules that -M wrote to
# standard input (the source first after the target), for the files of src/ and web/ alone:
# system headers, and headers the compiler could not find, are left out.
opened() {
    perl -MCwd=realpath -e '
        my ($top, %seen) = realpath(".");
        local $/;
        my $rules = <STDIN>;
        $rules =~ s/\\\n/ /g;
        for my $rule (split /\n/, $rules) {
            $rule =~ s/^.*?(?<!\\):(?=\s)// or next;
            my @files = map { s/\\(.)/$1/gr =~ s/\$\$/\$/gr } $rule =~ /((?:\\.|\S)+)/g;
            my @ours;
            for (@files) {
                my $real = $seen{$_} //= realpath($_) // "";
                push @ours, $1 if -f $real && $real =~ m{^\Q$top\E/((?:src|web)/.*)};
            }
            my ($file, @opened) = @ours;
            print "$file\t$_\n" for @opened;
        }' || exit 1
}

# Every "FILE OPENED" pair of FRONT END, its compiler's messages shown if it fails.
read_front_end() {
    local front=$1 command messages
    mapfile -t command < <(compiler "$front")
    if ! has "${command[0]}"; then
        echo "No compiler ${command[0]} to read the $front front end's includes: install one" \
            "or name it in CXX" >&2
        return 1
    fi
    messages=$(mktemp)
    if ! sources "$front" | xargs -d '\n' "${command[@]}" 2>"$messages" | opened; then
        echo "The $front front end could not be read (${command[0]}):" >&2
        cat "$messages" >&2
        rm -f "$messages"
        return 1
    fi
    rm -f "$messages"
}

for folder in src/*/; do
    folder=${folder#src/}
    permitted "${folder%/}" >/dev/null ||
        refuse "src/$folder has no floor in scripts/check-floors.sh: say what it may use"
done
for file in src/*.cpp src/*.cc src/*.hpp src/*.h src/*.inc; do
    [ ! -e "$file" ] || refuse "$file stands on no floor: put it in the folder of its floor"
done

# A header's includes count against every file that includes it: what a floor may use, it
# may use through any floor it may use, so the table must say so. And a floor that no front
# end builds would go unread.
awk -v floors="$floors" -v front_ends="$front_ends" '
    BEGIN {
        split(floors, rows, "\n")
        for (r in rows) {
            n = split(rows[r], words, " ")
            for (w = 2; w <= n; w++) uses[words[1], words[w]] = 1
            if (n) named[words[1]] = 1
        }
        split(front_ends, rows, "\n")
        for (r in rows) {
            n = split(rows[r], words, " ")
            for (w = 2; w <= n; w++) built[words[w]] = 1
        }
        for (pair in uses) {
            split(pair, two, SUBSEP)
            for (beyond in named)
                if ((two[2], beyond) in uses && beyond != two[1] && !((two[1], beyond) in uses)) {
                    printf "scripts/check-floors.sh: %s/ uses %s/, which may use %s/: let %s/ use %s/ too, or %s/ not\n", two[1], two[2], beyond, two[1], beyond, two[2]
                    refused = 1
                }
        }
        for (floor in named)
            if (!(floor in built)) {
                printf "scripts/check-floors.sh: no front end builds %s/: add it to the line of one\n", floor
                refused = 1
            }
        exit refused
    }' >&2 || status=1

# The front ends are read side by side, each into a file of its own.
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
pids=() unread=0
for front in $(names "$front_ends"); do
    read_front_end "$front" >"$work/$front" &
    pids+=($!)
done
for pid in "${pids[@]}"; do
    wait "$pid" || unread=1
done
[ "$unread" -eq 0 ] || exit 1

# Every file's floor must let it use the floor of every file it opened.
sort -u "$work"/* | awk -F '\t' -v floors="$floors" '
    function floor_of(path, parts) {
        if (split(path, parts, "/") > 2 && parts[1] == "src") return parts[2]
        return parts[1] == "web" ? "web" : ""
    }
    BEGIN {
        split(floors, rows, "\n")
        for (r in rows) {
            n = split(rows[r], words, " ")
            for (w = 1; w <= n; w++) permitted[words[1], words[w]] = 1
        }
    }
    {
        floor = floor_of($1)
        used = floor_of($2)
        if (floor != "" && used != "" && !((floor, used) in permitted)) {
            printf "%s includes %s: %s/ may not use %s/\n", $1, $2, floor, used > "/dev/stderr"
            refused = 1
        }
    }
    END { exit refused }' || status=1
exit $status
