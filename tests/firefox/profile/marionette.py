"""A minimal client of Firefox's Marionette protocol: length-prefixed JSON over
TCP ("LEN:[0, id, command, params]" out, "LEN:[1, id, error, result]" back)."""
import contextlib
import json
import os
import socket
import subprocess
import time


def start_firefox(profile, home, log_path):
    """Starts firefox-esr headless with Marionette on `profile`; HOME and the
    cache folders are `home`, never the user's own."""
    env = dict(os.environ, HOME=home, XDG_CACHE_HOME=os.path.join(home, ".cache"),
               XDG_CONFIG_HOME=os.path.join(home, ".config"), MOZ_HEADLESS="1",
               MOZ_CRASHREPORTER_DISABLE="1", MOZ_DISABLE_AUTO_SAFE_MODE="1")
    env.pop("DISPLAY", None)
    log = open(log_path, "w")
    return subprocess.Popen(["firefox-esr", "--headless", "--marionette", "--no-remote",
                             "-remote-allow-system-access", "-profile", profile],
                            env=env, stdout=log, stderr=log)


class MarionetteError(Exception):
    pass


class Marionette:
    def __init__(self, host="127.0.0.1", port=2828, timeout=60):
        self.sock = self._connect(host, port, timeout)
        self.sock.settimeout(timeout)
        self.buffer = b""
        self.next_id = 0
        self._receive()  # the server's greeting: application type and protocol level

    @staticmethod
    def _connect(host, port, timeout):
        deadline = time.monotonic() + timeout
        while True:
            try:
                return socket.create_connection((host, port), timeout=2)
            except OSError:
                if time.monotonic() > deadline:
                    raise
                time.sleep(0.1)

    def _receive(self):
        while b":" not in self.buffer:
            self._read_more()
        length, _, rest = self.buffer.partition(b":")
        size = int(length)
        self.buffer = rest
        while len(self.buffer) < size:
            self._read_more()
        message, self.buffer = self.buffer[:size], self.buffer[size:]
        return json.loads(message)

    def _read_more(self):
        chunk = self.sock.recv(65536)
        if not chunk:
            raise MarionetteError("connection closed by Firefox")
        self.buffer += chunk

    def send(self, command, params=None):
        self.next_id += 1
        body = json.dumps([0, self.next_id, command, params or {}]).encode()
        self.sock.sendall(str(len(body)).encode() + b":" + body)
        while True:
            kind, msg_id, error, result = self._receive()
            if kind == 1 and msg_id == self.next_id:
                break
        if error:
            raise MarionetteError(f"{command}: {error.get('error')}: {error.get('message')}")
        return result

    def new_session(self):
        return self.send("WebDriver:NewSession", {"capabilities": {"pageLoadStrategy": "normal"}})

    def navigate(self, url):
        self.send("WebDriver:Navigate", {"url": url})

    def new_tab(self):
        """Opens a tab and switches to it: its handle."""
        handle = self.send("WebDriver:NewWindow", {"type": "tab", "focus": True})["handle"]
        self.switch_to(handle)
        return handle

    def switch_to(self, handle):
        self.send("WebDriver:SwitchToWindow", {"handle": handle, "focus": True})

    def close_tab(self):
        """Closes the current tab: the handles of the tabs left."""
        return self.send("WebDriver:CloseWindow")

    def window_handle(self):
        return self.send("WebDriver:GetWindowHandle")["value"]

    def install_addon(self, path):
        """Installs the add-on file at `path` for good (not as a temporary add-on): its id."""
        return self.send("Addon:Install", {"path": path, "temporary": False})["value"]

    def set_context(self, context):
        self.send("Marionette:SetContext", {"value": context})

    def run_async(self, script, args=None):
        """Runs `script` as an async function body; what it returns is the result."""
        wrapped = ("const done = arguments[arguments.length - 1];"
                   f"(async () => {{ {script} }})().then(done, e => done('ERROR: ' + e + '\\n' + e.stack));")
        result = self.send("WebDriver:ExecuteAsyncScript",
                           {"script": wrapped, "args": args or [], "scriptTimeout": 60000})
        value = result.get("value") if isinstance(result, dict) else result
        if isinstance(value, str) and value.startswith("ERROR: "):
            raise MarionetteError(value)
        return value

    def quit(self):
        try:
            self.send("Marionette:Quit", {"flags": ["eAttemptQuit"]})
        except (MarionetteError, OSError):
            pass  # the connection closes as Firefox goes
        self.sock.close()


@contextlib.contextmanager
def marionette_session(profile, home, log_path):
    """Starts Firefox on the profile and yields a Marionette client with a new
    session; quits Firefox afterwards (kills it when it does not end)."""
    firefox = start_firefox(profile, home, log_path)
    try:
        client = Marionette()
        client.new_session()
        yield client
        client.quit()
        firefox.wait(timeout=60)
    finally:
        if firefox.poll() is None:
            firefox.kill()
            firefox.wait()
