"""The add-on that the profile makers install (tests/support/addon/): its page
keeps a note in localStorage, IndexedDB and the add-on storage area, data that
a cleaner must leave alone. One folder serves both browsers: Chromium reads
`key` (which fixes the extension's id), Firefox `browser_specific_settings`.
"""
import base64
import hashlib
import json
import os
import zipfile

FOLDER = os.path.join(os.path.dirname(os.path.abspath(__file__)), "addon")
PAGE = "notes.html"
# What the page reads back after writing (besides the bookmarks).
NOTES = {"localStorage": "remember the milk", "indexedDB": "remember the milk", "storageLocal": "dark theme"}

# Script for the drivers: waits for the page to finish and returns its outcome.
WAIT_FOR_PAGE = """
for (let i = 0; i < 400; i++) {
  if (document.documentElement.getAttribute("data-done"))
    return document.getElementById("result").textContent;
  await new Promise(resolve => setTimeout(resolve, 25));
}
return JSON.stringify({ failed: "the page did not finish" });
"""


def manifest():
    with open(os.path.join(FOLDER, "manifest.json")) as f:
        return json.load(f)


def firefox_id():
    return manifest()["browser_specific_settings"]["gecko"]["id"]


def chromium_id():
    """Chromium's id for the extension: the first 128 bits of the SHA-256 of
    its public key, written with the letters a to p."""
    digest = hashlib.sha256(base64.b64decode(manifest()["key"])).hexdigest()[:32]
    return "".join(chr(ord("a") + int(c, 16)) for c in digest)


def make_xpi(path):
    """The add-on packed as Firefox installs it."""
    with zipfile.ZipFile(path, "w", zipfile.ZIP_DEFLATED) as xpi:
        for name in sorted(os.listdir(FOLDER)):
            xpi.write(os.path.join(FOLDER, name), name)
    return path


def check_notes(outcome, where):
    """The notes the page read back, as failure texts (none when all are there)."""
    if "failed" in outcome:
        return [f"{where}: the add-on's page failed: {outcome['failed']}"]
    return [f"{where}: the add-on reads {key} = {outcome.get(key)!r}, not {value!r}"
            for key, value in NOTES.items() if outcome.get(key) != value]
