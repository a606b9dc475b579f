"""Tests of no_trace.py: on hand-made files whose format hides a host name
from a plain byte search (an LZ4 match, a LevelDB key sharing its start with
the key before, a Snappy copy, a log record split over two blocks), and on
the fresh profiles the makers wrote (VORLANE_BUILD_DIR: every visited host is
found where the browser keeps it).

Run: python3 -m unittest tests/support/test_no_trace.py
"""
import contextlib
import io
import os
import sys
import tempfile
import unittest

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
import no_trace  # noqa: E402
import visited_sites  # noqa: E402

HOST = "alpha-visit.test"


def varint(n):
    out = bytearray()
    while n >= 0x80:
        out.append(n & 0x7F | 0x80)
        n >>= 7
    return bytes(out + bytes([n]))


# "ababababab" (a match that overlaps what it copies), then "alpha-visit.tesX"
# and a match of its first 15 bytes, then the literal "t": the host is whole
# only once decoded.
LZ4_BLOCK = (bytes([0x24]) + b"ab" + b"\x02\x00"
             + bytes([0xFB, 0x01]) + b"alpha-visit.tesX" + b"\x10\x00"
             + bytes([0x10]) + b"t")
LZ4_TEXT = b"ababababab" + b"alpha-visit.tesX" + b"alpha-visit.tes" + b"t"


def snappy_literal(data):
    n = len(data) - 1
    return (bytes([n << 2]) if n < 60 else bytes([60 << 2, n])) + data


def leveldb_table():
    """A table of one Snappy block: a key that only differs from the key before
    in its last byte, stored as the one byte that differs, and a value that a
    Snappy copy repeats."""
    first = b"_http://alpha-visit.tesX\x00\x01k"
    second = b"_http://alpha-visit.test\x00\x01k"
    shared = len(b"_http://alpha-visit.tes")
    value = b"value-value"
    entries = (varint(0) + varint(len(first)) + varint(2) + first + b"v1"
               + varint(shared) + varint(len(second) - shared) + varint(len(value)) + second[shared:] + value)
    raw = entries + (0).to_bytes(4, "little") + (1).to_bytes(4, "little")
    copy_at = len(entries) - len(b"value")  # the second "value", 6 bytes after the first
    compressed = (varint(len(raw)) + snappy_literal(raw[:copy_at])
                  + bytes([((5 - 4) << 2) | 1, 6]) + snappy_literal(raw[copy_at + 5:]))
    empty_block = (0).to_bytes(4, "little") + (1).to_bytes(4, "little")
    data = compressed + b"\x01" + bytes(4)
    index_entry = b"_http://z"
    handle = varint(0) + varint(len(compressed))
    index = (varint(0) + varint(len(index_entry)) + varint(len(handle)) + index_entry + handle
             + (0).to_bytes(4, "little") + (1).to_bytes(4, "little"))
    meta_at = len(data)
    data += empty_block + b"\x00" + bytes(4)
    index_at = len(data)
    data += index + b"\x00" + bytes(4)
    handles = varint(meta_at) + varint(len(empty_block)) + varint(index_at) + varint(len(index))
    return data + handles.ljust(40, b"\0") + no_trace.LEVELDB_TABLE_MAGIC


def leveldb_log():
    """One record in two fragments, the first filling the 32 KiB block: the
    second fragment's header splits the host."""
    head = b"x" * (32768 - 7 - len(b"alpha-vis")) + b"alpha-vis"
    tail = b"it.test and more"
    return (bytes(4) + len(head).to_bytes(2, "little") + b"\x02" + head
            + bytes(4) + len(tail).to_bytes(2, "little") + b"\x04" + tail)


class Folder:
    """A temporary folder filled with files {relative path: bytes}."""

    def __init__(self, files):
        self.temp = tempfile.TemporaryDirectory()
        self.path = self.temp.name
        for name, data in files.items():
            path = os.path.join(self.path, name)
            os.makedirs(os.path.dirname(path), exist_ok=True)
            with open(path, "wb") as f:
                f.write(data)

    def ways(self, words=(HOST,), reverse=True):
        return dict(no_trace.find([self.path], list(words), reverse))


def run(argv):
    out = io.StringIO()
    with contextlib.redirect_stdout(out), contextlib.redirect_stderr(io.StringIO()):
        status = no_trace.main(argv)
    return status, out.getvalue()


class FindTest(unittest.TestCase):
    def folder(self, files):
        made = Folder(files)
        self.addCleanup(made.temp.cleanup)
        return made

    def test_each_hidden_form_is_found_by_its_decoder_only(self):
        folder = self.folder({
            "sessionstore.jsonlz4": no_trace.MOZLZ4_MAGIC + len(LZ4_TEXT).to_bytes(4, "little") + LZ4_BLOCK,
            "leveldb/000005.ldb": leveldb_table(),
            "leveldb/000006.log": leveldb_log(),
        })
        self.assertEqual(folder.ways(), {
            "sessionstore.jsonlz4": {"mozlz4": {HOST}},
            os.path.join("leveldb", "000005.ldb"): {"leveldb-table": {HOST}},
            os.path.join("leveldb", "000006.log"): {"leveldb-log": {HOST}},
        })

    def test_names_utf16_case_and_reversed_forms(self):
        folder = self.folder({
            "IndexedDB/http_alpha-visit.test_0.indexeddb.leveldb/LOCK": b"",
            "Sessions/Tabs_1": "title: ALPHA-VISIT.TEST".encode("utf-16-le"),
            "places.sqlite": b"\x00tset.tisiv-ahpla.\x00",
            "unrelated.txt": b"bravo-visit.test",
        })
        self.assertEqual(folder.ways(), {
            os.path.join("IndexedDB", "http_alpha-visit.test_0.indexeddb.leveldb"): {"name": {HOST}},
            os.path.join("Sessions", "Tabs_1"): {"bytes utf-16le": {HOST}},
            "places.sqlite": {"bytes": {"tset.tisiv-ahpla"}},
        })
        self.assertNotIn("places.sqlite", folder.ways(reverse=False))

    def test_links_are_not_followed(self):
        outside = self.folder({"history.txt": HOST.encode()})
        folder = self.folder({"profile/prefs.js": b"nothing here"})
        os.symlink(outside.path, os.path.join(folder.path, "profile", "linked"))
        os.symlink(os.path.join(outside.path, "history.txt"), os.path.join(folder.path, "profile", "file"))
        self.assertEqual(folder.ways(), {})

    def test_an_undecodable_file_counts_as_a_finding(self):
        folder = self.folder({"recovery.jsonlz4": no_trace.MOZLZ4_MAGIC + (99).to_bytes(4, "little") + LZ4_BLOCK})
        [(path, ways)] = no_trace.find([folder.path], [HOST])
        self.assertEqual(path, "recovery.jsonlz4")
        self.assertTrue(any(way.startswith("undecodable") for way in ways), ways)

    def test_exit_status_and_output(self):
        folder = self.folder({"Default/History": b"http://alpha-visit.test/first", "Default/Bookmarks": b"{}"})
        status, out = run(["-n", HOST, "-n", "charlie-visit.test", folder.path])
        self.assertEqual((status, out), (1, f"{os.path.join('Default', 'History')}: bytes {HOST}\n"))
        self.assertEqual(run(["--list", "-n", HOST, folder.path]), (0, out))
        self.assertEqual(run(["-n", "charlie-visit.test", folder.path]), (0, ""))
        second = self.folder({"x": HOST.encode()})
        status, out = run(["-n", HOST, folder.path, second.path])
        self.assertEqual(set(out.splitlines()), {
            f"{os.path.join(os.path.basename(folder.path), 'Default', 'History')}: bytes {HOST}",
            f"{os.path.join(os.path.basename(second.path), 'x')}: bytes {HOST}"})


BUILD = os.environ.get("VORLANE_BUILD_DIR")


@unittest.skipUnless(BUILD, "VORLANE_BUILD_DIR names no build tree with fresh profiles")
class FreshProfilesTest(unittest.TestCase):
    """What the makers wrote: each visited host where the browser keeps it,
    through each kind of file the checker reads."""

    @classmethod
    def setUpClass(cls):
        cls.firefox = os.path.join(BUILD, "firefox-profile", "profile")
        cls.chromium = os.path.join(BUILD, "chromium-profile", "user-data")
        for folder in (cls.firefox, cls.chromium):
            if not os.path.isdir(folder):
                raise AssertionError(f"no fresh profile at {folder} (tests firefox_profile, chromium_profile)")
        cls.hosts = visited_sites.hosts()
        cls.places = {browser: dict(no_trace.find([folder], cls.hosts))
                      for browser, folder in (("firefox", cls.firefox), ("chromium", cls.chromium))}

    def hosts_in(self, browser, path, way):
        return self.places[browser].get(path, {}).get(way, set())

    def test_firefox_names_every_host_in_its_session_places_and_storage(self):
        for path in ("sessionstore.jsonlz4", "sessionstore-backups/previous.jsonlz4"):
            self.assertEqual(self.hosts_in("firefox", path, "mozlz4"), set(self.hosts), path)
        reversed_hosts = {host[::-1] for host in self.hosts}
        self.assertLessEqual(reversed_hosts, self.hosts_in("firefox", "places.sqlite", "bytes"))
        for netloc in visited_sites.VISITED:
            folder = "storage/default/http+++" + netloc.replace(":", "+")
            self.assertEqual(self.hosts_in("firefox", folder, "name"), {netloc.split(":")[0]})

    def test_chromium_names_every_host_in_its_leveldb_tables_logs_and_sessions(self):
        tables = [p for p in self.places["chromium"] if p.startswith("Default/Local Storage/leveldb/")
                  and p.endswith(".ldb")]
        self.assertTrue(tables, "no Local Storage table file")
        self.assertEqual(set().union(*(self.hosts_in("chromium", p, "leveldb-table") for p in tables)),
                         set(self.hosts))
        session_storage = [self.hosts_in("chromium", p, way) for p in self.places["chromium"]
                           if p.startswith("Default/Session Storage/") for way in ("leveldb-log", "leveldb-table")]
        self.assertEqual(set().union(*session_storage), set(self.hosts))
        sessions = [p for p in self.places["chromium"] if p.startswith("Default/Sessions/Session_")]
        self.assertEqual(set().union(*(self.hosts_in("chromium", p, "bytes") for p in sessions)), set(self.hosts))
        for host in self.hosts:
            self.assertTrue(any(p.startswith(f"Default/IndexedDB/http_{host}_") for p in self.places["chromium"]),
                            host)


if __name__ == "__main__":
    unittest.main()
