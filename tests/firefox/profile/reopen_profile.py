"""Starts Firefox on a copy of a whole profile (the fresh one the maker wrote,
or one that Vorlane cleaned) and checks that Firefox takes it as the user
left it: no file set aside as corrupt, the same bookmarks as the maker
recorded, read by Firefox itself, and the add-on still installed with its
notes readable from its own page (localStorage, IndexedDB, storage.local).

Usage: reopen_profile.py PROFILE FRESH_JSON WORK_DIR
FRESH_JSON is what make_profile.py recorded (WORK_DIR/fresh.json there).
Run inside a network namespace that has only loopback.
"""
import json
import os
import sys

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
from marionette import marionette_session  # noqa: E402
from places import BOOKMARKS, READ_ROWS  # noqa: E402
sys.path.insert(0, os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "..", "support"))
import kept_addon  # noqa: E402
from reopening import fresh_copy, set_aside, verdict  # noqa: E402

ADDON_STATE = """
const { AddonManager } = ChromeUtils.importESModule("resource://gre/modules/AddonManager.sys.mjs");
const addon = await AddonManager.getAddonByID(arguments[0]);
const policy = WebExtensionPolicy.getByID(arguments[0]);
return { installed: !!addon, active: !!(addon && addon.isActive), host: policy ? policy.mozExtensionHostname : null };
"""


def is_set_aside(name):
    """places.sqlite.corrupt, Invalidprefs.js and the like: a file Firefox gave up on."""
    return "corrupt" in name.lower() or name.lower().startswith("invalid")


def read_back(profile, home, log_path, addon_id):
    """Starts Firefox on the profile: the bookmark rows it reads, the add-on's
    state, and the notes the add-on's page reads (None when it is not running)."""
    with marionette_session(profile, home, log_path) as client:
        client.set_context("chrome")
        bookmarks = client.run_async(READ_ROWS, [BOOKMARKS])
        state = client.run_async(ADDON_STATE, [addon_id])
        notes = None
        if state["active"]:
            client.set_context("content")
            client.navigate(f"moz-extension://{state['host']}/{kept_addon.PAGE}#read")
            notes = json.loads(client.run_async(kept_addon.WAIT_FOR_PAGE))
    return {"bookmarks": bookmarks, "addon": dict(state, id=addon_id), "notes": notes}


def main():
    source, fresh_path, work = (os.path.abspath(p) for p in sys.argv[1:4])
    profile, fresh = fresh_copy(source, fresh_path, work, "profile",
                                lambda name: name in ("lock", ".parentlock", "parent.lock"))
    addon = fresh["addon"]
    failures = [f"set aside before the start: {name}" for name in set_aside(profile, is_set_aside)]

    seen = read_back(profile, os.path.join(work, "home"), os.path.join(work, "firefox.log"), addon["id"])
    bookmarks, state, notes = seen["bookmarks"], seen["addon"], seen["notes"]
    failures += [f"Firefox set aside {name}" for name in set_aside(profile, is_set_aside)]
    if bookmarks != fresh["bookmarks"]:
        failures.append(f"Firefox reads {len(bookmarks)} bookmark rows, not the {len(fresh['bookmarks'])} recorded")
    if not state["active"]:
        failures.append(f"the add-on is not running: {state}")
    elif state["host"] != addon["host"]:
        failures.append(f"the add-on has a new address {state['host']} (its data was under {addon['host']})")
    else:
        failures += kept_addon.check_notes(notes, "reopened profile")
    verdict("Firefox", f"{len(bookmarks)} bookmark rows, add-on {state}, notes "
            f"{ {k: (notes or {}).get(k) for k in kept_addon.NOTES} }", failures)

if __name__ == "__main__":
    main()
