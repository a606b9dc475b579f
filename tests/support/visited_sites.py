"""Made-up web sites that the profile makers visit, so that each browser writes
every kind of data it keeps about a site it saw (history, session files, icons,
cookies, web storage, IndexedDB, a service worker with its cache and files) for
host names that appear nowhere else. After a pass with every box ticked, a
cleaned profile must no longer name any of them (tests/support/no_trace.py).

The browsers reach them through an HTTP proxy: the makers' site server on
127.0.0.1, which answers a proxy's absolute-address requests. One more host,
KEPT, is visited and bookmarked: its bookmark and icon are the user's to keep.

The host names share no long prefix: LevelDB stores a key as the part that
differs from the key before it, so two hosts starting alike could hide each
other from a plain byte search.
"""
import struct
import threading
import time
import zlib

VISITED = ("alpha-visit.test", "bravo-visit.test:8081", "charlie-visit.test")
# Treated as a secure origin by the browsers (a command-line switch or a pref),
# so its page can register a service worker and keep Cache Storage and
# origin-private files, which plain http pages cannot.
SECURE = "charlie-visit.test"
# Its pages name no icon, so the browsers fetch /favicon.ico (Firefox keeps it
# as a root icon of the site).
ROOT_ICON = "bravo-visit.test:8081"
KEPT = "kept-bookmark.test"
KEPT_PAGE = f"http://{KEPT}/"
KEPT_TITLE = "Kept bookmark page"

# Hosts of the richer acts, each on a host of its own (tests/support/no_trace.py
# must find none of them after a pass, but in the site settings the user chose):
SEARCH = "hotel-search.test"     # Chromium: its root page links an OpenSearch description
HINTS = "india-hints.test"       # Chromium: asks for client hints (treated as secure)
NOTIFY = "juliet-notify.test"    # Chromium: its service worker shows a notification (treated
                                 # as secure); the user allowed its notifications and zoomed it
BOUNCE = "delta-bounce.test"     # Firefox: noted by bounce-tracking protection
INTERACT = "echo-interact.test"  # Firefox: the user interacted with it and its frame's site
FRAME = "foxtrot-frame.test"     # Firefox: the third-party frame in INTERACT
SETTINGS_SITE = "golf-settings.test"  # Firefox: the user allowed its notifications and zoomed it
LOGIN_PROMPT = "kilo-login.test"  # Chromium: the password manager noted its prompt there
ACTS = (SEARCH, HINTS, NOTIFY, BOUNCE, INTERACT, FRAME, SETTINGS_SITE, LOGIN_PROMPT)
# What the user chose for a site: kept by every box, so a cleaned profile
# still names these hosts in these files (of a User Data folder, of a Firefox
# profile) and nowhere else.
KEPT_SETTINGS = {NOTIFY: ("Default/Preferences",), SETTINGS_SITE: ("permissions.sqlite", "content-prefs.sqlite")}

OPENSEARCH = (f"<?xml version='1.0' encoding='UTF-8'?><OpenSearchDescription "
              f"xmlns='http://a9.com/-/spec/opensearch/1.1/'><ShortName>Hotel search</ShortName>"
              f"<Url type='text/html' method='get' template='http://{SEARCH}/find?q={{searchTerms}}'/>"
              f"</OpenSearchDescription>").encode()

# Shows a notification from the page's service worker (the user allowed them
# for the site) and marks <html data-traces> when it is shown.
NOTIFY_JS = b"""
(async () => {
  const root = document.documentElement;
  try {
    const registration = await navigator.serviceWorker.register("/notify-worker.js");
    await navigator.serviceWorker.ready;
    await registration.showNotification("A notification", { body: "shown by the worker", tag: "visit" });
    const shown = await registration.getNotifications();
    root.dataset.traces = shown.length ? "notification shown" : "no notification";
  } catch (e) {
    root.dataset.traces = "failed: " + e;
  }
})();
"""

# Each inner list is one tab and the pages it visits, in order (so it has
# back and forward history). The makers leave these tabs open when they stop
# the browser, and open and close one more on CLOSED_TAB.
TABS = [
    ["http://alpha-visit.test/first", "http://alpha-visit.test/second", "http://bravo-visit.test:8081/first"],
    ["http://charlie-visit.test/first", "http://charlie-visit.test/second"],
]
CLOSED_TAB = ["http://bravo-visit.test:8081/second"]


def png(size, rgba):
    """A square PNG of one colour."""
    def chunk(kind, data):
        return struct.pack(">I", len(data)) + kind + data + struct.pack(">I", zlib.crc32(kind + data))
    rows = b"".join(b"\0" + bytes(rgba) * size for _ in range(size))
    return (b"\x89PNG\r\n\x1a\n" + chunk(b"IHDR", struct.pack(">IIBBBBB", size, size, 8, 6, 0, 0, 0))
            + chunk(b"IDAT", zlib.compress(rows)) + chunk(b"IEND", b""))


# The sites' icon, at /icon.png (named by the pages) and at /favicon.ico
# (where a browser looks for a page that names none). Chromium keeps no icon
# of 1x1 pixels.
ICON = png(16, (200, 40, 40, 255))

# What every visited page runs: it keeps its address in localStorage,
# sessionStorage and IndexedDB (waiting for the transaction to commit), and on
# a secure origin registers a service worker, fills Cache Storage and writes an
# origin-private file. It marks <html data-traces="..."> when all is written.
TRACES_JS = b"""
(async () => {
  const root = document.documentElement;
  try {
    const kept = [];
    localStorage.setItem("last-page", location.href);
    sessionStorage.setItem("tab-page", location.href);
    kept.push("web storage");
    const db = await new Promise((resolve, reject) => {
      const open = indexedDB.open("visits", 1);
      open.onupgradeneeded = () => open.result.createObjectStore("pages");
      open.onsuccess = () => resolve(open.result);
      open.onerror = () => reject(open.error);
    });
    await new Promise((resolve, reject) => {
      const change = db.transaction("pages", "readwrite");
      change.objectStore("pages").put({ url: location.href, title: document.title }, location.pathname);
      change.oncomplete = resolve;
      change.onerror = () => reject(change.error);
    });
    db.close();
    kept.push("indexeddb");
    if (window.isSecureContext) {
      await navigator.serviceWorker.register("/worker.js");
      await navigator.serviceWorker.ready;
      const cache = await caches.open("visited-pages");
      await cache.put(location.href, new Response(document.title));
      const folder = await navigator.storage.getDirectory();
      const file = await folder.getFileHandle("visit.txt", { create: true });
      const writer = await file.createWritable();
      await writer.write(location.href);
      await writer.close();
      kept.push("service worker, cache storage, files");
    }
    root.dataset.traces = kept.join(", ");
  } catch (e) {
    root.dataset.traces = "failed: " + e;
  }
})();
"""

WORKER_JS = b"""
self.addEventListener("install", event => event.waitUntil(
  caches.open("worker-pages").then(cache => cache.put("/first", new Response("kept by the worker")))));
"""

# Script for the drivers: waits until the page marked what it wrote.
WAIT_FOR_TRACES = """
for (let i = 0; i < 200; i++) {
  const written = document.documentElement.getAttribute("data-traces");
  if (written) return written;
  await new Promise(resolve => setTimeout(resolve, 25));
}
return "nothing written";
"""


def hosts():
    """The visited host names, without ports: the words no cleaned file may hold."""
    return [netloc.split(":")[0] for netloc in VISITED]


def page(netloc, name):
    """The page `name` of a visited host: a title that does not name the host,
    links to the other pages, an icon (named, or left to /favicon.ico on
    ROOT_ICON) and the trace writer."""
    label = netloc.split("-")[0].capitalize()
    links = " ".join(f"<a href='http://{other}/{n}'>{other.split('-')[0]} {n}</a>"
                     for other in VISITED for n in ("first", "second"))
    icon = "" if netloc == ROOT_ICON else "<link rel='icon' href='/icon.png'>"
    return (f"<!doctype html><html><head><meta charset='utf-8'><title>{label} {name} page</title>{icon}"
            f"<script src='/traces.js'></script></head><body><h1>{label} {name}</h1>"
            f"<p>{links}</p></body></html>").encode()


class Served:
    """What the site has sent, so a driver can wait for a browser's requests
    (the icon fetches, which a navigation would cancel)."""
    lock = threading.Condition()
    sent = set()

    @classmethod
    def add(cls, netloc, path):
        with cls.lock:
            cls.sent.add((netloc, path))
            cls.lock.notify_all()

    @classmethod
    def wait(cls, netloc, paths, timeout=10):
        """True once one of `paths` was sent for `netloc`; False after `timeout` seconds."""
        deadline = time.monotonic() + timeout
        with cls.lock:
            while not any((netloc, p) in cls.sent for p in paths):
                left = deadline - time.monotonic()
                if left <= 0:
                    return False
                cls.lock.wait(left)
        return True


def icon_paths(netloc):
    return ("/favicon.ico",) if netloc == ROOT_ICON else ("/icon.png",)


def check_visit(url, written):
    """Raises unless the page at `url` wrote all it writes and the browser
    fetched its icon; returns what it wrote."""
    netloc = url.split("/")[2]
    expected = "web storage, indexeddb" + (", service worker, cache storage, files" if netloc == SECURE else "")
    if written != expected:
        raise RuntimeError(f"{url}: the page wrote {written!r}, not {expected!r}")
    if not Served.wait(netloc, icon_paths(netloc)):
        fetched = sorted(p for n, p in Served.sent if n == netloc)
        raise RuntimeError(f"{url}: the browser fetched no icon (only {fetched})")
    return written


def answer(handler):
    """Answers the request when it is for a made-up host; False otherwise."""
    netloc, path = handler.target()
    if netloc not in VISITED and netloc != KEPT and netloc not in ACTS:
        return False
    if netloc in ACTS:
        answer_act(handler, netloc, path)
    elif path in ("/icon.png", "/favicon.ico"):
        handler._reply(ICON, "image/png")
    elif netloc == KEPT:
        handler._reply((f"<!doctype html><html><head><title>{KEPT_TITLE}</title>"
                        "<link rel='icon' href='/icon.png'></head><body><p>A page worth keeping.</p>"
                        "</body></html>").encode(), "text/html; charset=utf-8")
    elif path == "/traces.js":
        handler._reply(TRACES_JS, "text/javascript")
    elif path == "/worker.js":
        handler._reply(WORKER_JS, "text/javascript")
    else:
        handler._reply(page(netloc, path.strip("/") or "first"), "text/html; charset=utf-8",
                       {"Set-Cookie": f"visit_{zlib.crc32(path.encode()) % 1000}=1; Path=/; Max-Age=31536000"})
    Served.add(netloc, path)
    return True


def answer_act(handler, netloc, path):
    """The pages of the richer acts."""
    title = f"<title>{netloc.split('-')[0].capitalize()} page</title>"
    if path == "/opensearch.xml":
        handler._reply(OPENSEARCH, "application/opensearchdescription+xml")
    elif path == "/notify.js":
        handler._reply(NOTIFY_JS, "text/javascript")
    elif path == "/notify-worker.js":
        handler._reply(b"self.addEventListener('notificationclick', e => e.notification.close());", "text/javascript")
    elif netloc == SEARCH:
        handler._reply((f"<!doctype html><html><head>{title}<link rel='search' type='application/opensearchdescription+xml'"
                        " title='Hotel search' href='/opensearch.xml'></head><body><form action='/find'>"
                        "<input name='q'></form></body></html>").encode(), "text/html; charset=utf-8")
    elif netloc == HINTS:
        handler._reply(f"<!doctype html><html><head>{title}</head><body>hints</body></html>".encode(),
                       "text/html; charset=utf-8",
                       {"Accept-CH": "Sec-CH-UA-Model, Sec-CH-UA-Platform-Version, Sec-CH-UA-Full-Version-List"})
    elif netloc == NOTIFY:
        handler._reply(f"<!doctype html><html><head>{title}<script src='/notify.js'></script></head>"
                       "<body>notify</body></html>".encode(), "text/html; charset=utf-8")
    else:
        handler._reply(f"<!doctype html><html><head>{title}</head><body>{path}</body></html>".encode(),
                       "text/html; charset=utf-8")
    Served.add(netloc, path)
