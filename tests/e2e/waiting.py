"""Waits for what a step needs, never for the clock or the processor.

A wait polls one condition (a window, a control's text, a list's rows, a file,
a registry value, the program's end) and gives up only when

- the program it follows ended before what was awaited happened;
- CEILING seconds have passed, whatever the program did.

It never judges from how much processor time the program uses: under Wine a
program whose window lies under the mouse pointer never rests (Wine polls the
pointer for it), so a wait on its processor time would depend on where the
last click left the pointer. Every failure says what was awaited, for how
long, and what was last seen.
"""
import time

CEILING = 120.0


class WaitFailure(AssertionError):
    pass


class Process:
    """A started program's Linux process (a Wine program is one, threads included).

    `answers`, when set, tells whether the program's window answers messages;
    failures report it.
    """

    def __init__(self, popen, name):
        self.popen = popen
        self.name = name
        self.answers = None

    def alive(self):
        return self.popen.poll() is None

    def describe(self):
        """What the program is doing now, for a failure message."""
        if not self.alive():
            return f"{self.name} has ended"
        text = f"{self.name} runs"
        if self.answers is not None:
            text += ", its window " + ("answers messages" if self.answers() else "does not answer messages")
        return text


def wait_until(what, condition, program=None, ceiling=CEILING, seen=None, interval=0.1):
    """Polls condition() until it returns something truthy, and returns that.

    `what` names what is awaited; `program`, when given, is the Process whose
    end fails the wait at once; `seen`, when given, describes the last thing
    observed, for the failure message.
    """
    started = time.monotonic()
    while True:
        value = look(condition, program)
        if value:
            return value
        waited = time.monotonic() - started
        if program is not None and not program.alive():
            value = look(condition, program)  # it may have come just before the end
            if value:
                return value
            fail(f"{program.name} ended while waiting {waited:.1f} s for {what}", seen)
        if waited >= ceiling:
            state = f" ({program.describe()})" if program is not None else ""
            fail(f"waited {ceiling:.0f} s, the longest any wait goes, for {what}{state}", seen)
        time.sleep(interval)


def look(condition, program):
    """condition(), or None when it failed because the program (and its window) is gone."""
    try:
        return condition()
    except AssertionError:
        if program is None or program.alive():
            raise
        return None


def fail(message, seen=None):
    raise WaitFailure(message + (f"; last seen: {seen()}" if seen is not None else ""))
