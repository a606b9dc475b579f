"""Starts Chromium on a copy of a whole User Data folder (the fresh one the
maker wrote, or one that Vorlane cleaned) and checks that the browser takes it
as the user left it: Preferences not set aside or reset (the user's settings,
tracked ones too, still there), the same bookmarks as the maker recorded, read
by the browser itself through the extension, and the extension's notes
readable from its own page (localStorage, IndexedDB, chrome.storage.local).

Usage: reopen.py USER_DATA_DIR FRESH_JSON WORK_DIR [SIGNED_IN_HOST]
FRESH_JSON is what make_profile.py recorded (WORK_DIR/fresh.json there).
With SIGNED_IN_HOST, a page of that site must still read its cookie,
localStorage and IndexedDB (tests/support/signed_in.py).
Run inside a network namespace that has only loopback.
"""
import json
import os
import sys

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
from cdp import chromium_session  # noqa: E402
sys.path.insert(0, os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "..", "support"))
import kept_addon  # noqa: E402
import signed_in  # noqa: E402
from reopening import fresh_copy, set_aside, verdict  # noqa: E402


def lookup(tree, path):
    """The value at a dotted path of a JSON tree; None when it is not there."""
    for name in path.split("."):
        if not isinstance(tree, dict) or name not in tree:
            return None
        tree = tree[name]
    return tree


def read_back(user_data, home, log_path, args=(f"--load-extension={kept_addon.FOLDER}",)):
    """Starts the browser with the extension and returns what the extension's
    page reads: its notes and the bookmarks the browser holds."""
    with chromium_session(user_data, home, log_path, args) as cdp:
        _, session = cdp.open_tab()
        cdp.send("Page.navigate", {"url": f"chrome-extension://{kept_addon.chromium_id()}/{kept_addon.PAGE}#read"},
                 session)
        cdp.wait_for("Page.loadEventFired", session=session)
        return json.loads(cdp.evaluate(session, kept_addon.WAIT_FOR_PAGE))


def linux_layout(profile):
    """Debian's chromium keeps the cookies in the profile itself, where the
    browser on Windows keeps them in the Network folder (make_profile.py moved
    them there): put them back for it, over any it made at an earlier start."""
    for name in ("Cookies", "Cookies-journal"):
        if os.path.exists(os.path.join(profile, name)):
            os.remove(os.path.join(profile, name))
        if os.path.exists(os.path.join(profile, "Network", name)):
            os.replace(os.path.join(profile, "Network", name), os.path.join(profile, name))


def read_site(user_data, home, log_path, host):
    """Starts the browser again, its proxy the signed-in page's server, and
    returns what a page of `host` reads of what the site kept."""
    linux_layout(os.path.join(user_data, "Default"))
    with signed_in.site_server() as port:
        args = (f"--proxy-server=http://127.0.0.1:{port}", f"--load-extension={kept_addon.FOLDER}")
        with chromium_session(user_data, home, log_path, args) as cdp:
            _, session = cdp.open_tab()
            cdp.send("Page.navigate", {"url": f"http://{host}{signed_in.PATH}"}, session)
            cdp.wait_for("Page.loadEventFired", session=session)
            return json.loads(cdp.evaluate(session, signed_in.READ_SITE))


def settings_lost(user_data, settings):
    """{dotted path: value in Preferences} for each of `settings` that Preferences no longer holds."""
    with open(os.path.join(user_data, "Default", "Preferences")) as f:
        preferences = json.load(f)
    return {path: lookup(preferences, path) for path, value in settings.items() if lookup(preferences, path) != value}


def is_set_aside(name):
    """Preferences.bad and the like: a file the browser gave up on."""
    return name.endswith(".bad")


def main():
    source, fresh_path, work = (os.path.abspath(p) for p in sys.argv[1:4])
    user_data, fresh = fresh_copy(source, fresh_path, work, "user-data",
                                  lambda name: name == "lockfile" or name.startswith("Singleton"))
    failures = [f"set aside before the start: {name}" for name in set_aside(user_data, is_set_aside)]

    notes = read_back(user_data, os.path.join(work, "home"), os.path.join(work, "chromium.log"))
    failures += [f"the browser set aside {name}" for name in set_aside(user_data, is_set_aside)]
    failures += kept_addon.check_notes(notes, "reopened profile")
    if notes.get("bookmarks") != fresh["bookmarks"]:
        failures.append(f"the browser reads the bookmarks {notes.get('bookmarks')}, not {fresh['bookmarks']}")
    for path, value in settings_lost(user_data, fresh["settings"]).items():
        failures.append(f"Preferences: {path} is {value!r}, not {fresh['settings'][path]!r}")
    if settings_lost(user_data, {"prefs.preference_reset_time": None}):
        failures.append("Preferences: the browser reset tracked settings (prefs.preference_reset_time)")
    site = {}
    if len(sys.argv) > 4:
        site = read_site(user_data, os.path.join(work, "home"), os.path.join(work, "chromium-site.log"), sys.argv[4])
        failures += signed_in.failures(site, sys.argv[4])
    verdict("Chromium", f"{len(notes.get('bookmarks') or [])} bookmarks, extension notes "
            f"{ {k: notes.get(k) for k in kept_addon.NOTES} }, settings checked: {len(fresh['settings'])}"
            + (f", signed in: {site}" if site else ""), failures)

if __name__ == "__main__":
    main()
