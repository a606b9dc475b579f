"""Starts Firefox on a profile whose places.sqlite Vorlane erased, and checks
that Firefox takes it as it is: no places.sqlite.corrupt beside it (Firefox
renames a database it cannot use and rebuilds the bookmarks from a backup),
the same bookmarks, read by Firefox itself, as before the erase. Prints every
table's row count before and after, and the frecency Firefox computes again for
the kept pages next to the one the erase set.

Usage: reopen.py ORIGINAL_PROFILE ERASED_PLACES WORK_DIR
Run inside a network namespace that has only loopback.
"""
import os
import shutil
import sqlite3
import sys

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
from marionette import marionette_session  # noqa: E402
from places import BOOKMARKS  # noqa: E402

FRECENCIES = "SELECT url, frecency FROM moz_places ORDER BY url"

READ_IN_FIREFOX = """
const { PlacesUtils } = ChromeUtils.importESModule("resource://gre/modules/PlacesUtils.sys.mjs");
const [bookmarksSql, frecencySql] = arguments;
const read = async sql => (await (await PlacesUtils.promiseDBConnection()).execute(sql))
  .map(row => Array.from({ length: row.numEntries }, (_, i) => row.getResultByIndex(i)));
const bookmarks = await read(bookmarksSql);
const before = await read(frecencySql);
const recalc = Cc["@mozilla.org/places/frecency-recalculator;1"].getService().wrappedJSObject;
await recalc.recalculateAnyOutdatedFrecencies();
const after = await read(frecencySql);
const tree = await PlacesUtils.promiseBookmarksTree();
const count = node => 1 + (node.children || []).reduce((n, c) => n + count(c), 0);
return { bookmarks, before, after, treeSize: count(tree) };
"""


def rows(path, sql):
    db = sqlite3.connect(f"file:{path}?mode=ro", uri=True)
    try:
        return [list(r) for r in db.execute(sql)]
    finally:
        db.close()


def table_counts(path):
    tables = [r[0] for r in rows(path, "SELECT name FROM sqlite_master WHERE type = 'table' ORDER BY name")]
    return {t: rows(path, f'SELECT count(*) FROM "{t}"')[0][0] for t in tables}


def main():
    original, erased, work = (os.path.abspath(p) for p in sys.argv[1:4])
    shutil.rmtree(work, ignore_errors=True)
    profile = os.path.join(work, "profile")
    shutil.copytree(original, profile, symlinks=True)
    for name in os.listdir(profile):
        if name.startswith("places.sqlite") or name in ("lock", ".parentlock"):
            os.remove(os.path.join(profile, name))
    shutil.copy(erased, os.path.join(profile, "places.sqlite"))

    before, after = table_counts(os.path.join(original, "places.sqlite")), table_counts(erased)
    print(f"{'table':40} {'before':>7} {'after':>7}")
    for table in sorted(set(before) | set(after)):
        print(f"{table:40} {before.get(table, '-'):>7} {after.get(table, '-'):>7}")

    expected = rows(erased, BOOKMARKS)
    with marionette_session(profile, os.path.join(work, "home"), os.path.join(work, "firefox.log")) as client:
        client.set_context("chrome")
        seen = client.run_async(READ_IN_FIREFOX, [BOOKMARKS, FRECENCIES])

    failures = []
    corrupt = [n for n in os.listdir(profile) if "corrupt" in n]
    if corrupt:
        failures.append(f"Firefox set the database aside: {corrupt}")
    if seen["bookmarks"] != expected:
        failures.append("Firefox reads other bookmarks than the erased file holds")
    if expected != rows(os.path.join(original, "places.sqlite"), BOOKMARKS):
        failures.append("the erased file holds other bookmarks than the original")
    print(f"bookmarks read by Firefox: {len(seen['bookmarks'])} rows, tree of {seen['treeSize']} nodes")
    print("frecency of the kept pages: set by the erase -> computed again by Firefox")
    for (url, ours), (_, theirs) in zip(seen["before"], seen["after"]):
        print(f"  {ours:>6} -> {theirs:>6}  {url}")
    for failure in failures:
        print("FAILED:", failure)
    sys.exit(1 if failures else 0)


if __name__ == "__main__":
    main()
