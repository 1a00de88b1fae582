#!/usr/bin/python3
"""An FTP server for the transfer tests, built on pyftpdlib.

It serves the directory given by --root to one account (--user and
--password) with every permission, listens on 127.0.0.1 at a free port and
prints "PORT <n>" on its own line once it accepts connections. The line
"freeze" on stdin makes it stop answering, as a controller that hangs: it
keeps its connections, accepts new ones, sends nothing more and prints
"FROZEN" once it has stopped. The server runs until stdin closes, so it
never outlives the test that started it.

Controllers that behave otherwise than a desktop server are stood in for by
options: --max-connections-per-address answers control connections beyond
that number with 421 and closes them; --stall COMMAND (repeatable) never
answers that command, such as NLST; --listed DIRECTORY NAME (repeatable)
lists NAME in the name list of DIRECTORY besides its files, such as a name
with a slash that no file can have; --empty-listing-reply CODE refuses the
name list (NLST) of an empty directory with CODE "No files found.", as many
servers do, instead of sending an empty list.

    pyftpdlib_server.py --root /tmp/tree --user NAME --password SECRET
"""

import argparse
import logging
import socket
import sys
import threading

from pyftpdlib.authorizers import DummyAuthorizer
from pyftpdlib.filesystems import AbstractedFS
from pyftpdlib.handlers import DTPHandler, FTPHandler
from pyftpdlib.servers import FTPServer


def has_input(sock):
    """Whether a read on sock returns at once: data, the end or an error."""
    try:
        sock.recv(1, socket.MSG_PEEK | socket.MSG_DONTWAIT)
    except BlockingIOError:
        return False
    except OSError:
        pass
    return True


class DataChannel(DTPHandler):
    """pyftpdlib's data channel, closed only by a read event that is real.

    pyftpdlib takes a read event on a data connection whose transfer has not
    begun for the client's leaving, and closes the connection. One poll can
    hold the event of a connection that an earlier event of the same poll
    closed; when an accept of that poll reuses the freed descriptor, the event
    reaches the new data connection. A client that dropped the unused data
    connection of a refused file would then find its next download closed
    before the first byte.
    """

    def readable(self):
        if not self.receive and not self._initialized and not has_input(self.socket):
            return False
        return super().readable()


def main():
    parser = argparse.ArgumentParser()
    parser.add_argument("--root", required=True)
    parser.add_argument("--user", required=True)
    parser.add_argument("--password", required=True)
    parser.add_argument("--max-connections-per-address", type=int, default=0)
    parser.add_argument("--stall", action="append", default=[])
    parser.add_argument("--listed", nargs=2, action="append", default=[])
    parser.add_argument("--empty-listing-reply", type=int, default=0)
    arguments = parser.parse_args()
    logging.basicConfig(level=logging.CRITICAL)

    listed = {}
    for directory, name in arguments.listed:
        listed.setdefault(directory, []).append(name)

    class ListingFS(AbstractedFS):
        def listdir(self, path):
            return super().listdir(path) + listed.get(self.fs2ftp(path), [])

    stalled = set(arguments.stall)

    def process_command(handler, cmd, *args, **kwargs):
        if cmd not in stalled:
            FTPHandler.process_command(handler, cmd, *args, **kwargs)

    def ftp_NLST(handler, path):
        if (arguments.empty_listing_reply and handler.fs.isdir(path)
                and not handler.fs.listdir(path)):
            handler.respond(f"{arguments.empty_listing_reply} No files found.")
            return None
        return FTPHandler.ftp_NLST(handler, path)

    authorizer = DummyAuthorizer()
    authorizer.add_user(arguments.user, arguments.password, arguments.root,
                        perm="elradfmwMT")
    # A refused login is answered at once, not after pyftpdlib's usual pause.
    handler = type("Handler", (FTPHandler,),
                   {"authorizer": authorizer, "auth_failed_timeout": 0,
                    "abstracted_fs": ListingFS, "dtp_handler": DataChannel,
                    "process_command": process_command, "ftp_NLST": ftp_NLST})
    server = FTPServer(("127.0.0.1", 0), handler)
    server.max_cons_per_ip = arguments.max_connections_per_address
    print(f"PORT {server.socket.getsockname()[1]}", flush=True)

    stdin_closed = threading.Event()
    freeze_asked = threading.Event()

    def read_stdin():
        for line in sys.stdin:
            if line.strip() == "freeze":
                freeze_asked.set()
        stdin_closed.set()

    threading.Thread(target=read_stdin, daemon=True).start()
    # The loop runs in slices, so that the server notices stdin.
    frozen = False
    while not stdin_closed.is_set():
        if frozen:
            stdin_closed.wait(0.2)
        elif freeze_asked.is_set():
            frozen = True
            print("FROZEN", flush=True)
        else:
            server.serve_forever(timeout=0.2, blocking=False)
    server.close_all()


if __name__ == "__main__":
    main()
