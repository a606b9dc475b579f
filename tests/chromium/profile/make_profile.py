"""Makes a real Chromium profile for the tests: runs Debian's chromium headless
against a small web site on 127.0.0.1 and drives it through the DevTools
protocol, so that every database in the profile is written by the browser.

Usage: make_profile.py USER_DATA_DIR WORK_DIR
Run inside a network namespace that has only loopback (see
scripts/make-chromium-profile.sh): the site is private to it.

What the browser writes: pages visited by link and by typed address (their
URLs and titles hold "history-secret"), cookies set by every page, a finished
download ("download-secret"), the text fields of a submitted form
("form-secret"), cache entries. Through a proxy on loopback it visits the
made-up sites of tests/support/visited_sites.py in tabs of their own (two left
open, one closed), which write web storage, IndexedDB and a service worker's
data, and the bookmarked page of KEPT, whose icon it stores. An unpacked
extension (tests/support/addon/) keeps notes in localStorage, IndexedDB and
chrome.storage.local. The bookmarks and a few settings are in place before the
browser starts, so the browser loads and keeps them itself; one of them has it
continue where it left off. A second, short start (the user's next one)
restores the tabs, keeping their session storage, reads back the extension's
notes and the bookmarks, and turns the Local Storage log into a LevelDB table.
What the headless browser has no way to make is added afterwards with SQL into
the tables it created (see fill_gaps): search terms, omnibox shortcuts,
predictor rows, a saved login, an address.

WORK_DIR/fresh.json records what the second start read and the settings, for
tests/chromium/profile/reopen.py.
"""
import http.server
import json
import os
import shutil
import sqlite3
import sys
import threading
import time
import zlib

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
from cdp import chromium_session  # noqa: E402
from reopen import read_back, settings_lost  # noqa: E402
sys.path.insert(0, os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "..", "support"))
from test_site import SiteHandler  # noqa: E402
import kept_addon  # noqa: E402
import visited_sites  # noqa: E402
from visited_sites import KEPT_PAGE, KEPT_TITLE  # noqa: E402

PORT = 8090  # not 8080: the Firefox profile may be made at the same time
SITE = f"http://127.0.0.1:{PORT}"
OTHER_SITE = f"http://localhost:{PORT}"

SCRIPT = b"function history_secret_script(n) { let s = 0; for (let i = 0; i < n; i++) s += i * 2; return s; }\n" * 200

FORM = ("<!doctype html><html><head><title>form page</title></head><body>"
        "<form action='/submitted' method='get'>"
        "<input type='text' name='comment' id='comment' autocomplete='on'>"
        "<input type='text' name='nickname' id='nickname' autocomplete='on'>"
        "<input type='submit' id='send' value='Send'></form></body></html>")


class Site(SiteHandler):
    def do_GET(self):
        if visited_sites.answer(self):
            return
        path = self.path.split("?")[0]
        if path.startswith("/files/"):
            self._reply(b"download body " * 64, "application/octet-stream",
                        {"Content-Disposition": f'attachment; filename="{path[7:]}"'})
        elif path == "/script.js":
            self._reply(SCRIPT, "application/javascript")
        elif path == "/form":
            self._reply(FORM.encode(), "text/html; charset=utf-8")
        else:
            name = path.strip("/").replace("/", " ")
            page = (f"<!doctype html><html><head><title>{name} page</title>"
                    "<script src='/script.js'></script></head>"
                    f"<body><h1>{name}</h1><p>A page of the test site.</p>"
                    "<script>history_secret_script(1000)</script></body></html>")
            self._reply(page.encode(), "text/html; charset=utf-8",
                        {"Set-Cookie": f"seen_{zlib.crc32(path.encode()) % 1000}=history-secret-cookie; "
                                       "Path=/; Max-Age=31536000"})


def navigate(cdp, session, url, transition="link"):
    cdp.send("Page.navigate", {"url": url, "transitionType": transition}, session)
    cdp.wait_for("Page.loadEventFired", session=session)


def visit(cdp, session, url, transition="link"):
    """A page of a made-up site: waits until it wrote its data and its icon was fetched."""
    navigate(cdp, session, url, transition)
    return visited_sites.check_visit(url, cdp.evaluate(session, visited_sites.WAIT_FOR_TRACES))


def visit_sites(cdp, main):
    """The made-up sites, each tab of visited_sites.TABS in a tab of its own
    (left open), one more tab closed again, and the kept page in `main`. A
    tab's first address is typed, which the browser counts as engagement."""
    for pages in visited_sites.TABS + [visited_sites.CLOSED_TAB]:
        target, session = cdp.open_tab()
        for i, url in enumerate(pages):
            print(f"  {url}: {visit(cdp, session, url, 'link' if i else 'typed')}")
    # Let the icon of the last page reach the browser before its tab goes.
    time.sleep(0.3)
    cdp.send("Target.closeTarget", {"targetId": target})
    navigate(cdp, main, KEPT_PAGE)
    if not visited_sites.Served.wait(visited_sites.KEPT, ("/icon.png",)):
        raise RuntimeError("the browser fetched no icon for the kept page")


def richer_acts(cdp):
    """Each on a host of its own, in a tab closed afterwards: a page that links
    an OpenSearch description, reached by typing its address (the browser
    adds its search engine by itself); a secure page that asks for client
    hints; a secure page whose service worker shows a notification (the user
    allowed them for the site, see SITE_SETTINGS)."""
    target, session = cdp.open_tab()
    navigate(cdp, session, f"http://{visited_sites.SEARCH}/", "typed")
    if not visited_sites.Served.wait(visited_sites.SEARCH, ("/opensearch.xml",)):
        raise RuntimeError("the browser did not fetch the OpenSearch description")
    navigate(cdp, session, f"http://{visited_sites.HINTS}/", "typed")
    navigate(cdp, session, f"http://{visited_sites.NOTIFY}/", "typed")
    shown = cdp.evaluate(session, visited_sites.WAIT_FOR_TRACES)
    if shown != "notification shown":
        raise RuntimeError(f"{visited_sites.NOTIFY}: {shown}")
    print(f"  search engine, client hints, {shown}")
    cdp.send("Target.closeTarget", {"targetId": target})


def keep_notes(cdp):
    """The extension's page writes its notes, and scratch text past LevelDB's
    4 MiB write buffer, so that the browser's next start turns the Local
    Storage log (with the visited sites' keys) into a table file."""
    target, session = cdp.open_tab()
    navigate(cdp, session, f"chrome-extension://{kept_addon.chromium_id()}/{kept_addon.PAGE}?fill=4500000")
    failures = kept_addon.check_notes(json.loads(cdp.evaluate(session, kept_addon.WAIT_FOR_PAGE)), "made profile")
    if failures:
        raise RuntimeError("; ".join(failures))
    cdp.send("Target.closeTarget", {"targetId": target})


def press(cdp, session, key, code, text=None, keycode=0):
    for kind in ("keyDown", "keyUp"):
        params = {"type": kind, "key": key, "code": code, "windowsVirtualKeyCode": keycode}
        if text and kind == "keyDown":
            params["text"] = text
        cdp.send("Input.dispatchKeyEvent", params, session)


def submit_form(cdp, session):
    navigate(cdp, session, f"{SITE}/form")
    for field, value in (("comment", "form-secret comment words"), ("nickname", "form-secret-nick")):
        cdp.send("Runtime.evaluate", {"expression": f"document.getElementById('{field}').focus()"}, session)
        cdp.send("Input.insertText", {"text": value}, session)
    press(cdp, session, "Enter", "Enter", "\r", 13)
    cdp.wait_for("Page.loadEventFired")


def download(cdp, session, folder):
    cdp.send("Browser.setDownloadBehavior", {"behavior": "allow", "downloadPath": folder, "eventsEnabled": True})
    cdp.send("Page.navigate", {"url": f"{SITE}/files/download-secret-report.bin"}, session)
    cdp.wait_for("Browser.downloadProgress", where=lambda p: p.get("state") == "completed")


def drive(cdp, downloads):
    _, session = cdp.open_tab()
    for name in ("history-secret/alpha", "history-secret/beta", "history-secret/alpha"):
        navigate(cdp, session, f"{SITE}/{name}")
    navigate(cdp, session, f"{OTHER_SITE}/history-secret/other-origin")
    for name in ("history-secret/typed-page", "history-secret/typed-again"):
        navigate(cdp, session, f"{SITE}/{name}", "typed")
    visit_sites(cdp, session)
    richer_acts(cdp)
    submit_form(cdp, session)
    download(cdp, session, downloads)
    keep_notes(cdp)
    # Let the browser write what it keeps in memory for a while (cookies, visited links).
    time.sleep(3)


BOOKMARKS = {
    "checksum": "",
    "roots": {
        "bookmark_bar": {"children": [
            {"date_added": "13400000000000000", "guid": "00000000-0000-4000-a000-000000000001", "id": "5",
             "name": "Bookmarked article", "type": "url", "url": SITE + "/bookmarked/article"},
            {"date_added": "13400000000000000", "guid": "00000000-0000-4000-a000-000000000002", "id": "6",
             "name": KEPT_TITLE, "type": "url", "url": KEPT_PAGE}],
            "date_added": "13400000000000000", "date_modified": "0", "guid": "0bc5d13f-2cba-5d74-951f-3f233fe6c908",
            "id": "1", "name": "Bookmarks bar", "type": "folder"},
        "other": {"children": [], "date_added": "13400000000000000", "date_modified": "0",
                  "guid": "82b081ec-3dd3-529c-8475-ab6c344590dd", "id": "2", "name": "Other bookmarks",
                  "type": "folder"},
        "synced": {"children": [], "date_added": "13400000000000000", "date_modified": "0",
                   "guid": "4cf2e351-0e85-532b-bb37-df045d8f8d0f", "id": "3", "name": "Mobile bookmarks",
                   "type": "folder"},
    },
    "version": 1,
}

# Settings of the user's, in Preferences before the browser first starts: plain
# ones and tracked ones (which the browser guards with protection.macs).
SETTINGS = {
    "webkit.webprefs.default_font_size": 20,
    "intl.accept_languages": "en-GB,en",
    "browser.show_home_button": True,
    "homepage": KEPT_PAGE,
    "homepage_is_newtabpage": False,
    "session.restore_on_startup": 1,
}


# Site settings the user chose for NOTIFY: its notifications allowed, its
# pages zoomed. Each is a path in Preferences and its value.
NOTIFY_PATTERN = f"http://{visited_sites.NOTIFY}:80,*"
SITE_SETTINGS = [
    (["profile", "content_settings", "exceptions", "notifications", NOTIFY_PATTERN, "setting"], 1),
    (["partition", "per_host_zoom_levels", "x", visited_sites.NOTIFY, "zoom_level"], 1.0),
]


def site_settings_lost(user_data):
    """The site settings Preferences no longer holds."""
    with open(os.path.join(user_data, "Default", "Preferences")) as f:
        preferences = json.load(f)
    lost = []
    for path, value in SITE_SETTINGS:
        node = preferences
        for name in path:
            node = node.get(name) if isinstance(node, dict) else None
        if node != value:
            lost.append("/".join(path))
    return lost


def nested(dotted):
    """{"a.b": 1} as {"a": {"b": 1}}."""
    tree = {}
    for path, value in dotted.items():
        *folders, leaf = path.split(".")
        node = tree
        for name in folders:
            node = node.setdefault(name, {})
        node[leaf] = value
    return tree


def seed(profile):
    """What the user had before this session: bookmarks and settings."""
    os.makedirs(profile, exist_ok=True)
    with open(os.path.join(profile, "Bookmarks"), "w") as f:
        json.dump(BOOKMARKS, f, indent=3)
    preferences = nested(SETTINGS)
    for path, value in SITE_SETTINGS:
        node = preferences
        for name in path[:-1]:
            node = node.setdefault(name, {})
        node[path[-1]] = value
    exceptions = preferences["profile"]["content_settings"]["exceptions"]
    exceptions["notifications"][NOTIFY_PATTERN]["last_modified"] = "13400000000000000"
    preferences["partition"]["per_host_zoom_levels"]["x"][visited_sites.NOTIFY]["last_modified"] = "13400000000000000"
    with open(os.path.join(profile, "Preferences"), "w") as f:
        json.dump(preferences, f)


# Databases the browser makes only once its start is over (tasks it defers
# until then): on a busy machine that can come after the visits above.
LATE_DATABASES = ("Shortcuts", "Network Action Predictor")


def wait_for_late_databases(profile, ceiling=90):
    deadline = time.monotonic() + ceiling
    while True:
        missing = [name for name in LATE_DATABASES
                   if not os.path.exists(os.path.join(profile, name)) or os.path.getsize(os.path.join(profile, name)) == 0]
        if not missing:
            return
        if time.monotonic() > deadline:
            raise RuntimeError(f"the browser made no {', '.join(missing)} within {ceiling} s")
        time.sleep(0.5)


def fill_gaps(profile):
    """Rows the headless browser has no way to make (no omnibox, no password
    manager prompt, no address form), added with SQL into the tables it made."""
    now = 13400000000000000  # microseconds since 1601, as the browser counts
    with sqlite3.connect(os.path.join(profile, "History")) as db:
        typed = db.execute("SELECT id FROM urls WHERE typed_count > 0 ORDER BY id").fetchone()[0]
        db.execute("INSERT INTO keyword_search_terms (keyword_id, url_id, term, normalized_term)"
                   " VALUES (2, ?, 'history-secret terms', 'history-secret terms')", (typed,))
    with sqlite3.connect(os.path.join(profile, "Shortcuts")) as db:
        db.execute("INSERT INTO omni_box_shortcuts (id, text, fill_into_edit, url, document_type, contents,"
                   " contents_class, description, description_class, transition, type, keyword,"
                   " last_access_time, number_of_hits) VALUES ('A1B2C3D4-0000-4000-8000-000000000001',"
                   " 'history-se', ?, ?, 0, ?, '0,0', 'history-secret typed page', '0,0', 1, 0, '', ?, 3)",
                   (SITE + "/history-secret/typed-page",) * 3 + (now,))
    with sqlite3.connect(os.path.join(profile, "Network Action Predictor")) as db:
        db.execute("INSERT INTO network_action_predictor (id, user_text, url, number_of_hits, number_of_misses)"
                   " VALUES ('A1B2C3D4-0000-4000-8000-000000000002', 'history-se', ?, 2, 0)",
                   (SITE + "/history-secret/alpha",))
    with sqlite3.connect(os.path.join(profile, "Login Data")) as db:
        db.execute("INSERT INTO logins (origin_url, action_url, username_element, username_value,"
                   " password_element, password_value, submit_element, signon_realm, date_created,"
                   " blacklisted_by_user, scheme, password_type, times_used) VALUES"
                   " (?, ?, 'user', 'kept-login', 'pass', X'763130aabbccdd', '', ?, ?, 0, 0, 0, 1)",
                   (SITE + "/login", SITE + "/login", SITE + "/", now))
        # What the password manager notes when the user dismisses its prompt on a site.
        db.execute("INSERT INTO stats (origin_domain, username_value, dismissal_count, update_time)"
                   " VALUES (?, 'someone', 1, ?)", (f"http://{visited_sites.LOGIN_PROMPT}/", now))
    with sqlite3.connect(os.path.join(profile, "Web Data")) as db:
        db.execute("INSERT INTO addresses (guid, use_count, use_date, date_modified, language_code, label,"
                   " initial_creator_id, record_type) VALUES ('a0000000-0000-4000-8000-000000000001', 1, 1, 1,"
                   " 'en', 'kept address', 0, 0)")
        db.execute("INSERT INTO credit_cards (guid, name_on_card, expiration_month, expiration_year,"
                   " card_number_encrypted, date_modified, use_count, use_date) VALUES"
                   " ('c0000000-0000-4000-8000-000000000001', 'Kept Card', 12, 2031, X'763130010203', 1, 1, 1)")
    # Browsers before the visited links moved into History kept them in a file of their own.
    with open(os.path.join(profile, "Visited Links"), "wb") as f:
        f.write(b"VLnk" + bytes(60))


def windows_layout(profile):
    """The browser on Windows keeps cookies and what it learnt of servers in
    the Network folder."""
    network = os.path.join(profile, "Network")
    os.makedirs(network, exist_ok=True)
    for name in ("Cookies", "Cookies-journal", "Network Persistent State", "TransportSecurity", "Reporting and NEL",
                 "Reporting and NEL-journal", "Trust Tokens", "Trust Tokens-journal", "SCT Auditing Pending Reports"):
        if os.path.exists(os.path.join(profile, name)):
            shutil.move(os.path.join(profile, name), os.path.join(network, name))


def main():
    user_data, work = (os.path.abspath(p) for p in sys.argv[1:3])
    downloads = os.path.join(work, "downloads")
    home = os.path.join(work, "home")
    for folder in (user_data, downloads, home):
        os.makedirs(folder, exist_ok=True)
    profile = os.path.join(user_data, "Default")
    seed(profile)
    server = http.server.ThreadingHTTPServer(("127.0.0.1", PORT), Site)
    threading.Thread(target=server.serve_forever, daemon=True).start()
    try:
        with chromium_session(user_data, home, os.path.join(work, "chromium.log"), browser_args()) as cdp:
            drive(cdp, downloads)
            wait_for_late_databases(profile)
        # The user's next start, which restores the tabs and reads back what the profile keeps.
        notes = read_back(user_data, home, os.path.join(work, "chromium-next.log"), browser_args())
    finally:
        server.shutdown()
    shutil.rmtree(downloads, ignore_errors=True)
    failures = kept_addon.check_notes(notes, "next start")
    if failures:
        raise RuntimeError("; ".join(failures))
    lost = settings_lost(user_data, SETTINGS)
    lost.update({path: None for path in site_settings_lost(user_data)})
    if lost:
        raise RuntimeError(f"the browser did not keep the settings: {lost}")
    with open(os.path.join(work, "fresh.json"), "w") as f:
        json.dump({"bookmarks": notes["bookmarks"], "settings": SETTINGS,
                   "extension": kept_addon.chromium_id()}, f, indent=1)
    fill_gaps(profile)
    windows_layout(profile)


def browser_args():
    """The proxy for the made-up sites (the browser still reaches 127.0.0.1 and
    localhost directly), the one treated as secure, and the extension (loaded
    at every start: the browser drops one loaded from the command line, and
    its data, when a start does not name it)."""
    return [f"--proxy-server=http://127.0.0.1:{PORT}",
            "--unsafely-treat-insecure-origin-as-secure=" +
            ",".join(f"http://{host}" for host in (visited_sites.SECURE, visited_sites.HINTS, visited_sites.NOTIFY)),
            f"--load-extension={kept_addon.FOLDER}"]


if __name__ == "__main__":
    main()
