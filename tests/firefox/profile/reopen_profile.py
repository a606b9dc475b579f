"""Starts Firefox on a copy of a whole profile (the fresh one the maker wrote,
or one that Vorlane cleaned) and checks that Firefox takes it as the user
left it: no file set aside as corrupt, the same bookmarks as the maker
recorded, read by Firefox itself, and the add-on still installed with its
notes readable from its own page (localStorage, IndexedDB, storage.local).

Usage: reopen_profile.py PROFILE FRESH_JSON WORK_DIR [SIGNED_IN_HOST]
FRESH_JSON is what make_profile.py recorded (WORK_DIR/fresh.json there).
With SIGNED_IN_HOST, a page of that site must still read its cookie,
localStorage and IndexedDB (tests/support/signed_in.py).
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
import signed_in  # noqa: E402
from reopening import fresh_copy, set_aside, verdict  # noqa: E402

ADDON_STATE = """
const { AddonManager } = ChromeUtils.importESModule("resource://gre/modules/AddonManager.sys.mjs");
const addon = await AddonManager.getAddonByID(arguments[0]);
const policy = WebExtensionPolicy.getByID(arguments[0]);
return { installed: !!addon, active: !!(addon && addon.isActive), host: policy ? policy.mozExtensionHostname : null };
"""


# The signed-in page's server as the proxy for this session only, and plain http.
PROXY_PREFS = """
const [port] = arguments;
Services.prefs.setIntPref("network.proxy.type", 1);
Services.prefs.setStringPref("network.proxy.http", "127.0.0.1");
Services.prefs.setIntPref("network.proxy.http_port", port);
Services.prefs.setBoolPref("dom.security.https_first", false);
Services.prefs.setBoolPref("dom.security.https_first_schemeless", false);
return true;
"""
CLEAR_PROXY_PREFS = """
for (const name of ["network.proxy.type", "network.proxy.http", "network.proxy.http_port",
                    "dom.security.https_first", "dom.security.https_first_schemeless"])
  Services.prefs.clearUserPref(name);
return true;
"""


def read_site(client, host):
    """What a page of `host` reads of what the site kept."""
    with signed_in.site_server() as port:
        client.set_context("chrome")
        client.run_async(PROXY_PREFS, [port])
        client.set_context("content")
        client.navigate(f"http://{host}{signed_in.PATH}")
        seen = json.loads(client.run_async(signed_in.READ_SITE))
        client.set_context("chrome")
        client.run_async(CLEAR_PROXY_PREFS)
    return seen


def is_set_aside(name):
    """places.sqlite.corrupt, Invalidprefs.js and the like: a file Firefox gave up on."""
    return "corrupt" in name.lower() or name.lower().startswith("invalid")


def read_back(profile, home, log_path, addon_id, host=None):
    """Starts Firefox on the profile: the bookmark rows it reads, the add-on's
    state, the notes the add-on's page reads (None when it is not running),
    and with `host` what a page of that site reads of what it kept."""
    with marionette_session(profile, home, log_path) as client:
        client.set_context("chrome")
        bookmarks = client.run_async(READ_ROWS, [BOOKMARKS])
        state = client.run_async(ADDON_STATE, [addon_id])
        notes = None
        if state["active"]:
            client.set_context("content")
            client.navigate(f"moz-extension://{state['host']}/{kept_addon.PAGE}#read")
            notes = json.loads(client.run_async(kept_addon.WAIT_FOR_PAGE))
        site = read_site(client, host) if host else {}
    return {"bookmarks": bookmarks, "addon": dict(state, id=addon_id), "notes": notes, "site": site}


def main():
    source, fresh_path, work = (os.path.abspath(p) for p in sys.argv[1:4])
    profile, fresh = fresh_copy(source, fresh_path, work, "profile",
                                lambda name: name in ("lock", ".parentlock", "parent.lock"))
    addon = fresh["addon"]
    failures = [f"set aside before the start: {name}" for name in set_aside(profile, is_set_aside)]

    host = sys.argv[4] if len(sys.argv) > 4 else None
    seen = read_back(profile, os.path.join(work, "home"), os.path.join(work, "firefox.log"), addon["id"], host)
    if host:
        failures += signed_in.failures(seen["site"], host)
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
            f"{ {k: (notes or {}).get(k) for k in kept_addon.NOTES} }" + (f", signed in: {seen['site']}" if host else ""),
            failures)

if __name__ == "__main__":
    main()
