"""No trace left: the real profiles that firefox-esr and Debian's chromium made
(their visits to made-up sites, tabs, icons, site storage, a bookmark and an
add-on's data) planted as the user's Firefox and Google Chrome; every box
ticked, one "Delete Now (Test)". Afterwards no file or folder of either
browser names a visited site (tests/support/no_trace.py), what the user keeps
is there, and both browsers take their cleaned profile back whole
(scripts/reopen-profiles.sh)."""
import json
import os
import shutil
import sqlite3
import subprocess
import sys
from pathlib import Path

from driver import BUILD, SOURCE, check, check_equal, install_program, start_program

sys.path.insert(0, str(SOURCE / "tests" / "support"))
import visited_sites  # noqa: E402

# Every host the makers' browsers visited or acted on; those whose site
# settings the user chose are kept in those settings alone.
KEPT_SETTINGS = visited_sites.KEPT_SETTINGS
VISITED = tuple(h for h in visited_sites.hosts() + list(visited_sites.ACTS) if h not in KEPT_SETTINGS)
KEPT_PAGE = "http://kept-bookmark.test/"
SHELL_FOLDERS = r"HKCU\Software\Microsoft\Windows\CurrentVersion\Explorer\Shell Folders"
NO_TRACE = SOURCE / "tests" / "support" / "no_trace.py"


def traces(*folders, listing=False, hosts=VISITED):
    """Every place under the folders that names one of `hosts`, one line each."""
    words = [arg for host in hosts for arg in ("-n", host)]
    result = subprocess.run([sys.executable, "-B", str(NO_TRACE), *(["--list"] if listing else []), *words,
                             *map(str, folders)], capture_output=True, text=True, timeout=300)
    check(result.returncode in (0, 1), f"no_trace.py failed: {result.stderr}")
    return [line for line in result.stdout.splitlines() if line]


def settings_without_site_notes(preferences):
    """Preferences without the web sites' entries of the lists that note what
    happened on them (engagement, notifications shown, client hints)."""
    settings = json.loads(preferences.read_text(encoding="utf-8"))
    exceptions = settings["profile"]["content_settings"]["exceptions"]
    for name in ("site_engagement", "media_engagement", "notification_interactions", "client_hints"):
        exceptions[name] = {k: v for k, v in exceptions.get(name, {}).items() if not k.startswith(("http://", "https://"))}
    return settings


def rows(database, sql):
    with sqlite3.connect(f"file:{database}?mode=ro", uri=True) as db:
        return db.execute(sql).fetchall()


def tree_bytes(folder):
    return {str(p.relative_to(folder)): p.read_bytes() for p in sorted(folder.rglob("*")) if p.is_file()}


class RealProfiles:
    """The two made profiles, planted under the prefix's shell folders."""

    def __init__(self, prefix):
        shell = prefix.reg_values(SHELL_FOLDERS)
        firefox = prefix.unix(shell["AppData"][1] + "\\Mozilla\\Firefox")
        self.firefox = firefox / "Profiles" / "real.default-release"
        self.chrome = prefix.unix(shell["Local AppData"][1] + "\\Google\\Chrome\\User Data")
        made_firefox = BUILD / "firefox-profile" / "profile"
        made_chrome = BUILD / "chromium-profile" / "user-data"
        check((made_firefox / "places.sqlite").exists(), "the Firefox profile is missing (test firefox_profile)")
        check((made_chrome / "Default" / "History").exists(), "the Chromium profile is missing (test chromium_profile)")
        shutil.copytree(made_firefox, self.firefox, symlinks=True)
        (firefox / "profiles.ini").write_text(
            "[Profile0]\r\nName=default-release\r\nIsRelative=1\r\nPath=Profiles/real.default-release\r\n"
            "Default=1\r\n\r\n[General]\r\nStartWithLastProfile=1\r\nVersion=2\r\n")
        shutil.copytree(made_chrome, self.chrome, symlinks=True)
        self.kept = self.what_is_kept()

    def what_is_kept(self):
        """Files and folders that must come out of the pass byte for byte."""
        default = self.chrome / "Default"
        files = [default / name for name in ("Bookmarks", "Secure Preferences")]
        self.logins = rows(default / "Login Data", "SELECT * FROM logins")
        # Firefox keeps its passwords in key4.db with logins.json (logins.db in newer versions).
        files += [self.firefox / name for name in ("logins.json", "logins.db", "key4.db", "prefs.js")
                  if (self.firefox / name).exists()]
        addons = [p for p in (self.firefox / "storage" / "default").iterdir() if p.name.startswith("moz-extension")]
        check(addons, "the Firefox profile holds no add-on storage")
        check(any((default / "Local Extension Settings").iterdir()), "the Chromium profile holds no extension settings")
        return {path: tree_bytes(path) if path.is_dir() else path.read_bytes()
                for path in files + addons + [default / "Local Extension Settings"]}

    def verify_kept(self):
        for path, before in self.kept.items():
            check((tree_bytes(path) if path.is_dir() else path.read_bytes()) == before, f"{path} changed")
        check(rows(self.chrome / "Default" / "Login Data", "SELECT * FROM logins") == self.logins,
              "the saved passwords changed")
        made = BUILD / "chromium-profile" / "user-data" / "Default" / "Preferences"
        check(settings_without_site_notes(self.chrome / "Default" / "Preferences") ==
              settings_without_site_notes(made), "a Preferences entry other than the sites' notes changed")
        # The bookmarked page keeps its icon in both browsers.
        check(rows(self.chrome / "Default" / "Favicons",
                   f"SELECT count(*) FROM icon_mapping m JOIN favicon_bitmaps b ON b.icon_id = m.icon_id"
                   f" WHERE m.page_url = '{KEPT_PAGE}'")[0][0] > 0, "the bookmark's icon is gone from Favicons")
        check(rows(self.firefox / "favicons.sqlite",
                   f"SELECT count(*) FROM moz_pages_w_icons p JOIN moz_icons_to_pages l ON l.page_id = p.id"
                   f" JOIN moz_icons i ON i.id = l.icon_id WHERE p.page_url = '{KEPT_PAGE}'")[0][0] > 0,
              "the bookmark's icon is gone from favicons.sqlite")


def delete_now_with(main, boxes, wait_for_pass_end):
    """Ticks `boxes`, runs one pass with "Delete Now (Test)" and closes the program."""
    for name in boxes:
        main.click(name)
        main.wait(f"{name} to be ticked", lambda n=name: main.control(n)["checked"] == 1)
    main.click("PushButton12")
    wait_for_pass_end(main)
    main.close_box()
    main.wait_until_ended()


def reopen_cleaned(prefix, profiles, what, *options):
    """Starts both browsers on the cleaned profiles, on copies in the scenario's own prefix."""
    reopen = subprocess.run(["bash", str(SOURCE / "scripts" / "reopen-profiles.sh"), str(BUILD),
                             "--firefox", str(profiles.firefox), "--chromium", str(profiles.chrome),
                             "--work", str(prefix.path / "reopen"), *options],
                            capture_output=True, text=True, timeout=600)
    print(reopen.stdout + reopen.stderr)
    check_equal(reopen.returncode, 0, f"exit code of reopening the cleaned profiles, {what}")


def no_trace_pass(prefix, boxes, wait_for_pass_end):
    install_program(prefix)
    profiles = RealProfiles(prefix)
    before = traces(profiles.firefox, profiles.chrome, listing=True)
    print(f"places naming a visited site before the pass ({len(before)}):")
    for line in before:
        print(f"  {line}")
    check(len(before) > 20, "the made profiles name too few visited sites to prove anything")

    main = start_program(prefix)
    check_equal(main.text("Label1"), "Google Chrome: 1 profile", "what the Chrome and Edge frame found")
    delete_now_with(main, boxes, wait_for_pass_end)

    after = traces(profiles.firefox, profiles.chrome)
    print(f"places naming a visited site after the pass ({len(after)}):")
    for line in after:
        print(f"  {line}")
    check(not after, f"{len(after)} places still name a visited site")
    for host, files in KEPT_SETTINGS.items():
        kept = {line.split(": ")[0] for line in traces(profiles.firefox, profiles.chrome, hosts=(host,))}
        print(f"places naming {host}, whose site settings the user chose: {sorted(kept)}")
        check(len(kept) == len(files) and all(any(p.endswith("/" + f) for f in files) for p in kept),
              f"{host} is named in {sorted(kept)}, not in its kept settings {files} alone")
    profiles.verify_kept()

    reopen_cleaned(prefix, profiles, "in both browsers")


# The keep list of the keep-list scenario: one visited site.
KEPT_SITE = "alpha-visit.test"
KEPT_LOG_LINE = "Kept the cookies and site data of 1 site(s) on the keep list"
# An entry that names no site, beside it in the value: not used, and said.
NOT_A_SITE = "nas"
NOT_A_SITE_LINE = f"The keep list's entry \"{NOT_A_SITE}\" names no site, address or range: it was not used"


def kept_site_data(profiles):
    """What each browser keeps of KEPT_SITE for its next visit: its cookies,
    and the stores that hold its local storage and IndexedDB."""
    chrome = profiles.chrome / "Default"
    return {
        "Firefox cookies": rows(profiles.firefox / "cookies.sqlite",
                                f"SELECT host, name, value FROM moz_cookies WHERE host LIKE '%{KEPT_SITE}' ORDER BY 1, 2"),
        # Its folder holds its local storage (ls) and IndexedDB (idb); the quota manager lists it.
        "Firefox storage": tree_bytes(profiles.firefox / "storage" / "default" / f"http+++{KEPT_SITE}"),
        "Firefox quota": rows(profiles.firefox / "storage.sqlite",
                              f"SELECT origin FROM origin WHERE origin = 'http://{KEPT_SITE}'"),
        "Chrome cookies": rows(chrome / "Network" / "Cookies",
                               f"SELECT host_key, name, encrypted_value, value FROM cookies"
                               f" WHERE host_key LIKE '%{KEPT_SITE}' ORDER BY 1, 2"),
        "Chrome IndexedDB": tree_bytes(chrome / "IndexedDB" / f"http_{KEPT_SITE}_0.indexeddb.leveldb"),
    }


def history_of(profiles, host):
    """The history rows of both browsers that name `host`."""
    return (rows(profiles.firefox / "places.sqlite", f"SELECT url FROM moz_places WHERE url LIKE '%{host}%'") +
            rows(profiles.chrome / "Default" / "History", f"SELECT url FROM urls WHERE url LIKE '%{host}%'"))


def keep_list_pass(prefix, boxes, wait_for_pass_end, settings_key, log):
    """The no-trace pass with one visited site on the keep list: its cookies
    and stored data stay as they were (its local storage where each browser
    keeps it), its history goes, the other visited sites leave no trace, and
    both browsers, started on the cleaned profiles, are still signed in to it:
    a page of the site reads its cookie, localStorage and IndexedDB."""
    install_program(prefix)
    prefix.reg_add(settings_key, "SitesToKeep", f"{KEPT_SITE}\\0{NOT_A_SITE}", kind="REG_MULTI_SZ")
    profiles = RealProfiles(prefix)
    kept = kept_site_data(profiles)
    for store, before in kept.items():
        check(before, f"{store} holds nothing of {KEPT_SITE}: the scenario would prove nothing")
    check(history_of(profiles, KEPT_SITE), f"the profiles hold no history of {KEPT_SITE}")

    main = start_program(prefix)
    delete_now_with(main, boxes, wait_for_pass_end)

    others = tuple(h for h in VISITED if h != KEPT_SITE)
    after = traces(profiles.firefox, profiles.chrome, hosts=others)
    check(not after, f"{len(after)} places still name a visited site that is not kept: {after[:10]}")
    for store, now in kept_site_data(profiles).items():
        check(now, f"{store} of {KEPT_SITE}, which the user keeps, was erased")
        check(now == kept[store], f"{store} of {KEPT_SITE} changed")
    places = traces(profiles.firefox, profiles.chrome, hosts=(KEPT_SITE,))
    print(f"places naming {KEPT_SITE} after the pass: {sorted(places)}")
    check(any("Default/Local Storage/" in line for line in places), f"{KEPT_SITE}'s local storage is gone from Chrome")
    check_equal(history_of(profiles, KEPT_SITE), [], f"the history of {KEPT_SITE}")
    for line in (KEPT_LOG_LINE, NOT_A_SITE_LINE):
        check(line.encode() in log.read_bytes(), f"the log has no line '{line}'")
    profiles.verify_kept()

    reopen_cleaned(prefix, profiles, f"signed in to {KEPT_SITE}", "--signed-in", KEPT_SITE)
