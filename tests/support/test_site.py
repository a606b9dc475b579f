"""The request handler that the tests' small web sites build on: replies that
browsers keep in their cache for a day, and no request log on the console."""
import http.server


class SiteHandler(http.server.BaseHTTPRequestHandler):
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
