"""Waits that follow the program instead of the clock.

A fixed time-out fails a scenario on a loaded machine although the program is
merely slow. These waits watch the program's own process instead (a Wine
program is one Linux process, threads included): a wait goes on while the
program works, that is while it uses processor time, and gives up only when

- the program ended before what was awaited happened;
- the program sat still for the last PATIENCE seconds (it used less than
  IDLE_SHARE of a processor core; the driver's own looks at its window cost it
  a little): it has nothing left to do, so what was awaited will not come, or
  it is stuck waiting for something that never happens;
- CEILING seconds have passed whatever the program did, so a program that spins
  forever still fails.

A wait with no program to follow (a process the driver did not start) has the
ceiling alone. Every failure says what was awaited, for how long, and what the
program was doing.
"""
import os
import time
from collections import deque
from pathlib import Path

PATIENCE = 20.0
IDLE_SHARE = 0.02
CEILING = 120.0
TICKS_PER_SECOND = os.sysconf("SC_CLK_TCK")


class WaitFailure(AssertionError):
    pass


class Process:
    """A started program's Linux process: whether it runs and how much it has worked.

    `answers`, when set, tells whether the program's window answers messages;
    failures report it.
    """

    def __init__(self, popen, name):
        self.popen = popen
        self.name = name
        self.answers = None
        self._stat = Path(f"/proc/{popen.pid}/stat")

    def alive(self):
        return self.popen.poll() is None

    def cpu_ticks(self):
        """User plus system time so far (all threads), in clock ticks; 0 once it is gone."""
        try:
            # The fields after the command name in parentheses: utime and stime
            # are the 14th and 15th of the whole line.
            fields = self._stat.read_text().rsplit(")", 1)[1].split()
        except OSError:
            return 0
        return int(fields[11]) + int(fields[12])

    def describe(self):
        """What the program is doing now, for a failure message."""
        if not self.alive():
            return f"{self.name} has ended"
        text = f"{self.name} runs, {self.cpu_ticks() / TICKS_PER_SECOND:.1f} s of processor time so far"
        if self.answers is not None:
            text += ", its window " + ("answers messages" if self.answers() else "does not answer messages")
        return text


class Activity:
    """How much a program worked lately, from samples of its processor time."""

    def __init__(self, program):
        self.program = program
        self.samples = deque([(time.monotonic(), program.cpu_ticks())])

    def worked(self, seconds):
        """Processor seconds the program used in the last `seconds`, or None
        while it has not been watched that long."""
        now, ticks = time.monotonic(), self.program.cpu_ticks()
        self.samples.append((now, ticks))
        # Keep the newest sample taken at least `seconds` ago as the start.
        while len(self.samples) > 1 and self.samples[1][0] <= now - seconds:
            self.samples.popleft()
        since, ticks_then = self.samples[0]
        if since > now - seconds:
            return None
        return (ticks - ticks_then) / TICKS_PER_SECOND


def wait_until(what, condition, program=None, patience=PATIENCE, ceiling=CEILING, seen=None, interval=0.1):
    """Polls condition() until it returns something truthy, and returns that.

    `what` names what is awaited; `program` is the Process whose work brings it
    (None: the ceiling alone bounds the wait); `seen`, when given, describes the
    last thing observed, for the failure message.
    """
    started = time.monotonic()
    activity = Activity(program) if program is not None else None
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
        worked = activity.worked(patience) if activity is not None else None
        if worked is not None and worked < patience * IDLE_SHARE:
            fail(f"waited {waited:.0f} s for {what}; the program sat still for the last {patience:.0f} s "
                 f"({worked:.2f} s of processor time; {program.describe()})", seen)
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


def wait_until_still(what, program, quiet=0.5, ceiling=CEILING):
    """Waits until the program has used no processor time for `quiet` seconds:
    it has done what it was given (painted a window, handled a click)."""
    started = time.monotonic()
    activity = Activity(program)
    while activity.worked(quiet) != 0:
        if not program.alive():
            fail(f"{program.name} ended while waiting for {what}")
        if time.monotonic() - started >= ceiling:
            fail(f"waited {ceiling:.0f} s for {what}; the program never rested ({program.describe()})")
        time.sleep(0.05)


def fail(message, seen=None):
    raise WaitFailure(message + (f"; last seen: {seen()}" if seen is not None else ""))
