#!/usr/bin/env python3
"""Lists every place under the given folders that names one of the given words
(the host names of visited sites): a file or folder name, a file's bytes read
as ASCII/UTF-8 or as UTF-16LE, the text inside Firefox's LZ4 files (mozLz40),
and the records of LevelDB files (the log's records put back together, the
table's blocks uncompressed and every key rebuilt from the part it shares with
the key before it). Case does not matter. Each word is also looked for
reversed, as Firefox keeps hosts (`tset.tisiv-ahpla.`).

Usage: no_trace.py [--list] [--no-reverse] -n WORD [-n WORD ...] FOLDER...

Prints one line per place: its path below the folder (below the folder's name
when several are given), then each way the words were found and which:
    Default/History: bytes alpha-visit.test; bytes utf-16le alpha-visit.test
Exit status 1 when anything is found, 0 when nothing is (--list: always 0),
2 on a usage error. Python 3 standard library only.
"""
import argparse
import os
import re
import sys

MOZLZ4_MAGIC = b"mozLz40\0"
LEVELDB_TABLE_MAGIC = bytes.fromhex("57fb808b247547db")
LEVELDB_LOG = re.compile(r"^(\d+\.log|MANIFEST-\d+)$")


class Damaged(ValueError):
    """The bytes are not what their format says (truncated, a bad offset)."""


# ---------------------------------------------------------------- decoders

def varint(data, pos):
    """A LevelDB/Snappy varint at `pos`: (value, position after it)."""
    value = shift = 0
    while True:
        if pos >= len(data) or shift > 63:
            raise Damaged("varint runs past the end")
        byte = data[pos]
        pos += 1
        value |= (byte & 0x7F) << shift
        if byte < 0x80:
            return value, pos
        shift += 7


def _copy_back(out, offset, length):
    """Appends `length` bytes starting `offset` bytes back (the copy may overlap what it writes)."""
    if offset <= 0 or offset > len(out):
        raise Damaged(f"copy from {offset} bytes back with {len(out)} written")
    start = len(out) - offset
    while length > 0:
        take = min(length, len(out) - start)
        out += out[start:start + take]
        start += take
        length -= take


def lz4_block(src):
    """An LZ4 block (no frame): sequences of a token, literals and a match."""
    out = bytearray()
    i = 0

    def length(base):
        nonlocal i
        if base != 15:
            return base
        while True:
            if i >= len(src):
                raise Damaged("LZ4 length runs past the end")
            byte = src[i]
            i += 1
            base += byte
            if byte != 255:
                return base

    while i < len(src):
        token = src[i]
        i += 1
        literals = length(token >> 4)
        if i + literals > len(src):
            raise Damaged("LZ4 literals run past the end")
        out += src[i:i + literals]
        i += literals
        if i >= len(src):
            break  # the last sequence has literals only
        if i + 2 > len(src):
            raise Damaged("LZ4 match offset runs past the end")
        offset = src[i] | src[i + 1] << 8
        i += 2
        _copy_back(out, offset, length(token & 15) + 4)
    return bytes(out)


def mozlz4(data):
    """The content of a Firefox mozLz40 file: magic, 32-bit size, LZ4 block."""
    if not data.startswith(MOZLZ4_MAGIC) or len(data) < 12:
        raise Damaged("no mozLz40 header")
    size = int.from_bytes(data[8:12], "little")
    out = lz4_block(data[12:])
    if len(out) != size:
        raise Damaged(f"mozLz40 content is {len(out)} bytes, its header says {size}")
    return out


def snappy(src):
    """A raw Snappy block, as LevelDB compresses its table blocks."""
    size, i = varint(src, 0)
    out = bytearray()
    while i < len(src):
        tag = src[i]
        i += 1
        kind = tag & 3
        if kind == 0:
            n = tag >> 2
            if n >= 60:
                extra = n - 59
                n = int.from_bytes(src[i:i + extra], "little")
                i += extra
            n += 1
            if i + n > len(src):
                raise Damaged("Snappy literal runs past the end")
            out += src[i:i + n]
            i += n
            continue
        if kind == 1:
            n, offset = ((tag >> 2) & 7) + 4, (tag >> 5) << 8 | src[i]
            i += 1
        elif kind == 2:
            n, offset = (tag >> 2) + 1, int.from_bytes(src[i:i + 2], "little")
            i += 2
        else:
            n, offset = (tag >> 2) + 1, int.from_bytes(src[i:i + 4], "little")
            i += 4
        _copy_back(out, offset, n)
    if len(out) != size:
        raise Damaged(f"Snappy block is {len(out)} bytes, its header says {size}")
    return bytes(out)


def _block_entries(block):
    """(key, value) of each entry of a LevelDB table block, keys rebuilt."""
    if len(block) < 4:
        raise Damaged("block too short")
    restarts = int.from_bytes(block[-4:], "little")
    end = len(block) - 4 - 4 * restarts
    if end < 0:
        raise Damaged("block restart array larger than the block")
    pos, key = 0, b""
    while pos < end:
        shared, pos = varint(block, pos)
        unshared, pos = varint(block, pos)
        size, pos = varint(block, pos)
        if shared > len(key) or pos + unshared + size > end:
            raise Damaged("block entry runs past the end")
        key = key[:shared] + block[pos:pos + unshared]
        pos += unshared
        yield key, block[pos:pos + size]
        pos += size


def _table_block(data, handle, pos=0):
    offset, pos = varint(handle, pos)
    size, pos = varint(handle, pos)
    if offset + size + 5 > len(data):
        raise Damaged("block handle points past the end")
    raw, kind = data[offset:offset + size], data[offset + size]
    if kind == 0:
        return raw, pos
    if kind == 1:
        return snappy(raw), pos
    raise Damaged(f"block compressed with kind {kind}")


def leveldb_table(data):
    """Every entry of a LevelDB table file (.ldb, .sst), as `key value` texts."""
    if len(data) < 48 or data[-8:] != LEVELDB_TABLE_MAGIC:
        raise Damaged("no LevelDB table footer")
    footer = data[-48:]
    _, pos = varint(footer, varint(footer, 0)[1])  # skip the metaindex handle
    index, _ = _table_block(data, footer, pos)
    for _, handle in _block_entries(index):
        block, _ = _table_block(data, handle)
        for key, value in _block_entries(block):
            yield key + b"\0" + value


def leveldb_log(data):
    """The records of a LevelDB log (a numbered .log or a MANIFEST): 32 KiB
    blocks of fragments, each with a 7-byte header, put back together."""
    block_size = 32768
    record = bytearray()
    pos = 0
    while pos + 7 <= len(data):
        left_in_block = block_size - pos % block_size
        if left_in_block < 7:
            pos += left_in_block  # the block's trailer is zeros
            continue
        size = data[pos + 4] | data[pos + 5] << 8
        kind = data[pos + 6]
        fragment = data[pos + 7:pos + 7 + size]
        pos += 7 + size
        if kind == 0:  # zeros written ahead of a file's end
            pos += left_in_block - 7 - size
        elif kind == 1:  # a whole record
            yield bytes(fragment)
        elif kind == 2:  # the first fragment
            record = bytearray(fragment)
        elif kind == 3:  # a middle one
            record += fragment
        elif kind == 4:  # the last one
            yield bytes(record + fragment)
            record = bytearray()
        else:
            raise Damaged(f"log fragment of kind {kind}")


# ---------------------------------------------------------------- search

def forms(words, reverse=True):
    """{word as reported: (lower-case UTF-8 bytes, lower-case UTF-16LE bytes)},
    with each word's reversed form when `reverse`."""
    result = {}
    for word in words:
        for form in (word, word[::-1]) if reverse else (word,):
            lower = form.lower()
            result[form] = (lower.encode("utf-8"), lower.encode("utf-16-le"))
    return result


def _look(data, needles, way, found):
    """Adds to `found` the words `data` holds, under `way` (UTF-8) and `way utf-16le`."""
    haystack = data.lower()
    for word, (utf8, utf16) in needles.items():
        for form, label in ((utf8, way), (utf16, f"{way} utf-16le")):
            if form in haystack:
                found.setdefault(label, set()).add(word)


def _decoded(name, data):
    """(way, decoded bytes) for a file whose format hides text from a plain
    search; (None, None) for any other file."""
    if data.startswith(MOZLZ4_MAGIC):
        return "mozlz4", mozlz4(data)
    if data.endswith(LEVELDB_TABLE_MAGIC) and len(data) >= 48:
        return "leveldb-table", b"\0".join(leveldb_table(data))
    if LEVELDB_LOG.match(name):
        return "leveldb-log", b"\0".join(leveldb_log(data))
    return None, None


def file_ways(name, data, needles):
    """{way: words} for one file's content. A file that claims a format it
    does not hold is a finding too ("undecodable"): what it hides is unknown."""
    found = {}
    _look(data, needles, "bytes", found)
    try:
        way, decoded = _decoded(name, data)
    except Damaged as error:
        found[f"undecodable ({error})"] = set()
        return found
    if way:
        _look(decoded, needles, way, found)
    return found


def find(folders, words, reverse=True):
    """[(shown path, {way: words})] for every place that names a word."""
    needles = forms(words, reverse)
    places = []
    for folder in folders:
        label = os.path.basename(os.path.normpath(folder)) if len(folders) > 1 else ""
        for top, dirs, files in os.walk(folder):
            dirs.sort()
            for name in dirs + sorted(files):
                path = os.path.join(top, name)
                found = {}
                _look(name.encode("utf-8", "surrogateescape"), needles, "name", found)
                found.pop("name utf-16le", None)
                if name in files and not os.path.islink(path):
                    with open(path, "rb") as f:
                        found.update(file_ways(name, f.read(), needles))
                if found:
                    places.append((os.path.join(label, os.path.relpath(path, folder)), found))
    return sorted(places)


def describe(found):
    return "; ".join(" ".join([way, ", ".join(sorted(words))]).strip() for way, words in sorted(found.items()))


def main(argv=None):
    parser = argparse.ArgumentParser(description=__doc__.split("\n\n")[0])
    parser.add_argument("folders", nargs="+", metavar="FOLDER")
    parser.add_argument("-n", "--needle", action="append", required=True, metavar="WORD",
                        help="a word to look for (repeat for more)")
    parser.add_argument("--list", action="store_true", help="only print the places; exit status 0")
    parser.add_argument("--no-reverse", action="store_true", help="do not look for the words reversed")
    args = parser.parse_args(argv)
    for folder in args.folders:
        if not os.path.isdir(folder):
            parser.error(f"not a folder: {folder}")
    places = find(args.folders, args.needle, not args.no_reverse)
    for path, found in places:
        print(f"{path}: {describe(found)}")
    if args.list:
        return 0
    if places:
        print(f"{len(places)} places name {', '.join(args.needle)}", file=sys.stderr)
        return 1
    return 0


if __name__ == "__main__":
    sys.exit(main())
