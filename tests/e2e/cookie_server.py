"""A small web site on 127.0.0.1 for the end-to-end tests: every page is
cacheable and sets a persistent cookie, so one WinINet download leaves both a
cache entry and a cookie entry in the URL cache of the test prefix."""
import http.server
import threading

PAGES = {
    "/index.html": ("text/html", b"<html><body><img src='logo.gif'>Vorlane test page</body></html>"),
    "/logo.gif": ("image/gif", b"GIF89a\x01\x00\x01\x00\x80\x00\x00\x00\x00\x00\xff\xff\xff!\xf9\x04"
                  b"\x01\x00\x00\x00\x00,\x00\x00\x00\x00\x01\x00\x01\x00\x00\x02\x02D\x01\x00;"),
    "/style.css": ("text/css", b"body { color: black; }"),
}


class Handler(http.server.BaseHTTPRequestHandler):
    def do_GET(self):
        page = PAGES.get(self.path.split("?")[0])
        if page is None:
            self.send_error(404)
            return
        kind, body = page
        name = self.path.strip("/").replace(".", "_")
        self.send_response(200)
        self.send_header("Content-Type", kind)
        self.send_header("Content-Length", str(len(body)))
        self.send_header("Cache-Control", "public, max-age=86400")
        self.send_header("Set-Cookie", f"visit_{name}=1; Path=/; Expires=Fri, 01 Jan 2100 00:00:00 GMT")
        self.end_headers()
        self.wfile.write(body)

    def log_message(self, *args):
        pass


class CookieServer:
    """Serves PAGES on a free loopback port until stopped."""

    def __enter__(self):
        self.server = http.server.ThreadingHTTPServer(("127.0.0.1", 0), Handler)
        self.thread = threading.Thread(target=self.server.serve_forever, daemon=True)
        self.thread.start()
        return self

    def url(self, page):
        return f"http://127.0.0.1:{self.server.server_address[1]}{page}"

    def __exit__(self, *exc):
        self.server.shutdown()
        self.server.server_close()
