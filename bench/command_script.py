#!/usr/bin/env python3
"""Writes a long, deterministic command script that keeps one game alive and busy.

Usage: command_script.py COMMANDS > script.txt

One round trip of the world, repeated: walking the Domain, Great Britton and the
Labyrinth, looking and mapping, fights with "attack" (never long enough to die: the player
drinks at the spring and the fountain between them), shop visits, teleports, the ladder,
stats and words the game does not know. The script ends with "quit" once COMMANDS words
have been written.
"""
import sys

ROUND = """
look map stats xyzzy LOOK
w attack attack attack e
n w drink e e buy 6 w s
e attack attack w
s w buy 2 e n
teleport 1
e e attack e s s w open w n e look
teleport 2
n e drink climb map look climb s w
teleport 1
stats
""".split()


def main() -> None:
    count = int(sys.argv[1])
    words = []
    while len(words) < count - 1:
        words.extend(ROUND)
    del words[count - 1:]
    words.append("quit")
    out = sys.stdout
    for start in range(0, len(words), 16):
        out.write(" ".join(words[start:start + 16]))
        out.write("\n")


if __name__ == "__main__":
    main()
