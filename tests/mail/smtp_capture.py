#!/usr/bin/python3
"""SMTP capture server for the mail tests, on 127.0.0.1 only.

Two listeners: the "own server" port (AUTH LOGIN optional, the login is recorded) and the
built-in relay port (AUTH LOGIN required). Every accepted message is saved in the spool as
N.eml (the bytes as received) and N.json (envelope, the port it came in on, the login used).
"""
import argparse
import itertools
import json
import os
import signal
import threading

from aiosmtpd.controller import Controller
from aiosmtpd.smtp import AuthResult, LoginPassword


class Accounts:
    def __init__(self, pairs):
        self.pairs = dict(pairs)

    def __call__(self, server, session, envelope, mechanism, auth_data):
        if not isinstance(auth_data, LoginPassword):
            return AuthResult(success=False, handled=False)
        login = auth_data.login.decode("utf-8", "replace")
        password = auth_data.password.decode("utf-8", "replace")
        if self.pairs.get(login) == password:
            return AuthResult(success=True, auth_data=login)
        return AuthResult(success=False, handled=False)


class Spool:
    counter = itertools.count(1)
    lock = threading.Lock()

    def __init__(self, folder, port):
        self.folder = folder
        self.port = port

    async def handle_DATA(self, server, session, envelope):
        with Spool.lock:
            n = next(Spool.counter)
        base = os.path.join(self.folder, "%04d" % n)
        with open(base + ".eml.part", "wb") as f:
            f.write(envelope.original_content or envelope.content)
        meta = {
            "port": self.port,
            "mail_from": envelope.mail_from,
            "rcpt_tos": envelope.rcpt_tos,
            "auth_user": session.auth_data if session.authenticated else None,
            "ehlo": session.host_name,
        }
        with open(base + ".json", "w") as f:
            json.dump(meta, f)
        os.rename(base + ".eml.part", base + ".eml")
        return "250 Message accepted for delivery"


def main():
    ap = argparse.ArgumentParser()
    ap.add_argument("--spool", required=True)
    ap.add_argument("--port", type=int, required=True)
    ap.add_argument("--relay-port", type=int, required=True)
    ap.add_argument("--user", required=True)
    ap.add_argument("--password", required=True)
    ap.add_argument("--relay-user", action="append", default=[])
    ap.add_argument("--relay-password", action="append", default=[])
    a = ap.parse_args()

    own = Controller(Spool(a.spool, a.port), hostname="127.0.0.1", port=a.port,
                     authenticator=Accounts([(a.user, a.password)]),
                     auth_require_tls=False, auth_required=False)
    relay = Controller(Spool(a.spool, a.relay_port), hostname="127.0.0.1", port=a.relay_port,
                       authenticator=Accounts(zip(a.relay_user, a.relay_password)),
                       auth_require_tls=False, auth_required=True)
    own.start()
    relay.start()
    stop = threading.Event()
    signal.signal(signal.SIGTERM, lambda *_: stop.set())
    signal.signal(signal.SIGINT, lambda *_: stop.set())
    stop.wait()
    own.stop()
    relay.stop()


if __name__ == "__main__":
    main()
