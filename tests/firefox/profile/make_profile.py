"""Makes a real Firefox profile for the tests: runs firefox-esr headless against
a small web site on 127.0.0.1 and drives it through Marionette, so that every
database in the profile is written by Firefox itself.

Usage: make_profile.py PROFILE_DIR WORK_DIR
Run inside a network namespace that has only loopback (see
scripts/make-firefox-profile.sh): the site and Marionette's port are private to it.

What the profile holds afterwards:
- bookmarks in folders (menu, toolbar, unfiled), with tags and keywords; one of
  them on a page that was also visited; their pages hold "bookmarked" in the URL;
- history: pages visited by navigation and typed addresses added with the
  TYPED transition, input history and page metadata; their URLs and titles
  hold "history-secret" (the words no erased file may still contain);
- a finished download (its URL holds "download-secret");
- cookies, form history (values hold "form-secret"), favicons and cache2 entries;
- visits, through a proxy on loopback, to the made-up sites of
  tests/support/visited_sites.py in tabs of their own (two left open, one
  closed), which write web storage, IndexedDB and a service worker's data; the
  session files hold the tabs;
- the page of KEPT, visited (its icon stored) and bookmarked;
- the add-on of tests/support/addon/, installed for good (the profile allows
  unsigned add-ons), with notes in its localStorage, IndexedDB and
  storage.local;
- the session files of a second, short start (the user's next one, which
  reads back the bookmarks and the add-on's notes): the visits' session as
  sessionstore-backups/previous.jsonlz4 and upgrade.jsonlz4-<build>, its tabs
  as closed tabs in sessionstore.jsonlz4, and in sessionstore-backups/ the
  recovery files Firefox wrote during the visits (the closed tab), which a
  clean quit removes and a crash leaves behind.

WORK_DIR/fresh.json records what the second start read (bookmark rows, the
add-on's id, address and notes), for tests/firefox/profile/reopen_profile.py.
"""
import http.server
import json
import os
import shutil
import sys
import threading
import time
import zlib

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
from marionette import marionette_session  # noqa: E402
sys.path.insert(0, os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "..", "support"))
from test_site import SiteHandler  # noqa: E402
import kept_addon  # noqa: E402
import no_trace  # noqa: E402
import visited_sites  # noqa: E402
from visited_sites import KEPT_PAGE, KEPT_TITLE  # noqa: E402
from reopen_profile import read_back  # noqa: E402

PORT = 8080
SITE = f"http://127.0.0.1:{PORT}"
OTHER_SITE = f"http://localhost:{PORT}"  # a second origin on the same server

ICON = bytes.fromhex(
    "89504e470d0a1a0a0000000d4948445200000001000000010806000000"
    "1f15c4890000000d49444154789c6360f8cfc0f01f0005fe02fea7d5a1f00000000049454e44ae426082")


class Site(SiteHandler):
    def do_GET(self):
        if visited_sites.answer(self):
            return
        path = self.path.split("?")[0]
        if path == "/favicon.png":
            self._reply(ICON, "image/png")
        elif path.startswith("/files/"):
            body = b"download body " * 64
            self._reply(body, "application/octet-stream",
                        {"Content-Disposition": f'attachment; filename="{path[7:]}"'})
        else:
            name = path.strip("/").replace("/", " ")
            page = (f"<!doctype html><html><head><title>{name} page</title>"
                    "<link rel='icon' href='/favicon.png'></head>"
                    f"<body><h1>{name}</h1><p>A page of the test site.</p></body></html>")
            self._reply(page.encode(), "text/html; charset=utf-8",
                        {"Set-Cookie": f"seen_{zlib.crc32(path.encode()) % 1000}=1; Path=/; Max-Age=31536000"})


PREFS = {
    "marionette.port": 2828,
    "browser.shell.checkDefaultBrowser": False,
    "browser.startup.homepage_override.mstone": "ignore",
    "browser.aboutwelcome.enabled": False,
    "startup.homepage_welcome_url": "",
    "browser.startup.page": 0,
    "datareporting.policy.dataSubmissionEnabled": False,
    "toolkit.telemetry.reportingpolicy.firstRun": False,
    "app.update.disabledForTesting": True,
    "browser.safebrowsing.malware.enabled": False,
    "browser.safebrowsing.phishing.enabled": False,
    "browser.safebrowsing.downloads.enabled": False,
    "browser.newtabpage.enabled": False,
    "browser.newtabpage.activity-stream.feeds.system.topstories": False,
    "extensions.update.enabled": False,
    "network.captive-portal-service.enabled": False,
    "network.connectivity-service.enabled": False,
    "browser.download.folderList": 2,
    "browser.download.useDownloadDir": True,
    "browser.download.always_ask_before_handling_new_types": False,
    "browser.helperApps.neverAsk.saveToDisk": "application/octet-stream",
    "browser.download.panel.shown": True,
    "browser.places.interactions.enabled": True,
    "places.history.enabled": True,
    "xpinstall.signatures.required": False,
}

# Prefs for this session only, cleared before Firefox quits: the proxy for the
# made-up sites (127.0.0.1 and localhost stay direct), plain http for them, the
# one treated as secure (a service worker on http also needs the testing switch,
# and its page's icon would otherwise be upgraded to https as mixed content).
SESSION_PREFS = {
    "network.proxy.type": 1,
    "network.proxy.http": "127.0.0.1",
    "network.proxy.http_port": PORT,
    "dom.security.https_first": False,
    "dom.security.https_first_schemeless": False,
    "dom.securecontext.allowlist": visited_sites.SECURE,
    "dom.serviceWorkers.testing.enabled": True,
    "security.mixed_content.upgrade_display_content": False,
    "privacy.bounceTrackingProtection.enableTestMode": True,
}

CLEAR_SESSION_PREFS = """
for (const name of arguments[0]) Services.prefs.clearUserPref(name);
return arguments[0].length;
"""

# Waits until Firefox keeps an icon for each page.
ICONS_STORED = """
const { PlacesUtils } = ChromeUtils.importESModule("resource://gre/modules/PlacesUtils.sys.mjs");
const missing = [];
for (const url of arguments[0]) {
  let icon = null;
  for (let i = 0; i < 100 && !icon; i++) {
    icon = await PlacesUtils.favicons.getFaviconForPage(Services.io.newURI(url));
    if (!icon) await new Promise(resolve => setTimeout(resolve, 50));
  }
  if (!icon) missing.push(url);
}
return missing;
"""

ADDON_HOST = """
return WebExtensionPolicy.getByID(arguments[0]).mozExtensionHostname;
"""

CHROME_SETUP = """
const { PlacesUtils } = ChromeUtils.importESModule("resource://gre/modules/PlacesUtils.sys.mjs");
const { FormHistory } = ChromeUtils.importESModule("resource://gre/modules/FormHistory.sys.mjs");
const { Downloads } = ChromeUtils.importESModule("resource://gre/modules/Downloads.sys.mjs");
"""

BOOKMARKS = """
const [site, other] = arguments;
const B = PlacesUtils.bookmarks;
const reading = await B.insert({ parentGuid: B.menuGuid, type: B.TYPE_FOLDER, title: "Reading" });
const recipes = await B.insert({ parentGuid: reading.guid, type: B.TYPE_FOLDER, title: "Recipes" });
const work = await B.insert({ parentGuid: B.toolbarGuid, type: B.TYPE_FOLDER, title: "Work" });
const marks = [
  [reading.guid, site + "/bookmarked/article-one", "Bookmarked article one", ["longread"], "art1"],
  [reading.guid, "https://bookmarked-only.example/unvisited?id=7", "Bookmarked but never visited", [], null],
  [recipes.guid, other + "/bookmarked/bread", "Bookmarked bread recipe", ["food", "baking"], "bread"],
  [work.guid, site + "/bookmarked/visited-too", "Bookmarked and visited", ["work"], null],
  [B.toolbarGuid, "https://bookmarked-toolbar.example/", "Bookmarked toolbar site", [], "tb"],
  [B.unfiledGuid, site + "/bookmarked/unfiled", "Bookmarked unfiled page", ["misc"], null],
  [B.toolbarGuid, arguments[2], arguments[3], [], null],
];
for (const [parentGuid, url, title, tags, keyword] of marks) {
  await B.insert({ parentGuid, url, title });
  if (tags.length) PlacesUtils.tagging.tagURI(Services.io.newURI(url), tags);
  if (keyword) await PlacesUtils.keywords.insert({ keyword, url });
}
await B.insert({ parentGuid: B.menuGuid, type: B.TYPE_SEPARATOR });
return marks.length;
"""

HISTORY = """
const [site] = arguments;
const T = PlacesUtils.history.TRANSITIONS;
const day = 24 * 3600 * 1000;
const now = Date.now();
const typed = [
  "https://typed-secret-bank.example/login?user=history-secret-typed-1",
  "https://history-secret-typed.example/inbox",
  site + "/history-secret/typed-page",
];
for (const [i, url] of typed.entries()) {
  await PlacesUtils.history.insert({ url, title: "history-secret typed " + i,
    visits: [{ transition: T.TYPED, date: new Date(now - (i + 1) * day) },
             { transition: T.LINK, date: new Date(now - i * day - 3600000) }] });
}
await PlacesUtils.history.insertMany([
  { url: "https://history-secret-news.example/story/42", title: "history-secret news story",
    visits: [{ transition: T.LINK, date: new Date(now - 2 * day) }] },
  { url: site + "/bookmarked/visited-too", title: "Bookmarked and visited",
    visits: [{ transition: T.TYPED, date: new Date(now - 3 * day) },
             { transition: T.LINK, date: new Date(now - day) }] },
]);
return typed.length;
"""

INPUT_HISTORY_AND_METADATA = """
const [site] = arguments;
const { UrlbarUtils } = ChromeUtils.importESModule("moz-src:///browser/components/urlbar/UrlbarUtils.sys.mjs");
await UrlbarUtils.addToInputHistory(site + "/history-secret/alpha", "hist");
await UrlbarUtils.addToInputHistory("https://history-secret-typed.example/inbox", "history-se");
await UrlbarUtils.addToInputHistory(site + "/bookmarked/article-one", "book");
// Page metadata as the interactions recorder writes it (its own module only
// writes after real user input, which a headless run has none of).
await PlacesUtils.withConnectionWrapper("make_profile", async db => {
  const now = Date.now();
  for (const url of [site + "/history-secret/alpha", site + "/history-secret/beta",
                     site + "/bookmarked/visited-too"]) {
    await db.execute(
      `INSERT INTO moz_places_metadata (place_id, referrer_place_id, created_at, updated_at,
         total_view_time, typing_time, key_presses, scrolling_time, scrolling_distance, document_type)
       SELECT id, NULL, :now, :now, 15000, 1200, 40, 800, 2000, 1 FROM moz_places WHERE url_hash = hash(:url) AND url = :url`,
      { url, now });
  }
  await db.execute(`INSERT OR IGNORE INTO moz_places_metadata_search_queries (terms) VALUES ('history-secret query')`);
});
return true;
"""

FORMS = """
await FormHistory.update([
  { op: "add", fieldname: "searchbar-history", value: "form-secret search words" },
  { op: "add", fieldname: "email", value: "form-secret@example.com" },
]);
return (await FormHistory.count({})) ;
"""

DOWNLOAD = """
const [url, target] = arguments;
const list = await Downloads.getList(Downloads.PUBLIC);
const download = await Downloads.createDownload({ source: url, target });
await list.add(download);
await download.start();
await download.whenSucceeded();
// Firefox writes the download's page annotations when the list reports the change.
for (let i = 0; i < 50; i++) {
  const rows = await PlacesUtils.withConnectionWrapper("make_profile", db => db.execute(
    `SELECT count(*) AS n FROM moz_annos a JOIN moz_anno_attributes n ON n.id = a.anno_attribute_id
     WHERE n.name = 'downloads/metaData'`));
  if (rows[0].getResultByName("n") > 0) return true;
  await new Promise(r => setTimeout(r, 100));
}
return false;
"""

# What Firefox notes through its own services when the user browses further,
# each on a host of its own: bounce-tracking protection noting a site the user
# was bounced through and one the user acted on; the permissions it grants by
# itself when the user interacts with a site and a third-party frame in it,
# with the time of that interaction. Then the user's own choices for another
# site: its notifications allowed and its pages zoomed.
RICHER_ACTS = """
const [bounce, interact, frame, settings] = arguments;
const principal = host =>
  Services.scriptSecurityManager.createContentPrincipal(Services.io.newURI(`http://${host}/`), {});
const btp = Cc["@mozilla.org/bounce-tracking-protection;1"].getService(Ci.nsIBounceTrackingProtection);
btp.testAddBounceTrackerCandidate({}, bounce, Date.now() * 1000);
btp.testAddUserActivation({}, interact, Date.now() * 1000);
const P = Services.perms;
const tomorrow = Date.now() + 24 * 3600 * 1000;
for (const type of ["storageAccessAPI", `3rdPartyStorage^http://${frame}`, `3rdPartyFrameStorage^http://${frame}`])
  P.addFromPrincipal(principal(interact), type, P.ALLOW_ACTION, P.EXPIRE_TIME, tomorrow);
P.updateLastInteractionForPrincipal(principal(interact));
P.addFromPrincipal(principal(settings), "desktop-notification", P.ALLOW_ACTION);
const prefs = Cc["@mozilla.org/content-pref/service;1"].getService(Ci.nsIContentPrefService2);
await new Promise((resolve, reject) => prefs.set(settings, "browser.content.full-zoom", 1.5, null,
  { handleCompletion: resolve, handleError: reject }));
return [btp.testGetBounceTrackerCandidateHosts({}).length, btp.testGetUserActivationHosts({}).length];
"""

RECALCULATE = """
// Bring every frecency up to date, as Firefox does on idle.
try {
  const recalc = Cc["@mozilla.org/places/frecency-recalculator;1"].getService().wrappedJSObject;
  await recalc.recalculateAnyOutdatedFrecencies();
} catch (e) {
  return "not recalculated: " + e;
}
return true;
"""


def write_prefs(profile):
    with open(os.path.join(profile, "user.js"), "w") as f:
        for key, value in {**PREFS, **SESSION_PREFS}.items():
            f.write(f"user_pref({json.dumps(key)}, {json.dumps(value)});\n")


def visit_sites(client):
    """The made-up sites, each tab of visited_sites.TABS in a tab of its own
    (left open), one more tab closed again, then the kept page in the first
    tab. Every page writes its data, and Firefox stores its icon, before the
    next one."""
    main = client.window_handle()
    for tab in visited_sites.TABS + [visited_sites.CLOSED_TAB]:
        client.new_tab()
        for url in tab:
            client.navigate(url)
            print(f"  {url}: {visited_sites.check_visit(url, client.run_async(visited_sites.WAIT_FOR_TRACES))}")
            icons_stored(client, [url])
    client.close_tab()
    client.switch_to(main)
    client.navigate(KEPT_PAGE)
    icons_stored(client, [KEPT_PAGE])


def icons_stored(client, urls):
    client.set_context("chrome")
    missing = client.run_async(ICONS_STORED, [urls])
    client.set_context("content")
    if missing:
        raise RuntimeError(f"Firefox stored no icon for {missing}")


def keep_notes(client, xpi):
    """Installs the add-on and lets its page write its notes in a tab of its own: its id."""
    addon = client.install_addon(xpi)
    client.set_context("chrome")
    host = client.run_async(ADDON_HOST, [addon])
    client.set_context("content")
    main = client.window_handle()
    client.new_tab()
    client.navigate(f"moz-extension://{host}/{kept_addon.PAGE}")
    outcome = json.loads(client.run_async(kept_addon.WAIT_FOR_PAGE))
    failures = kept_addon.check_notes(outcome, "made profile")
    if failures:
        raise RuntimeError("; ".join(failures))
    client.close_tab()
    client.switch_to(main)
    return addon


SAVE_SESSION = """
const { SessionSaver } = ChromeUtils.importESModule("resource:///modules/sessionstore/SessionSaver.sys.mjs");
for (let i = 0; i < 2; i++) await SessionSaver.run();
return true;
"""


def keep_recovery_files(client, profile, work):
    """Copies of the session's recovery files, taken while Firefox runs, once
    both hold the closed tab (each save keeps the one before as the backup, so
    two saves in a row): a clean quit removes them, a crash or a power cut
    leaves them behind. (While it runs headless, Firefox writes only the
    closed tabs there; the open ones reach sessionstore.jsonlz4 as it quits.)"""
    client.run_async(SAVE_SESSION)
    backups = os.path.join(profile, "sessionstore-backups")
    host = visited_sites.CLOSED_TAB[0].split("/")[2].split(":")[0].encode()
    deadline = time.monotonic() + 10
    while time.monotonic() < deadline:
        try:
            if all(host in no_trace.mozlz4(open(os.path.join(backups, n), "rb").read())
                   for n in ("recovery.jsonlz4", "recovery.baklz4")):
                break
        except (OSError, no_trace.Damaged):
            pass  # not written yet, or being written
        time.sleep(0.1)
    else:
        raise RuntimeError("Firefox wrote no recovery files that hold the closed tab")
    kept = os.path.join(work, "sessionstore-backups")
    shutil.copytree(backups, kept)
    return kept


def main():
    profile, work = (os.path.abspath(p) for p in sys.argv[1:3])
    downloads = os.path.join(work, "downloads")
    home = os.path.join(work, "home")
    for folder in (profile, downloads, home):
        os.makedirs(folder, exist_ok=True)
    write_prefs(profile)
    with open(os.path.join(profile, "user.js"), "a") as f:
        f.write(f'user_pref("browser.download.dir", {json.dumps(downloads)});\n')

    server = http.server.ThreadingHTTPServer(("127.0.0.1", PORT), Site)
    threading.Thread(target=server.serve_forever, daemon=True).start()

    try:
        with marionette_session(profile, home, os.path.join(work, "firefox.log")) as client:
            for name in ("history-secret/alpha", "history-secret/beta", "bookmarked/visited-too"):
                client.navigate(f"{SITE}/{name}")
            client.navigate(f"{OTHER_SITE}/history-secret/other-origin")
            visit_sites(client)
            client.set_context("chrome")
            steps = [
                ("bookmarks", BOOKMARKS, [SITE, OTHER_SITE, KEPT_PAGE, KEPT_TITLE]),
                ("history", HISTORY, [SITE]),
                ("input history and metadata", INPUT_HISTORY_AND_METADATA, [SITE]),
                ("form history", FORMS, []),
                ("download", DOWNLOAD, [f"{SITE}/files/download-secret-report.bin",
                                        os.path.join(downloads, "download-secret-report.bin")]),
                ("frecency", RECALCULATE, []),
                ("bounce tracking, interaction permissions, site settings", RICHER_ACTS,
                 [visited_sites.BOUNCE, visited_sites.INTERACT, visited_sites.FRAME, visited_sites.SETTINGS_SITE]),
            ]
            for name, script, args in steps:
                result = client.run_async(CHROME_SETUP + script, args)
                print(f"  {name}: {result}")
            client.set_context("content")
            addon = keep_notes(client, kept_addon.make_xpi(os.path.join(work, "kept-notes.xpi")))
            client.set_context("chrome")
            recovery = keep_recovery_files(client, profile, work)
            client.run_async(CLEAR_SESSION_PREFS, [list(SESSION_PREFS)])
    finally:
        server.shutdown()
    for leftover in ("user.js",):
        os.remove(os.path.join(profile, leftover))
    # The user's next start, which reads back what the profile keeps.
    fresh = read_back(profile, home, os.path.join(work, "firefox-next.log"), addon)
    failures = kept_addon.check_notes(fresh["notes"] or {"failed": f"the add-on is not running: {fresh['addon']}"},
                                      "next start")
    if failures:
        raise RuntimeError("; ".join(failures))
    shutil.copytree(recovery, os.path.join(profile, "sessionstore-backups"), dirs_exist_ok=True)
    with open(os.path.join(work, "fresh.json"), "w") as f:
        json.dump(fresh, f, indent=1)
    shutil.rmtree(downloads, ignore_errors=True)


if __name__ == "__main__":
    main()
