"""An SMTP server on loopback for the e-mail tests (Debian's python3-aiosmtpd).

    /usr/bin/python3 smtpserver.py --log FILE [--reject ADDR]... [--delay-data SECONDS]

Listens on 127.0.0.1 on a free port and prints "PORT n" once it does. It offers AUTH
LOGIN and PLAIN without TLS and accepts any login. Every event goes to the log as one JSON
object a line: "auth" (mechanism, login, password), "data" (the DATA command arrived),
"data-answered" (its delay is over and it is answered), "message" (what was delivered, also
as Python's e-mail parser reads it) and "closed" (the client's connection is gone).
--reject answers RCPT TO for that address with 550; --delay-data waits before answering
DATA.
"""

import argparse
import asyncio
import base64
import email
import email.policy
import json
import sys

from aiosmtpd.smtp import SMTP, AuthResult, LoginPassword


def main():
    ap = argparse.ArgumentParser()
    ap.add_argument("--log", required=True)
    ap.add_argument("--reject", action="append", default=[])
    ap.add_argument("--delay-data", type=float, default=0)
    args = ap.parse_args()
    log = open(args.log, "a", encoding="utf-8")

    def record(event, **fields):
        fields["event"] = event
        log.write(json.dumps(fields) + "\n")
        log.flush()

    def authenticator(server, session, envelope, mechanism, auth_data):
        login = password = ""
        if isinstance(auth_data, LoginPassword):
            login = auth_data.login.decode("utf-8", "replace")
            password = auth_data.password.decode("utf-8", "replace")
        record("auth", mechanism=mechanism, login=login, password=password)
        return AuthResult(success=True)

    class Handler:
        async def handle_RCPT(self, server, session, envelope, address, rcpt_options):
            if address in args.reject:
                return "550 5.1.1 <%s>: Recipient address rejected" % address
            envelope.rcpt_tos.append(address)
            return "250 OK"

        async def handle_DATA(self, server, session, envelope):
            raw = envelope.original_content or envelope.content
            msg = email.message_from_bytes(raw, policy=email.policy.default)
            defects = [str(d) for part in msg.walk() for d in part.defects]
            body = msg.get_body(("plain",))
            attachments = []
            for part in msg.iter_attachments():
                attachments.append({
                    "filename": part.get_filename(),
                    "content_type": part.get_content_type(),
                    "b64": base64.b64encode(part.get_payload(decode=True) or b"").decode(),
                })
            record("message",
                   mail_from=envelope.mail_from,
                   rcpt_tos=envelope.rcpt_tos,
                   authenticated=bool(session.authenticated),
                   raw_b64=base64.b64encode(raw).decode(),
                   headers={k: str(v) for k, v in msg.items()},
                   body=body.get_content() if body is not None else None,
                   attachments=attachments,
                   defects=defects)
            return "250 Message accepted for delivery"

    class Server(SMTP):
        async def smtp_DATA(self, arg):
            record("data")
            if args.delay_data:
                await asyncio.sleep(args.delay_data)
            record("data-answered")
            await super().smtp_DATA(arg)

        def connection_lost(self, exc):
            record("closed")
            super().connection_lost(exc)

    async def serve():
        loop = asyncio.get_running_loop()
        server = await loop.create_server(
            lambda: Server(Handler(), authenticator=authenticator, auth_require_tls=False,
                           hostname="kiv-test"),
            "127.0.0.1", 0)
        port = server.sockets[0].getsockname()[1]
        print("PORT %d" % port, flush=True)
        await server.serve_forever()

    asyncio.run(serve())


if __name__ == "__main__":
    sys.exit(main())
