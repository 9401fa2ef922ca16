#!/usr/bin/env python3
"""A loopback TCP proxy that resets every connection once it has carried a given
number of bytes from the server to the client: a link that breaks every so often.

    reset_proxy.py LISTEN_PORT UPSTREAM_PORT RESET_AFTER_BYTES

Prints "ready" once it listens. Each reset closes both sides with RST."""
import socket
import struct
import sys
import threading

BLOCK = 65536  # bytes per receive


def abort(sock):
    # A zero linger turns the close into a reset; shutting the reading side
    # first wakes the other thread's receive, which holds the socket open.
    try:
        sock.setsockopt(socket.SOL_SOCKET, socket.SO_LINGER, struct.pack("ii", 1, 0))
        sock.shutdown(socket.SHUT_RD)
    except OSError:
        pass
    sock.close()


def pump(source, target, limit, on_end):
    carried = 0
    try:
        while True:
            data = source.recv(BLOCK)
            if not data:
                break
            if limit and carried + len(data) >= limit:
                target.sendall(data[: limit - carried])
                on_end(True)
                return
            target.sendall(data)
            carried += len(data)
    except OSError:
        pass
    on_end(False)


def serve(client, upstream_port, reset_after):
    server = socket.create_connection(("127.0.0.1", upstream_port))
    lock = threading.Lock()
    ended = []

    def end(reset):
        with lock:
            if ended:
                return
            ended.append(True)
        if reset:
            abort(client)
            abort(server)
        else:
            for s in (client, server):
                try:
                    s.shutdown(socket.SHUT_RDWR)
                except OSError:
                    pass
                s.close()

    threading.Thread(target=pump, args=(client, server, 0, end), daemon=True).start()
    pump(server, client, reset_after, end)


def main():
    listen_port, upstream_port, reset_after = (int(a) for a in sys.argv[1:4])
    listener = socket.socket()
    listener.setsockopt(socket.SOL_SOCKET, socket.SO_REUSEADDR, 1)
    listener.bind(("127.0.0.1", listen_port))
    listener.listen(64)
    print("ready", flush=True)
    while True:
        client, _ = listener.accept()
        threading.Thread(target=serve, args=(client, upstream_port, reset_after), daemon=True).start()


if __name__ == "__main__":
    main()
