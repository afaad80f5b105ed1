#!/usr/bin/env python3
"""Serves a folder on this machine only, for trying the web build in a browser.

Usage: scripts/web_serve.py FOLDER [PORT]   (PORT 0, or taken: any free one)
Prints the address on its first line, then one line per request unless --quiet.
"""
import functools
import http.server
import sys


class Handler(http.server.SimpleHTTPRequestHandler):
    extensions_map = {**http.server.SimpleHTTPRequestHandler.extensions_map,
                      ".wasm": "application/wasm", ".data": "application/octet-stream"}

    def end_headers(self):
        # A rebuilt page shows on the next reload.
        self.send_header("Cache-Control", "no-cache")
        super().end_headers()


class QuietHandler(Handler):
    def log_message(self, *args):
        pass


def main(argv):
    quiet = "--quiet" in argv
    args = [a for a in argv if a != "--quiet"]
    if len(args) not in (1, 2):
        print(__doc__.strip(), file=sys.stderr)
        return 2
    folder = args[0]
    try:
        port = int(args[1]) if len(args) == 2 else 8000
    except ValueError:
        print(f"web_serve: not a port number: {args[1]}", file=sys.stderr)
        return 2
    handler = functools.partial(QuietHandler if quiet else Handler, directory=folder)
    try:
        server = http.server.ThreadingHTTPServer(("127.0.0.1", port), handler)
    except OSError:
        server = http.server.ThreadingHTTPServer(("127.0.0.1", 0), handler)
    print(f"Serving {folder} at http://127.0.0.1:{server.server_address[1]}/", flush=True)
    try:
        server.serve_forever()
    except KeyboardInterrupt:
        pass
    return 0


if __name__ == "__main__":
    sys.exit(main(sys.argv[1:]))
