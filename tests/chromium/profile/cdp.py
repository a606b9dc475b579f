"""A minimal client of the Chrome DevTools Protocol over the pipe that
--remote-debugging-pipe opens: the browser reads commands from its fd 3 and
writes replies and events to its fd 4, each one JSON text ended by a NUL."""
import contextlib
import json
import os
import subprocess
import time


class CdpError(Exception):
    pass


class Cdp:
    def __init__(self, to_browser, from_browser):
        self.to_browser = to_browser
        self.from_browser = from_browser
        self.buffer = b""
        self.next_id = 0
        self.events = []

    def _read_message(self):
        while b"\0" not in self.buffer:
            chunk = os.read(self.from_browser, 65536)
            if not chunk:
                raise CdpError("the browser closed its pipe")
            self.buffer += chunk
        text, self.buffer = self.buffer.split(b"\0", 1)
        return json.loads(text)

    def send(self, method, params=None, session=None):
        self.next_id += 1
        message = {"id": self.next_id, "method": method, "params": params or {}}
        if session:
            message["sessionId"] = session
        os.write(self.to_browser, json.dumps(message).encode() + b"\0")
        while True:
            reply = self._read_message()
            if reply.get("id") == self.next_id:
                if "error" in reply:
                    raise CdpError(f"{method}: {reply['error']}")
                return reply.get("result", {})
            self.events.append(reply)

    def wait_for(self, method, timeout=30, where=lambda params: True, session=None):
        """The parameters of the first event `method` (seen before or after the
        call) that `where` accepts, from `session` when one is given."""
        deadline = time.monotonic() + timeout
        while True:
            for i, event in enumerate(self.events):
                if (event.get("method") == method and where(event.get("params", {}))
                        and session in (None, event.get("sessionId"))):
                    del self.events[: i + 1]
                    return event["params"]
            if time.monotonic() > deadline:
                raise CdpError(f"no {method} within {timeout} s")
            self.events.append(self._read_message())

    def evaluate(self, session, body):
        """Runs `body` as an async function in the page of `session` and returns what it returns."""
        reply = self.send("Runtime.evaluate", {"expression": f"(async () => {{ {body} }})()",
                                               "awaitPromise": True, "returnByValue": True}, session)
        if "exceptionDetails" in reply:
            raise CdpError(f"script failed: {reply['exceptionDetails']}")
        return reply["result"].get("value")

    def open_tab(self, url="about:blank"):
        """A new tab, attached: its session id."""
        target = self.send("Target.createTarget", {"url": url})["targetId"]
        session = self.send("Target.attachToTarget", {"targetId": target, "flatten": True})["sessionId"]
        self.send("Page.enable", {}, session)
        return target, session


@contextlib.contextmanager
def chromium_session(user_data, home, log_path, extra_args=()):
    """Starts Debian's chromium headless on `user_data`, with HOME and the XDG
    folders in `home` (never the user's own), and yields a Cdp client."""
    env = dict(os.environ, HOME=home, XDG_CONFIG_HOME=os.path.join(home, ".config"),
               XDG_CACHE_HOME=os.path.join(home, ".cache"), XDG_DATA_HOME=os.path.join(home, ".local"))
    env.pop("DISPLAY", None)
    commands_r, commands_w = os.pipe()
    replies_r, replies_w = os.pipe()

    def wire_pipes():
        os.dup2(commands_r, 3)
        os.dup2(replies_w, 4)

    log = open(log_path, "w")
    args = ["chromium", "--headless", "--remote-debugging-pipe", f"--user-data-dir={user_data}",
            "--no-sandbox", "--no-first-run", "--no-default-browser-check", "--disable-sync",
            "--password-store=basic", "--use-mock-keychain", "--disable-features=Translate,MediaRouter,HttpsUpgrades",
            "--enable-logging=stderr", *extra_args, "about:blank"]
    process = subprocess.Popen(args, env=env, stdout=log, stderr=log, preexec_fn=wire_pipes, pass_fds=(3, 4))
    os.close(commands_r)
    os.close(replies_w)
    client = Cdp(commands_w, replies_r)
    try:
        yield client
        with contextlib.suppress(CdpError, OSError):
            client.send("Browser.close")
        process.wait(timeout=60)
    finally:
        if process.poll() is None:
            process.kill()
            process.wait()
        os.close(commands_w)
        os.close(replies_r)
        log.close()
