#!/usr/bin/env bash
# The source folders are floors that run one way: each may include only its own floor and
# those the table below lets it use. Fails, naming the file and the include, when a floor
# reaches where it may not, when a folder of src/ has no line in the table, and when a
# source file lies at the top of src/, on no floor.
#
# What a file includes is the compiler's word, not this script's reading of C++: every
# file of a floor's folder, whatever its name ends in, is handed to the compiler of each
# front end that builds it, which lists every file it opened (-M), however the include was
# spelled, through comments, digraphs, macros or "..". A header is handed over on its own
# as well, so what it includes counts against its floor, not only against the files that
# include it. Each file is read twice: as it is, and with its conditions taken out, so that
# an include behind #ifdef counts whether or not a build we run takes it (one for macOS, a
# build without the line editor, a release build): clang's lexer finds the conditions, in
# any spelling the compiler takes. Needs a C++ compiler ($CXX, else c++), clang++ ($CLANG,
# else clang++) and perl; fails without them.
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

# The files of FLOOR the compiler reads, a line each: every file of a folder of src/, whatever
# its name ends in (a .cxx, a resource script), bar CMake's; web/'s C and C++ files, among
# the page's scripts and styles.
files_of() {
    if [ "$1" = web ]; then
        find web -type f \( -name '*.c' -o -name '*.cc' -o -name '*.cpp' -o -name '*.cxx' \
            -o -name '*.c++' -o -name '*.C' -o -name '*.h' -o -name '*.hh' -o -name '*.hpp' \
            -o -name '*.hxx' -o -name '*.h++' -o -name '*.inc' -o -name '*.ipp' -o -name '*.tpp' \)
    else
        find "src/$1" -type f ! -name CMakeLists.txt ! -name '*.cmake'
    fi
}

# The files of FRONT END's floors, each behind the -x its kind takes: a header's, or a
# source file's for any other.
sources() {
    local floor file
    for floor in $(row "$1" "$front_ends"); do
        files_of "$floor" | while IFS= read -r file; do
            case $file in
            *.h | *.hh | *.hpp | *.hxx | *.h++ | *.inc | *.ipp | *.tpp) printf '%s\n' -xc++-header ;;
            *) printf '%s\n' -xc++ ;;
            esac
            printf '%s\n' "$file"
        done
    done
}

# A copy of src/ and web/ in folder TOP, with every conditional directive (#if, #ifdef,
# #elif, #else, #endif and their kin) of each file the front ends read blanked out, and
# #error and #warning with them, which a condition kept from being read: every branch is
# then read, one after the other. clang's lexer, in its raw mode, finds the directives: a
# '#' or '%:' first on its line but for comments and white space, then the directive's
# name, however spliced. A directive is blanked to the start of the next line, its line
# breaks kept, so that the compiler's messages point at the lines of the file as it is.
unconditioned_tree() {
    local top=$1 floor files
    cp -R src web "$top"
    mapfile -t files < <(for floor in $(names "$floors"); do files_of "$floor"; done | sort -u)
    # The raw tokens of every file, each "KIND 'SPELLING' FLAGS Loc=<FILE:LINE:COLUMN>".
    "$lexer" -cc1 -x c++ -std=c++20 -dump-raw-tokens "${files[@]}" 2>&1 >/dev/null |
        perl -e '
            my ($top, @files) = @ARGV;
            local $/;
            my ($dump, $read, %tokens) = scalar <STDIN>;
            while ($dump =~ /\G(.*?)\tLoc=<([^\n]+?):(\d+):(\d+)>\n/gs) {
                my ($token, $file, $line, $column) = ($1, $2, $3, $4);
                $read = pos $dump;
                push @{ $tokens{$file} }, {
                    line => $line, column => $column,
                    first => scalar($token =~ /^\w+ \x27.*?\x27\t \[StartOfLine\]/s),
                    blank => scalar($token =~ /^(?:comment |unknown \x27\s*\x27\t)/),
                    hash => scalar($token =~ /^hash /),
                    name => $token =~ /^raw_identifier \x27(\w+)\x27/ ? $1 : "",
                };
            }
            die "The lexer said what this script cannot read:\n", substr($dump, $read // 0, 2000)
                unless ($read // 0) == length $dump;
            for my $file (@files) {
                open my $in, "<:raw", $file or die "$file: $!\n";
                my $text = <$in>;
                my @line_starts = (0);
                push @line_starts, pos $text while $text =~ /\n/g;
                my @tokens = @{ $tokens{$file} // [] };
                $_->{at} = $line_starts[$_->{line} - 1] + $_->{column} - 1 for @tokens;
                my $line_so_far_blank = 1;
                for my $i (0 .. $#tokens) {
                    $line_so_far_blank = 1 if $tokens[$i]{first};
                    next if $tokens[$i]{blank};
                    if ($tokens[$i]{hash} && $line_so_far_blank) {
                        my $name = $i + 1;
                        $name++ while $name < @tokens && $tokens[$name]{blank};
                        if ($name < @tokens && !$tokens[$name]{first} && $tokens[$name]{name} =~
                            /^(?:if|ifdef|ifndef|elif|elifdef|elifndef|else|endif|error|warning)$/) {
                            my $end = $name + 1;
                            $end++ while $end < @tokens && !$tokens[$end]{first};
                            my $to = $end < @tokens ? $tokens[$end]{at} : length $text;
                            substr($text, $tokens[$i]{at}, $to - $tokens[$i]{at}) =~ tr/\n/ /c;
                        }
                    }
                    $line_so_far_blank = 0;
                }
                open my $out, ">:raw", "$top/$file" or die "$top/$file: $!\n";
                print $out $text or die "$top/$file: $!\n";
                close $out or die "$top/$file: $!\n";
            }' "$top" "${files[@]}"
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

# Every "FILE OPENED" pair of FRONT END in the tree at TOP, its compiler given any further
# FLAGS; its compiler's messages shown if it fails.
read_front_end() {
    local front=$1 top=$2 command messages
    mapfile -t command < <(compiler "$front")
    command+=("${@:3}")
    messages=$(mktemp)
    if ! (cd "$top" && sources "$front" | xargs -d '\n' "${command[@]}" 2>"$messages" | opened); then
        echo "The $front front end could not be read (${command[0]}, in $top):" >&2
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
for file in src/*; do
    case $file in src/CMakeLists.txt | src/*.cmake) continue ;; esac
    [ ! -f "$file" ] || refuse "$file stands on no floor: put it in the folder of its floor"
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

lexer=${CLANG:-clang++}
for tool in "$host" "$lexer"; do
    if ! has "$tool"; then
        echo "No compiler $tool to read the includes: install it, or name another in" \
            "$([ "$tool" = "$host" ] && echo CXX || echo CLANG)" >&2
        exit 1
    fi
done

# The front ends are read side by side, the tree as it is and the tree out of its
# conditions, each reading into a file of its own.
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
mkdir "$work/unconditioned" "$work/read"
if ! unconditioned_tree "$work/unconditioned"; then
    echo "The sources could not be taken out of their conditions ($lexer)" >&2
    exit 1
fi
pids=() unread=0
for front in $(names "$front_ends"); do
    read_front_end "$front" . >"$work/read/$front" &
    pids+=($!)
    # Out of their conditions, the files of ours that the sources open are the same with the
    # system's headers or without them, which take most of the time: the stand-in's flags.
    read_front_end "$front" "$work/unconditioned" "${stand_in[@]}" >"$work/read/$front-unconditioned" &
    pids+=($!)
done
for pid in "${pids[@]}"; do
    wait "$pid" || unread=1
done
[ "$unread" -eq 0 ] || exit 1

# Every file's floor must let it use the floor of every file it opened.
sort -u "$work"/read/* | awk -F '\t' -v floors="$floors" '
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
