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
- cookies, form history (values hold "form-secret"), favicons and cache2 entries.
"""
import http.server
import json
import os
import shutil
import sys
import threading
import zlib

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
from marionette import marionette_session  # noqa: E402
sys.path.insert(0, os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "..", "support"))
from test_site import SiteHandler  # noqa: E402

PORT = 8080
SITE = f"http://127.0.0.1:{PORT}"
OTHER_SITE = f"http://localhost:{PORT}"  # a second origin on the same server

ICON = bytes.fromhex(
    "89504e470d0a1a0a0000000d4948445200000001000000010806000000"
    "1f15c4890000000d49444154789c6360f8cfc0f01f0005fe02fea7d5a1f00000000049454e44ae426082")


class Site(SiteHandler):
    def do_GET(self):
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
}

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
        for key, value in PREFS.items():
            f.write(f"user_pref({json.dumps(key)}, {json.dumps(value)});\n")


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
            client.set_context("chrome")
            steps = [
                ("bookmarks", BOOKMARKS, [SITE, OTHER_SITE]),
                ("history", HISTORY, [SITE]),
                ("input history and metadata", INPUT_HISTORY_AND_METADATA, [SITE]),
                ("form history", FORMS, []),
                ("download", DOWNLOAD, [f"{SITE}/files/download-secret-report.bin",
                                        os.path.join(downloads, "download-secret-report.bin")]),
                ("frecency", RECALCULATE, []),
            ]
            for name, script, args in steps:
                result = client.run_async(CHROME_SETUP + script, args)
                print(f"  {name}: {result}")
    finally:
        server.shutdown()
    for leftover in ("user.js",):
        os.remove(os.path.join(profile, leftover))
    shutil.rmtree(downloads, ignore_errors=True)


if __name__ == "__main__":
    main()
