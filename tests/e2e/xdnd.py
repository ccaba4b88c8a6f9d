#!/usr/bin/python3
"""A file dropped on a window as a file manager drops it: an X client that
drags one file, offered as text/uri-list, over the XDND protocol to the
top-level window under a point of the screen and drops it there. Both
end-to-end sessions use it: the Win32 driver asks the Wine session for it
(tests/e2e/session.sh), the native driver calls drop_file itself.

    xdnd.py X Y FILE [LIMIT_SECONDS]

prints "ok" once the window has taken the drop and said it is finished, or
what went wrong, and exits 0 or 1. Every wait ends when the window answers;
the limit is only a backstop for one that never does."""

import os
import select
import sys
import time
import urllib.parse

from Xlib import X, Xatom, display
from Xlib.protocol import event

XDND_VERSION = 5
URI_LIST = "text/uri-list"


class DropFailed(Exception):
    pass


def file_uri(path):
    """The file's URI as text/uri-list carries it: a line ending in CR LF,
    every byte outside the unreserved set escaped."""
    return "file://" + urllib.parse.quote(os.path.abspath(path).encode("utf-8")) + "\r\n"


class Drag:
    """One drag from a window of our own, which owns the XdndSelection."""

    def __init__(self, uri):
        self.display = display.Display()
        self.root = self.display.screen().root
        self.atom = lambda name: self.display.intern_atom(name)
        self.source = self.root.create_window(-10, -10, 1, 1, 0, X.CopyFromParent, X.InputOnly, X.CopyFromParent)
        self.data = uri.encode("utf-8")
        self.source.set_selection_owner(self.atom("XdndSelection"), X.CurrentTime)
        if self.display.get_selection_owner(self.atom("XdndSelection")) != self.source:
            raise DropFailed("cannot own the XdndSelection")

    def close(self):
        self.source.destroy()
        self.display.close()

    # --- the target -----------------------------------------------------------

    def window_under(self, x, y):
        """The top-most shown top-level window that holds the point, and the
        XDND version it speaks (0 when it speaks none)."""
        shown = []
        for child in reversed(self.root.query_tree().children):
            if child.get_attributes().map_state != X.IsViewable:
                continue
            geometry = child.get_geometry()
            shown.append("%dx%d+%d+%d" % (geometry.width, geometry.height, geometry.x, geometry.y))
            if not (geometry.x <= x < geometry.x + geometry.width and geometry.y <= y < geometry.y + geometry.height):
                continue
            return child, self.xdnd_version(child)
        raise DropFailed("no window is shown at %d, %d (shown: %s)" % (x, y, ", ".join(shown) or "none"))

    def xdnd_version(self, window):
        aware = window.get_full_property(self.atom("XdndAware"), Xatom.ATOM)
        return aware.value[0] if aware and len(aware.value) else 0

    # --- the messages ----------------------------------------------------------

    def send(self, target, name, *data):
        values = list(data) + [0] * (5 - len(data))
        message = event.ClientMessage(window=target, client_type=self.atom(name), data=(32, values))
        target.send_event(message, X.NoEventMask)
        self.display.flush()

    def answer_selection_request(self, request):
        """Gives the target the file's URI, or the list of what is offered."""
        prop = request.property or request.target
        if request.target == self.atom(URI_LIST):
            request.requestor.change_property(prop, request.target, 8, self.data)
        elif request.target == self.atom("TARGETS"):
            request.requestor.change_property(prop, Xatom.ATOM, 32, [self.atom("TARGETS"), self.atom(URI_LIST)])
        else:
            prop = X.NONE
        notify = event.SelectionNotify(time=request.time, requestor=request.requestor, selection=request.selection,
                                       target=request.target, property=prop)
        request.requestor.send_event(notify, X.NoEventMask)
        self.display.flush()

    def wait_for(self, name, deadline):
        """The next message NAME from the target, answering its requests for
        the data meanwhile."""
        wanted = self.atom(name)
        while True:
            while self.display.pending_events():
                received = self.display.next_event()
                if received.type == X.SelectionRequest:
                    self.answer_selection_request(received)
                elif received.type == X.ClientMessage and received.client_type == wanted:
                    return received.data[1]
            remaining = deadline - time.monotonic()
            if remaining <= 0:
                raise DropFailed("the window sent no %s" % name)
            select.select([self.display.fileno()], [], [], remaining)

    def drop(self, x, y, limit_seconds):
        deadline = time.monotonic() + limit_seconds
        target, version = self.window_under(x, y)
        if version < 3:
            raise DropFailed("the window at %d, %d takes no drops (XdndAware %d)" % (x, y, version))
        version = min(version, XDND_VERSION)
        source = self.source.id
        self.send(target, "XdndEnter", source, version << 24, self.atom(URI_LIST))
        self.send(target, "XdndPosition", source, 0, x << 16 | y, X.CurrentTime, self.atom("XdndActionCopy"))
        status = self.wait_for("XdndStatus", deadline)
        if not status[1] & 1:
            self.send(target, "XdndLeave", source)
            raise DropFailed("the window refused the file")
        self.send(target, "XdndDrop", source, 0, X.CurrentTime)
        finished = self.wait_for("XdndFinished", deadline)
        if version >= 5 and not finished[1] & 1:
            raise DropFailed("the window did not take the file")


def drop_file(x, y, path, limit_seconds=30):
    """Drops the file on the window at x, y (screen pixels); raises
    DropFailed with the reason when it is not taken."""
    drag = Drag(file_uri(path))
    try:
        drag.drop(x, y, limit_seconds)
    finally:
        drag.close()


def main(arguments):
    if len(arguments) not in (4, 5):
        print("usage: xdnd.py X Y FILE [LIMIT_SECONDS]")
        return 2
    try:
        drop_file(int(arguments[1]), int(arguments[2]), arguments[3], float(arguments[4]) if len(arguments) == 5 else 30)
    except DropFailed as failure:
        print(failure)
        return 1
    print("ok")
    return 0


if __name__ == "__main__":
    sys.exit(main(sys.argv))
