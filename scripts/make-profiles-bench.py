#!/usr/bin/env python3
"""Makes the User Data folders of the Chrome profiles benchmark.

    make-profiles-bench.py SOURCE_USER_DATA BENCH_FOLDER PROFILES

BENCH_FOLDER/one-K/Local/Google/Chrome/User Data  Local State listing "Default"
                                                  (K = 0 ... 4: one for each pass
                                                  of the baseline)
BENCH_FOLDER/many/Local/Google/Chrome/User Data   Local State listing "Default",
                                                  "Profile 1" ... "Profile N-1"

Local State is the one of SOURCE_USER_DATA (the profile Debian's chromium made,
scripts/make-chromium-profile.sh) with its profile entry repeated under each
name, written as Chromium writes it: compact, keys sorted. Each profile folder
holds a small Preferences with a site engagement score and an empty History
with the real schema (the source profile's History, every row deleted).
"""
import copy
import json
import os
import shutil
import sqlite3
import sys

ONE_PROFILE_COPIES = 5


def empty_history(source, target):
    shutil.copyfile(source, target)
    db = sqlite3.connect(target)
    db.execute("PRAGMA journal_mode = DELETE")
    tables = [row[0] for row in db.execute(
        "SELECT name FROM sqlite_master WHERE type = 'table' AND name NOT LIKE 'sqlite_%' AND name <> 'meta'")]
    for table in tables:
        db.execute(f'DELETE FROM "{table}"')
    db.commit()
    db.execute("VACUUM")
    db.close()


def preferences(index):
    site = f"https://site-{index}.example:443,*"
    return json.dumps({
        "browser": {"has_seen_welcome_page": True},
        "profile": {
            "name": f"Person {index}",
            "content_settings": {"exceptions": {"site_engagement": {
                site: {"last_modified": "13400000000000000", "setting": {"rawScore": 4.5}}}}},
        },
    }, separators=(",", ":"), sort_keys=True)


def make_user_data(folder, names, local_state, template_history):
    os.makedirs(folder)
    state = copy.deepcopy(local_state)
    entry = next(iter(state["profile"]["info_cache"].values()))
    cache = {}
    for index, name in enumerate(names):
        cache[name] = dict(entry, name=f"Person {index}")
        profile = os.path.join(folder, name)
        os.makedirs(profile)
        with open(os.path.join(profile, "Preferences"), "w") as f:
            f.write(preferences(index))
        shutil.copyfile(template_history, os.path.join(profile, "History"))
    state["profile"]["info_cache"] = cache
    with open(os.path.join(folder, "Local State"), "w") as f:
        json.dump(state, f, separators=(",", ":"), sort_keys=True)


def main():
    source, bench, count = sys.argv[1], sys.argv[2], int(sys.argv[3])
    shutil.rmtree(bench, ignore_errors=True)
    os.makedirs(bench)
    with open(os.path.join(source, "Local State")) as f:
        local_state = json.load(f)
    template = os.path.join(bench, "History")
    empty_history(os.path.join(source, "Default", "History"), template)
    below = os.path.join("Local", "Google", "Chrome", "User Data")
    many = ["Default"] + [f"Profile {i}" for i in range(1, count)]
    for k in range(ONE_PROFILE_COPIES):
        make_user_data(os.path.join(bench, f"one-{k}", below), ["Default"], local_state, template)
    make_user_data(os.path.join(bench, "many", below), many, local_state, template)
    os.remove(template)


if __name__ == "__main__":
    main()
