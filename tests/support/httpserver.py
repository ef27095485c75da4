#!/usr/bin/env python3
"""A small HTTP server on 127.0.0.1 for the tests: serves a folder and injects faults.

usage: httpserver.py ROOT PORTFILE
Writes the chosen port to PORTFILE once it listens. Besides the files under ROOT:
  /fault/stall          headers and a few bytes, then silence (connection kept open)
  /fault/hang           accepts the request and never answers
  /fault/status/N       an error page with status N
  /fault/truncated      announces 1000 bytes, sends 10, closes
  /fault/big/N          N bytes of a known pattern
  /fault/headers        the request's headers as the body
Every request line is appended to ROOT/../requests.log.
"""
import http.server
import os
import socketserver
import sys
import time
import urllib.parse


class Handler(http.server.SimpleHTTPRequestHandler):
    protocol_version = "HTTP/1.1"

    def log_message(self, fmt, *args):
        with open(os.path.join(os.path.dirname(self.server.root), "requests.log"), "a") as log:
            log.write("%s %s\n" % (self.command, self.path))

    def translate_path(self, path):
        path = path.split("?", 1)[0]
        # Segments are split before decoding, so an encoded "/" stays inside its name.
        parts = [urllib.parse.unquote(p) for p in path.split("/") if p]
        return os.path.join(self.server.root, *[p for p in parts if p not in ("", ".", "..") and "/" not in p])

    def send_body(self, status, body, length=None):
        self.send_response(status)
        self.send_header("Content-Type", "application/octet-stream")
        self.send_header("Content-Length", str(len(body) if length is None else length))
        self.end_headers()
        self.wfile.write(body)
        self.wfile.flush()

    def do_GET(self):
        parts = [p for p in self.path.split("/") if p]
        if len(parts) >= 2 and parts[0] == "fault":
            kind = parts[1]
            if kind == "stall":
                self.send_response(200)
                self.send_header("Content-Length", "100000")
                self.end_headers()
                self.wfile.write(b"abc")
                self.wfile.flush()
                time.sleep(120)
                return
            if kind == "hang":
                time.sleep(120)
                return
            if kind == "status":
                code = int(parts[2])
                self.send_body(code, b"<html>error %d</html>" % code)
                return
            if kind == "truncated":
                self.send_body(200, b"0123456789", length=1000)
                self.close_connection = True
                return
            if kind == "big":
                n = int(parts[2])
                pattern = bytes(range(256))
                body = (pattern * (n // 256 + 1))[:n]
                self.send_body(200, body)
                return
            if kind == "headers":
                self.send_body(200, str(self.headers).encode())
                return
        super().do_GET()


class Server(socketserver.ThreadingMixIn, http.server.HTTPServer):
    daemon_threads = True
    allow_reuse_address = True


def main():
    root, portfile = sys.argv[1], sys.argv[2]
    server = Server(("127.0.0.1", 0), Handler)
    server.root = os.path.abspath(root)
    tmp = portfile + ".tmp"
    with open(tmp, "w") as f:
        f.write(str(server.server_address[1]))
    os.rename(tmp, portfile)
    server.serve_forever()


if __name__ == "__main__":
    main()
