"""Starts Chromium on a copy of a whole User Data folder (the fresh one the
maker wrote, or one that Vorlane cleaned) and checks that the browser takes it
as the user left it: Preferences not set aside or reset (the user's settings,
tracked ones too, still there), the same bookmarks as the maker recorded, read
by the browser itself through the extension, and the extension's notes
readable from its own page (localStorage, IndexedDB, chrome.storage.local).

Usage: reopen.py USER_DATA_DIR FRESH_JSON WORK_DIR
FRESH_JSON is what make_profile.py recorded (WORK_DIR/fresh.json there).
Run inside a network namespace that has only loopback.
"""
import json
import os
import shutil
import sys

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
from cdp import chromium_session  # noqa: E402
sys.path.insert(0, os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "..", "support"))
import kept_addon  # noqa: E402


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


def settings_lost(user_data, settings):
    """{dotted path: value in Preferences} for each of `settings` that Preferences no longer holds."""
    with open(os.path.join(user_data, "Default", "Preferences")) as f:
        preferences = json.load(f)
    return {path: lookup(preferences, path) for path, value in settings.items() if lookup(preferences, path) != value}


def set_aside(folder):
    """Files the browser writes when it gave up on one (Preferences.bad, ...)."""
    return sorted(os.path.relpath(os.path.join(top, name), folder)
                  for top, _, files in os.walk(folder) for name in files if name.endswith(".bad"))


def main():
    source, fresh_path, work = (os.path.abspath(p) for p in sys.argv[1:4])
    with open(fresh_path) as f:
        fresh = json.load(f)
    shutil.rmtree(work, ignore_errors=True)
    user_data = os.path.join(work, "user-data")
    shutil.copytree(source, user_data, symlinks=True)
    for name in os.listdir(user_data):
        if name == "lockfile" or name.startswith("Singleton"):
            os.remove(os.path.join(user_data, name))
    failures = [f"set aside before the start: {name}" for name in set_aside(user_data)]

    notes = read_back(user_data, os.path.join(work, "home"), os.path.join(work, "chromium.log"))
    failures += [f"the browser set aside {name}" for name in set_aside(user_data)]
    failures += kept_addon.check_notes(notes, "reopened profile")
    if notes.get("bookmarks") != fresh["bookmarks"]:
        failures.append(f"the browser reads the bookmarks {notes.get('bookmarks')}, not {fresh['bookmarks']}")
    for path, value in settings_lost(user_data, fresh["settings"]).items():
        failures.append(f"Preferences: {path} is {value!r}, not {fresh['settings'][path]!r}")
    if settings_lost(user_data, {"prefs.preference_reset_time": None}):
        failures.append("Preferences: the browser reset tracked settings (prefs.preference_reset_time)")
    print(f"Chromium: {len(notes.get('bookmarks') or [])} bookmarks, extension notes "
          f"{ {k: notes.get(k) for k in kept_addon.NOTES} }, settings checked: {len(fresh['settings'])}")
    for failure in failures:
        print("FAILED (Chromium):", failure)
    sys.exit(1 if failures else 0)


if __name__ == "__main__":
    main()
