#!/usr/bin/env python3
"""Writes the seed corpus of every fuzz target into corpus/<target>/. Same inputs, same bytes.

    python3 tests/fuzz/make_seeds.py
"""
import io
import os
import struct
import zipfile
import zlib

HERE = os.path.dirname(os.path.abspath(__file__))
ROOT = os.path.join(HERE, "..", "..")
SEP = b"\x1f"


def write(target, items):
    folder = os.path.join(HERE, "corpus", target)
    os.makedirs(folder, exist_ok=True)
    for name in os.listdir(folder):
        os.remove(os.path.join(folder, name))
    for i, data in enumerate(items):
        with open(os.path.join(folder, "seed-%02d" % i), "wb") as f:
            f.write(data)


DEFAULT_INI = (b"[Info]\r\ncode=\r\npwd=\r\nrem=1\r\n[Setting]\r\nsoundoff=0\r\nautostart=0\r\nautologin=0\r\n"
               b"screenshots=Ctrl+Shift+A\r\nscreentoggle=F10\r\nfullscreen=F11\r\n[Start]\r\nfirststart=1\r\n")

write("startup_args", [
    b"-d C:\\Users\\a b\\AppData\\Roaming\\Vexa\\xinghe\\xinghe.exe",
    b"\"C:\\Vexa\\xinghe\\xinghe.exe\" -u",
    b"-u C:\\Vexa\\xinghe\\xinghe.exe",
    "\"C:\\x\\xinghe.exe\" -frameWnd=12345 -gameurl=http://127.0.0.1/play_gamecode?a=1&svname=%E6%98%9F 1".encode(),
    b"\"x\" -frameWnd=-7 -gameurl=a b -u",
    b"-d",
    b"\"C:\\x\\xinghe.exe\" 1",
    b"\"x\" -frameWnd=2147483648 -gameurl=",
    b"\"x\" -gameurl=u -frameWnd=5 q",
    b"\"x\" -frameWnd=  +0x12 -gameurl=\xe6\x98\x9f",
])

write("hotkey", [b"Ctrl+Shift+A", b"F10", b"Alt+Alt+F4", b"A+Ctrl", b"Num+", b"Ctrl++", b"ctrl+a",
                 b"Ctrl + A", b"Win+A", b"\\", b"Shift", b""])

write("ini", [
    DEFAULT_INI + SEP + b"Setting" + SEP + b"start" + SEP + b"1001" + SEP + b"Start" + SEP + b"firststart",
    DEFAULT_INI + SEP + b"Start" + SEP + b"firststart" + SEP + b"0" + SEP + b"Setting" + SEP + b"fullscreen",
    b"[A]\nx=1\n[a]\nk=2\n[B]\r\n; note\r\nk = \"quoted\" " + SEP + b"b" + SEP + b"K" + SEP + b"v" + SEP + b"a" + SEP + b"x",
    b"k=top\r\n[S]" + SEP + b"S" + SEP + b"k" + SEP + b"" + SEP + b"" + SEP + b"k",
    b"[S\r\nk=1\r\n[S]\r\nk=2" + SEP + b" S " + SEP + b" k " + SEP + b"\xe6\x98\x9f" + SEP + b"S" + SEP + b"k",
])

write("ini_profile", [
    DEFAULT_INI + SEP + b"Setting" + SEP + b"start" + SEP + b"1001",
    b"\xef\xbb\xbf" + DEFAULT_INI + SEP + b"Setting" + SEP + b"screentoggle" + SEP + b"Ctrl+\xe6\x98\x9f",
    b"\xff\xfe" + DEFAULT_INI.decode().encode("utf-16-le") + SEP + b"Start" + SEP + b"firststart" + SEP + b"0",
    b"\xff\xfe" + "[设置]\r\n键=值\r\n".encode("utf-16-le") + b"\x00" + SEP + "设置".encode() + SEP + "键".encode() + SEP + b"x",
    SEP + b"Setting" + SEP + b"start" + SEP + b"1001",
    b"[Setting]\r\nscreentoggle=" + b"x" * 300 + SEP + b"Setting" + SEP + b"screentoggle" + SEP + b"y" * 270,
])

write("percent_decode", [b"a%2Fb", b"%41%62", b"100%", b"x%4", b"%G1", b"%%41", b"a+b", b"%E4%B8%AD", b"ab%00cd",
                         b"%2541", b"http://127.0.0.1/play_gamecode?svname=%E6%98%9F%E6%B2%B3%201%E5%8C%BA&sid=1",
                         b"%ff%FE%c3%28"])

UT = b"UT" + struct.pack("<HB", 13, 7) + struct.pack("<iii", 1500000000, -1, 2**31 - 1)
write("archive_names", [b"systemset.ini", b"a/b.txt", b"../../etc/passwd", b"C:\\Windows\\x.ini", b"/abs",
                        b"a\\..\\..\\b", b"..\\x", b"x/../y", "星河/设置.ini".encode(), b"C:../x", b"a/..",
                        b"uninstall.ico" + SEP + UT, b"x" * 300 + SEP + b"UT\x01\x00\x01"])


def zip_bytes(entries, **kw):
    out = io.BytesIO()
    with zipfile.ZipFile(out, "w", **kw) as z:
        for name, data, extra in entries:
            info = zipfile.ZipInfo(name, date_time=(2017, 2, 21, 10, 29, 52))
            info.compress_type = zipfile.ZIP_DEFLATED
            info.create_system = extra.get("system", 0)
            info.external_attr = extra.get("attr", 0x20)
            if "method" in extra:
                info.compress_type = extra["method"]
            z.writestr(info, data)
    return out.getvalue()


real = open(os.path.join(ROOT, "resources", "archive", "xinghe-res.zip"), "rb").read()
slip = zip_bytes([("../evil.txt", b"x", {}), ("/abs.txt", b"x", {}), ("C:/drive.txt", b"x", {}),
                  ("a/../../b.txt", b"x", {}), ("..\\w.txt", b"x", {}), ("ok/ok.txt", b"fine", {})])
nested = zip_bytes([("a/", b"", {"attr": 0x10}), ("a/b/c/d.txt", b"deep", {}),
                    ("unix/link", b"/etc/passwd", {"system": 3, "attr": 0xA1FF0000}),
                    ("unix/ro.txt", b"ro", {"system": 3, "attr": 0x81240000}),
                    ("stored.bin", b"\0" * 100, {"method": zipfile.ZIP_STORED})])
bomb = zip_bytes([("zeros.bin", b"\0" * (8 << 20), {})])
# The same archive with its deflate data damaged, cut short, and with sizes that lie.
broken = bytearray(real)
broken[60:70] = b"\xff" * 10
truncated = real[: len(real) // 2]
lying = bytearray(real)
at = lying.find(b"PK\x01\x02")
lying[at + 24:at + 28] = struct.pack("<I", 0xFFFFFFF0)
lying[at + 20:at + 24] = struct.pack("<I", 0xFFFFFFF0)
zip64 = zip_bytes([("big.txt", b"zip64 entry", {})], allowZip64=True)
write("archive", [real, slip, nested, bomb, bytes(broken), truncated, bytes(lying), zip64])

write("version_answer", [b"\x00\x00" + b"0", b"\x00\x00-1", b"\x00\x00http://127.0.0.1:47615/update/xinghe.exe",
                         b"\x00\x00-1234567", b"\x00\x00123456", b"\x00\x00http://x/y.exe\r\n",
                         b"\x00\x00ab\x00cdefgh", b"\x05\x00http://127.0.0.1/x.exe", b"\x00\x05" + b"h" * 2000,
                         b"\xf0\x00http://127.0.0.1/x.exe", b"\x00\xfbhttp://127.0.0.1/x.exe"])

write("download", [b"\x00\x00\x00" + b"5" + SEP + b"hello", b"\x00\x00\x00" + b"0" + SEP,
                   b"\x00\x00\x00" + SEP + b"body", b"\x00\x03\x00  +12abc" + SEP + b"hello world!",
                   b"\x00\x00\x0099999999999" + SEP + b"x", b"\x00\x00\x006" + SEP + b"hello",
                   b"\x05\x00\x005" + SEP + b"hello", b"\x00\x00\x833" + SEP + b"abc", b"\x00\x00\x00-3" + SEP + b"abc",
                   b"\x00\x01\x00" + b"4096" + SEP + b"z" * 4096])
