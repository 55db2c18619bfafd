#!/usr/bin/env python3
"""Builds xinghe-res.zip, the archive the launcher carries: the default settings file and
the uninstall icon, deflated, as made on MS-DOS with only the archive attribute, with fixed
dates, no extra fields and no comment. Same inputs, same bytes.

    python3 resources/archive/make-archive.py [output]
"""
import os
import sys
import zipfile
import zlib

HERE = os.path.dirname(os.path.abspath(__file__))
ICON = os.path.join(HERE, "..", "icons", "uninstall.ico")
OUTPUT = sys.argv[1] if len(sys.argv) > 1 else os.path.join(HERE, "xinghe-res.zip")

SETTINGS = (
    b"[Info]\r\n"
    b"code=\r\n"
    b"pwd=\r\n"
    b"rem=1\r\n"
    b"[Setting]\r\n"
    b"soundoff=0\r\n"
    b"autostart=0\r\n"
    b"autologin=0\r\n"
    b"screenshots=Ctrl+Shift+A\r\n"
    b"screentoggle=F10\r\n"
    b"fullscreen=F11\r\n"
    b"[Start]\r\n"
    b"firststart=1\r\n"
)
assert len(SETTINGS) == 160, len(SETTINGS)

if not os.path.isfile(ICON):
    sys.exit("make-archive: %s is missing (a 16 x 16, 32-bit icon of 1150 bytes)" % ICON)
with open(ICON, "rb") as f:
    icon = f.read()
if len(icon) != 1150 or icon[:6] != b"\x00\x00\x01\x00\x01\x00" or icon[6:8] != b"\x10\x10":
    sys.exit("make-archive: %s is not one 16 x 16 image of 1150 bytes" % ICON)

ENTRIES = [
    ("systemset.ini", (2017, 2, 21, 10, 29, 52), SETTINGS),
    ("uninstall.ico", (2015, 4, 15, 14, 53, 54), icon),
]

with zipfile.ZipFile(OUTPUT, "w") as archive:
    for name, when, data in ENTRIES:
        info = zipfile.ZipInfo(name, date_time=when)
        info.compress_type = zipfile.ZIP_DEFLATED
        info.create_system = 0  # MS-DOS
        info.create_version = 20
        info.extract_version = 20
        info.external_attr = 0x20  # archive
        archive.writestr(info, data, compresslevel=zlib.Z_BEST_COMPRESSION)

print("%s: %d bytes" % (OUTPUT, os.path.getsize(OUTPUT)))
