"""The program under test as a screen reader sees it: its windows, menus and
controls on the accessibility bus (AT-SPI), found by their roles and names.

Two facts of the bus shape every call here. A call is answered by the
program's own thread, so it waits while a command works, and is answered
again once the program is idle or inside a modal box or dialog (whose loop
answers the bus too). And an action that opens a modal box is answered only
when that box closes, so actions are sent with a short timeout and their
answer is not waited for."""

import math
import os
import signal
import subprocess
import time
import warnings

import gi

gi.require_version("Atspi", "2.0")
from gi.repository import Atspi, GLib  # noqa: E402

from screen import Rectangle  # noqa: E402

# Atspi.Action.get_action_name and friends warn on every call.
warnings.filterwarnings("ignore", category=DeprecationWarning)

POLL_SECONDS = 0.01
# Long enough for the bus to carry the request, short enough not to matter
# when the answer never comes because the action opened a modal box.
ACTION_TIMEOUT_MS = 250

Role = Atspi.Role
State = Atspi.StateType


class NoAnswer(Exception):
    """The program did not answer a call on the bus in time, or the object
    asked about is gone."""


def call(timeout_ms, function, *arguments):
    """One call on the bus, given at most timeout_ms to be answered."""
    timeout_ms = max(int(timeout_ms), 1)
    Atspi.set_timeout(timeout_ms, timeout_ms)
    try:
        return function(*arguments)
    except GLib.Error as error:
        raise NoAnswer(error.message) from error


def wait_until(seconds, condition):
    """Polls condition(remaining_ms) until it holds or the limit passes; a
    call the condition makes may take the time that remains, no more. A
    condition that cannot be answered counts as not holding."""
    deadline = time.monotonic() + seconds
    while True:
        remaining_ms = (deadline - time.monotonic()) * 1000
        try:
            if condition(max(remaining_ms, 1)):
                return True
        except NoAnswer:
            pass
        if time.monotonic() >= deadline:
            return False
        time.sleep(POLL_SECONDS)


def is_showing(accessible, timeout_ms):
    states = call(timeout_ms, accessible.get_state_set)
    return states.contains(State.SHOWING)


def children(accessible, timeout_ms):
    count = call(timeout_ms, accessible.get_child_count)
    return [child for child in (call(timeout_ms, accessible.get_child_at_index, i) for i in range(count))
            if child is not None]


def descendants(accessible, timeout_ms, depth=None):
    """Every object below accessible that is shown, depth first; with depth,
    only so many levels down."""
    if depth == 0:
        return
    for child in children(accessible, timeout_ms):
        try:
            if not is_showing(child, timeout_ms):
                continue
        except NoAnswer:
            continue
        yield child
        yield from descendants(child, timeout_ms, None if depth is None else depth - 1)


# Qt gives places on the bus in its logical pixels; the screen has
# QT_SCALE_FACTOR device pixels for each.
SCALE = float(os.environ.get("QT_SCALE_FACTOR") or 1)


def device_pixels(logical):
    """Rounded as Qt rounds (halves away from zero)."""
    return int(math.floor(logical * SCALE + 0.5))


def extents(accessible, timeout_ms):
    """The object's place on the screen, in device pixels."""
    box = call(timeout_ms, accessible.get_extents, Atspi.CoordType.SCREEN)
    left, top = device_pixels(box.x), device_pixels(box.y)
    return Rectangle(left, top, device_pixels(box.x + box.width) - left, device_pixels(box.y + box.height) - top)


def press(accessible):
    """Presses a button or menu item: its first action, as a click does. Not
    waited for: the press may open a modal box."""
    try:
        call(ACTION_TIMEOUT_MS, accessible.do_action, 0)
    except NoAnswer:
        pass


class Program:
    """One run of the program: its process and its objects on the bus."""

    def __init__(self, path, stderr_path=None):
        self.path = path
        # The window system the program runs on: the session's (xcb, the
        # X display; wayland, the session's compositor).
        self.platform = os.environ.get("E2E_QT_PLATFORM") or "xcb"
        # What a run that ended on its own printed (run_to_end).
        self.printed, self.printed_errors = b"", b""
        # Where the program's own standard error goes; None leaves it on the
        # driver's.
        self.stderr_path = stderr_path
        self.process = None
        self.application = None
        self.main_window = None
        self.menu_items = {}  # (menu text, item text) -> item; they live as long as the program
        # A fixed threshold has the C library give every large block (the
        # pictures) back when it is freed, so that the memory the program
        # holds is the memory it uses: by default the threshold moves up
        # after the first large free, and freed pictures stay in the heap.
        # Empty, the program keeps the C library's default.
        self.heap_settings = {"MALLOC_MMAP_THRESHOLD_": "131072"}

    # --- the process --------------------------------------------------------

    def environment(self):
        environment = dict(os.environ, QT_ACCESSIBILITY="1", QT_LINUX_ACCESSIBILITY_ALWAYS_ON="1",
                           QT_QPA_PLATFORM=self.platform, QT_QPA_PLATFORMTHEME="", **self.heap_settings)
        if self.platform == "wayland":
            # A headless Weston has no seat, and Qt 6.4's Wayland input
            # method then reads the missing input device as soon as a text
            # field draws its cursor (QWaylandInputDevice::textInput). No
            # input method is asked for: the driver types over the
            # accessibility bus.
            environment["QT_IM_MODULE"] = "none"
        return environment

    def forget_ended_run(self):
        """A run that has ended makes room for the next one."""
        if self.process is not None and self.ended():
            self.process, self.application, self.main_window, self.menu_items = None, None, None, {}

    def start(self, arguments=()):
        stderr = open(self.stderr_path, "ab") if self.stderr_path else None
        try:
            self.process = subprocess.Popen([self.path, *arguments], env=self.environment(),
                                            stdin=subprocess.DEVNULL, stderr=stderr)
        finally:
            if stderr:
                stderr.close()

    def run_to_end(self, arguments, seconds, without_display=False):
        """Runs the program with the arguments and keeps what it prints on
        standard output and standard error; without_display, with no X
        display and no Wayland compositor to reach. False when it was still
        running after the limit (it is then ended)."""
        environment = self.environment()
        if without_display:
            for name in ("DISPLAY", "WAYLAND_DISPLAY"):
                environment.pop(name, None)
        self.process = subprocess.Popen([self.path, *arguments], env=environment, stdin=subprocess.DEVNULL,
                                        stdout=subprocess.PIPE, stderr=subprocess.PIPE)
        try:
            self.printed, self.printed_errors = self.process.communicate(timeout=seconds)
        except subprocess.TimeoutExpired:
            self.kill()
            self.printed, self.printed_errors = self.process.communicate()
            return False
        if self.stderr_path:
            with open(self.stderr_path, "ab") as log:
                log.write(self.printed_errors)
        return True

    def started(self):
        return self.process is not None

    def ended(self):
        return self.process.poll() is not None

    def exit_code(self):
        """The exit code as the program returned it: exit(-1) reads -1."""
        code = self.process.poll()
        if code is None or code < 0:
            return code
        return code - 256 if code >= 128 else code

    def end_note(self):
        code = self.process.poll()
        if code is not None and code < 0:
            return "the program was killed by signal %d" % -code
        return "the program has ended with exit code %d" % self.exit_code()

    def kill(self):
        if self.process is not None and not self.ended():
            self.process.kill()
            self.process.wait()

    def pause(self):
        os.kill(self.process.pid, signal.SIGSTOP)

    def resume(self):
        os.kill(self.process.pid, signal.SIGCONT)

    def main_thread_run_ns(self):
        """How long the main thread has run on a processor, in nanoseconds."""
        with open("/proc/%d/schedstat" % self.process.pid) as schedstat:
            return int(schedstat.read().split()[0])

    # --- its objects on the bus ---------------------------------------------

    def find_on_bus(self, timeout_ms):
        """Finds the application with the process's id and its main window,
        the first frame it shows. Nothing is cached, so every answer is the
        program's own of the moment."""
        desktop = Atspi.get_desktop(0)
        desktop.set_cache_mask(Atspi.Cache.NONE)
        for application in children(desktop, timeout_ms):
            if call(timeout_ms, application.get_process_id) != self.process.pid:
                continue
            application.set_cache_mask(Atspi.Cache.NONE)
            for window in children(application, timeout_ms):
                if call(timeout_ms, window.get_role) == Role.FRAME and is_showing(window, timeout_ms):
                    self.application, self.main_window = application, window
                    return True
        return False

    def answers(self, timeout_ms):
        """True once the program's thread answers the bus: it is idle, or
        inside a modal box or dialog. The main window's place is asked, which
        is never taken from a cache."""
        try:
            extents(self.main_window, timeout_ms)
            return True
        except NoAnswer:
            return False

    def windows(self, timeout_ms):
        """The shown top-level windows other than the main window: boxes and
        dialogs."""
        return [window for window in children(self.application, timeout_ms)
                if window != self.main_window and is_showing(window, timeout_ms)]

    def describe_windows(self, timeout_ms):
        """The open boxes and dialogs, for failure reports."""
        try:
            shown = ["%s %r" % (call(timeout_ms, w.get_role_name), call(timeout_ms, w.get_name))
                     for w in self.windows(timeout_ms)]
        except NoAnswer:
            return "; the program does not answer"
        return "; open: " + ", ".join(shown) if shown else ""

    def main_part(self, role, timeout_ms):
        """The first shown object of a role in the main window."""
        for accessible in descendants(self.main_window, timeout_ms):
            if call(timeout_ms, accessible.get_role) == role:
                return accessible
        return None

    def client_area(self, timeout_ms):
        """The main window's client area below its menu bar, on the screen."""
        window = extents(self.main_window, timeout_ms)
        menu_bar = self.main_part(Role.MENU_BAR, timeout_ms)
        below = menu_bar and extents(menu_bar, timeout_ms)
        top = below.y + below.height if below else window.y
        return Rectangle(window.x, top, window.width, window.y + window.height - top)

    def progress_bar(self, timeout_ms):
        return self.main_part(Role.PROGRESS_BAR, timeout_ms)

    def status_text(self, timeout_ms):
        """The status bar, as a screen reader finds it: the main window's
        object of that role, named by the status text."""
        return self.main_part(Role.STATUS_BAR, timeout_ms)

    def menu_item(self, menu_text, item_text, timeout_ms):
        """The item of a menu of the menu bar, both found by their texts."""
        if (menu_text, item_text) not in self.menu_items:
            self.menu_items[menu_text, item_text] = self.find_menu_item(menu_text, item_text, timeout_ms)
        return self.menu_items[menu_text, item_text]

    def find_menu_item(self, menu_text, item_text, timeout_ms):
        menu = self.menu(menu_text, timeout_ms)
        if menu is None:
            return None
        for popup in children(menu, timeout_ms):
            for item in children(popup, timeout_ms):
                if call(timeout_ms, item.get_role) == Role.MENU_ITEM and call(timeout_ms, item.get_name) == item_text:
                    return item
        return None

    def menus(self, timeout_ms):
        menu_bar = self.main_part(Role.MENU_BAR, timeout_ms)
        return [] if menu_bar is None else children(menu_bar, timeout_ms)

    def menu(self, menu_text, timeout_ms):
        for menu in self.menus(timeout_ms):
            if call(timeout_ms, menu.get_name) == menu_text:
                return menu
        return None
