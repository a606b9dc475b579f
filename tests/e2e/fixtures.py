"""A realistic user's browsing traces in the test prefix, with canaries beside
them, and the check of what a full pass (all nine boxes) must leave behind."""
import os
import sqlite3

from cookie_server import CookieServer
from driver import ScenarioFailure, check

SHELL_FOLDERS = r"HKCU\Software\Microsoft\Windows\CurrentVersion\Explorer\Shell Folders"
# Wine copies these over the "Shell Folders" values whenever the shell starts.
USER_SHELL_FOLDERS = r"HKCU\Software\Microsoft\Windows\CurrentVersion\Explorer\User Shell Folders"
TYPED_URLS = r"HKCU\Software\Microsoft\Internet Explorer\TypedURLs"
PAGES = ("/index.html", "/logo.gif", "/style.css")


def write(path, data=b"trace\r\n"):
    path.parent.mkdir(parents=True, exist_ok=True)
    path.write_bytes(data)
    return path


def sqlite_database(path, table):
    path.parent.mkdir(parents=True, exist_ok=True)
    with sqlite3.connect(path) as db:
        db.execute(f"CREATE TABLE {table} (id INTEGER PRIMARY KEY, url TEXT)")
        db.execute(f"INSERT INTO {table} (url) VALUES ('http://127.0.0.1/visited')")
    return path


class RealisticUser:
    def __init__(self, prefix, bulk=True):
        self.prefix = prefix
        self.bulk = bulk  # thousands of cache files, so that a pass takes a moment
        shell = prefix.reg_values(SHELL_FOLDERS) or {}
        self.folders = {}
        for name in ("Cookies", "Cache", "History", "AppData"):
            check(name in shell, f"the prefix has no Shell Folders value {name}")
            self.folders[name] = prefix.unix(shell[name][1])
        self.doomed = []  # must be gone after the pass
        self.kept = []    # must still be there
        self.url_host = None

    def windows_path(self, path):
        return "C:\\" + "\\".join(path.relative_to(self.prefix.drive_c).parts)

    def attrib(self, path, flag):
        self.prefix.run(["wine", "cmd", "/c", "attrib", flag, self.windows_path(path)], check_result=True)

    def plant(self):
        self.plant_url_cache()
        self.plant_ie_folders()
        self.plant_typed_urls()
        self.plant_firefox()
        self.plant_canaries()

    # A real WinINet download from a loopback site fills the URL cache with
    # cache entries, their files, and a persistent cookie.
    def plant_url_cache(self):
        with CookieServer() as server:
            for page in PAGES:
                result = self.prefix.probe("fetch", server.url(page))
                check(result.get("status") == 200, f"download of {page} failed: {result}")
            self.url_host = server.url("").rstrip("/")
        entries = self.our_cache_entries()
        names = [e["name"] for e in entries]
        check(sum(n.startswith(self.url_host) for n in names) == len(PAGES), f"cache entries: {names}")
        check(any(n.startswith("Cookie:") for n in names), f"no cookie entry after the downloads: {names}")
        for entry in entries:
            if entry["file"]:
                self.doomed.append(self.prefix.unix(entry["file"]))

    def our_cache_entries(self):
        return [e for e in self.prefix.probe("urlcache")
                if e["name"].startswith(self.url_host) or e["name"].startswith("Cookie:") and "@127.0.0.1" in e["name"]]

    def plant_ie_folders(self):
        for name in ("Cookies", "Cache", "History"):
            top = self.folders[name]
            self.doomed += [
                write(top / f"{name.lower()}-top.txt"),
                write(top / "Level1" / "one.dat"),
                write(top / "Level1" / "Level2" / "two.bin"),
                write(top / "Level1" / "Level2" / "Level3" / "three.txt"),
                write(top / "Other Folder" / "spaced name.txt"),
            ]
            readonly = write(top / "Level1" / "readonly.txt")
            self.attrib(readonly, "+r")
            self.doomed.append(readonly)
            self.kept.append(write(top / "~locked.txt"))
            hidden = write(top / "Level1" / "hidden-archive.txt")
            self.attrib(hidden, "+h")
            self.kept.append(hidden)
        # Enough cached files that the pass takes a moment and can be seen running.
        if self.bulk:
            bulk = self.folders["Cache"] / "Content.Bulk"
            self.doomed += [write(bulk / f"{d:02d}" / f"item{f:03d}.tmp") for d in range(40) for f in range(200)]
        # A link inside the cache folder to a folder elsewhere: nothing behind it may go.
        elsewhere = self.folders["AppData"].parent / "LinkedElsewhere"
        self.kept += [write(elsewhere / "precious.txt"), write(elsewhere / "Deep" / "precious2.txt")]
        os.symlink(elsewhere, self.folders["Cache"] / "LinkToElsewhere")

    def plant_typed_urls(self):
        for i in (1, 2, 3):
            self.prefix.reg_add(TYPED_URLS, f"url{i}", f"http://typed{i}.example/")
        self.prefix.reg_add(TYPED_URLS, "url101", "http://keep101.example/")
        self.prefix.reg_add(TYPED_URLS, "url01", "http://keep01.example/")

    def plant_firefox(self):
        firefox = self.folders["AppData"] / "Mozilla" / "Firefox"
        write(firefox / "profiles.ini", (
            "[General]\r\nStartWithLastProfile=1\r\n\r\n"
            "[Profile0]\r\nName=default\r\nIsRelative=1\r\nPath=Profiles/e2e.default\r\nDefault=1\r\n\r\n"
            "[Profile1]\r\nName=other\r\nIsRelative=1\r\nPath=Profiles/other.default\r\n").encode())
        profile = firefox / "Profiles" / "e2e.default"
        self.profile = profile
        self.doomed += [
            sqlite_database(profile / "places.sqlite", "moz_places"),
            write(profile / "places.sqlite-wal"), write(profile / "places.sqlite-shm"),
            sqlite_database(profile / "formhistory.sqlite", "moz_formhistory"),
            write(profile / "formhistory.sqlite-journal"),
            write(profile / "history.dat"),
            sqlite_database(profile / "downloads.sqlite", "moz_downloads"),
            write(profile / "cookies.txt"),
            sqlite_database(profile / "cookies.sqlite", "moz_cookies"),
            write(profile / "cookies.sqlite-wal"),
            write(profile / "cache" / "_CACHE_MAP_"), write(profile / "cache" / "_CACHE_001_"),
            write(profile / "cache" / "A1B2C3D4"),
            write(profile / "XUL.cache"), write(profile / "search.cache"),
            # Every listed profile is cleaned, not only the first.
            sqlite_database(firefox / "Profiles" / "other.default" / "places.sqlite", "moz_places"),
            sqlite_database(firefox / "Profiles" / "other.default" / "cookies.sqlite", "moz_cookies"),
        ]
        self.kept += [
            write(profile / "prefs.js"), write(profile / "key4.db"),
            write(profile / "cache" / "sub" / "in-a-subfolder.bin"),
            write(firefox / "Profiles" / "other.default" / "prefs.js"),
        ]

    def plant_canaries(self):
        profile = self.prefix.unix(self.prefix.user_profile)
        self.kept += [
            write(profile / "Documents" / "keep.txt"),
            write(self.folders["Cache"].parent / "NotACache" / "keep.txt"),
            write(self.prefix.unix(self.prefix.temp) / "keep-me.txt"),
        ]

    def verify_untouched(self, after):
        """Everything the pass would delete is still there."""
        gone = [str(p) for p in self.doomed if not p.exists()]
        if gone:
            raise ScenarioFailure(f"after {after}, deleted: {gone}")

    def verify(self):
        problems = []
        problems += [f"not deleted: {p}" for p in self.doomed if p.exists()]
        problems += [f"deleted although it should stay: {p}" for p in self.kept if not p.exists()]
        if not (self.profile / "cache").is_dir():
            problems.append("the Firefox cache folder itself was removed")
        for name in ("Cookies", "Cache", "History"):
            if not self.folders[name].is_dir():
                problems.append(f"the {name} folder itself was removed")
        typed = self.prefix.reg_values(TYPED_URLS) or {}
        problems += [f"typed URL {n} left" for n in ("url1", "url2", "url3") if n in typed]
        problems += [f"typed URL {n} deleted" for n in ("url101", "url01") if n not in typed]
        left = [e["name"] for e in self.our_cache_entries()]
        if left:
            problems.append(f"URL-cache entries left: {left}")
        if problems:
            raise ScenarioFailure("after the full pass:\n  " + "\n  ".join(problems))
