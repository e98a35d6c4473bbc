#!/usr/bin/python3
"""A MySQL server that only ever greets and asks for a password, on 127.0.0.1, without TLS.

It speaks just enough of the protocol to see what a client hands over. The greeting names a login
method (--greeting, by default the account's); when the client answers with another one, the
server asks it to switch to the account's method (--plugin), as a real server does, for instance
to the clear-text one. For caching_sha2_password it then asks for the whole password, as a server
does that has none cached. It never lets anybody in.
Every connection is written to --log as one JSON line: the user name the client sent, whether it
asked for TLS, the bytes of every packet it sent (hex), and how the connection ended.
It prints its port on stdout once it listens, and serves until it is killed.
"""
import argparse
import json
import os
import socket
import struct
import sys
import threading

CLIENT_LONG_PASSWORD = 0x1
CLIENT_FOUND_ROWS = 0x2
CLIENT_LONG_FLAG = 0x4
CLIENT_CONNECT_WITH_DB = 0x8
CLIENT_PROTOCOL_41 = 0x200
CLIENT_SSL = 0x800
CLIENT_TRANSACTIONS = 0x2000
CLIENT_SECURE_CONNECTION = 0x8000
CLIENT_MULTI_RESULTS = 0x20000
CLIENT_PLUGIN_AUTH = 0x80000
CLIENT_CONNECT_ATTRS = 0x100000
CLIENT_PLUGIN_AUTH_LENENC_CLIENT_DATA = 0x200000

CAPABILITIES = (CLIENT_LONG_PASSWORD | CLIENT_FOUND_ROWS | CLIENT_LONG_FLAG | CLIENT_CONNECT_WITH_DB
                | CLIENT_PROTOCOL_41 | CLIENT_TRANSACTIONS | CLIENT_SECURE_CONNECTION
                | CLIENT_MULTI_RESULTS | CLIENT_PLUGIN_AUTH | CLIENT_CONNECT_ATTRS
                | CLIENT_PLUGIN_AUTH_LENENC_CLIENT_DATA)

SCRAMBLE = b"abcdefghijklmnopqrst"


def packet(seq, payload):
    return struct.pack("<I", len(payload))[:3] + bytes([seq & 0xFF]) + payload


def read_packet(conn):
    head = b""
    while len(head) < 4:
        chunk = conn.recv(4 - len(head))
        if not chunk:
            return None, None
        head += chunk
    length = head[0] | head[1] << 8 | head[2] << 16
    body = b""
    while len(body) < length:
        chunk = conn.recv(length - len(body))
        if not chunk:
            return head[3], body
        body += chunk
    return head[3], body


def greeting(plugin):
    caps = CAPABILITIES
    return (b"\x0a" + b"5.5.5-10.11.0-MariaDB-fake\x00" + struct.pack("<I", 7) + SCRAMBLE[:8] + b"\x00"
            + struct.pack("<H", caps & 0xFFFF) + b"\x2d" + struct.pack("<H", 2)
            + struct.pack("<H", caps >> 16) + bytes([len(SCRAMBLE) + 1]) + b"\x00" * 10
            + SCRAMBLE[8:] + b"\x00" + plugin.encode() + b"\x00")


def user_and_plugin(response):
    # HandshakeResponse41: caps(4) max packet(4) charset(1) filler(23) user NUL, auth data
    # (length-prefixed), database NUL when asked for, plugin name NUL.
    if len(response) < 33:
        return None, None
    end = response.find(b"\x00", 32)
    user = response[32:end].decode("utf-8", "replace")
    caps = struct.unpack("<I", response[:4])[0]
    pos = end + 1
    length = response[pos]
    pos += 1 + length
    if caps & CLIENT_CONNECT_WITH_DB:
        pos = response.find(b"\x00", pos) + 1
    plugin_end = response.find(b"\x00", pos)
    return user, response[pos:plugin_end].decode("ascii", "replace")


def serve(conn, args, lock):
    record = {"packets": [], "user": None, "tls_requested": False, "ended": "closed by client"}
    try:
        conn.settimeout(10)
        conn.sendall(packet(0, greeting(args.greeting or args.plugin)))
        seq, response = read_packet(conn)
        if response is None:
            record["ended"] = "closed before answering"
            return
        record["packets"].append(response.hex())
        caps = struct.unpack("<I", response[:4])[0] if len(response) >= 4 else 0
        if caps & CLIENT_SSL:
            record["tls_requested"] = True
            record["ended"] = "wanted TLS, which is not offered"
            return
        record["user"], answered_with = user_and_plugin(response)
        if answered_with != args.plugin:
            data = {"mysql_clear_password": b"", "dialog": b"\x04Password: "}.get(args.plugin, SCRAMBLE + b"\x00")
            seq += 1
            conn.sendall(packet(seq, b"\xfe" + args.plugin.encode() + b"\x00" + data))
            seq, more = read_packet(conn)
            if more is None:
                record["ended"] = "closed when asked to switch"
                return
            record["packets"].append(more.hex())
        if args.plugin == "caching_sha2_password":
            seq += 1
            conn.sendall(packet(seq, b"\x01\x04"))
            seq, more = read_packet(conn)
            if more is None:
                record["ended"] = "closed when asked for the whole password"
                return
            record["packets"].append(more.hex())
        err = b"\xff" + struct.pack("<H", 1045) + b"#28000" + b"Access denied"
        conn.sendall(packet(seq + 1, err))
        record["ended"] = "refused"
    except OSError as e:
        record["ended"] = "error: %s" % e
    finally:
        conn.close()
        with lock:
            with open(args.log, "a") as f:
                f.write(json.dumps(record) + "\n")


def main():
    ap = argparse.ArgumentParser()
    ap.add_argument("--plugin", default="mysql_native_password", help="the account's login method")
    ap.add_argument("--greeting", default="", help="the login method the greeting names")
    ap.add_argument("--log", required=True)
    a = ap.parse_args()
    s = socket.socket()
    s.setsockopt(socket.SOL_SOCKET, socket.SO_REUSEADDR, 1)
    s.bind(("127.0.0.1", 0))
    s.listen(8)
    print(s.getsockname()[1], flush=True)
    lock = threading.Lock()
    while True:
        conn, _ = s.accept()
        threading.Thread(target=serve, args=(conn, a, lock), daemon=True).start()


if __name__ == "__main__":
    main()
