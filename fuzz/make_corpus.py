#!/usr/bin/env python3
"""Writes the seed corpus of the fuzz targets: fuzz/corpus/<target>/<case>.

Run from anywhere; it rewrites both folders from scratch, the same bytes
every time. Archives are built here, byte by byte, from the layout:

  offset 0    "Pandora.box\\0"
  offset 12   FirstDataOffset, signed 32-bit little-endian
  offset 16   16-byte records: name (NUL-padded to 12), EndOffset
  then        the entries' bytes
"""
import os
import shutil
import struct

HERE = os.path.dirname(os.path.abspath(__file__))
MAGIC = b"Pandora.box\0"


def i32(v):
    return struct.pack("<i", v)


def header(first_data_offset):
    return MAGIC + i32(first_data_offset)


def record(name, end_offset):
    return name[:12].ljust(12, b"\0") + i32(end_offset)


def archive(entries):
    """A well-formed archive of (name, data) pairs."""
    first = 16 + 16 * len(entries)
    directory, data, end = b"", b"", first
    for name, payload in entries:
        end += len(payload)
        directory += record(name, end)
        data += payload
    return header(first) + directory + data


ORDINARY = archive([(b"readme.txt", b"hello, world\n"),
                    (b"empty.bin", b""),
                    (b"data.bin", bytes(range(64))),
                    (b"ABCDEFGH.TXT", b"twelve-byte name")])


def extraction_cases():
    c = {}
    c["ordinary"] = ORDINARY
    c["no_entries"] = header(16)
    c["not_magic"] = b"Pandora.boy\0" + ORDINARY[12:]
    c["magic_only"] = MAGIC
    c["eleven_bytes"] = MAGIC[:11]
    # FirstDataOffset 0..23 gives no entries, -8 gives count -1.
    for fdo in (0, 8, 23, -8, -2147483648, 2147483647):
        c["first_data_offset_%d" % fdo] = header(fdo) + b"x" * 8
    # The largest directory the table holds, and one record more.
    n = 8191
    c["max_entries"] = header(8 + 16 * n) + b"".join(
        record(b"e%04d" % i, 8 + 16 * n) for i in range(n))
    c["too_many_entries"] = header(8 + 16 * 8192) + record(b"x", 0)
    # FirstDataOffset 72 gives 4 records though 3 fit: the last is read
    # from the data area.
    c["record_in_data_area"] = (header(72) + record(b"a", 80) + record(b"b", 80)
                                + record(b"c", 90) + b"dddddddd" + i32(95)
                                + b"0123456789abcdef")
    # Sizes and starts the format allows.
    d = 16 + 16 * 6
    c["out_of_order_overlapping"] = (
        header(d + 4) + record(b"late", d + 10) + record(b"early", d + 2)
        + record(b"overlap", d + 6) + record(b"empty", d + 6)
        + record(b"negative", d + 1) + record(b"past", d + 14) + b"0123456789")
    c["past_the_end"] = header(32) + record(b"x", 32 + 100) + b"short"
    c["start_past_the_end"] = (header(40) + record(b"pad", 1000)
                               + record(b"x", 1010) + b"ab")
    c["negative_start"] = (header(40) + record(b"pad", -40)
                           + record(b"x", -37) + b"ab")
    c["negative_size"] = header(40) + record(b"a", 30) + record(b"b", 60) + b"z" * 20
    c["size_wraps"] = (header(40) + record(b"a", 2147483647)
                       + record(b"b", -2147483647) + b"z")
    c["duplicate_names"] = archive([(b"same", b"first"), (b"same", b"second")])
    # Names: unsafe ones end the run after the entries before them.
    for label, name in ((b"dotdot", b".."), (b"dot", b"."),
                        (b"parent", b"../evil"), (b"deep", b"../../../x"),
                        (b"slash", b"a/b"), (b"backslash", b"a\\b"),
                        (b"absolute", b"/etc/x"), (b"empty", b""),
                        (b"drive", b"C:x"), (b"hidden_slash", b"\x81/x"),
                        (b"lead_at_end", b"abc\x81")):
        c["name_" + label.decode()] = archive([(b"ok", b"1"), (name, b"2"),
                                               (b"after", b"3")])
    c["name_shift_jis"] = archive([(b"\x95\x5c.txt", b"hyo"), (b"\x83\x5c", b"so"),
                                   (b"\xb1\xb2\xb3", b"kana"),
                                   (b"\x87\x40", b"nec")])
    c["name_nul_inside"] = (header(32) + b"ab\0cd" + b"\0" * 7 + i32(35) + b"xyz")
    # Cut short in every region.
    for cut in (0, 5, 11, 12, 14, 16, 20, 28, 40, 79, 80, 85, 100):
        c["cut_%03d" % cut] = ORDINARY[:cut]
    return c


def paths_cases():
    # First byte: bit 0 set for the POSIX style, clear for the Windows one.
    win, posix = b"\x00", b"\x01"
    c = {}
    for label, text in (
            ("plain", b"C:\\data\\game.pbx"), ("two_dots", b"C:\\data\\a.b.pbx"),
            ("dot_dir", b"C:\\my.dir\\game"), ("final_dot", b"C:\\data\\game."),
            ("only_ext", b"C:\\data\\.pbx"), ("slashes", b"C:/data/game.pbx"),
            ("unc", b"\\\\server\\share\\game.pbx"), ("relative", b"sub\\game.pbx"),
            ("drive_relative", b"C:game.pbx"), ("colon", b"ab:cd.pbx"),
            ("dotdot", b"C:\\data\\.."), ("three_dots", b"C:\\data\\..."),
            ("a_dotdot", b"C:\\data\\a.."), ("hyo", b"C:\\a.\x95\x5c"),
            ("lead_at_end", b"C:\\a\x95"), ("empty", b""),
            ("long", b"C:\\" + b"d" * 250 + b"\\" + b"\x95\x5c" * 10 + b".pbx"),
            ("entry", b"C:\\out\0a.bin"), ("entry_slash", b"C:\\out\\\0a.bin"),
            ("entry_long", b"C:\\" + b"x" * 250 + b"\0ABCDEFGH.TXT"),
            ("entry_hidden_slash", b"out\0\x81/.."),
            # A double-byte first character before ":" is a drive part too.
            ("dbcs_drive", b"\x9eC:."),
    ):
        c["win_" + label] = win + text
    for label, text in (
            ("plain", b"/data/game.pbx"), ("utf8", "/データ/表.pbx".encode()),
            ("utf8_cut", b"/d/\xe8\xa1"), ("backslash", b"/data\\game.pbx"),
            ("entry", b"/out\0\x95\x5c.txt"), ("long", b"/" + "表".encode() * 90),
            # A lone UTF-8 lead byte before the dot is a character of its
            # own; at the end of the result it must not count as cut short.
            ("lone_lead_before_dot", b"/d/a\xed.pbx"),
    ):
        c["posix_" + label] = posix + text
    return c


def write(target, cases):
    folder = os.path.join(HERE, "corpus", target)
    shutil.rmtree(folder, ignore_errors=True)
    os.makedirs(folder)
    for name, data in sorted(cases.items()):
        with open(os.path.join(folder, name), "wb") as f:
            f.write(data)


if __name__ == "__main__":
    write("extraction", extraction_cases())
    write("paths", paths_cases())
