#!/usr/bin/env python3
"""An HTTP server on 127.0.0.1 for tests that serves the files below one
folder and answers range requests wrongly on purpose.

    fault_http_server.py <document root> <work folder>

It writes its port to <work folder>/port once it listens and one line per
request to <work folder>/requests.log: method, path with query, status, the
Range header in quotes ("-" when none), the body bytes sent and the If-Range
header ("If-Range: -" when none).

The first piece of the path chooses how range requests are answered; the
rest names the file:

    /<mode>/<file>?tries=N&start=S&rate=R

    ok            206 with the asked range, as a correct server does
    ignore-range  200 with the whole file, as a server without range support
    drop          the range's Content-Length, half the bytes, then a reset
    stall         the range's Content-Length, half the bytes, then silence
                  with the connection kept open
    short         the range's Content-Length, half the bytes, then a normal close
    early-end     a well-formed 206 that claims the whole range but has a
                  Content-Length of half of it and ends there
    fail500       500 Internal Server Error
    wrong-range   206 whose Content-Range and body are another range
    trickle       the asked range, R bytes per second (default 4096)
    redirect      302 to <to>/<file> for every request (to=<address or
                  /path on this server>); without to=, to itself: a loop
    swap          the asked range, but after N range requests of the file
                  (swap=N, default 3) the file is replaced by another build
                  of the same size (every byte XOR 0x5A), once, or again
                  after every N more with every=1
    silent        no answer at all, to any request: the connection is
                  accepted and kept open until the client leaves

tries=N injects the fault only into the first N requests of each range
(default: every request); start=S only into ranges that begin at byte S.

Every answer carries an ETag made from the file's content. A range request
whose If-Range names another ETag gets the whole file with 200, as RFC 9110
asks; if-range=ignore makes the server answer the range all the same.
A request without a Range header (the size probe) gets the whole file
with 200, except in these modes:

    probe206      206 with a Content-Range for the whole file
    length-first  200 with Content-Length as the first header line
    claim-size    200 claiming a Content-Length of size=N bytes, zeros sent
                  until the client leaves; every range then gets 500
"""

import hashlib
import http.server
import os
import re
import socket
import socketserver
import struct
import sys
import threading
import time
import urllib.parse

MODES = {"silent", "ok", "ignore-range", "drop", "stall", "short", "early-end", "fail500", "wrong-range", "trickle",
         "probe206", "length-first", "claim-size", "swap", "redirect"}


class Server(socketserver.ThreadingMixIn, http.server.HTTPServer):
    daemon_threads = True
    allow_reuse_address = True
    request_queue_size = 64

    def __init__(self, root, work):
        super().__init__(("127.0.0.1", 0), Handler)
        self.root = os.path.realpath(root)
        self.work = work
        self.lock = threading.Lock()
        self.tries = {}
        self.log = open(os.path.join(work, "requests.log"), "a", buffering=1)

    def count_try(self, key):
        with self.lock:
            self.tries[key] = self.tries.get(key, 0) + 1
            return self.tries[key]

    def write_log(self, line):
        with self.lock:
            self.log.write(line + "\n")


class Handler(http.server.BaseHTTPRequestHandler):
    server_version = "FaultHttp/1"

    def log_message(self, *args):
        pass

    def do_GET(self):
        self.sent = 0
        self.status = 0
        self.etag = None
        try:
            self.answer()
        except (BrokenPipeError, ConnectionResetError):
            pass
        finally:
            range_header = self.headers.get("Range")
            if_range = self.headers.get("If-Range")
            self.server.write_log('GET %s %d "%s" %d If-Range: %s'
                                  % (self.path, self.status, range_header or "-", self.sent, if_range or "-"))

    def answer(self):
        address = urllib.parse.urlsplit(self.path)
        query = urllib.parse.parse_qs(address.query)
        pieces = urllib.parse.unquote(address.path).lstrip("/").split("/", 1)

        if len(pieces) != 2 or pieces[0] not in MODES:
            return self.plain(404)

        mode, name = pieces

        if mode == "silent":
            return self.wait_for_client_to_leave()
        if mode == "redirect":
            target = query.get("to", ["/redirect"])[0].rstrip("/") + "/" + urllib.parse.quote(name)
            if "to" not in query and address.query:
                target += "?" + address.query
            return self.send(302, b"", {"Location": target})
        path = os.path.realpath(os.path.join(self.server.root, name))

        if not path.startswith(self.server.root + os.sep) or not os.path.isfile(path):
            return self.plain(404)

        range_header = self.headers.get("Range")

        if mode == "swap" and range_header is not None:
            data = self.swap_and_read(path, query)
        else:
            with open(path, "rb") as f:
                data = f.read()

        size = len(data)
        self.etag = '"%s"' % hashlib.sha1(data).hexdigest()[:16]
        if_range = self.headers.get("If-Range")

        if (range_header is not None and if_range is not None and if_range != self.etag
                and query.get("if-range") != ["ignore"]):
            return self.send(200, data)

        if range_header is None:
            if mode == "probe206":
                return self.send(206, data, {"Content-Range": "bytes 0-%d/%d" % (size - 1, size)})
            if mode == "length-first":
                self.status = 200
                self.wfile.write(b"HTTP/1.0 200 OK\r\nContent-Length: %d\r\nConnection: close\r\n\r\n" % size)
                return self.write(data)
            if mode == "claim-size":
                claimed = int(query["size"][0])
                self.start_answer(200, claimed)
                for _ in range(min(claimed, 64 * 1024 * 1024) // 65536):
                    self.write(bytes(65536))
                return
            return self.send(200, data)

        if mode == "claim-size":
            return self.plain(500)

        match = re.fullmatch(r"bytes=(\d+)-(\d*)", range_header.strip())

        if not match:
            return self.plain(400)

        start = int(match.group(1))
        end = min(int(match.group(2)), size - 1) if match.group(2) else size - 1

        if start >= size or end < start:
            return self.send(416, b"", {"Content-Range": "bytes */%d" % size})

        attempt = self.server.count_try((self.path, range_header))
        faulty = mode not in ("ok", "probe206", "length-first", "swap")

        if "tries" in query and attempt > int(query["tries"][0]):
            faulty = False

        if "start" in query and start != int(query["start"][0]):
            faulty = False

        body = data[start:end + 1]
        content_range = {"Content-Range": "bytes %d-%d/%d" % (start, end, size)}

        if not faulty:
            return self.send(206, body, content_range)

        half = len(body) // 2

        if mode == "ignore-range":
            self.send(200, data)
        elif mode == "fail500":
            self.plain(500)
        elif mode == "drop":
            self.send(206, body[:half], content_range, length=len(body))
            self.wfile.flush()
            # SO_LINGER with a zero time-out turns the close into a reset.
            self.connection.setsockopt(socket.SOL_SOCKET, socket.SO_LINGER, struct.pack("ii", 1, 0))
            self.connection.close()
        elif mode == "short":
            self.send(206, body[:half], content_range, length=len(body))
        elif mode == "early-end":
            self.send(206, body[:half], content_range)
        elif mode == "stall":
            self.send(206, body[:half], content_range, length=len(body))
            self.wfile.flush()
            self.wait_for_client_to_leave()
        elif mode == "wrong-range":
            # The neighbouring bytes, or, when the range has none, the right
            # bytes under a wrong total size.
            if end + 1 < size:
                other = (start + 1, end + 1, size)
            elif start > 0:
                other = (start - 1, end - 1, size)
            else:
                other = (start, end, size + 1)
            self.send(206, data[other[0]:other[1] + 1], {"Content-Range": "bytes %d-%d/%d" % other})
        elif mode == "trickle":
            rate = int(query.get("rate", ["4096"])[0])
            self.start_answer(206, len(body), content_range)
            piece = max(1, rate // 10)
            for offset in range(0, len(body), piece):
                self.write(body[offset:offset + piece])
                time.sleep(0.1)

    def swap_and_read(self, path, query):
        """The file as this range request finds it: the request after every
        N-th one replaces it first (by a rename, so that no reader meets half
        a file)."""
        after = int(query.get("swap", ["3"])[0])
        with self.server.lock:
            count = self.server.tries.get(("swap", self.path), 0) + 1
            self.server.tries[("swap", self.path)] = count
            if count > 1 and (count - 1) % after == 0 and (count - 1 == after or query.get("every") == ["1"]):
                with open(path, "rb") as f:
                    swapped = bytes(b ^ 0x5A for b in f.read())
                with open(path + ".swap", "wb") as f:
                    f.write(swapped)
                os.rename(path + ".swap", path)
            with open(path, "rb") as f:
                return f.read()

    def start_answer(self, status, length, headers=None):
        self.status = status
        self.send_response(status)
        self.send_header("Content-Type", "application/octet-stream")
        self.send_header("Content-Length", str(length))
        if getattr(self, "etag", None):
            self.send_header("ETag", self.etag)
        for key, value in (headers or {}).items():
            self.send_header(key, value)
        self.send_header("Connection", "close")
        self.end_headers()

    def write(self, data):
        self.wfile.write(data)
        self.wfile.flush()
        self.sent += len(data)

    def send(self, status, body, headers=None, length=None):
        self.start_answer(status, len(body) if length is None else length, headers)
        self.write(body)

    def plain(self, status):
        self.send(status, b"%d\n" % status)

    def wait_for_client_to_leave(self):
        deadline = time.monotonic() + 120
        self.connection.settimeout(0.2)
        while time.monotonic() < deadline:
            try:
                if self.connection.recv(1024, socket.MSG_PEEK) == b"":
                    return
                time.sleep(0.2)
            except socket.timeout:
                continue
            except OSError:
                return


def main():
    if len(sys.argv) != 3:
        sys.stderr.write("usage: fault_http_server.py <document root> <work folder>\n")
        return 2

    root, work = sys.argv[1], sys.argv[2]
    os.makedirs(work, exist_ok=True)
    server = Server(root, work)

    port_file = os.path.join(work, "port")
    with open(port_file + ".new", "w") as f:
        f.write("%d\n" % server.server_address[1])
    os.rename(port_file + ".new", port_file)

    # A test runner that dies without stopping the server must not leave it
    # behind: the server ends once its parent has gone.
    parent = os.getppid()

    def watch_parent():
        while os.getppid() == parent:
            time.sleep(0.5)
        os._exit(0)

    threading.Thread(target=watch_parent, daemon=True).start()
    server.serve_forever()
    return 0


if __name__ == "__main__":
    sys.exit(main())
