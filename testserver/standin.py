#!/usr/bin/env python3
"""A SQL Server stand-in for Pellam's tests and demo: speaks TDS 7.4 on
loopback and answers the catalogue statements from a fixture file.

    python3 testserver/standin.py --fixture FILE [--port N]
        [--version 2022|2000] [--case-sensitive] [--encrypt off|required|none]
        [--record FILE] [--close-after N] [--delay SECONDS] [--latency MS] [--mute]
        [--repeat-rows]
        [--deny TEXT]... [--uncompilable TEXT]...

It answers as SQL Server 2022 by default, or as SQL Server 2000. A batch may
hold several catalogue statements separated by blanks, line breaks or ";":
each gets its own result, as SQL Server sends them.

Encryption as a real server does it: with "off" (the default) the pre-login
offers it and the login packet travels inside TLS, the rest in clear; with
"required" the whole connection stays inside TLS; with "none" nothing is
encrypted. The TLS handshake travels inside pre-login packets. The
certificate is a throwaway one, made at start.
"""

import argparse
import os
import shutil
import signal
import socket
import socketserver
import ssl
import subprocess
import sys
import tempfile
import threading
import time

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))

import tds  # noqa: E402
from catalog import Catalog, Session, SqlError, parse_use, split_batch  # noqa: E402

ENCRYPTION = {"off": tds.ENCRYPT_OFF, "required": tds.ENCRYPT_REQ, "none": tds.ENCRYPT_NOT_SUP}


class Transport:
    """The connection's byte stream: in clear, or inside TLS once a handshake
    has been made. Offers recv and sendall, as a socket does."""

    def __init__(self, sock, latency=0.0):
        self.sock = sock
        self.latency = latency  # seconds before each handshake reply
        self.tls = None
        self.incoming = self.outgoing = None
        self.plain = bytearray()

    def recv(self, n):
        if self.tls is None:
            return self.sock.recv(n)
        while not self.plain:
            try:
                self.plain += self.tls.read(65536)
            except ssl.SSLWantReadError:
                data = self.sock.recv(65536)
                if not data:
                    return b""
                self.incoming.write(data)
            except (ssl.SSLZeroReturnError, ssl.SSLEOFError):
                return b""
        out = bytes(self.plain[:n])
        del self.plain[:n]
        return out

    def sendall(self, data):
        if self.tls is None:
            self.sock.sendall(data)
            return
        self.tls.write(data)
        self.sock.sendall(self.outgoing.read())

    def handshake(self, context):
        """The server's side of a TLS handshake whose records travel in
        pre-login packets; False when the client gave up."""
        self.incoming, self.outgoing = ssl.MemoryBIO(), ssl.MemoryBIO()
        tls = context.wrap_bio(self.incoming, self.outgoing, server_side=True)
        while True:
            try:
                tls.do_handshake()
                done = True
            except ssl.SSLWantReadError:
                done = False
            pending = self.outgoing.read()
            if pending:
                if self.latency:
                    time.sleep(self.latency)
                self.sock.sendall(tds.packets(tds.REPLY, pending))
            if done:
                self.tls = tls
                return True
            message = tds.read_message(self.sock)
            if message is None or message[0] != tds.PRELOGIN:
                return False
            self.incoming.write(message[1])

    def drop_tls(self):
        self.tls = None


class Handler(socketserver.BaseRequestHandler):
    def setup(self):
        self.request.setsockopt(socket.IPPROTO_TCP, socket.TCP_NODELAY, 1)
        self.options = self.server.options
        self.catalog = self.server.catalog
        self.session = None
        self.statements = 0
        self.packet_size = 4096
        self.transport = Transport(self.request, self.options.latency / 1000.0)
        self.encryption = tds.ENCRYPT_NOT_SUP

    def send(self, payload):
        if self.options.latency:
            time.sleep(self.options.latency / 1000.0)
        self.transport.sendall(tds.packets(tds.REPLY, payload, self.packet_size))

    @property
    def version(self):
        return self.catalog.version

    @property
    def wide(self):
        """TDS 7.2 and later widened DONE's row count and a message's line."""
        return self.version > 2000

    def done(self, status=tds.DONE_FINAL, rowcount=0):
        return tds.done(status, rowcount, self.wide)

    def error(self, number, text, **kw):
        return tds.error(number, text, wide=self.wide, **kw)

    def info(self, number, text, **kw):
        return tds.info(number, text, wide=self.wide, **kw)

    def handle(self):
        if self.options.mute:
            # Accept and never answer: hold the connection until the client goes.
            while self.request.recv(4096):
                pass
            return
        try:
            while True:
                message = tds.read_message(self.transport)
                if message is None:
                    return
                kind, payload = message
                if kind == tds.PRELOGIN:
                    if not self.prelogin(payload):
                        return
                elif kind == tds.LOGIN7:
                    inside_tls = self.transport.tls is not None
                    if self.encryption == tds.ENCRYPT_OFF:
                        # Only the login travels inside TLS.
                        self.transport.drop_tls()
                    if not self.login(payload, inside_tls):
                        return
                elif kind == tds.SQL_BATCH:
                    if self.session is None:
                        return
                    self.delay()
                    if not self.batch(payload):
                        return
                elif kind == tds.ATTENTION:
                    self.send(self.done(tds.DONE_ATTN))
                else:
                    self.send(self.error(50000, "The stand-in server does not accept this request.")
                              + self.done(tds.DONE_ERROR))
        except (ConnectionError, OSError, ssl.SSLError):
            return

    def prelogin(self, payload):
        """Answers the pre-login, as MS-TDS settles encryption between the
        client's wish and the server's setting, and makes the TLS handshake
        when encryption was settled; False when the connection is to close."""
        client = tds.parse_prelogin(payload).get(0x01, bytes([tds.ENCRYPT_NOT_SUP]))[:1]
        client = client[0] if client else tds.ENCRYPT_NOT_SUP
        server = ENCRYPTION[self.options.encrypt]
        if server == tds.ENCRYPT_NOT_SUP or client == tds.ENCRYPT_NOT_SUP:
            answer = tds.ENCRYPT_REQ if server == tds.ENCRYPT_REQ else tds.ENCRYPT_NOT_SUP
        elif server == tds.ENCRYPT_REQ or client in (tds.ENCRYPT_ON, tds.ENCRYPT_REQ):
            answer = tds.ENCRYPT_ON if server != tds.ENCRYPT_REQ else tds.ENCRYPT_REQ
        else:
            answer = tds.ENCRYPT_OFF
        self.send(tds.prelogin_reply(self.version, answer))
        if answer == tds.ENCRYPT_NOT_SUP or (answer == tds.ENCRYPT_REQ and
                                             client == tds.ENCRYPT_NOT_SUP):
            # No encryption; a client that cannot encrypt for a server that
            # requires it gives up.
            return answer != tds.ENCRYPT_REQ
        self.encryption = tds.ENCRYPT_OFF if answer == tds.ENCRYPT_OFF else tds.ENCRYPT_ON
        return self.transport.handshake(self.server.tls_context)

    def record(self, text):
        if self.options.record:
            with self.server.record_lock, open(self.options.record, "a", encoding="utf-8") as f:
                f.write(text + "\n")

    def delay(self):
        if self.options.delay:
            time.sleep(self.options.delay)

    def login(self, payload, inside_tls):
        fields = tds.parse_login7(payload)
        self.record("login user=%s tls=%s" % (fields["user"], "yes" if inside_tls else "no"))
        user = fields["user"]
        if fields["integrated"] or fields["sspi"]:
            ok = self.catalog.windows_logins
            user = "NT AUTHORITY\\SYSTEM"
        else:
            ok = user in self.catalog.logins and self.catalog.logins[user] == fields["password"]
        if not ok:
            self.send(self.error(18456, "Login failed for user '%s'." % user, state=1, severity=14)
                      + self.done(tds.DONE_ERROR))
            return False
        wanted = fields["database"] or "master"
        database = self.catalog.database(wanted)
        self.user = user
        if database is not None and database.users is not None and user not in database.users:
            database = None  # refused: the server answers as for a missing one
        if database is None:
            self.send(self.error(4060, 'Cannot open database "%s" requested by the login. The login '
                                 'failed.' % wanted, severity=11)
                      + self.error(18456, "Login failed for user '%s'." % user, severity=14)
                      + self.done(tds.DONE_ERROR))
            return False
        self.session = Session(self.catalog, database)
        # As a real server answers a login: the database, the language and
        # the collation, each with its message, then the acknowledgement.
        reply = tds.envchange_database(database.name, "master") + \
            self.info(5701, "Changed database context to '%s'." % database.name, severity=0) + \
            tds.envchange_language("us_english") + \
            self.info(5703, "Changed language setting to us_english.", severity=0)
        if self.version > 2000:
            reply += tds.envchange_collation()
        reply += tds.loginack(self.version) + tds.envchange_packet_size(self.packet_size) + \
            self.done()
        self.send(reply)
        return True

    def batch(self, payload):
        """Answers a batch; False when the connection is to close."""
        headers = int.from_bytes(payload[0:4], "little") if len(payload) >= 4 else 0
        if headers < 4 or headers > len(payload):
            headers = 0
        text = payload[headers:].decode("utf-16-le", errors="surrogatepass")
        try:
            for bad in self.options.uncompilable:
                if bad in text:
                    raise SqlError(102, "Incorrect syntax near '%s'." % bad)
            statements = split_batch(text)
        except SqlError as e:
            self.statements += 1
            if self.closing():
                return False
            self.send(self.failure(e))
            return True
        out = bytearray()
        for k, statement in enumerate(statements):
            self.statements += 1
            if self.closing():
                # The results so far reach the client; the rest never does.
                if out:
                    self.transport.sendall(tds.packets(tds.REPLY, bytes(out), self.packet_size,
                                                       complete=False))
                return False
            more = tds.DONE_MORE if k + 1 < len(statements) else 0
            out += self.answer(statement, more)
        self.send(bytes(out))
        return True

    def use(self, name, more):
        """USE: the connection's current database changes, with the
        environment change and message a real server sends."""
        if self.options.use == "silent":
            # A proxy that swallows the answer (and does the switch).
            self.session.current = self.catalog.database(name) or self.session.current
            return b"" if more else self.done()
        if self.options.use == "ignored":
            # A proxy that answers USE as done and stays where it was.
            return self.done(more)
        database = self.catalog.database(name)
        if self.options.azure and (database is None or
                                   not self.catalog.same(database.name, self.session.current.name)):
            # Azure SQL Database: a connection stays in its database.
            return self.error(40508, "USE statement is not supported to switch between databases. "
                              "Use a new connection to connect to a different database.",
                              severity=16) + self.done(tds.DONE_ERROR | more)
        if database is None:
            return self.error(911, "Database '%s' does not exist. Make sure that the name is "
                              "entered correctly." % name) + self.done(tds.DONE_ERROR | more)
        if database.users is not None and self.user not in database.users:
            return self.error(916, 'The server principal "%s" is not able to access the database '
                              '"%s" under the current security context.' % (self.user, database.name),
                              severity=14) + self.done(tds.DONE_ERROR | more)
        old = self.session.current.name
        self.session.current = database
        return tds.envchange_database(database.name, old) + \
            self.info(5701, "Changed database context to '%s'." % database.name, severity=0) + \
            self.done(more)

    def closing(self):
        return self.options.close_after is not None and self.statements > self.options.close_after

    def failure(self, error, more=0):
        return b"".join(self.error(number, text) for number, text in error.messages) + \
            self.done(tds.DONE_ERROR | more)

    def answer(self, statement, more):
        """One statement's tokens, DONE_MORE set when others follow."""
        if any(text in statement for text in self.options.deny):
            # As SQL Server answers a SELECT the login may not run.
            return self.error(229, "The SELECT permission was denied on the object 'sysobjects', "
                              "database 'mssqlsystemresource', schema 'sys'.", severity=14) + \
                self.done(tds.DONE_ERROR | more)
        use = parse_use(statement)
        if use is not None:
            return self.use(use, more)
        try:
            result = self.session.execute(statement)
        except SqlError as e:
            return self.failure(e, more)
        if result is None:
            return self.done(more)
        columns, rows = result
        if self.options.repeat_rows:
            # As a faulty proxy would: each row twice.
            rows = [values for values in rows for _ in range(2)]
        out = bytearray(tds.colmetadata(columns, self.wide))
        for values in rows:
            out += tds.row(columns, values)
        out += self.done(tds.DONE_COUNT | more, len(rows))
        return bytes(out)


class Server(socketserver.ThreadingTCPServer):
    daemon_threads = True
    allow_reuse_address = True


def throwaway_tls_context():
    """A server context with a self-signed certificate made now, TLS 1.2 at
    most as SQL Server offers over TDS 7; None when openssl is missing."""
    if shutil.which("openssl") is None:
        return None
    folder = tempfile.mkdtemp(prefix="standin-tls-")
    try:
        cert, key = os.path.join(folder, "cert.pem"), os.path.join(folder, "key.pem")
        subprocess.run(["openssl", "req", "-x509", "-newkey", "ec", "-pkeyopt",
                        "ec_paramgen_curve:prime256v1", "-nodes", "-days", "2",
                        "-subj", "/CN=localhost", "-keyout", key, "-out", cert],
                       check=True, stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
        context = ssl.SSLContext(ssl.PROTOCOL_TLS_SERVER)
        context.maximum_version = ssl.TLSVersion.TLSv1_2
        context.load_cert_chain(cert, key)
        return context
    finally:
        shutil.rmtree(folder, ignore_errors=True)


def main():
    parser = argparse.ArgumentParser(description=__doc__.splitlines()[0])
    parser.add_argument("--fixture", required=True)
    parser.add_argument("--port", type=int, default=0)
    parser.add_argument("--version", type=int, choices=[2022, 2000], default=2022,
                        help="answer as SQL Server 2022 (the default) or SQL Server 2000")
    parser.add_argument("--case-sensitive", action="store_true",
                        help="match every name exactly, as a _CS_ or _BIN collation does")
    parser.add_argument("--encrypt", choices=sorted(ENCRYPTION), default="off",
                        help="off: the login inside TLS (the default); required: the whole "
                             "connection; none: no TLS")
    parser.add_argument("--record", help="append a line per login to FILE: the user and whether "
                                         "the login arrived inside TLS")
    parser.add_argument("--close-after", type=int, default=None,
                        help="close a connection when it sends more than N statements")
    parser.add_argument("--delay", type=float, default=0.0, help="delay the answer to each statement (seconds)")
    parser.add_argument("--latency", type=float, default=0.0,
                        help="delay every reply by MS milliseconds, as a distant network would")
    parser.add_argument("--repeat-rows", action="store_true",
                        help="send every row of every result twice, as a faulty proxy would")
    parser.add_argument("--mute", action="store_true", help="accept connections, never answer")
    parser.add_argument("--azure", action="store_true",
                        help="refuse USE to another database with error 40508, as Azure SQL "
                             "Database does")
    parser.add_argument("--use", choices=["server", "ignored", "silent"], default="server",
                        help="how USE is answered: as SQL Server does (the default); answered "
                             "but not done, or done with no answer at all, as faulty proxies do")
    parser.add_argument("--deny", action="append", default=[],
                        help="refuse every statement holding TEXT with error 229, as for a login "
                             "without the permission")
    parser.add_argument("--uncompilable", action="append", default=[],
                        help="a statement holding TEXT does not compile: error 102, and a batch "
                             "holding it runs none of its statements")
    options = parser.parse_args()

    server = Server(("127.0.0.1", options.port), Handler)
    server.options = options
    server.catalog = Catalog.load(options.fixture, options.version, options.case_sensitive)
    server.record_lock = threading.Lock()
    server.tls_context = throwaway_tls_context()
    if server.tls_context is None:
        if options.encrypt == "required":
            sys.exit("standin: --encrypt required needs the openssl command")
        options.encrypt = "none"

    def stop(*_):
        threading.Thread(target=server.shutdown, daemon=True).start()

    signal.signal(signal.SIGTERM, stop)
    signal.signal(signal.SIGINT, stop)
    print("listening on 127.0.0.1:%d" % server.server_address[1], flush=True)
    server.serve_forever()
    server.server_close()


if __name__ == "__main__":
    main()
