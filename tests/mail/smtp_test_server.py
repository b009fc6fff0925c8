"""Loopback SMTP server for the mail tests: aiosmtpd with one account, AUTH LOGIN
allowed without TLS.

Usage: /usr/bin/python3 smtp_test_server.py OUT USER PASSWORD [HOST PORT
                                             [SECURITY CERT KEY]]

Listens on HOST:PORT (default 127.0.0.1 and a free port) and prints "port N"
once it does. SECURITY is "none" (the default: AUTH in clear), "starttls"
(offers STARTTLS with CERT and KEY and takes AUTH only over it) or "tls" (TLS
from the first byte). A fixed port that another test holds is tried again for up to a
minute. Every
message it accepts is parsed with Python's email package and stored, before the
server answers 250, in OUT/<n>/ (n counts from 1):
  message   the DATA bytes as received, without the final "."
  summary   envelope and headers, one "key=value" per line, then one "part=" line
            per leaf part (content type, charset, file name) and the number of
            parse defects
  part-<i>  the decoded payload of leaf part i (from 1)
The verbs of the commands it gets go to the file OUT-commands (beside OUT, so
that OUT holds only messages), one a line, AUTH with
" tls" or " clear" after it by how the connection stood.
Ends when its standard input closes, so it never outlives the test.
"""

import asyncio
import email
import errno
import logging
import os
import ssl
import sys
import warnings

from aiosmtpd.smtp import SMTP, AuthResult, LoginPassword


class PausingSMTP(SMTP):
    """Sends the lines of a multi-line reply one by one with a pause between them,
    as busy servers do, so that a client receives such a reply in pieces."""

    command_log = None

    def _log(self, line):
        with open(self.command_log, "a") as log:
            log.write(line + "\n")

    async def smtp_EHLO(self, arg):
        self._log("EHLO")
        await super().smtp_EHLO(arg)

    async def smtp_STARTTLS(self, arg):
        self._log("STARTTLS")
        await super().smtp_STARTTLS(arg)

    async def smtp_AUTH(self, arg):
        secure = (self._tls_protocol is not None
                  or self.transport.get_extra_info("ssl_object") is not None)
        self._log("AUTH " + ("tls" if secure else "clear"))
        await super().smtp_AUTH(arg)

    async def smtp_MAIL(self, arg):
        self._log("MAIL")
        await super().smtp_MAIL(arg)

    async def smtp_QUIT(self, arg):
        self._log("QUIT")
        await super().smtp_QUIT(arg)

    async def push(self, status):
        await super().push(status)
        line = status if isinstance(status, str) else status.decode("ascii")
        if len(line) > 3 and line[3] == "-":
            await asyncio.sleep(0.03)


class Store:
    def __init__(self, out):
        self.out = out
        self.count = 0

    async def handle_DATA(self, server, session, envelope):
        self.count += 1
        folder = os.path.join(self.out, str(self.count))
        os.makedirs(folder)
        raw = envelope.original_content
        with open(os.path.join(folder, "message"), "wb") as file:
            file.write(raw)
        message = email.message_from_bytes(raw)
        lines = ["mail_from=" + envelope.mail_from]
        lines += ["rcpt_to=" + recipient for recipient in envelope.rcpt_tos]
        for header in ("From", "Subject", "X-Mailer"):
            lines.append(header.lower() + "=" + str(message.get(header)))
        lines.append("type=" + message.get_content_type())
        defects = 0
        leaves = 0
        for part in message.walk():
            defects += len(part.defects)
            if part.is_multipart():
                continue
            leaves += 1
            lines.append("part={};{};{}".format(part.get_content_type(),
                                                part.get_content_charset() or "",
                                                part.get_filename() or ""))
            with open(os.path.join(folder, "part-%d" % leaves), "wb") as file:
                file.write(part.get_payload(decode=True))
        lines.append("defects=%d" % defects)
        with open(os.path.join(folder, "summary"), "w") as file:
            file.write("\n".join(lines) + "\n")
        return "250 Message accepted"


def make_authenticator(user, password):
    def authenticate(server, session, envelope, mechanism, auth_data):
        if (mechanism == "LOGIN" and isinstance(auth_data, LoginPassword)
                and auth_data.login == user and auth_data.password == password):
            return AuthResult(success=True)
        # Left unhandled, so that aiosmtpd answers 535 instead of nothing.
        return AuthResult(success=False, handled=False)
    return authenticate


async def listen(loop, factory, host, port, context):
    deadline = loop.time() + 60
    while True:
        try:
            return await loop.create_server(factory, host=host, port=port, reuse_address=True,
                                            ssl=context)
        except OSError as error:
            if error.errno != errno.EADDRINUSE or loop.time() > deadline:
                raise
            await asyncio.sleep(0.1)


async def serve(out, user, password, host, port, security, cert, key):
    loop = asyncio.get_running_loop()
    store = Store(out)
    authenticate = make_authenticator(user, password)
    PausingSMTP.command_log = os.path.normpath(out) + "-commands"
    context = None
    if security != "none":
        context = ssl.create_default_context(ssl.Purpose.CLIENT_AUTH)
        context.load_cert_chain(cert, key)
    options = dict(hostname="kelvo-test-server", auth_required=True,
                   authenticator=authenticate, loop=loop)
    if security == "starttls":
        # AUTH only once TLS stands, as providers do.
        factory = lambda: PausingSMTP(store, tls_context=context, auth_require_tls=True,
                                      **options)
    else:
        factory = lambda: PausingSMTP(store, auth_require_tls=False, **options)
    server = await listen(loop, factory, host, port,
                          context if security == "tls" else None)
    print("port %d" % server.sockets[0].getsockname()[1], flush=True)
    stdin = asyncio.StreamReader()
    await loop.connect_read_pipe(lambda: asyncio.StreamReaderProtocol(stdin), sys.stdin)
    await stdin.read()
    server.close()
    await server.wait_closed()


if __name__ == "__main__":
    # Login in clear is what the test wants; aiosmtpd's warnings about it are noise.
    warnings.simplefilter("ignore")
    # A client that refuses the certificate ends the session with an exception
    # aiosmtpd logs as an error; the tests look at the outcome instead.
    logging.getLogger("mail.log").setLevel(logging.CRITICAL)
    out, user, password = sys.argv[1:4]
    host = sys.argv[4] if len(sys.argv) > 4 else "127.0.0.1"
    port = int(sys.argv[5]) if len(sys.argv) > 5 else 0
    security, cert, key = sys.argv[6:9] if len(sys.argv) > 8 else ("none", "", "")
    asyncio.run(serve(out, user.encode(), password.encode(), host, port, security, cert, key))
