#!/usr/bin/python3
"""SMTP capture server for the mail tests, on 127.0.0.1 only.

Two listeners: the "own server" port (AUTH LOGIN optional, the login is recorded) and the
built-in relay port (AUTH LOGIN required). Every accepted message is saved in the spool as
N.eml (the bytes as received) and N.json (envelope, the port it came in on, the login and mechanism used, EHLO or HELO,
and the message taken apart: top-level headers as sent, the decoded subject, and per MIME part
its type, transfer encoding, file name and the SHA-256 of its decoded content, plus the text of
text parts). When both listeners are up, the file given by --ready is created; when one cannot
be started (a port in use), the server exits non-zero without it.
"""
import argparse
import email
import email.header
import hashlib
import itertools
import json
import os
import signal
import sys
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
            session.kv_mechanism = mechanism
            return AuthResult(success=True, auth_data=login)
        return AuthResult(success=False, handled=False)


def describe(raw):
    msg = email.message_from_bytes(raw)
    parts = []
    for part in msg.walk():
        if part.is_multipart():
            continue
        payload = part.get_payload(decode=True) or b""
        entry = {
            "content_type": part.get_content_type(),
            "charset": part.get_content_charset(),
            "encoding": part.get("Content-Transfer-Encoding"),
            "disposition": part.get("Content-Disposition"),
            "filename": part.get_filename(),
            "size": len(payload),
            "sha256": hashlib.sha256(payload).hexdigest(),
        }
        if part.get_content_maintype() == "text":
            entry["text"] = payload.decode(part.get_content_charset() or "ascii", "replace")
        parts.append(entry)
    subject = msg.get("Subject")
    return {
        "headers": [[k, v] for k, v in msg.items()],
        "subject_decoded": str(email.header.make_header(email.header.decode_header(subject)))
        if subject is not None else None,
        "content_type": msg.get_content_type(),
        "parts": parts,
    }


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
            raw = envelope.original_content or envelope.content
            f.write(raw)
        meta = {
            "port": self.port,
            "mail_from": envelope.mail_from,
            "rcpt_tos": envelope.rcpt_tos,
            "auth_user": session.auth_data if session.authenticated else None,
            "auth_mechanism": getattr(session, "kv_mechanism", None) if session.authenticated else None,
            "ehlo": session.host_name,
            "esmtp": bool(session.extended_smtp),
        }
        meta.update(describe(raw))
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
    ap.add_argument("--ready", help="file created once both listeners accept connections")
    a = ap.parse_args()

    own = Controller(Spool(a.spool, a.port), hostname="127.0.0.1", port=a.port,
                     authenticator=Accounts([(a.user, a.password)]),
                     auth_require_tls=False, auth_required=False)
    relay = Controller(Spool(a.spool, a.relay_port), hostname="127.0.0.1", port=a.relay_port,
                       authenticator=Accounts(zip(a.relay_user, a.relay_password)),
                       auth_require_tls=False, auth_required=True)
    try:
        own.start()
        relay.start()
    except Exception as e:  # most often: the relay port is taken by another capture server
        print("smtp_capture: cannot listen: %r" % (e,), file=sys.stderr, flush=True)
        for c in (own, relay):
            try:
                c.stop()
            except Exception:
                pass
        sys.exit(1)
    if a.ready:
        open(a.ready, "w").close()
    stop = threading.Event()
    signal.signal(signal.SIGTERM, lambda *_: stop.set())
    signal.signal(signal.SIGINT, lambda *_: stop.set())
    stop.wait()
    own.stop()
    relay.stop()


if __name__ == "__main__":
    main()
