#!/usr/bin/env python3
"""Rewrites a zip in one canonical form, so that the same files always give the same bytes.

Usage: reproducible_zip.py ZIP EPOCH

CPack's zip lists its files in the order the file system happens to return them (which
differs between file systems and machines) and records the owner's user and group ids.
This keeps every name and every byte of content, and writes the entries again sorted by
name, each dated EPOCH (SOURCE_DATE_EPOCH, as UTC), with the permission bits CPack gave
them (fixed by the umask cmake/PackageTime.cmake insists on), deflated at the highest
level, and with no extra fields: no owner, no second timestamp.
"""

import sys
import time
import zipfile


def main(path: str, epoch: int) -> None:
    # Zip dates start in 1980 and have two-second steps.
    when = time.gmtime(max(epoch, 315532800))[:6]
    with zipfile.ZipFile(path) as original:
        entries = [(info, original.read(info)) for info in original.infolist()]
    with zipfile.ZipFile(path, "w") as canonical:
        for info, content in sorted(entries, key=lambda entry: entry[0].filename):
            entry = zipfile.ZipInfo(info.filename, date_time=when)
            entry.create_system = 3  # Unix, so that the permission bits mean what they say
            entry.external_attr = info.external_attr & 0xFFFF0000
            if info.is_dir():
                entry.external_attr |= 0x10  # and a directory to Windows too
                canonical.writestr(entry, b"")
            else:
                entry.compress_type = zipfile.ZIP_DEFLATED
                canonical.writestr(entry, content, compresslevel=9)


if __name__ == "__main__":
    main(sys.argv[1], int(sys.argv[2]))
