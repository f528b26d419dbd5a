#!/usr/bin/env python3
"""A server on 127.0.0.1 that accepts connections, reads what the client
sends and never answers: a maker's server that hangs.

    silent_http_server.py <work folder> [--lifetime SECONDS]

It writes its port to <work folder>/port once it listens and one line per
connection to <work folder>/connections.log (the first request line when one
arrived). Connections are held open until the client leaves; the server
ends by itself after --lifetime seconds (default 600).
"""

import argparse
import os
import selectors
import socket
import sys
import time


def main():
    parser = argparse.ArgumentParser(description="Accepts connections on 127.0.0.1 and never answers.")
    parser.add_argument("work")
    parser.add_argument("--lifetime", type=float, default=600.0)
    args = parser.parse_args()

    listener = socket.socket(socket.AF_INET, socket.SOCK_STREAM)
    listener.setsockopt(socket.SOL_SOCKET, socket.SO_REUSEADDR, 1)
    listener.bind(("127.0.0.1", 0))
    listener.listen(64)
    listener.setblocking(False)

    os.makedirs(args.work, exist_ok=True)
    log = open(os.path.join(args.work, "connections.log"), "a", buffering=1)
    port_file = os.path.join(args.work, "port")
    with open(port_file + ".tmp", "w") as out:
        out.write("%d\n" % listener.getsockname()[1])
    os.rename(port_file + ".tmp", port_file)

    selector = selectors.DefaultSelector()
    selector.register(listener, selectors.EVENT_READ)
    first_lines = {}
    end = time.monotonic() + args.lifetime

    while time.monotonic() < end:
        for key, _ in selector.select(timeout=1.0):
            if key.fileobj is listener:
                try:
                    connection, _ = listener.accept()
                except BlockingIOError:
                    continue
                connection.setblocking(False)
                selector.register(connection, selectors.EVENT_READ)
                first_lines[connection] = b""
                continue

            connection = key.fileobj
            try:
                data = connection.recv(65536)
            except OSError:
                data = b""
            if not data:
                selector.unregister(connection)
                connection.close()
                first_lines.pop(connection, None)
                continue
            seen = first_lines.get(connection)
            if seen is not None:
                seen += data
                if b"\n" in seen:
                    log.write(seen.split(b"\r\n", 1)[0].split(b"\n", 1)[0].decode("latin-1") + "\n")
                    first_lines[connection] = None
                else:
                    first_lines[connection] = seen[:4096]
    return 0


if __name__ == "__main__":
    sys.exit(main())
