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
with a slash that no file can have.

    pyftpdlib_server.py --root /tmp/tree --user NAME --password SECRET
"""

import argparse
import logging
import sys
import threading

from pyftpdlib.authorizers import DummyAuthorizer
from pyftpdlib.filesystems import AbstractedFS
from pyftpdlib.handlers import FTPHandler
from pyftpdlib.servers import FTPServer


def main():
    parser = argparse.ArgumentParser()
    parser.add_argument("--root", required=True)
    parser.add_argument("--user", required=True)
    parser.add_argument("--password", required=True)
    parser.add_argument("--max-connections-per-address", type=int, default=0)
    parser.add_argument("--stall", action="append", default=[])
    parser.add_argument("--listed", nargs=2, action="append", default=[])
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

    authorizer = DummyAuthorizer()
    authorizer.add_user(arguments.user, arguments.password, arguments.root,
                        perm="elradfmwMT")
    # A refused login is answered at once, not after pyftpdlib's usual pause.
    handler = type("Handler", (FTPHandler,),
                   {"authorizer": authorizer, "auth_failed_timeout": 0,
                    "abstracted_fs": ListingFS,
                    "process_command": process_command})
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
