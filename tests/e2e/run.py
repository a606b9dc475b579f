#!/usr/bin/env python3
"""End-to-end scenarios of the real Vorlane.exe, one per CTest test.

Usage: run.py prepare | run.py SCENARIO
Needs VORLANE_BUILD_DIR; prepare also needs DISPLAY (scripts/test.sh starts an
Xvfb), and each scenario starts an Xvfb of its own.
Exit codes: 0 passed, 1 failed.
"""
import json
import os
import re
import shutil
import signal
import sqlite3
import sys
import time
import traceback
from pathlib import Path

sys.dont_write_bytecode = True  # keep the source tree free of __pycache__

from driver import (MAIN_CLASS, PROGRAM, Display, Layout, TRAY_CLASSES, Prefix, ScenarioFailure, check,
                    check_equal, click_at, install_program, prepare_template,
                    press_key, screenshot, start_program, center)
from waiting import wait_until
import fixtures
import installer_scenario
import no_trace_scenario

SETTINGS_KEY = r"HKCU\Software\Pendrake\Vorlane"
RUN_KEYS = (r"HKLM\Software\Microsoft\Windows\CurrentVersion\Run",
            r"HKCU\Software\Microsoft\Windows\CurrentVersion\Run")
AUTO_DELETE_OFF = "Auto Delete is Turned Off."
TURN_ON = "Turn On Auto Delete"
TURN_OFF = "Turn Off Auto Delete"
COUNTDOWN = "On. Next delete will occur in: "
LOG_LINE = "Internet History was deleted at "
PREVIEW_TITLE = "Vorlane Preview"
INTERVALS = ["Delete every 5 minutes", "Delete every 10 minutes", "Delete every 15 minutes",
             "Delete every 20 minutes", "Delete every 30 minutes", "Delete every 1 hour",
             "Delete every 2 hours", "Delete every 4 hours", "Delete every 8 hours",
             "Delete every 16 hours", "Delete every 24 hours"]


def cleaning_boxes(prefix):
    return Layout(prefix.probe("layout")).cleaning_boxes()


def close_and_wait(main):
    main.close_box()
    main.wait_until_ended()


def log_path(prefix):
    return prefix.unix(prefix.temp + "\\history.txt")


# ---------------------------------------------------------------- scenarios

def first_start(prefix):
    """A fresh user: every caption, item 2 selected, auto delete off, nothing saved."""
    install_program(prefix)
    main = start_program(prefix)
    details = main.details()
    check_equal(details["window"]["text"], "Vorlane", "window caption")

    # The window follows its control table: captions, visibility, and every
    # control where the table puts it at the screen's DPI.
    layout = Layout(prefix.probe("layout"))
    dpi = details["dpi"]
    check_equal(details["client_size"], layout.client_size(dpi), "client size")
    ox, oy = details["client_origin"]
    for name, table in layout.controls.items():
        control = main.control(name, details)
        if table["kind"] in ("Frame", "CheckBox", "PushButton"):
            check_equal(control["text"], table["caption"], f"caption of {name}")
        check_equal(control["visible"], table["visible"], f"visibility of {name}")
        left, top, right, bottom = layout.client_rect(name, dpi)
        expected = (ox + left, oy + top, ox + right, oy + bottom)
        off = max(abs(a - b) for a, b in zip(control["rect"], expected))
        check(off <= 1, f"{name} is at {control['rect']}, the table says {list(expected)}")
        if table["kind"] == "CheckBox":
            check_equal(control["checked"], 0, f"{name} at start")

    listview = main.control("ListView2", details)
    check_equal(listview["header"], "How often would you like to delete history?", "list header")
    check_equal(listview["items"], INTERVALS, "interval list")
    check_equal(listview["selected"], 1, "selected list item (0-based)")
    check_equal(main.control("PushButton13", details)["text"], TURN_ON, "auto delete button")
    screenshot("main-window.png", details["window"]["rect"])

    # The timer does not run: two seconds later the status line is unchanged.
    time.sleep(2.2)
    check_equal(main.text("Frame3"), AUTO_DELETE_OFF, "status line after two seconds")
    check_equal(main.control("ProgressBar1")["position"], 0, "progress bar")
    check_equal(prefix.reg_values(SETTINGS_KEY), None, "settings after a start without clicks")

    main.click("PushButton11")
    box = main.wait_for_message_box()
    check_equal(box.text, "Questions? Please contact Team Pendrake at https://www.pendrake.example/contact",
                "help message")
    box.click("OK")
    main.wait("the help box to close", box.gone)
    close_and_wait(main)


def interval_and_auto_delete_survive_restart(prefix):
    install_program(prefix)
    main = start_program(prefix)
    main.click_list_item(5)
    main.wait("OftenIndex = 5", lambda: prefix.reg_value(SETTINGS_KEY, "OftenIndex") == "5")
    check_equal(main.control("ListView2")["selected"], 4, "selected item after the click")

    main.click("PushButton13")
    main.wait_for_text("PushButton13", lambda t: t == TURN_OFF, "the button to read " + TURN_OFF)
    first = main.wait_for_text("Frame3", lambda t: t.startswith(COUNTDOWN), "the countdown")
    check_equal(prefix.reg_value(SETTINGS_KEY, "StartStopState"), "On", "StartStopState")
    main.wait_for_text("Frame3", lambda t: t.startswith(COUNTDOWN) and t != first, "the countdown to move")
    bar = main.control("ProgressBar1")
    check_equal(bar["maximum"], 30 * 60, "progress maximum for 30 minutes")
    check(1 <= bar["position"] <= 10, f"progress after a few seconds: {bar['position']}")
    main.screenshot("auto-delete-countdown.png")
    close_and_wait(main)

    main = start_program(prefix)
    check_equal(main.control("ListView2")["selected"], 4, "selected item after a restart")
    check_equal(main.text("PushButton13"), TURN_OFF, "button after a restart")
    main.wait_for_text("Frame3", lambda t: t.startswith(COUNTDOWN), "the countdown after a restart")

    main.click("PushButton13")
    main.wait_for_text("PushButton13", lambda t: t == TURN_ON, "the button to read " + TURN_ON)
    main.wait_for_text("Frame3", lambda t: t == AUTO_DELETE_OFF, "the status line to say auto delete is off")
    check_equal(prefix.reg_value(SETTINGS_KEY, "StartStopState"), "Off", "StartStopState")
    close_and_wait(main)

    main = start_program(prefix)
    check_equal(main.text("PushButton13"), TURN_ON, "button after the second restart")
    check_equal(main.control("ListView2")["selected"], 4, "selected item after the second restart")
    close_and_wait(main)


def open_preview(main):
    main.click("PushButton14")
    return main.wait_for_message_box(PREVIEW_TITLE)


def full_pass(prefix):
    install_program(prefix)
    world = fixtures.RealisticUser(prefix)
    world.plant()
    main = start_program(prefix)

    boxes = cleaning_boxes(prefix)
    for name in boxes:
        main.click(name)
    details = main.details()
    for name in boxes:
        check_equal(main.control(name, details)["checked"], 1, f"{name} after its click")

    window_rect = main.details()["window"]["rect"]
    # "Preview" counts what the pass would delete, per box and browser;
    # "Delete Now" runs the pass.
    dialog = open_preview(main)
    rows = dialog.rows
    print(f"preview rows: {rows}")
    check(all(len(row) == 5 for row in rows), f"preview columns: {rows}")
    check_equal(rows[-1][0], "Total", "the preview's last row")
    for browser in ("Internet Explorer", "Mozilla Firefox"):
        found = [row for row in rows if row[0] == browser and row[2] not in ("nothing to delete", "")]
        check(found, f"the preview counts nothing of {browser}: {rows}")
    check(rows[-1][2] != "nothing to delete", f"the preview's total: {rows[-1]}")
    screenshot("preview.png", dialog.rect)
    world.verify_untouched("a preview")
    check(not log_path(prefix).exists(), "a preview wrote the history log")
    dialog.click("Delete Now")
    running = main.wait_for_text("Frame3", lambda t: t not in ("", AUTO_DELETE_OFF), "the pass to show its work")
    screenshot("pass-running.png", window_rect)
    print(f"status line while the pass ran: {running}")
    main.wait("the log line", lambda: log_path(prefix).exists())
    main.wait_for_text("Frame3", lambda t: t == AUTO_DELETE_OFF, "the pass to end")

    world.verify()
    lines = log_path(prefix).read_bytes().split(b"\r\n")
    check_equal(len(lines), 3, "log lines (the pass, what it deleted, the final line break)")
    check(lines[0].startswith(LOG_LINE.encode()), f"log line: {lines[0]!r}")
    check(re.fullmatch(rb"[1-9]\d* file\(s\), [\d.,]+ \w+ and [1-9]\d* entries deleted", lines[1]),
          f"what the pass deleted: {lines[1]!r}")
    close_and_wait(main)


def clear_history_log(prefix):
    install_program(prefix)
    log = log_path(prefix)
    main = start_program(prefix)
    check(not log.exists(), "a history log exists before any pass")

    # A preview with no box ticked says so; Escape and "Close" close it, and
    # it writes nothing.
    for close in ("Escape", "Close"):
        dialog = open_preview(main)
        check_equal(dialog.rows, [["No box is ticked: a pass would delete nothing.", "", "", "", ""]], "preview rows")
        if close == "Escape":
            press_key("Escape")
        else:
            dialog.click("Close")
        main.wait(f"{close} to close the preview", dialog.gone)
        main.wait_handled("the main window to take input again")
    check(not log.exists(), "a preview wrote the history log")

    main.click("PushButton12")  # a pass with no box ticked still writes its line
    main.wait("the log line", log.exists)
    main.wait_for_text("Frame3", lambda t: t == AUTO_DELETE_OFF, "the pass to end")
    before = log.read_bytes()
    check(before.startswith(LOG_LINE.encode()) and before.endswith(b"\r\n"), f"log: {before!r}")

    main.click("PushButton3")
    box = main.wait_for_message_box()
    check_equal(box.text, "Are you sure you want to delete the history log and start over?", "question")
    check_equal(sorted(box.buttons), ["No", "Yes"], "buttons of the question")
    screenshot("clear-history-question.png", box.rect)
    box.click("No")
    main.wait("the question to close", box.gone)
    main.wait_handled("the answer to be handled")
    check_equal(log.read_bytes(), before, "log after answering No")

    main.click("PushButton3")
    box = main.wait_for_message_box()
    box.click("Yes")
    main.wait("the question to close", box.gone)
    main.wait("the log to be deleted", lambda: not log.exists())

    # Viewing now says there is nothing; this box is answered from the keyboard.
    main.click("PushButton1")
    box = main.wait_for_message_box()
    check_equal(box.text, "There isn't a history to view because actions have not been performed yet.",
                "view message")
    press_key("Return")
    main.wait("the message to close after Enter", box.gone)
    close_and_wait(main)


def startup_entry(prefix):
    install_program(prefix)
    expected = '"C:\\Program Files\\Vorlane\\Vorlane.exe"'

    def entries():
        return [v for v in (prefix.reg_value(k, "Vorlane.exe") for k in RUN_KEYS) if v is not None]

    main = start_program(prefix)
    check(not main.control("Check8")["visible"], "Minimized to system tray is visible at start")
    main.click("Check4")
    main.wait("the startup entry", entries)
    check_equal(entries(), [expected], "startup entry (full path, quoted for its space)")
    details = main.details()
    check(main.control("Check4", details)["checked"] == 1, "Check4 after its click")
    check(main.control("Check8", details)["visible"], "Minimized to system tray after ticking Check4")
    check_equal(prefix.reg_value(SETTINGS_KEY, "Windows Startup"), "On", "Windows Startup")

    main.click("Check8")
    main.wait("Minimized = On", lambda: prefix.reg_value(SETTINGS_KEY, "Minimized") == "On")

    main.click("Check4")
    main.wait("the startup entry to go", lambda: not entries())
    details = main.details()
    check_equal(main.control("Check8", details)["checked"], 0, "Check8 after unticking Check4")
    check(not main.control("Check8", details)["visible"], "Check8 stays visible after unticking Check4")
    check_equal(prefix.reg_value(SETTINGS_KEY, "Minimized"), "Off", "Minimized")
    check_equal(prefix.reg_value(SETTINGS_KEY, "Windows Startup"), "Off", "Windows Startup")

    main.click("Check4")
    main.wait("the startup entry again", entries)
    close_and_wait(main)

    main = start_program(prefix)
    details = main.details()
    check_equal(main.control("Check4", details)["checked"], 1, "Check4 after a restart")
    check(main.control("Check8", details)["visible"], "Check8 after a restart with Check4 ticked")
    check_equal(entries(), [expected], "startup entry after a restart")
    main.click("Check4")
    main.wait("the startup entry to go", lambda: not entries())
    close_and_wait(main)


def minimize_to_tray_and_restore(prefix):
    install_program(prefix)
    main = start_program(prefix)
    main.wait_for_tray_icon()

    main.minimize()
    main.wait("the window to hide", lambda: not main.visible())
    # Wine shows the balloon two seconds after the request, beside the tray.
    balloon = main.wait("the balloon", lambda: prefix.windows(cls="tooltips_class32", visible=True))
    shown = balloon + [w for w in prefix.windows(visible=True) if w["class"] in TRAY_CLASSES]
    screenshot("tray-balloon.png", (max(min(w["rect"][0] for w in shown) - 8, 0),
                                    max(min(w["rect"][1] for w in shown) - 8, 0),
                                    max(w["rect"][2] for w in shown) + 24,
                                    max(w["rect"][3] for w in shown) + 24))

    icon = main.wait_for_tray_icon()
    click_at(*center(icon["rect"]))
    main.wait("the window to come back", main.visible)
    check(not main.details()["window"]["iconic"], "the window came back minimized")

    # A second minimize hides it again (no second balloon) and a click brings it back.
    main.minimize()
    main.wait("the window to hide again", lambda: not main.visible())
    click_at(*center(main.wait_for_tray_icon()["rect"]))
    main.wait("the window to come back again", main.visible)
    close_and_wait(main)

    # Started with "Load on Windows startup" and "Minimized to system tray" saved:
    # the window starts hidden in the tray and the icon brings it back.
    prefix.reg_add(SETTINGS_KEY, "Windows Startup", "On")
    prefix.reg_add(SETTINGS_KEY, "Minimized", "On")
    main = start_program(prefix, expect_visible=False)
    icon = main.wait_for_tray_icon()
    main.wait_handled("the start to finish")
    check(not main.visible(), "the window shows although it should start in the tray")
    click_at(*center(icon["rect"]))
    main.wait("the window to come back from a hidden start", main.visible)
    main.wait_drawn("the window to be drawn")
    details = main.details()
    check_equal(main.control("Check4", details)["checked"], 1, "Check4 restored from the settings")
    check_equal(main.control("Check8", details)["checked"], 1, "Check8 restored from the settings")
    close_and_wait(main)


def close_ends_program(prefix):
    """The close box ends the program (also while auto delete runs) and removes its tray icon."""
    install_program(prefix)
    main = start_program(prefix)
    main.wait_for_tray_icon()
    main.click("PushButton13")
    main.wait_for_text("Frame3", lambda t: t.startswith(COUNTDOWN), "the countdown")
    close_and_wait(main)
    check(not prefix.windows(cls=MAIN_CLASS), "the main window still exists after closing")
    # The program has ended: Wine's tray takes the icon away, and only the ceiling bounds the wait.
    wait_until("the tray icon to go", lambda: not prefix.tray_icons())


def cleaning_boxes_survive_restart(prefix):
    """Two ticked boxes come back ticked after a restart, the others not."""
    install_program(prefix)
    main = start_program(prefix)
    chosen = ("chkIETemp", "chkCookies")
    for name in chosen:
        main.click(name)
        main.wait(f"{name} to be saved", lambda n=name: prefix.reg_value(SETTINGS_KEY, n) == "On")
    close_and_wait(main)

    main = start_program(prefix)
    details = main.details()
    for name in cleaning_boxes(prefix):
        check_equal(main.control(name, details)["checked"], 1 if name in chosen else 0, f"{name} after a restart")
    close_and_wait(main)


def no_trace_pass(prefix):
    def wait_for_pass_end(main):
        main.wait("the log line", lambda: log_path(prefix).exists())
        main.wait_for_text("Frame3", lambda t: t == AUTO_DELETE_OFF, "the pass to end")

    no_trace_scenario.no_trace_pass(prefix, cleaning_boxes(prefix), wait_for_pass_end)
    lines = log_path(prefix).read_bytes().split(b"\r\n")
    check(lines[0].startswith(LOG_LINE.encode()), f"log line: {lines[0]!r}")


def keep_list_pass(prefix):
    def wait_for_pass_end(main):
        main.wait("the log line", lambda: log_path(prefix).exists())
        main.wait_for_text("Frame3", lambda t: t == AUTO_DELETE_OFF, "the pass to end")

    no_trace_scenario.keep_list_pass(prefix, cleaning_boxes(prefix), wait_for_pass_end, SETTINGS_KEY, log_path(prefix))


def scheduled_clean(prefix):
    """Started as the Task Scheduler starts a task (no console, no standard
    handles, the system folder as the current folder), with every box ticked
    in the settings as an administrator pushes them: one pass, the log's line
    and a JSON report whose counts are what went, while the user's window
    goes on."""
    install_program(prefix)
    world = fixtures.RealisticUser(prefix, bulk=False)
    world.plant()
    boxes = cleaning_boxes(prefix)
    for name in boxes:
        prefix.reg_add(SETTINGS_KEY, name, "On")
    main = start_program(prefix)
    report_path = r"C:\Reports\vorlane run.json"
    prefix.unix(report_path).parent.mkdir(parents=True, exist_ok=True)

    def cache_entries():
        entries = prefix.probe("urlcache")
        cookies = sum(e["name"].startswith("Cookie:") for e in entries)
        return cookies, len(entries) - cookies

    cookies_before, others_before = cache_entries()
    finished = prefix.probe("scheduled", PROGRAM, "/clean", "/report:" + report_path, timeout=300)
    cookies_after, others_after = cache_entries()
    world.verify()
    check(main.answers(), "the window stopped answering during the run")
    check_equal(main.text("Frame3"), AUTO_DELETE_OFF, "the window's status line after the run")
    lines = log_path(prefix).read_bytes().split(b"\r\n")
    check(lines[0].startswith(LOG_LINE.encode()), f"log line: {lines[0]!r}")

    report = json.loads(prefix.unix(report_path).read_text(encoding="utf-8"))
    print(f"exit code {finished['exit']}: {report['summary']}")
    check_equal(report["exitCode"], finished["exit"], "the report's exit code")
    check_equal(report["kind"], "clean", "kind")
    check_equal(report["boxesFrom"], "settings", "where the boxes came from")
    check_equal(report["boxes"], boxes, "the boxes of the run")
    check_equal(report["historyLog"], prefix.temp + "\\history.txt", "the history log")
    check_equal(report["errors"], [], "errors")
    check_equal(report["totals"]["registryValues"], 3, "typed addresses deleted")
    rows = {(r["box"], r["browser"]): r for r in report["results"]}
    history = world.folders["History"]
    gone = [p for p in world.doomed if history in p.parents]
    row = rows[("chkIEHist", "Internet Explorer")]
    check_equal((row["files"], row["bytes"]), (len(gone), sum(len(b"trace\r\n") for _ in gone)),
                "files and bytes of the History folder")
    check_equal(rows[("chkIETemp", "Internet Explorer")]["cacheEntries"], others_before - others_after,
                "cache entries purged")
    check_equal(rows[("chkIECookies", "Internet Explorer")]["cacheEntries"], cookies_before - cookies_after,
                "cookie entries purged")
    check(rows[("chkFFHist", "Mozilla Firefox")]["items"] > 0, f"Firefox rows: {rows}")
    close_and_wait(main)


FONT_LINKS = r"HKLM\Software\Microsoft\Windows NT\CurrentVersion\FontLink\SystemLink"
UNICODE_CACHE = "\u041a\u044d\u0448 \u65e5\u672c \u03a9mega"  # Кэш 日本 Ωmega


def cache_folders(prefix):
    """Shell Folders "Cache" names the root of a drive full of someone's files:
    a pass from the real window deletes none of them and the log says why.
    Then it names a folder in Cyrillic, CJK and Greek full of files named so:
    a pass deletes them all, the status line showing their paths legibly."""
    install_program(prefix)
    # Windows draws Chinese and Japanese that the window's font lacks with a
    # linked font; here the one fonts-wqy-microhei brings (Wine's Arial then
    # draws Latin letters with it too).
    prefix.reg_add(FONT_LINKS, "Arial", "wqy-microhei.ttc,WenQuanYi Micro Hei", "REG_MULTI_SZ")
    drive = prefix.drive_c / "vorlane-mapped"
    canaries = {drive / "report.doc": b"quarterly figures",
                drive / "photos" / "holiday.jpg": b"\xff\xd8 holiday",
                drive / "photos" / "deeper" / "notes.txt": b"notes"}
    for path, data in canaries.items():
        fixtures.write(path, data)
    (prefix.path / "dosdevices" / "m:").symlink_to("../drive_c/vorlane-mapped")
    for key in (fixtures.SHELL_FOLDERS, fixtures.USER_SHELL_FOLDERS):
        prefix.reg_add(key, "Cache", "M:\\")

    main = start_program(prefix)
    main.click("chkIETemp")
    main.wait("the box to be ticked", lambda: main.control("chkIETemp")["checked"] == 1)
    main.click("PushButton12")
    main.wait("the log line", lambda: log_path(prefix).exists())
    main.wait_for_text("Frame3", lambda t: t == AUTO_DELETE_OFF, "the pass to end")

    for path, data in canaries.items():
        check(path.exists() and path.read_bytes() == data, f"{path} was changed or deleted")
    lines = log_path(prefix).read_bytes().split(b"\r\n")
    check_equal(len(lines), 4, "log lines (the pass, what it deleted, what was left alone, the final line break)")
    check(lines[0].startswith(LOG_LINE.encode()), f"log line: {lines[0]!r}")
    check_equal(lines[1], b"0 file(s), 0 bytes and 0 entries deleted", "what the pass deleted")
    check_equal(lines[2], b"M:\\ was left alone: not a browser folder", "third log line")

    cache = prefix.drive_c / "users" / "root" / UNICODE_CACHE
    names = ["\u0444\u0430\u0439\u043b", "\u65e5\u672c\u8a9e", "caf\u00e9"]
    files = [cache / f"{i // 100:03d}" / f"{names[i % 3]} {i}.dat" for i in range(15000)]
    for path in files:
        fixtures.write(path)
    for key in (fixtures.SHELL_FOLDERS, fixtures.USER_SHELL_FOLDERS):
        prefix.reg_add(key, "Cache", "C:\\users\\root\\" + UNICODE_CACHE)
    main.click("PushButton12")
    shown = main.wait_for_text("Frame3", lambda t: UNICODE_CACHE in t, "the status line to show a deleted path")
    main.screenshot("unicode-status.png")
    print(f"status line while the pass ran: {shown}")
    main.wait_for_text("Frame3", lambda t: t == AUTO_DELETE_OFF, "the pass to end")
    check_equal([p for p in files if p.exists()], [], "files left in the folder named in Cyrillic and CJK")
    lines = log_path(prefix).read_bytes().split(b"\r\n")
    check_equal(len(lines), 6, "log lines (two passes with what each deleted, what was left alone, the final line break)")
    check(lines[4].startswith(b"15000 file(s), ") and lines[4].endswith(b" and 0 entries deleted"),
          f"what the second pass deleted: {lines[4]!r}")
    close_and_wait(main)


SCENARIOS = {f.__name__: f for f in (
    first_start, interval_and_auto_delete_survive_restart, full_pass, clear_history_log,
    startup_entry, minimize_to_tray_and_restore, close_ends_program, cache_folders,
    cleaning_boxes_survive_restart, no_trace_pass, keep_list_pass, scheduled_clean,
    installer_scenario.installer)}


def main(argv):
    if len(argv) != 2 or (argv[1] != "prepare" and argv[1] not in SCENARIOS):
        print(__doc__ + "\nScenarios: " + ", ".join(SCENARIOS), file=sys.stderr)
        return 2
    name = argv[1]
    started = time.monotonic()
    if name == "prepare":
        prepare_template()
        print(f"template prefix ready ({time.monotonic() - started:.1f} s)")
        return 0
    display = Display()
    prefix = None
    passed = False
    try:
        prefix = Prefix("run-" + name)
        SCENARIOS[name](prefix)
        passed = True
        print(f"PASSED {name} ({time.monotonic() - started:.1f} s)")
        return 0
    except (ScenarioFailure, Exception):
        traceback.print_exc()
        shot = screenshot(f"failed-{name}.png")
        print(f"FAILED {name} ({time.monotonic() - started:.1f} s); screen saved to {shot}")
        return 1
    finally:
        if prefix is not None:
            prefix.close()
            if passed:
                prefix.remove()
            else:
                print(f"the prefix is kept for a look: {prefix.path}")
        display.close()


def stop_on_signal(signum, frame):
    # CTest's time-out terminates the driver: clean up as after a failure.
    raise ScenarioFailure(f"stopped by signal {signum}")


if __name__ == "__main__":
    signal.signal(signal.SIGTERM, stop_on_signal)
    signal.signal(signal.SIGINT, stop_on_signal)
    sys.exit(main(sys.argv))
