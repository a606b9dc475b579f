"""What the reopen checks of both browsers share: a copy of the profile to
start the browser on, the files a browser sets aside, and the verdict."""
import json
import os
import shutil
import sys


def fresh_copy(source, fresh_path, work, name, is_lock):
    """(copy, record): `source` copied to WORK/name without the locks a running
    browser leaves (names `is_lock` accepts), and what the maker recorded."""
    with open(fresh_path) as f:
        fresh = json.load(f)
    shutil.rmtree(work, ignore_errors=True)
    copy = os.path.join(work, name)
    shutil.copytree(source, copy, symlinks=True)
    for entry in os.listdir(copy):
        if is_lock(entry):
            os.remove(os.path.join(copy, entry))
    return copy, fresh


def set_aside(folder, is_set_aside):
    """The files below `folder` whose names `is_set_aside` accepts, relative to it."""
    return sorted(os.path.relpath(os.path.join(top, name), folder)
                  for top, _, files in os.walk(folder) for name in files if is_set_aside(name))


def verdict(browser, summary, failures):
    """Prints what the browser read and each failure; exits 1 when there is one."""
    print(f"{browser}: {summary}")
    for failure in failures:
        print(f"FAILED ({browser}):", failure)
    sys.exit(1 if failures else 0)
