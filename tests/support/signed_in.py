"""Whether a browser started on a cleaned profile is still signed in to a
site on the keep list: a page of that site, as the user's next visit would
open it, reads the cookies, the localStorage and the IndexedDB that the
visited pages wrote (tests/support/visited_sites.py). The page comes from a
small server that is also the browser's HTTP proxy for the made-up host
names; it sets no cookie and runs no script of its own."""
import contextlib
import http.server
import threading

from test_site import SiteHandler

PATH = "/signed-in"

# Runs in the site's page. Opening a database that is not there would create
# it, so only one the browser lists is opened.
READ_SITE = """
const names = (await indexedDB.databases()).map(d => d.name);
let pages = [];
if (names.includes("visits")) {
  const db = await new Promise((resolve, reject) => {
    const open = indexedDB.open("visits");
    open.onsuccess = () => resolve(open.result);
    open.onerror = () => reject(open.error);
  });
  pages = await new Promise((resolve, reject) => {
    const keys = db.transaction("pages").objectStore("pages").getAllKeys();
    keys.onsuccess = () => resolve(keys.result);
    keys.onerror = () => reject(keys.error);
  });
  db.close();
}
return JSON.stringify({ cookie: document.cookie, localStorage: localStorage.getItem("last-page"), indexedDB: pages });
"""


class ReadPage(SiteHandler):
    def do_GET(self):
        self._reply(b"<!doctype html><html><head><title>Signed in</title></head><body></body></html>",
                    "text/html; charset=utf-8")


@contextlib.contextmanager
def site_server():
    """Serves the page on a free port of 127.0.0.1; yields the port."""
    server = http.server.ThreadingHTTPServer(("127.0.0.1", 0), ReadPage)
    threading.Thread(target=server.serve_forever, daemon=True).start()
    try:
        yield server.server_address[1]
    finally:
        server.shutdown()
        server.server_close()


def failures(seen, host):
    """What the page should have read of `host` and did not."""
    found = []
    if "visit_" not in (seen.get("cookie") or ""):
        found.append(f"{host}: the browser sends it no cookie ({seen})")
    if not (seen.get("localStorage") or "").startswith(f"http://{host}/"):
        found.append(f"{host}: its localStorage lost the last page ({seen})")
    if not seen.get("indexedDB"):
        found.append(f"{host}: its IndexedDB holds no visited page ({seen})")
    return found
