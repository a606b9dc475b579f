"""The request handler that the tests' small web sites build on: replies that
browsers keep in their cache for a day, and no request log on the console.
The same server is also the browsers' HTTP proxy for made-up host names: a
proxy request names the whole address (`GET http://alpha-visit.test/first`)."""
import http.server
import urllib.parse


class SiteHandler(http.server.BaseHTTPRequestHandler):
    def target(self):
        """The host (with its port, when the address names one) and the path
        without its query that this request asks for."""
        if "://" in self.path:
            parts = urllib.parse.urlsplit(self.path)
            return parts.netloc, parts.path or "/"
        return self.headers.get("Host", ""), self.path.split("?")[0]

    def _reply(self, body, kind, headers=None):
        self.send_response(200)
        self.send_header("Content-Type", kind)
        self.send_header("Content-Length", str(len(body)))
        self.send_header("Cache-Control", "public, max-age=86400")
        for key, value in (headers or {}).items():
            self.send_header(key, value)
        self.end_headers()
        self.wfile.write(body)

    def log_message(self, *args):
        pass
