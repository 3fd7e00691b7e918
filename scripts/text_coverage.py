#!/usr/bin/env python3
"""Text coverage: every text the game prints appears in some golden transcript.

Reads the string literals of src/**/*.cpp and src/**/*.hpp (headers hold texts too: the
refusals), but for src/posix/, whose literals are the line editor's key bindings and
terminal settings, never the game's words; adjacent literals are joined as the compiler
joins them; #include lines,
static_assert messages and the texts thrown while the compiler builds the game's tables
are left out. Looks for each in the expected outputs tests/golden/*/*.out. Pieces the
game composes into one line (a menu line's name, separator and " gold") are each looked
for on their own. A literal that the game never prints (a command word it compares, a
message for standard error) is listed in scripts/unprinted_texts.txt with the reason; a
listed text that is no longer in the code is an error too, so the list cannot rot.

Usage: scripts/text_coverage.py [--report-only]
Exits 1 if a printed text appears in no expected output (unless --report-only).
"""

import pathlib
import re
import sys

ROOT = pathlib.Path(__file__).resolve().parent.parent
UNPRINTED = ROOT / "scripts" / "unprinted_texts.txt"

SIMPLE_ESCAPES = {
    "n": "\n", "t": "\t", "r": "\r", "v": "\v", "f": "\f", "a": "\a", "b": "\b",
    "0": "\0", "\\": "\\", '"': '"', "'": "'", "?": "?",
}


def decode(body):
    """The bytes a C++ string literal's body stands for."""
    out = bytearray()
    i = 0
    while i < len(body):
        c = body[i]
        if c != "\\":
            out += c.encode()
            i += 1
            continue
        nxt = body[i + 1]
        if nxt == "x":
            m = re.match(r"[0-9a-fA-F]+", body[i + 2:])
            out.append(int(m.group(0), 16) & 0xFF)
            i += 2 + len(m.group(0))
        elif nxt in "01234567" and re.match(r"[0-7]{1,3}", body[i + 1:]).group(0) != "0":
            m = re.match(r"[0-7]{1,3}", body[i + 1:])
            out.append(int(m.group(0), 8) & 0xFF)
            i += 1 + len(m.group(0))
        else:
            out += SIMPLE_ESCAPES[nxt].encode()
            i += 2
    return bytes(out)


def literals(path):
    """(line, bytes) of each string literal in a C++ file, adjacent ones joined."""
    text = path.read_text()
    found = []
    i = 0
    line = 1
    joining = False  # the last token was a string literal
    assert_depth = 0  # inside static_assert( ... ): its message is for the compiler
    thrown = False  # after throw: the game throws only while the compiler builds its tables
    while i < len(text):
        c = text[i]
        at_line_start = text[text.rfind("\n", 0, i) + 1:i].strip() == ""
        if c == "#" and at_line_start:  # a preprocessor line: #include "..." is no text
            while True:
                end = text.find("\n", i)
                end = len(text) if end < 0 else end
                if not text[i:end].endswith("\\"):
                    break
                line += 1
                i = end + 1
            i = end
        elif text.startswith("//", i):
            end = text.find("\n", i)
            i = len(text) if end < 0 else end
        elif text.startswith("/*", i):
            end = text.index("*/", i) + 2
            line += text.count("\n", i, end)
            i = end
        elif c == "\n":
            line += 1
            i += 1
        elif c in " \t\r":
            i += 1
        elif c == "'":
            m = re.match(r"'(\\.|[^\\'])*'", text[i:])
            i += len(m.group(0))
            joining = False
        elif c == '"' or (c == "R" and text.startswith('R"', i) and not text[i - 1].isalnum()):
            if c == "R":
                m = re.match(r'R"([^(]*)\((.*?)\)\1"', text[i:], re.S)
                value = m.group(2).encode()
            else:
                m = re.match(r'"((\\.|[^\\"])*)"', text[i:])
                value = decode(m.group(1))
            if assert_depth > 0 or thrown:
                pass
            elif joining:
                found[-1] = (found[-1][0], found[-1][1] + value)
            else:
                found.append((line, value))
            line += m.group(0).count("\n")
            i += len(m.group(0))
            joining = True
        else:
            m = re.match(r"[0-9][0-9A-Za-z_']*|[A-Za-z_][A-Za-z_0-9]*|.", text[i:], re.S)
            token = m.group(0)
            thrown = token == "throw" or (thrown and token.isspace())
            if token == "static_assert":
                assert_depth = -1  # until its opening parenthesis
            elif token == "(" and assert_depth != 0:
                assert_depth = 1 if assert_depth < 0 else assert_depth + 1
            elif token == ")" and assert_depth > 0:
                assert_depth -= 1
            i += len(token)
            joining = False
    return found


def shown(value):
    return value.decode("latin-1").encode("unicode_escape").decode()


def main():
    report_only = "--report-only" in sys.argv[1:]
    unprinted = {}
    for number, raw in enumerate(UNPRINTED.read_text().splitlines(), 1):
        if not raw.strip() or raw.startswith("#"):
            continue
        m = re.match(r'^"((\\.|[^\\"])*)"\s+(.+)$', raw)
        if not m:
            sys.exit(f"{UNPRINTED.name}:{number}: expected a quoted text and a reason")
        unprinted[decode(m.group(1))] = m.group(3)

    outputs = [p.read_bytes() for p in sorted(ROOT.glob("tests/golden/*/*.out"))]
    texts = {}
    sources = [p for p in ROOT.glob("src/**/*")
               if p.suffix in (".cpp", ".hpp") and p.parent.name != "posix"]
    for path in sorted(sources):
        for line, value in literals(path):
            if value:
                texts.setdefault(value, []).append(f"{path.relative_to(ROOT)}:{line}")

    missing = []
    covered = 0
    for value, places in texts.items():
        if value in unprinted:
            continue
        if any(value in output for output in outputs):
            covered += 1
        else:
            missing.append((places[0], value))
    stale = [value for value in unprinted if value not in texts]

    printed = len(texts) - len(unprinted) + len(stale)
    print(f"Text coverage: {covered} of {printed} printed texts of src/ appear in the "
          f"{len(outputs)} expected outputs of tests/golden/ "
          f"({len(unprinted) - len(stale)} texts are never printed)")
    for place, value in sorted(missing):
        print(f"  missing: {place}: \"{shown(value)}\"")
    for value in stale:
        print(f"  {UNPRINTED.name} lists \"{shown(value)}\", which is no longer in src/")
    if (missing or stale) and not report_only:
        return 1
    return 0


if __name__ == "__main__":
    sys.exit(main())
