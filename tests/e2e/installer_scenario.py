"""The installer, silently: install, run the installed program, uninstall, and
check that the program's files, its Start-menu entry, its startup entry (in
either Run key) and its Add/Remove Programs registration are gone."""
import time

from driver import BUILD, PROGRAM_FOLDER, ScenarioFailure, check, check_equal, start_program
from waiting import wait_until

UNINSTALL_KEY = r"HKLM\Software\Microsoft\Windows\CurrentVersion\Uninstall\Vorlane"
SETTINGS_KEY = r"HKCU\Software\Pendrake\Vorlane"
RUN_KEYS = (r"HKLM\Software\Microsoft\Windows\CurrentVersion\Run",
            r"HKCU\Software\Microsoft\Windows\CurrentVersion\Run")
PROGRAM_FILES = ("Vorlane.exe", "HAND-M.CUR", "Uninstall.exe")


def start_menu_entries(prefix):
    return sorted(p for p in prefix.drive_c.rglob("Vorlane.lnk") if "Start Menu" in str(p))


def install(prefix):
    setup = BUILD / "Vorlane-Setup.exe"
    check(setup.exists(), f"{setup} was not built (makensis missing?)")
    result = prefix.run(["wine", str(setup), "/S"], timeout=120)
    check_equal(result.returncode, 0, "exit code of the silent install")
    folder = prefix.unix(PROGRAM_FOLDER)
    for name in PROGRAM_FILES:
        check((folder / name).is_file(), f"{name} was not installed")
    check(not (folder / "x").exists(), "the skin folder was installed although nobody chose it")
    check_equal(len(start_menu_entries(prefix)), 1, "Start-menu shortcuts")
    check_equal(prefix.reg_value(UNINSTALL_KEY, "DisplayName"), "Vorlane", "Add/Remove Programs name")
    check_equal(prefix.reg_value(UNINSTALL_KEY, "UninstallString"),
                f'"{PROGRAM_FOLDER}\\Uninstall.exe"', "uninstall command")


def uninstall(prefix, *options):
    # The uninstaller copies itself to TEMP and runs from there, so the first
    # process returns at once: wait for its work to show (no process of ours
    # to follow, so only the ceiling bounds this wait).
    prefix.run(["wine", PROGRAM_FOLDER + r"\Uninstall.exe", "/S", *options], timeout=120)
    folder = prefix.unix(PROGRAM_FOLDER)
    wait_until("the uninstaller to finish", lambda: not folder.exists()
               and prefix.reg_values(UNINSTALL_KEY) is None, interval=0.5)
    time.sleep(0.5)


def check_removed(prefix):
    problems = []
    if prefix.unix(PROGRAM_FOLDER).exists():
        problems.append("the program folder is still there")
    if start_menu_entries(prefix):
        problems.append(f"Start-menu shortcut left: {start_menu_entries(prefix)}")
    if prefix.reg_values(UNINSTALL_KEY) is not None:
        problems.append("the Add/Remove Programs registration is still there")
    for key in RUN_KEYS:
        if prefix.reg_value(key, "Vorlane.exe") is not None:
            problems.append(f"startup entry left in {key}")
    if problems:
        raise ScenarioFailure("after uninstalling:\n  " + "\n  ".join(problems))


def installer(prefix):
    install(prefix)
    main = start_program(prefix)
    main.click("Check4")
    main.wait("the startup entry", lambda: prefix.reg_value(RUN_KEYS[0], "Vorlane.exe")
               or prefix.reg_value(RUN_KEYS[1], "Vorlane.exe"))
    main.close_box()
    main.wait_until_ended()
    # The entry a user without administrator rights leaves in the per-user key.
    prefix.reg_add(RUN_KEYS[1], "Vorlane.exe", f'"{PROGRAM_FOLDER}\\Vorlane.exe"')

    uninstall(prefix)
    check_removed(prefix)
    check_equal(prefix.reg_value(SETTINGS_KEY, "Windows Startup"), "On",
                "settings after a silent uninstall (kept)")

    # Installed again and removed with /REMOVESETTINGS, the settings go too.
    install(prefix)
    uninstall(prefix, "/REMOVESETTINGS")
    check_removed(prefix)
    check_equal(prefix.reg_values(SETTINGS_KEY), None, "settings after /REMOVESETTINGS")
