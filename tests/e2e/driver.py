"""Drives the real Vorlane.exe under Wine the way a user does.

The program runs as its own Wine process in a prefix of its own (a copy of a
template made once per build tree), on an Xvfb display of its own, so that
scenarios run side by side without clicking into each other's windows.
The driver acts only through the X server: mouse clicks inside the controls'
on-screen rectangles as the probe reports them, clicks on the caption's minimize and close
boxes (Wine draws them, as the window is undecorated), clicks on the icon in
Wine's own notification-area window, and the keyboard. What it checks it
reads where it lives: the prefix's registry through Wine's reg.exe, the files
through the Linux file system, and windows, processes and the URL cache
through vorlane_probe.exe, a small console program of ours run in the prefix.
Every wait is for what the next step needs (a window drawn, a text, a file,
a registry value), with a ceiling (waiting.py).
"""
import json
import os
import re
import shutil
import subprocess
import tempfile
import time
from pathlib import Path

from waiting import Process, WaitFailure, wait_until

SOURCE = Path(os.environ.get("VORLANE_SOURCE_DIR", Path(__file__).resolve().parents[2]))
BUILD = Path(os.environ.get("VORLANE_BUILD_DIR", SOURCE / "build"))
E2E = BUILD / "e2e"
TEMPLATE = E2E / "template"
SCREENSHOTS = BUILD / "screenshots"
PROBE = BUILD / "vorlane_probe.exe"
PROGRAM_FOLDER = r"C:\Program Files\Vorlane"
PROGRAM = PROGRAM_FOLDER + r"\Vorlane.exe"
MAIN_CLASS = "VorlaneForm1"
MESSAGE_BOX_CLASS = "#32770"
# Wine's own notification area when the desktop has none: the X11 driver's
# stand-alone tray window, or explorer's (depending on the Wine version).
TRAY_CLASSES = ("__winex11_standalone_tray", "Shell_TrayWnd")
TRAY_ICON_CLASSES = ("__winex11_tray_icon", "__wine_tray_icon")


class ScenarioFailure(AssertionError):
    pass


def check(condition, message):
    if not condition:
        raise ScenarioFailure(message)


def check_equal(actual, expected, what):
    if actual != expected:
        raise ScenarioFailure(f"{what}: expected {expected!r}, got {actual!r}")


# ---------------------------------------------------------------- layout

class Layout:
    """The main window's control table as the program is built with it (the
    probe prints app/Form1Layout.h): captions, starting visibility and twips
    rectangles, relative to the container."""

    def __init__(self, table):
        self.client_twips = table["client_twips"]
        self.twips_per_inch = table["twips_per_inch"]
        self.controls = {c["name"]: c for c in table["controls"]}

    def pixels(self, twips, dpi):
        return (twips * dpi + self.twips_per_inch // 2) // self.twips_per_inch

    def client_size(self, dpi):
        return [self.pixels(t, dpi) for t in self.client_twips]

    def cleaning_boxes(self):
        """The cleaning boxes in table order: every check box but the startup ones."""
        return [name for name, c in self.controls.items() if c["kind"] == "CheckBox" and c["container"] != "Frame4"]

    def client_rect(self, name, dpi):
        """The control's rectangle in client pixels (frame children offset by their frame)."""
        control = self.controls[name]
        left, top, width, height = control["twips"]
        if control["container"]:
            frame = self.controls[control["container"]]["twips"]
            left, top = left + frame[0], top + frame[1]
        return (self.pixels(left, dpi), self.pixels(top, dpi),
                self.pixels(left + width, dpi), self.pixels(top + height, dpi))


# ---------------------------------------------------------------- the X side

class Display:
    """A scenario's own Xvfb; DISPLAY names it while it runs."""

    def __init__(self):
        read_end, write_end = os.pipe()
        self.server = subprocess.Popen(["Xvfb", "-displayfd", str(write_end), "-screen", "0", "1280x1024x24",
                                        "-nolisten", "tcp"], pass_fds=(write_end,), stdin=subprocess.DEVNULL,
                                       stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
        os.close(write_end)
        with os.fdopen(read_end) as numbers:
            number = numbers.readline().strip()
        check(number.isdigit(), "Xvfb did not start")
        self.previous = os.environ.get("DISPLAY")
        os.environ["DISPLAY"] = ":" + number

    def close(self):
        self.server.terminate()
        self.server.wait(timeout=30)
        if self.previous is None:
            os.environ.pop("DISPLAY", None)
        else:
            os.environ["DISPLAY"] = self.previous


def xdotool(*args):
    subprocess.run(["xdotool", *map(str, args)], check=True, stdin=subprocess.DEVNULL,
                   stdout=subprocess.DEVNULL, timeout=20)


# Where the pointer rests after a click: where it clicked (the default, as a
# user's hand leaves it), or with VORLANE_E2E_POINTER=corner in the screen's
# top left corner, away from every window. The scenarios pass either way.
POINTER_TO_CORNER = os.environ.get("VORLANE_E2E_POINTER") == "corner"


def click_at(x, y, button=1):
    """Moves the pointer there and clicks, as a user's mouse would."""
    xdotool("mousemove", x, y)
    time.sleep(0.05)
    xdotool("click", button)
    time.sleep(0.15)
    if POINTER_TO_CORNER:
        xdotool("mousemove", 0, 0)


def press_key(key):
    xdotool("key", key)
    time.sleep(0.15)


def center(rect):
    left, top, right, bottom = rect
    return ((left + right) // 2, (top + bottom) // 2)


def screenshot(name, rect=None):
    """Saves the screen, or one rectangle of it, under build/screenshots/."""
    SCREENSHOTS.mkdir(parents=True, exist_ok=True)
    out = SCREENSHOTS / name
    args = ["import", "-window", "root"]
    if rect:
        left, top, right, bottom = rect
        args += ["-crop", f"{right - left}x{bottom - top}+{left}+{top}"]
    subprocess.run(args + [str(out)], check=False, stdin=subprocess.DEVNULL, timeout=30,
                   stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
    return out


# ---------------------------------------------------------------- the prefix

def wine_environment(prefix):
    """The environment scripts/wine-env.sh gives Wine programs in that prefix."""
    check("DISPLAY" in os.environ, "DISPLAY is not set: run the end-to-end tests through scripts/test.sh")
    script = 'source "$0" --prefix "$1" && env -0'
    listing = subprocess.run(["bash", "-c", script, str(SOURCE / "scripts" / "wine-env.sh"), str(prefix)],
                             check=True, stdin=subprocess.DEVNULL, capture_output=True, timeout=30).stdout
    return dict(entry.split("=", 1) for entry in listing.decode().split("\0") if "=" in entry)


def prepare_template():
    """Creates the template prefix once per build tree (wineboot takes a while)."""
    TEMPLATE.parent.mkdir(parents=True, exist_ok=True)
    subprocess.run(["bash", str(SOURCE / "scripts" / "make-prefix.sh"), str(TEMPLATE), str(BUILD)], check=True,
                   timeout=280, stdin=subprocess.DEVNULL, env=wine_environment(TEMPLATE))


class Prefix:
    """One scenario's own Wine prefix, copied from the template, with its own wineserver."""

    def __init__(self, name):
        self.path = E2E / name
        if self.path.exists():
            # Left by a run that was killed before it could clean up: end its
            # wineserver (which would otherwise live on) before replacing it.
            subprocess.run(["wineserver", "-k"], env=wine_environment(self.path), stdin=subprocess.DEVNULL,
                           stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL, timeout=60)
            shutil.rmtree(self.path, ignore_errors=True)
        check((TEMPLATE / ".vorlane-prefix").exists(), "the e2e template prefix is missing (test e2e_prefix)")
        subprocess.run(["cp", "-a", str(TEMPLATE), str(self.path)], check=True)
        self.env = wine_environment(self.path)
        self.drive_c = self.path / "drive_c"
        # A warm wineserver, and Wine's services started with their output going nowhere.
        self.run_detached(["wineserver", "-p"])
        self.run_detached(["wine", "cmd", "/c", "exit"])
        self.user_profile = self.wine_echo("%USERPROFILE%")
        self.temp = self.wine_echo("%TEMP%")

    def run(self, args, timeout=60, check_result=False):
        # Output goes through files, not pipes: a Wine service that a command
        # happens to start inherits its handles and would hold a pipe open.
        with tempfile.TemporaryFile() as out, tempfile.TemporaryFile() as err:
            try:
                code = subprocess.run(args, env=self.env, stdin=subprocess.DEVNULL, stdout=out, stderr=err,
                                      timeout=timeout).returncode
            except subprocess.TimeoutExpired:
                raise ScenarioFailure(f"{' '.join(map(str, args))} did not end within {timeout} s") from None
            out.seek(0)
            err.seek(0)
            result = subprocess.CompletedProcess(args, code, out.read().decode(errors="replace"),
                                                 err.read().decode(errors="replace"))
        if check_result and result.returncode != 0:
            raise ScenarioFailure(f"{' '.join(map(str, args))} failed ({result.returncode}): {result.stderr}")
        return result

    def run_detached(self, args, timeout=60):
        """For commands that leave daemons behind: no pipes for them to hold open."""
        subprocess.run(args, env=self.env, stdin=subprocess.DEVNULL, stdout=subprocess.DEVNULL,
                       stderr=subprocess.DEVNULL, timeout=timeout)

    def wine_echo(self, text):
        return self.run(["wine", "cmd", "/c", "echo", text], check_result=True).stdout.strip()

    def unix(self, windows_path):
        """A C:\\ path of the prefix as a Linux path."""
        check(windows_path[:3].upper() == "C:\\", f"not a C: path: {windows_path}")
        return self.drive_c.joinpath(*[p for p in windows_path[3:].split("\\") if p])

    def probe(self, *args, timeout=60):
        result = self.run(["wine", str(PROBE), *args], timeout=timeout, check_result=True)
        return json.loads(result.stdout)

    def start(self, windows_exe, *args):
        return subprocess.Popen(["wine", windows_exe, *args], env=self.env, stdin=subprocess.DEVNULL,
                                stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)

    # --- registry, through Wine's own reg.exe

    def reg_values(self, key):
        """{name: (type, data)} of a key, or None when the key does not exist."""
        result = self.run(["wine", "reg", "query", key])
        if result.returncode != 0:
            return None
        values = {}
        for line in result.stdout.splitlines():
            m = re.match(r"^    (.*?)    (REG_\w+)    ?(.*)$", line)
            if m:
                values[m.group(1)] = (m.group(2), m.group(3))
        return values

    def reg_value(self, key, name):
        values = self.reg_values(key) or {}
        entry = values.get(name)
        return entry[1] if entry else None

    def reg_add(self, key, name, data, kind="REG_SZ"):
        self.run(["wine", "reg", "add", key, "/v", name, "/t", kind, "/d", data, "/f"], check_result=True)

    def reg_delete_key(self, key):
        self.run(["wine", "reg", "delete", key, "/f"])

    # --- windows and processes, through the probe

    def windows(self, cls=None, title=None, visible=None):
        found = []
        for w in self.probe("windows"):
            if cls is not None and w["class"] != cls:
                continue
            if title is not None and w["text"] != title:
                continue
            if visible is not None and w["visible"] != visible:
                continue
            found.append(w)
        return found

    def processes(self):
        return self.probe("processes")

    def tray_icons(self):
        """The visible icons of Wine's stand-alone notification-area window."""
        icons = []
        for tray in self.windows(visible=True):
            if tray["class"] not in TRAY_CLASSES:
                continue
            details = self.probe("window", tray["hwnd"])
            icons += [c for c in details["controls"] if c["class"] in TRAY_ICON_CLASSES and c["visible"]]
        return icons

    def close(self):
        """Ends every process of this prefix (its wineserver and all it serves)."""
        self.run_detached(["wineserver", "-k"])
        self.run_detached(["wineserver", "-w"])

    def remove(self):
        shutil.rmtree(self.path, ignore_errors=True)


# ---------------------------------------------------------------- the program

def install_program(prefix):
    """Puts the built program where an installation would: a folder with a space."""
    folder = prefix.unix(PROGRAM_FOLDER)
    folder.mkdir(parents=True, exist_ok=True)
    shutil.copy2(BUILD / "Vorlane.exe", folder / "Vorlane.exe")
    shutil.copy2(SOURCE / "resources" / "HAND-M.CUR", folder / "HAND-M.CUR")


class MainWindow:
    """The running program's main window, seen and clicked from outside, and
    the waits for what the program does in answer."""

    def __init__(self, prefix, program, hwnd):
        self.prefix = prefix
        self.program = program
        self.hwnd = hwnd
        program.answers = self.answers

    def details(self):
        return self.prefix.probe("window", self.hwnd)

    def control(self, name, details=None):
        """The control of that name (the probe names them after the control table)."""
        details = details or self.details()
        for c in details["controls"]:
            if c.get("name") == name:
                return c
        raise ScenarioFailure(f"the window has no control {name}")

    def text(self, name):
        return self.control(name)["text"]

    def click(self, name):
        """Clicks the control where it is on screen, as the probe reports it."""
        details = self.details()
        check(details["window"]["visible"], f"the main window is hidden; cannot click {name}")
        control = self.control(name, details)
        check(control["visible"], f"{name} is not visible; a user could not click it")
        left, top, right, bottom = control["rect"]
        if "checked" not in control:
            click_at(*center(control["rect"]))
            return
        # A check box: the box itself sits at the left end of the control. Its
        # tick changes as the click is handled; on a loaded machine Wine now
        # and then loses a click while windows change activation, and a user
        # would click again: once, when the window answers and the tick stays.
        before = control["checked"]
        changed = lambda: self.control(name)["checked"] != before
        click_at(left + 7, (top + bottom) // 2)
        try:
            wait_until(f"{name} to change", changed, program=self.program, ceiling=10)
        except WaitFailure:
            if not self.answers():
                raise
            print(f"the click on {name} was lost; clicking again")
            click_at(left + 7, (top + bottom) // 2)
            self.wait(f"{name} to change", changed)

    def click_list_item(self, position):
        """Clicks the interval list's item at this 1-based position, where it is drawn."""
        details = self.details()
        list_view = self.control("ListView2", details)
        rects = list_view["item_rects"]
        list_rect = list_view["rect"]
        x, y = center(rects[position - 1])
        check(list_rect[1] < y < list_rect[3], f"list item {position} is scrolled out of sight")
        click_at(x, y)

    def caption_button(self, which):
        return center(self.prefix.probe("caption", self.hwnd)[which])

    def minimize(self):
        click_at(*self.caption_button("minimize"))

    def close_box(self):
        click_at(*self.caption_button("close"))

    def visible(self):
        return any(w["hwnd"] == self.hwnd and w["visible"] for w in self.prefix.windows(cls=MAIN_CLASS))

    def answers(self):
        """Whether the window answers messages now (the probe asks it with a time-out)."""
        return any(w["hwnd"] == self.hwnd and w["responding"] for w in self.prefix.windows(cls=MAIN_CLASS))

    def screenshot(self, name):
        return screenshot(name, self.details()["window"]["rect"])

    def wait(self, what, condition):
        """Waits for condition() while the program works towards it (see waiting.py)."""
        return wait_until(what, condition, program=self.program)

    def wait_drawn(self, what, hwnd=None):
        """Waits until the window (the main one by default) is shown, answers
        messages and has nothing left to paint, in itself or any control."""
        hwnd = hwnd or self.hwnd
        self.wait(what, lambda: any(w["hwnd"] == hwnd and w["visible"] and w["responding"] and w["painted"]
                                    for w in self.prefix.windows()))

    def wait_handled(self, what):
        """Waits until the main window takes input again: no box or dialog
        disables it, and its thread is back at its message loop."""
        self.wait(what, lambda: any(w["hwnd"] == self.hwnd and w["enabled"] and w["responding"]
                                    for w in self.prefix.windows(cls=MAIN_CLASS)))

    def wait_for_text(self, name, predicate, what):
        """Waits until the control's text satisfies predicate and returns that text."""
        last = []

        def matching():
            last[:] = [self.text(name)]
            return last[0] if predicate(last[0]) else None
        return wait_until(what, matching, program=self.program, seen=lambda: f"{name} read {last[-1]!r}")

    def wait_for_message_box(self, title="Vorlane"):
        boxes = self.wait(f"a message box titled {title!r}",
                          lambda: self.prefix.windows(cls=MESSAGE_BOX_CLASS, title=title, visible=True))
        self.wait_drawn("the message box to be drawn", boxes[0]["hwnd"])
        return MessageBox(self.prefix, boxes[0]["hwnd"])

    def wait_for_tray_icon(self):
        icons = self.wait("the tray icon", self.prefix.tray_icons)
        check_equal(len(icons), 1, "tray icons")
        return icons[0]

    def wait_until_ended(self):
        self.wait("the program to end", lambda: not self.program.alive())
        check("Vorlane.exe" not in self.prefix.processes(), "Vorlane.exe still runs after its window closed")


def start_program(prefix, expect_visible=True):
    """Starts the installed program and finds its main window."""
    known = {w["hwnd"] for w in prefix.windows(cls=MAIN_CLASS)}
    program = Process(prefix.start(PROGRAM), "Vorlane.exe")

    def found():
        for w in prefix.windows(cls=MAIN_CLASS, title="Vorlane"):
            if w["hwnd"] not in known and (w["visible"] or not expect_visible) and w["responding"]:
                return w
        return None

    window = wait_until("the main window", found, program=program)
    main = MainWindow(prefix, program, window["hwnd"])
    if expect_visible:
        main.wait_drawn("the first paint")  # before anyone clicks or looks
        # Wine's tray window appears with the first icon and takes the
        # activation for a moment: no click goes out before it is there.
        main.wait("the tray icon", prefix.tray_icons)
    return main


class MessageBox:
    """A message box or dialog on screen: its title, its text, its buttons and
    the rows of its list."""

    def __init__(self, prefix, hwnd):
        self.prefix = prefix
        self.hwnd = hwnd
        details = prefix.probe("window", hwnd)
        self.title = details["window"]["text"]
        self.rect = details["window"]["rect"]
        self.text = "\n".join(c["text"] for c in details["controls"] if c["class"] == "Static" and c["text"])
        self.buttons = {c["text"].replace("&", ""): c["rect"] for c in details["controls"]
                        if c["class"] == "Button" and c["visible"]}
        # A dialog's list (the preview's): every column of every row.
        self.rows = next((c["rows"] for c in details["controls"] if c["class"] == "SysListView32"), [])

    def click(self, button):
        check(button in self.buttons, f"the message box has no {button} button: {sorted(self.buttons)}")
        click_at(*center(self.buttons[button]))

    def gone(self):
        return not any(w["hwnd"] == self.hwnd and w["visible"] for w in self.prefix.windows(cls=MESSAGE_BOX_CLASS))
