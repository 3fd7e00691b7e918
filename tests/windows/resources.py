#!/usr/bin/env python3
"""The .exe as Explorer shows it: its icon and its version information, read back with
icoutils (wrestool, icotool), which share no code with the tools that wrote them.

Usage: resources.py QUELLMOOR_EXE SOURCE_DIR
The version must be scripts/version.sh's, the copyright the LICENSE's own line.
"""
import re
import struct
import subprocess
import sys
import tempfile
from pathlib import Path

exe, source = sys.argv[1], Path(sys.argv[2])
version = subprocess.run([source / "scripts/version.sh"], check=True, capture_output=True,
                         text=True).stdout.strip()
copyright_line = next(line for line in (source / "LICENSE").read_text().splitlines()
                      if line.startswith("Copyright "))
failures = []


def expect(what, found, wanted):
    if found != wanted:
        failures.append(f"{what}: {found!r}, not {wanted!r}")


def resource(kind, name, *raw):
    found = subprocess.run(["wrestool", "--extract", f"--type={kind}", *raw, exe],
                           check=True, capture_output=True).stdout
    if not found:
        sys.exit(f"{exe}: no {name}")
    return found


# The icon group, as the .ico it was made from: one 32-bit image of each size a screen asks
# for, from a list in the taskbar to a large tile.
# icotool reads an image kept as PNG only from a file it can seek in, not from a pipe.
with tempfile.NamedTemporaryFile(suffix=".ico") as icon:
    icon.write(resource(14, "icon"))
    icon.flush()
    listing = subprocess.run(["icotool", "--list", icon.name], check=True,
                             capture_output=True, text=True).stdout
images = sorted((int(w), int(h), int(b)) for w, h, b in
                re.findall(r"--width=(\d+) --height=(\d+) --bit-depth=(\d+)", listing))
expect("icon images (width, height, bits)", images,
       [(size, size, 32) for size in (16, 32, 48, 256)])


def node(data, at):
    """One VS_VERSIONINFO node at `at`: its key, its value's bytes, its children."""
    length, value_length, is_text = struct.unpack_from("<HHH", data, at)
    key_end = at + 6
    while data[key_end:key_end + 2] != b"\0\0":
        key_end += 2
    key = data[at + 6:key_end].decode("utf-16-le")
    value_at = (key_end + 2 + 3) & ~3
    value = data[value_at:value_at + value_length * (2 if is_text else 1)]
    children, child = [], (value_at + len(value) + 3) & ~3
    while child < at + length:
        children.append(node(data, child))
        child = (child + struct.unpack_from("<H", data, child)[0] + 3) & ~3
    return key, value, children


key, fixed, blocks = node(resource(16, "version information", "--raw"), 0)
expect("version resource", key, "VS_VERSION_INFO")
signature, _, *numbers = struct.unpack_from("<6I", fixed) if len(fixed) >= 24 else (0, 0)
expect("VS_FIXEDFILEINFO signature", hex(signature), hex(0xFEEF04BD))
parts = [int(part) for part in version.split(".")] + [0]
packed = [parts[0] << 16 | parts[1], parts[2] << 16 | parts[3]] * 2
expect("file and product version numbers", numbers, packed)
strings = {name: text.decode("utf-16-le").rstrip("\0")
           for block, _, tables in blocks if block == "StringFileInfo"
           for _, _, table in tables for name, text, _ in table}
expect("ProductName", strings.get("ProductName"), "Quellmoor")
expect("FileVersion", strings.get("FileVersion"), version)
expect("ProductVersion", strings.get("ProductVersion"), version)
expect("LegalCopyright", strings.get("LegalCopyright"), copyright_line)
expect("OriginalFilename", strings.get("OriginalFilename"), "quellmoor.exe")
if not strings.get("FileDescription", "").startswith("Quellmoor"):
    failures.append(f"FileDescription: {strings.get('FileDescription')!r}")

for failure in failures:
    print(f"{exe}: {failure}", file=sys.stderr)
sys.exit(1 if failures else 0)
