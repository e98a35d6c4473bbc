#!/usr/bin/python3
"""SMTP capture server for the mail tests, on 127.0.0.1 only.

Two listeners: the "own server" port (AUTH LOGIN or PLAIN optional, the login is recorded) and
the built-in relay port (AUTH required). Optional ones, each with the own server's account:
  --starttls-port     offers STARTTLS (with --cert and --key) and a login only once it is on
  --plain-only-port   offers AUTH PLAIN only
  --foreign-auth-port offers only a login mechanism (CRAM-MD5) that it never completes
Every accepted message is saved in the spool as N.eml (the bytes as received) and N.json
(envelope, the port it came in on, whether it came over TLS, the login and mechanism used, EHLO
or HELO, and the message taken apart: top-level headers as sent, the decoded subject, and per
MIME part its type, transfer encoding, file name and the SHA-256 of its decoded content, plus the
text of text parts). Every login attempt, good or bad, is appended to auth.jsonl in the spool
(port, login, mechanism, TLS). A recipient whose local part is "refused" is turned down with a
reply of several lines, as large providers do; a message from a sender whose local part is
"refused" is turned down after its data. When all listeners are up, the file given by
--ready is created; when one cannot be started (a port in use), the server exits non-zero
without it.
"""
import argparse
import email
import email.header
import hashlib
import itertools
import json
import os
import signal
import ssl
import sys
import threading

from aiosmtpd.controller import Controller
from aiosmtpd.smtp import AuthResult, LoginPassword


class Accounts:
    lock = threading.Lock()

    def __init__(self, pairs, spool, port):
        self.pairs = dict(pairs)
        self.log = os.path.join(spool, "auth.jsonl")
        self.port = port

    def __call__(self, server, session, envelope, mechanism, auth_data):
        if not isinstance(auth_data, LoginPassword):
            return AuthResult(success=False, handled=False)
        login = auth_data.login.decode("utf-8", "replace")
        password = auth_data.password.decode("utf-8", "replace")
        with Accounts.lock, open(self.log, "a") as f:
            f.write(json.dumps({"port": self.port, "login": login, "mechanism": mechanism,
                                "tls": session.ssl is not None}) + "\n")
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

    async def handle_RCPT(self, server, session, envelope, address, rcpt_options):
        if address.split("@")[0] == "refused":
            return ("550-5.1.1 The mailbox %s does not exist here.\r\n"
                    "550 5.1.1 Please check the address and try again." % address)
        envelope.rcpt_tos.append(address)
        return "250 OK"

    async def handle_DATA(self, server, session, envelope):
        if envelope.mail_from.split("@")[0] == "refused":
            return "554 5.7.1 This message was refused by the test server."
        with Spool.lock:
            n = next(Spool.counter)
        base = os.path.join(self.folder, "%04d" % n)
        with open(base + ".eml.part", "wb") as f:
            raw = envelope.original_content or envelope.content
            f.write(raw)
        meta = {
            "port": self.port,
            "tls": session.ssl is not None,
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


class ForeignAuth(Spool):
    """Offers CRAM-MD5 alone, a login this program does not use; a client that tries it is
    turned away."""

    async def auth_CRAM__MD5(self, server, args):
        return AuthResult(success=False, handled=False)


def main():
    ap = argparse.ArgumentParser()
    ap.add_argument("--spool", required=True)
    ap.add_argument("--port", type=int, required=True)
    ap.add_argument("--relay-port", type=int, required=True)
    ap.add_argument("--user", required=True)
    ap.add_argument("--password", required=True)
    ap.add_argument("--relay-user", action="append", default=[])
    ap.add_argument("--relay-password", action="append", default=[])
    ap.add_argument("--starttls-port", type=int)
    ap.add_argument("--plain-only-port", type=int)
    ap.add_argument("--foreign-auth-port", type=int)
    ap.add_argument("--cert")
    ap.add_argument("--key")
    ap.add_argument("--ready", help="file created once all listeners accept connections")
    a = ap.parse_args()

    own_account = [(a.user, a.password)]

    def listener(port, accounts, **options):
        options.setdefault("auth_require_tls", False)
        options.setdefault("auth_required", False)
        return Controller(Spool(a.spool, port), hostname="127.0.0.1", port=port,
                          authenticator=Accounts(accounts, a.spool, port), **options)

    controllers = [listener(a.port, own_account),
                   listener(a.relay_port, zip(a.relay_user, a.relay_password), auth_required=True)]
    if a.starttls_port:
        tls = ssl.create_default_context(ssl.Purpose.CLIENT_AUTH)
        tls.load_cert_chain(a.cert, a.key)
        controllers.append(listener(a.starttls_port, own_account, tls_context=tls, auth_require_tls=True))
    if a.plain_only_port:
        controllers.append(listener(a.plain_only_port, own_account, auth_exclude_mechanism=["LOGIN"]))
    if a.foreign_auth_port:
        controllers.append(Controller(ForeignAuth(a.spool, a.foreign_auth_port), hostname="127.0.0.1",
                                      port=a.foreign_auth_port, authenticator=Accounts(own_account, a.spool, a.foreign_auth_port),
                                      auth_require_tls=False, auth_required=False,
                                      auth_exclude_mechanism=["LOGIN", "PLAIN"]))
    try:
        for c in controllers:
            c.start()
    except Exception as e:  # most often: the relay port is taken by another capture server
        print("smtp_capture: cannot listen: %r" % (e,), file=sys.stderr, flush=True)
        for c in controllers:
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
    for c in controllers:
        c.stop()


if __name__ == "__main__":
    main()
