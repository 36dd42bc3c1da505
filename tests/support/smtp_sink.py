#!/usr/bin/python3
"""An SMTP server for tests, on 127.0.0.1 and a port the system picks.

Prints "PORT <n>" once it listens, then serves until its standard input closes
or it gets SIGTERM. Each message it takes becomes <folder>/mail-<n>.json (the
envelope, the decoded head fields and body, whether TLS and a login were used);
every byte a client sends, after TLS is taken off, is appended to
<folder>/transcript.txt, so a test can tell what a client never sent.

  smtp_sink.py FOLDER [--tls CERT KEY] [--login USER PASSWORD]

--tls offers STARTTLS and requires it before any mail. --login requires a
login; without --tls the server still offers AUTH in clear, which a careful
client must refuse to use.
"""

import argparse
import asyncio
import base64
import email
import email.policy
import json
import logging
import os
import signal
import ssl
import sys
import warnings

from aiosmtpd.smtp import SMTP, AuthResult, LoginPassword


class Saver:
    def __init__(self, folder):
        self.folder = folder
        self.count = 0

    async def handle_DATA(self, server, session, envelope):
        raw = envelope.original_content or b""
        message = email.message_from_bytes(raw, policy=email.policy.default)
        payload = message.get_payload(decode=True) or b""
        self.count += 1
        record = {
            "mail_from": envelope.mail_from,
            "rcpt_tos": envelope.rcpt_tos,
            "header_names": list(message.keys()),
            "from": str(message.get("From", "")),
            "to": str(message.get("To", "")),
            "subject": str(message.get("Subject", "")),
            "date": str(message.get("Date", "")),
            "message_id": str(message.get("Message-ID", "")),
            "content_type": message.get_content_type(),
            "body": payload.decode("utf-8", errors="replace"),
            "tls": session.ssl is not None,
            "authenticated": bool(session.authenticated),
            "raw": base64.b64encode(raw).decode("ascii"),
        }
        write_atomically(os.path.join(self.folder, "mail-%03d.json" % self.count),
                         json.dumps(record, ensure_ascii=False, indent=1))
        return "250 OK"


def write_atomically(path, text):
    temporary = path + ".part"
    with open(temporary, "w", encoding="utf-8") as file:
        file.write(text)
    os.replace(temporary, path)


class RecordingSMTP(SMTP):
    transcript = None

    def data_received(self, data):
        with open(self.transcript, "ab") as file:
            file.write(data)
        super().data_received(data)


def main():
    # Refused handshakes and clear-text AUTH are what some tests are about:
    # no tracebacks or warnings for them in the test output.
    logging.getLogger("mail.log").setLevel(logging.CRITICAL)
    logging.getLogger("asyncio").setLevel(logging.CRITICAL)
    warnings.simplefilter("ignore")
    parser = argparse.ArgumentParser()
    parser.add_argument("folder")
    parser.add_argument("--tls", nargs=2, metavar=("CERT", "KEY"))
    parser.add_argument("--login", nargs=2, metavar=("USER", "PASSWORD"))
    options = parser.parse_args()

    RecordingSMTP.transcript = os.path.join(options.folder, "transcript.txt")
    settings = {"hostname": "sink.test"}
    if options.tls:
        context = ssl.create_default_context(ssl.Purpose.CLIENT_AUTH)
        context.load_cert_chain(options.tls[0], options.tls[1])
        settings.update(tls_context=context, require_starttls=True)
    if options.login:
        user, password = (s.encode() for s in options.login)

        def authenticate(server, session, envelope, mechanism, data):
            ok = isinstance(data, LoginPassword) and data.login == user and data.password == password
            # handled=False: the server answers a refusal itself.
            return AuthResult(success=ok, handled=False, auth_data=data)

        settings.update(authenticator=authenticate, auth_required=True,
                        auth_require_tls=bool(options.tls))
    handler = Saver(options.folder)

    loop = asyncio.new_event_loop()
    server = loop.run_until_complete(
        loop.create_server(lambda: RecordingSMTP(handler, **settings), "127.0.0.1", 0))
    print("PORT %d" % server.sockets[0].getsockname()[1], flush=True)

    stop = asyncio.Event()
    loop.add_signal_handler(signal.SIGTERM, stop.set)

    def on_input():
        if not os.read(sys.stdin.fileno(), 4096):
            stop.set()

    loop.add_reader(sys.stdin.fileno(), on_input)
    loop.run_until_complete(stop.wait())
    server.close()


if __name__ == "__main__":
    main()
