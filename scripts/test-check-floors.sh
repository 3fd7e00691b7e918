#!/usr/bin/env bash
# Checks scripts/check-floors.sh on copies of the sources: the tree as it is passes, and
# includes that reach above their floor are refused however they are spelled, as are a
# header's own includes, an include only Windows compiles, includes behind conditions no
# build takes, a source file named .cxx, a page file in a folder of its own, a folder with
# no floor, a file at the top of src/, a table that is not closed under use, and a machine
# without the compiler or clang. Run by CI with the floors check.
set -euo pipefail
cd "$(dirname "$0")/.."

work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
failures=0
fail() { echo "FAILED: $1" >&2 && failures=$((failures + 1)); }

# A fresh copy of the sources and the check, in folder NAME of the work folder.
copy() {
    mkdir -p "$work/$1/scripts"
    git ls-files -z src web | xargs -0 cp --parents -t "$work/$1"
    cp scripts/check-floors.sh "$work/$1/scripts/"
}
# Runs the check in copy NAME, with any further VARIABLE=VALUE in its environment; its
# messages land in NAME.out, its status is the check's.
check() {
    local name=$1
    shift
    env "$@" "$work/$name/scripts/check-floors.sh" >"$work/$name.out" 2>&1
}
# Copy NAME's check must fail, saying each of the further MESSAGES.
refused() {
    local name=$1 message
    shift
    if check "$name"; then
        fail "$name: the check passed"
    fi
    for message; do
        grep -qF -- "$message" "$work/$name.out" || fail "$name: no \"$message\""
    done
}

copy clean
check clean || fail "clean: the tree as it is was refused: $(cat "$work/clean.out")"

copy faults
cd "$work/faults"
# Three spellings the compiler takes and a reading of the text could miss, and an include
# that only the Windows program compiles.
cat >>src/game/console.cpp <<'EOF'
/* floors */ #include "play/completion.hpp"
%:include "posix/descriptor_io.hpp"
#/**/include "world/exits.hpp"
#ifdef _WIN32
#include "windows/handle_io.hpp"
#endif
EOF
# Includes behind conditions no build we check takes, or not the console's (a macOS build,
# one without the line editor, a release build), however the condition is spelled; and a
# source file whose name ends in none of the usual ways.
sed -i '/^#include/{
i #ifdef __APPLE__\
#include "windows/handle_io.hpp"\
#endif
:done
n
b done
}' src/posix/line_editor.cpp
cat >>src/posix/main.cpp <<'EOF'
/* the plain build */ %: if\
ndef QUELLMOOR_HAS_LINE_EDITOR
#include "windows/console_session.hpp"
#endif
EOF
cat >>src/game/console.cpp <<'EOF'
#ifdef NDEBUG
#include "posix/key_decoder.hpp"
#elif 0
#error the debug build
#endif
EOF
printf '#include "posix/terminal_signals.hpp"\n' >src/game/extra.cxx
# A header that reaches up: posix/main.cpp, which includes it, may use posix/; program/ not.
sed -i '1a #include "posix/descriptor_io.hpp"' src/program/stream_buffers.hpp
mkdir web/speech src/extras
printf '#include "../../src/posix/terminal_output.hpp"\n' >web/speech/voice.cpp
cp src/game/word.hpp src/extras/
cp src/game/console.hpp src/stray.hpp
# A table where program/ may use play/, which may use goods/, but program/ not goods/.
sed -i 's/^program    game world combat goods play$/program    game world combat play/' \
    scripts/check-floors.sh
cd - >/dev/null
refused faults \
    "src/game/console.cpp includes src/play/completion.hpp: game/ may not use play/" \
    "src/game/console.cpp includes src/posix/descriptor_io.hpp: game/ may not use posix/" \
    "src/game/console.cpp includes src/world/exits.hpp: game/ may not use world/" \
    "src/game/console.cpp includes src/windows/handle_io.hpp: game/ may not use windows/" \
    "src/posix/line_editor.cpp includes src/windows/handle_io.hpp: posix/ may not use windows/" \
    "src/posix/main.cpp includes src/windows/console_session.hpp: posix/ may not use windows/" \
    "src/game/console.cpp includes src/posix/key_decoder.hpp: game/ may not use posix/" \
    "src/game/extra.cxx includes src/posix/terminal_signals.hpp: game/ may not use posix/" \
    "src/program/stream_buffers.hpp includes src/posix/descriptor_io.hpp: program/ may not use posix/" \
    "web/speech/voice.cpp includes src/posix/terminal_output.hpp: web/ may not use posix/" \
    "src/extras/ has no floor" "src/stray.hpp stands on no floor" \
    "program/ uses play/, which may use goods/"

if check clean CXX=no-such-compiler; then
    fail "no compiler: the check passed"
fi
grep -qF "No compiler no-such-compiler" "$work/clean.out" || fail "no compiler: not said"
if check clean CLANG=no-such-lexer; then
    fail "no clang: the check passed"
fi
grep -qF "No compiler no-such-lexer" "$work/clean.out" || fail "no clang: not said"

if [ "$failures" -ne 0 ]; then
    exit 1
fi
echo "check-floors.sh: the tree passes; each fault planted in a copy of it is refused"
