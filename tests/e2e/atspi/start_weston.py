#!/usr/bin/python3
"""Starts Weston, the reference Wayland compositor, headless, for the
Wayland session of the native end-to-end tests, and returns once Weston
itself says it is ready:

    start_weston.py RUNTIME_DIR SOCKET_NAME LOG [LIMIT_SECONDS]

Weston's systemd-notify module sends READY=1 to the socket that
NOTIFY_SOCKET names once the compositor listens on SOCKET_NAME in
RUNTIME_DIR (XDG_RUNTIME_DIR) and has loaded its shell: a client that
connects from then on is served. This script makes that socket, starts
Weston in a process group of its own with its output in LOG, waits for the
word, and prints Weston's process id. It exits 1, with the reason, when
Weston ends first or sends nothing; the limit is only a backstop far above
a start's fraction of a second."""

import os
import select
import socket
import subprocess
import sys
import time


def start(runtime, name, log_name, limit):
    notify_path = os.path.join(runtime, "weston-ready")
    if os.path.exists(notify_path):
        os.unlink(notify_path)
    notify = socket.socket(socket.AF_UNIX, socket.SOCK_DGRAM)
    notify.bind(notify_path)
    environment = dict(os.environ, XDG_RUNTIME_DIR=runtime, NOTIFY_SOCKET=notify_path)
    environment.pop("WAYLAND_DISPLAY", None)
    environment.pop("DISPLAY", None)
    with open(log_name, "ab") as log:
        weston = subprocess.Popen(["weston", "--backend=headless-backend.so", "--socket=" + name, "--idle-time=0",
                                   "--width=4000", "--height=2400", "--no-config", "--modules=systemd-notify.so"],
                                  env=environment, stdin=subprocess.DEVNULL, stdout=log, stderr=log,
                                  start_new_session=True)
    deadline = time.monotonic() + limit
    try:
        while weston.poll() is None:
            remaining = deadline - time.monotonic()
            if remaining <= 0:
                weston.kill()
                return None, "Weston did not say it was ready within %d s" % limit
            # A short look at a time, so that Weston's end is seen too.
            readable, _, _ = select.select([notify], [], [], min(remaining, 0.5))
            if readable and b"READY=1" in notify.recv(4096).split(b"\n"):
                return weston.pid, None
        return None, "Weston ended with code %d" % weston.returncode
    finally:
        notify.close()
        os.unlink(notify_path)


def main(arguments):
    if len(arguments) not in (4, 5):
        print("usage: start_weston.py RUNTIME_DIR SOCKET_NAME LOG [LIMIT_SECONDS]", file=sys.stderr)
        return 2
    pid, failure = start(arguments[1], arguments[2], arguments[3], float(arguments[4]) if len(arguments) == 5 else 120)
    if failure:
        print(failure, file=sys.stderr)
        return 1
    print(pid)
    return 0


if __name__ == "__main__":
    sys.exit(main(sys.argv))
