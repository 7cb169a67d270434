#!/usr/bin/env python3
"""A SQL Server stand-in for Pellam's tests and demo: speaks TDS 7.4 on
loopback and answers the catalogue statements from a fixture file.

    python3 testserver/standin.py --fixture FILE [--port N]
        [--close-after N] [--delay SECONDS] [--latency MS] [--mute] [--deny TEXT]...
        [--uncompilable TEXT]...

A batch may hold several catalogue statements separated by blanks, line
breaks or ";": each gets its own result, as SQL Server sends them.
"""

import argparse
import os
import signal
import socket
import socketserver
import sys
import threading
import time

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))

import tds  # noqa: E402
from catalog import Catalog, Session, SqlError, split_batch  # noqa: E402


class Handler(socketserver.BaseRequestHandler):
    def setup(self):
        self.request.setsockopt(socket.IPPROTO_TCP, socket.TCP_NODELAY, 1)
        self.options = self.server.options
        self.catalog = self.server.catalog
        self.session = None
        self.statements = 0
        self.packet_size = 4096

    def send(self, payload):
        if self.options.latency:
            time.sleep(self.options.latency / 1000.0)
        self.request.sendall(tds.packets(tds.REPLY, payload, self.packet_size))

    def handle(self):
        if self.options.mute:
            # Accept and never answer: hold the connection until the client goes.
            while self.request.recv(4096):
                pass
            return
        try:
            while True:
                message = tds.read_message(self.request)
                if message is None:
                    return
                kind, payload = message
                if kind == tds.PRELOGIN:
                    self.send(tds.prelogin_reply())
                elif kind == tds.LOGIN7:
                    if not self.login(payload):
                        return
                elif kind == tds.SQL_BATCH:
                    if self.session is None:
                        return
                    self.delay()
                    if not self.batch(payload):
                        return
                elif kind == tds.ATTENTION:
                    self.send(tds.done(tds.DONE_ATTN))
                else:
                    self.send(tds.error(50000, "The stand-in server does not accept this request.")
                              + tds.done(tds.DONE_ERROR))
        except (ConnectionError, OSError):
            return

    def delay(self):
        if self.options.delay:
            time.sleep(self.options.delay)

    def login(self, payload):
        fields = tds.parse_login7(payload)
        user = fields["user"]
        if fields["integrated"] or fields["sspi"]:
            ok = self.catalog.windows_logins
            user = "NT AUTHORITY\\SYSTEM"
        else:
            ok = user in self.catalog.logins and self.catalog.logins[user] == fields["password"]
        if not ok:
            self.send(tds.error(18456, "Login failed for user '%s'." % user, state=1, severity=14)
                      + tds.done(tds.DONE_ERROR))
            return False
        wanted = fields["database"] or "master"
        database = self.catalog.database(wanted)
        if database is None:
            self.send(tds.error(4060, 'Cannot open database "%s" requested by the login. The login '
                                'failed.' % wanted, severity=11)
                      + tds.error(18456, "Login failed for user '%s'." % user, severity=14)
                      + tds.done(tds.DONE_ERROR))
            return False
        self.session = Session(self.catalog, database)
        reply = tds.envchange_database(database.name, "master") + \
            tds.info(5701, "Changed database context to '%s'." % database.name, severity=0) + \
            tds.loginack(fields["tds_version"]) + tds.envchange_packet_size(self.packet_size) + \
            tds.done()
        self.send(reply)
        return True

    def batch(self, payload):
        """Answers a batch; False when the connection is to close."""
        headers = int.from_bytes(payload[0:4], "little") if len(payload) >= 4 else 0
        if headers < 4 or headers > len(payload):
            headers = 0
        text = payload[headers:].decode("utf-16-le", errors="replace")
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
                    self.request.sendall(tds.packets(tds.REPLY, bytes(out), self.packet_size,
                                                     complete=False))
                return False
            more = tds.DONE_MORE if k + 1 < len(statements) else 0
            out += self.answer(statement, more)
        self.send(bytes(out))
        return True

    def closing(self):
        return self.options.close_after is not None and self.statements > self.options.close_after

    @staticmethod
    def failure(error, more=0):
        return b"".join(tds.error(number, text) for number, text in error.messages) + \
            tds.done(tds.DONE_ERROR | more)

    def answer(self, statement, more):
        """One statement's tokens, DONE_MORE set when others follow."""
        if any(text in statement for text in self.options.deny):
            # As SQL Server answers a SELECT the login may not run.
            return tds.error(229, "The SELECT permission was denied on the object 'sysobjects', "
                             "database 'mssqlsystemresource', schema 'sys'.", severity=14) + \
                tds.done(tds.DONE_ERROR | more)
        try:
            result = self.session.execute(statement)
        except SqlError as e:
            return self.failure(e, more)
        if result is None:
            return tds.done(more)
        columns, rows = result
        out = bytearray(tds.colmetadata(columns))
        for values in rows:
            out += tds.row(columns, values)
        out += tds.done(tds.DONE_COUNT | more, len(rows))
        return bytes(out)


class Server(socketserver.ThreadingTCPServer):
    daemon_threads = True
    allow_reuse_address = True


def main():
    parser = argparse.ArgumentParser(description=__doc__.splitlines()[0])
    parser.add_argument("--fixture", required=True)
    parser.add_argument("--port", type=int, default=0)
    parser.add_argument("--close-after", type=int, default=None,
                        help="close a connection when it sends more than N statements")
    parser.add_argument("--delay", type=float, default=0.0, help="delay the answer to each statement (seconds)")
    parser.add_argument("--latency", type=float, default=0.0,
                        help="delay every reply by MS milliseconds, as a distant network would")
    parser.add_argument("--mute", action="store_true", help="accept connections, never answer")
    parser.add_argument("--deny", action="append", default=[],
                        help="refuse every statement holding TEXT with error 229, as for a login "
                             "without the permission")
    parser.add_argument("--uncompilable", action="append", default=[],
                        help="a statement holding TEXT does not compile: error 102, and a batch "
                             "holding it runs none of its statements")
    options = parser.parse_args()

    server = Server(("127.0.0.1", options.port), Handler)
    server.options = options
    server.catalog = Catalog.load(options.fixture)

    def stop(*_):
        threading.Thread(target=server.shutdown, daemon=True).start()

    signal.signal(signal.SIGTERM, stop)
    signal.signal(signal.SIGINT, stop)
    print("listening on 127.0.0.1:%d" % server.server_address[1], flush=True)
    server.serve_forever()
    server.server_close()


if __name__ == "__main__":
    main()
