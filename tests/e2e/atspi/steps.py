"""The steps of the scenario scripts, performed on the native program over the
accessibility bus. Each step has the meaning it has for the Win32 driver
(tests/e2e/driver/steps.cpp); the few that only make sense for a Windows
program are named in NOT_APPLYING. A step returns nothing when it passed
and raises StepFailed with the reason otherwise."""

import math
import os
import sys
import threading
import time

from program import (SCALE, Atspi, NoAnswer, Program, Role, State, call, children, descendants, device_pixels,
                     extents, is_showing, press, wait_until)
import screen
from script import expand_words

sys.path.insert(0, os.path.join(os.path.dirname(os.path.abspath(__file__)), ".."))
import xdnd  # noqa: E402  (tests/e2e/xdnd.py, which the Wine session runs too)

# Every wait ends as soon as what it waits for holds; the limit is only a
# backstop, far above any step's length on a busy machine.
DEFAULT_WAIT_SECONDS = 30

# The steps that have no meaning for the native program: a scenario with one
# of them is skipped, with the reason.
NOT_APPLYING = {
    "expect-program-file": "it reads the version resource and the manifest of a Windows program file",
}

# The steps that need the X display, which a program on Wayland has not:
# the driver reads the screen through X, sends the close request and keys
# through X, counts X windows and drags files as an X client.
X11_ONLY = {
    "screenshot": "it reads the screen through the X display",
    "capture-status": "it reads the screen through the X display",
    "expect-bars-moving": "it reads the screen through the X display",
    "close": "the close box's request (WM_DELETE_WINDOW) is sent through the X display",
    "close-menu": "its key is made through the X display",
    "prefs-key": "its keys are made through the X display",
    "long-session": "it counts the program's X windows",
    "drop": "the file is dragged by an X client (XDND)",
}


def not_applying(platform):
    """The steps that do not apply to the native program on the platform,
    with the reason."""
    return dict(NOT_APPLYING, **(X11_ONLY if platform == "wayland" else {}))


class StepFailed(Exception):
    pass


class Tables:
    """The program's own tables, as tavrelic_expected prints them, by which
    the scenarios call commands, menus and dialog controls: the menu
    (command name -> menu text, item text; ID NAME MENU ITEM a row), the
    menus' titles in the menu bar's order, and the controls of the
    program's own dialogs, the Preferences first and then the text depth
    map dialog (control name -> kind, label; ID NAME KIND LABEL a row), in
    the dialogs' order."""

    def __init__(self, menu_file, fields_file):
        menu_rows = _rows(menu_file, "ID NAME MENU ITEM")
        field_rows = _rows(fields_file, "ID NAME KIND LABEL")
        self.menu = {name: (menu, item) for _, name, menu, item in menu_rows}
        self.menu_titles = list(dict.fromkeys(menu for _, _, menu, _ in menu_rows))
        self.fields = {name: (kind, label) for _, name, kind, label in field_rows}
        self.text_fields = [name for _, name, kind, _ in field_rows if kind in ("number", "text")]


def _rows(file_name, shape):
    """The rows of a table file, four tab-separated columns each, the first a
    number and the second a name; a row of another shape is a ValueError."""
    rows = []
    with open(file_name, encoding="utf-8") as table:
        for number, line in enumerate(table, 1):
            if not line.strip():
                continue
            row = line.rstrip("\r\n").split("\t")
            if len(row) != 4 or not row[0].isdigit() or not row[1]:
                raise ValueError("%s:%d: expected %s (tab-separated), found %r" % (file_name, number, shape, line))
            rows.append(row)
    return rows


class Session:
    """What the steps of one scenario share."""

    def __init__(self, program_path, tables):
        # The session runner names the file that keeps the program's
        # standard error, which a failure report quotes.
        self.program = Program(program_path, os.environ.get("E2E_PROGRAM_STDERR"))
        self.tables = tables
        self.wait_seconds = DEFAULT_WAIT_SECONDS
        self.status_captures = {}

    @property
    def wait_ms(self):
        return self.wait_seconds * 1000

    def limit_text(self):
        return "%d s" % self.wait_seconds

    def end(self):
        self.program.kill()


# --- helpers ------------------------------------------------------------------


def integer(word):
    try:
        return int(word)
    except ValueError:
        raise StepFailed("not a number: " + word) from None


def unix_path(word):
    """The scripts write paths as Windows does."""
    return word.replace("\\", "/")


def quoted(text):
    return '"' + text.replace("\\", "\\\\").replace('"', '\\"').replace("\n", "\\n") + '"'


def state_note(session):
    """What a failure report adds about the program's state."""
    program = session.program
    if program.ended():
        return "; " + program.end_note()
    return program.describe_windows(500)


def require_running(session):
    program = session.program
    if not program.started() or program.main_window is None:
        raise StepFailed("the program was not started")
    if program.ended():
        raise StepFailed(program.end_note())


def wait_for_idle(session):
    """Returns once the program answers the bus after everything sent before:
    it is idle, or inside a modal box or dialog; or once it has ended (a
    program on its way out has already left the bus)."""
    program = session.program
    if wait_until(session.wait_seconds, lambda ms: program.ended() or program.answers(ms)):
        return
    raise StepFailed("the program did not answer within " + session.limit_text())


def wait_for_state(session, condition, failure):
    """Waits for a state of the main window; failure() says what was seen."""
    require_running(session)
    if not wait_until(session.wait_seconds, condition):
        raise StepFailed(failure() + state_note(session))


def wait_for_window(session, matches, kind):
    """Waits for a shown box or dialog of one kind: matches(window, ms)."""
    found = []

    def shown(ms):
        found[:] = [w for w in session.program.windows(ms) if matches(w, ms)]
        return bool(found) or session.program.ended()

    require_running(session)
    if not wait_until(session.wait_seconds, shown) or not found:
        raise StepFailed("no %s appeared within %s%s" % (kind, session.limit_text(), state_note(session)))
    return found[0]


def wait_until_closed(session, window, kind):
    def closed(ms):
        try:
            return not is_showing(window, ms)
        except NoAnswer:
            return True  # the object is gone with its window

    if not wait_until(session.wait_seconds, closed):
        raise StepFailed("the %s stayed open for %s%s" % (kind, session.limit_text(), state_note(session)))
    wait_for_idle(session)


def find_below(window, ms, matches, depth=None):
    for accessible in descendants(window, ms, depth):
        if matches(accessible):
            return accessible
    return None


def role_of(accessible, ms):
    return call(ms, accessible.get_role)


def name_of(accessible, ms):
    return call(ms, accessible.get_name)


# --- start, commands, close -----------------------------------------------------


def step_start(session, args):
    """start [ARGUMENTS...]: starts the program with the arguments and waits
    until its main window shows on the bus and it is idle."""
    program = session.program
    program.forget_ended_run()
    if program.started():
        raise StepFailed("the program is already running")
    try:
        program.start([unix_path(word) for word in args])
    except OSError as error:
        raise StepFailed("cannot start %s: %s" % (program.path, error)) from None
    wait_until(session.wait_seconds, lambda ms: program.ended() or program.find_on_bus(ms))
    if program.main_window is None and program.ended():
        raise StepFailed("the program ended before its main window appeared on the accessibility bus: "
                         + program.end_note())
    if program.main_window is None:
        raise StepFailed("no main window appeared on the accessibility bus within " + session.limit_text())
    wait_for_idle(session)


def run_to_end(session, args, without_display):
    program = session.program
    program.forget_ended_run()
    if program.started():
        raise StepFailed("the program is already running")
    try:
        ended = program.run_to_end([unix_path(word) for word in args], session.wait_seconds, without_display)
    except OSError as error:
        raise StepFailed("cannot start %s: %s" % (program.path, error)) from None
    if not ended:
        raise StepFailed("the program was still running after %s (it was ended)" % session.limit_text())


def step_run(session, args):
    """run [ARGUMENTS...]: runs the program with the arguments until it ends
    by itself, as --help does, keeping what it prints."""
    run_to_end(session, args, False)


def step_run_without_display(session, args):
    """run-without-display [ARGUMENTS...]: the same with no display at all:
    neither DISPLAY nor WAYLAND_DISPLAY is set."""
    run_to_end(session, args, True)


def expect_printed(what, printed, expected):
    try:
        text = printed.decode("utf-8")
    except UnicodeDecodeError:
        raise StepFailed("the program printed on %s what is no UTF-8: %r" % (what, printed[:200])) from None
    if text != expected:
        raise StepFailed("the program printed on %s %s, expected %s" % (what, quoted(text), quoted(expected)))


def step_expect_printed(session, args):
    """expect-printed TEXT: what the run printed on standard output."""
    expect_printed("standard output", session.program.printed, args[0])


def step_expect_printed_error(session, args):
    """expect-printed-error TEXT: what the run printed on standard error."""
    expect_printed("standard error", session.program.printed_errors, args[0])


def menu_item_of(session, name):
    """The menu item of the command that the program calls by this name."""
    if name not in session.tables.menu:
        raise StepFailed("the program's menu table has no command " + name)
    menu_text, item_text = session.tables.menu[name]
    item = session.program.menu_item(menu_text, item_text, session.wait_ms)
    if item is None:
        raise StepFailed("the menu %s has no item %s" % (quoted(menu_text), quoted(item_text)))
    return item


def step_command(session, args):
    """Picks the menu item and waits until the command has ended or shows a
    modal box or dialog: the bus is answered in order, so the wait's own
    question is answered only after the item's press has been handled."""
    require_running(session)
    press(menu_item_of(session, args[0]))
    wait_for_idle(session)


def step_close(session, args):
    require_running(session)
    program = session.program
    title = name_of(program.main_window, session.wait_ms)
    window = screen.shown_window_of_process(program.process.pid, title)
    if window is None or not screen.request_close(window):
        raise StepFailed("cannot send the close request to the window %s" % quoted(title))


def step_drop(session, args):
    """drop FILE: drags the file from an X client, as a file manager does, and
    drops it on the middle of the window's picture; done once the program
    has taken it and said it is finished."""
    require_running(session)
    area = session.program.client_area(session.wait_ms)
    x, y = area.x + area.width // 2, area.y + area.height // 2
    try:
        xdnd.drop_file(x, y, unix_path(args[0]), session.wait_seconds)
    except xdnd.DropFailed as failure:
        raise StepFailed("the drop on %d, %d failed: %s%s" % (x, y, failure, state_note(session))) from None
    except OSError as error:
        raise StepFailed("cannot drag from the X display: %s" % error) from None


def step_expect_exit(session, args):
    expected = integer(args[0])
    program = session.program
    if not program.started():
        raise StepFailed("the program was not started")
    if not wait_until(session.wait_seconds, lambda ms: program.ended()):
        raise StepFailed("the program was still running after " + session.limit_text() + state_note(session))
    if program.exit_code() != expected:
        raise StepFailed("exit code %s, expected %d" % (program.exit_code(), expected))


def step_timeout(session, args):
    seconds = integer(args[0])
    if not 1 <= seconds <= 600:
        raise StepFailed("a timeout must lie between 1 and 600 s")
    session.wait_seconds = seconds


# --- boxes and dialogs ------------------------------------------------------------


def is_message_box(window, ms):
    return role_of(window, ms) == Role.ALERT


class MessageBox:
    """What a message box shows. Qt names a box after its caption, or after
    its text when the caption is empty."""

    def __init__(self, box, ms):
        parts = list(descendants(box, ms))
        labels = [p for p in parts if role_of(p, ms) == Role.LABEL and name_of(p, ms)]
        self.text = name_of(labels[0], ms) if labels else ""
        name = name_of(box, ms)
        self.caption = "" if name == self.text else name
        self.buttons = [p for p in parts if role_of(p, ms) == Role.PUSH_BUTTON]
        self.icon = any(role_of(p, ms) in (Role.IMAGE, Role.ICON) for p in parts)

    def ok_button(self, ms):
        return next((b for b in self.buttons if name_of(b, ms) == "OK"), None)


def step_expect_message(session, args):
    """expect-message TEXT CAPTION: a box with one OK button and no icon
    shows exactly these texts ("*" as TEXT takes any text); OK closes it."""
    ms = session.wait_ms
    window = wait_for_window(session, is_message_box, "message box")
    box = MessageBox(window, ms)
    ok = box.ok_button(ms)
    if ok is None:
        raise StepFailed("the message box %s has no OK button" % quoted(box.text))
    press(ok)
    wait_until_closed(session, window, "message box")
    text_matches = args[0] == "*" or box.text == args[0]
    if text_matches and box.caption == args[1] and len(box.buttons) == 1 and not box.icon:
        return
    raise StepFailed("message box %s with caption %s, %d button(s)%s; expected %s with caption %s, one button, no icon"
                     % (quoted(box.text), quoted(box.caption), len(box.buttons), " and an icon" if box.icon else "",
                        "any text" if args[0] == "*" else quoted(args[0]), quoted(args[1])))


def step_expect_no_dialog(session, args):
    """No box or dialog is open, and none opens while the program finishes
    what it is doing."""
    require_running(session)
    program = session.program
    if wait_until(session.wait_seconds, lambda ms: not program.windows(ms)):
        wait_for_idle(session)
        if not program.windows(session.wait_ms):
            return
    raise StepFailed("a dialog is open" + state_note(session))


# --- the main window's state ----------------------------------------------------


def step_expect_status(session, args):
    shown = ["(unreadable)"]

    def status_is(ms):
        label = session.program.status_text(ms)
        shown[0] = "(none)" if label is None else name_of(label, ms)
        return shown[0] == args[0]

    wait_for_state(session, status_is,
                   lambda: "the status text is %s, expected %s" % (quoted(shown[0]), quoted(args[0])))


def whole_logical_size(device):
    """The device pixels of the smallest whole logical size that holds DEVICE
    device pixels. Qt sizes a window in whole logical pixels, so at a scale
    such as 1.5 a client area of 640 device pixels is out of reach: the
    program takes 427 logical pixels, which Qt shows as 641. This is the one
    place where the program's client area may exceed the picture, by less
    than one logical pixel; the picture itself is still drawn one for one."""
    # The margin keeps a quotient that floating point lands just above a
    # whole number from counting one pixel more, as in the program.
    return device_pixels(math.ceil(device / SCALE - 1e-6))


def step_expect_client(session, args):
    asked = (integer(args[0]), integer(args[1]))
    width, height = whole_logical_size(asked[0]), whole_logical_size(asked[1])
    area = [None]

    def size_is(ms):
        area[0] = session.program.client_area(ms)
        return (area[0].width, area[0].height) == (width, height)

    wait_for_state(session, size_is,
                   lambda: "the client area is %d x %d, expected %d x %d (%d x %d in whole logical pixels)"
                   % (area[0].width, area[0].height, asked[0], asked[1], width, height)
                   if area[0] else "the client area is unreadable")


# The two bars by the scenarios' names for them: what each is, and how the
# program's window shows it.
BARS = {"progress-bar": ("progress bar", Program.progress_bar),
        "status-bar": ("status bar", Program.status_text)}


def step_expect_child_at(session, args):
    """expect-child-at BAR X Y: the bar (progress-bar or status-bar) has its
    top left corner there, in the coordinates of the client area."""
    x, y = integer(args[1]), integer(args[2])
    if args[0] not in BARS:
        raise StepFailed("the main window has no bar called %s (%s)" % (args[0], " or ".join(BARS)))
    kind, find_bar = BARS[args[0]]
    seen = [None]

    def placed(ms):
        client = session.program.client_area(ms)
        bar = find_bar(session.program, ms)
        place = bar and extents(bar, ms)
        seen[0] = place and (place.x - client.x, place.y - client.y, place.width, place.height)
        return seen[0] is not None and seen[0][:2] == (x, y)

    wait_for_state(session, placed, lambda: "the %s is at %s, expected %d, %d"
                   % (kind, "%d, %d (%d x %d)" % seen[0] if seen[0] else "no place", x, y))


def progress_of(session, ms):
    bar = session.program.progress_bar(ms)
    if bar is None:
        return None
    return tuple(int(round(call(ms, f))) for f in (bar.get_current_value, bar.get_minimum_value, bar.get_maximum_value))


def step_expect_progress(session, args):
    expected = tuple(integer(word) for word in args)
    seen = [None]

    def progress_is(ms):
        seen[0] = progress_of(session, ms)
        return seen[0] == expected

    wait_for_state(session, progress_is, lambda: "the progress bar is at %s, expected %d of %d..%d"
                   % ("%d of %d..%d" % seen[0] if seen[0] else "(none)", *expected))


# --- the file dialog ------------------------------------------------------------

FILE_NAME_FIELD = "File name:"
# The file-name field and the buttons lie this near the top of Qt's file
# dialog; below them, the list of files would take long to walk.
FILE_DIALOG_DEPTH = 2


def file_name_field(window, ms):
    """Qt's own file dialog names its file-name field after its label."""
    return find_below(window, ms, lambda a: role_of(a, ms) == Role.TEXT and name_of(a, ms) == FILE_NAME_FIELD,
                      FILE_DIALOG_DEPTH)


def is_file_dialog(window, ms):
    return role_of(window, ms) in (Role.DIALOG, Role.FILE_CHOOSER) and file_name_field(window, ms) is not None


def dialog_buttons(window, ms):
    """The dialog's confirming button (its default one) and the other button
    of the same box, which cancels."""
    default = find_below(window, ms, lambda a: role_of(a, ms) == Role.PUSH_BUTTON and
                         call(ms, a.get_state_set).contains(State.IS_DEFAULT), FILE_DIALOG_DEPTH)
    if default is None:
        raise StepFailed("the file dialog has no default button")
    box = call(ms, default.get_parent)
    others = [b for b in children(box, ms) if b != default and role_of(b, ms) == Role.PUSH_BUTTON]
    return default, others[0] if others else None


def is_enabled(accessible, ms):
    return call(ms, accessible.get_state_set).contains(State.ENABLED)


def fill_file_dialog(session, path):
    """Types the path into the file dialog once it shows; returns the dialog
    and its confirming button, which then takes the name."""
    ms = session.wait_ms
    dialog = wait_for_window(session, is_file_dialog, "file dialog")
    call(ms, file_name_field(dialog, ms).set_text_contents, path)
    confirm, _ = dialog_buttons(dialog, ms)
    if not wait_until(session.wait_seconds, lambda t: is_enabled(confirm, t)):
        raise StepFailed("the file dialog does not take %s (its %s button stays off)" % (path, name_of(confirm, ms)))
    return dialog, confirm


def step_choose_file(session, args):
    dialog, confirm = fill_file_dialog(session, unix_path(args[0]))
    press(confirm)
    wait_until_closed(session, dialog, "file dialog")


def step_cancel_file(session, args):
    ms = session.wait_ms
    dialog = wait_for_window(session, is_file_dialog, "file dialog")
    _, cancel = dialog_buttons(dialog, ms)
    if cancel is None:
        raise StepFailed("the file dialog has no cancel button")
    press(cancel)
    wait_until_closed(session, dialog, "file dialog")


# --- the Preferences dialog -----------------------------------------------------

# The roles of the kinds of the Preferences fields; a number or text field is
# named after its label.
FIELD_ROLES = {"number": Role.TEXT, "text": Role.TEXT, "check": Role.CHECK_BOX, "radio": Role.RADIO_BUTTON,
               "button": Role.PUSH_BUTTON}


def preferences_control(session, name):
    """The control of the Preferences dialog that the program calls by this
    name, once the dialog shows it."""
    if name not in session.tables.fields:
        raise StepFailed("the program's dialogs have no control " + name)
    kind, label = session.tables.fields[name]
    role = FIELD_ROLES[kind]

    def control_in(window, ms):
        return find_below(window, ms, lambda a: role_of(a, ms) == role and name_of(a, ms) == label)

    def holds_control(window, ms):
        return role_of(window, ms) == Role.DIALOG and control_in(window, ms) is not None

    dialog = wait_for_window(session, holds_control, "dialog with the %s %s" % (kind, quoted(label)))
    return dialog, control_in(dialog, session.wait_ms)


def field_text(field, ms):
    return call(ms, field.get_text, 0, -1)


def step_prefs_set(session, args):
    _, field = preferences_control(session, args[0])
    call(session.wait_ms, field.set_text_contents, args[1])


def step_prefs_click(session, args):
    """Not waited for, as a real click: the dialog may answer it with a
    modal box, which the next step handles."""
    _, button = preferences_control(session, args[0])
    press(button)


def step_prefs_expect(session, args):
    _, field = preferences_control(session, args[0])
    shown = [""]

    def holds(ms):
        shown[0] = field_text(field, ms)
        return shown[0] == args[1]

    if not wait_until(session.wait_seconds, holds):
        raise StepFailed("the field %s holds %s, expected %s" % (args[0], quoted(shown[0]), quoted(args[1])))


def step_prefs_expect_check(session, args):
    expected = integer(args[1])
    _, button = preferences_control(session, args[0])
    state = [None]

    def checked(ms):
        state[0] = 1 if call(ms, button.get_state_set).contains(State.CHECKED) else 0
        return state[0] == expected

    if not wait_until(session.wait_seconds, checked):
        raise StepFailed("the button %s has the state %s, expected %d" % (args[0], state[0], expected))


KEYS = {"escape": 0xFF1B, "enter": 0xFF0D}  # X key symbols


def step_prefs_key(session, args):
    """prefs-key escape|enter: the key goes to the dialog's first field that
    takes typed text, which gets the focus first. A digit typed after it
    shows when the dialog has handled the key; the dialog must still be open
    then."""
    if args[0] not in KEYS:
        raise StepFailed("unknown key %s (escape or enter)" % args[0])
    if not session.tables.text_fields:
        raise StepFailed("the program's Preferences table has no number or text field")
    ms = session.wait_ms
    first_field = session.tables.text_fields[0]
    dialog, field = preferences_control(session, first_field)
    focused = wait_until(session.wait_seconds, lambda t: call(t, field.grab_focus) and
                         call(t, field.get_state_set).contains(State.FOCUSED))
    if not focused:
        raise StepFailed("the field %s does not take the focus" % first_field)
    before = field_text(field, ms)
    marker = "2" if before == "1" else "1"
    call(ms, Atspi.generate_keyboard_event, KEYS[args[0]], None, Atspi.KeySynthType.PRESSRELEASE | Atspi.KeySynthType.SYM)
    call(ms, Atspi.generate_keyboard_event, 0, marker, Atspi.KeySynthType.STRING)

    def handled(t):
        return not is_showing(dialog, t) or field_text(field, t) != before

    def still_open():
        try:
            return is_showing(dialog, ms)
        except NoAnswer:
            return False

    if not wait_until(session.wait_seconds, handled) and still_open():
        raise StepFailed("the dialog did not take the key within " + session.limit_text())
    if not still_open():
        raise StepFailed("the key %s closed the Preferences dialog" % args[0])


# --- files and screenshots -------------------------------------------------------


def step_expect_same_file(session, args):
    names = [unix_path(word) for word in args]
    contents = []
    for name in names:
        try:
            with open(name, "rb") as file:
                contents.append(file.read())
        except OSError:
            raise StepFailed("cannot read " + name) from None
    actual, expected = contents
    if actual == expected:
        return
    offset = next((i for i, (a, b) in enumerate(zip(actual, expected)) if a != b), min(len(actual), len(expected)))
    raise StepFailed("%s (%d bytes) differs from %s (%d bytes) from byte %d"
                     % (names[0], len(actual), names[1], len(expected), offset))


def shots_folder():
    folder = os.environ.get("E2E_SHOTS")
    if not folder:
        raise StepFailed("the variable E2E_SHOTS is not set")
    return unix_path(folder)


def open_dialog_area(session, ms):
    windows = session.program.windows(ms)
    return extents(windows[0], ms) if windows else None


def step_screenshot(session, args):
    """screenshot NAME [EXPECTED]: photographs the window, its client area
    and the box or dialog that is open into NAME.png, NAME-client.png and
    NAME-dialog.png in %E2E_SHOTS%; with EXPECTED, a BMP file, the image area
    must show exactly that picture, and is photographed again until it does
    (the program may paint after it answers) or the wait's limit passes."""
    require_running(session)
    wait_for_idle(session)
    ms = session.wait_ms
    base = os.path.join(shots_folder(), args[0])
    window = extents(session.program.main_window, ms)
    client = session.program.client_area(ms)
    dialog = open_dialog_area(session, ms)
    if dialog is not None:
        screen.save_picture(dialog, base + "-dialog.png")
    if len(args) == 1:
        if not (screen.save_picture(window, base + ".png") and screen.save_picture(client, base + "-client.png")):
            raise StepFailed("cannot read the screen")
        return
    expected = unix_path(args[1])
    size = screen.picture_size(expected)
    if size is None:
        raise StepFailed("cannot read " + expected)
    image = screen.Rectangle(client.x, client.y, size[0], size[1])
    differing = [None]

    def shows_expected(_):
        screen.save_picture(window, base + ".png")
        screen.save_picture(client, base + "-client.png")
        screen.save_picture(image, base + "-image.png")
        differing[0] = screen.differing_pixels(base + "-image.png", expected)
        return differing[0] == 0

    if not wait_until(session.wait_seconds, shows_expected):
        raise StepFailed("screenshot %s: %s pixels differ from %s" % (args[0], differing[0], os.path.basename(expected)))


def progress_area(session, ms):
    bar = session.program.progress_bar(ms)
    if bar is None:
        raise StepFailed("the main window shows no progress bar")
    return extents(bar, ms)


def status_area(session, ms):
    """Where the status text shows: the status bar's part of the client area
    that the progress bar leaves free, left of it."""
    label = session.program.status_text(ms)
    if label is None:
        raise StepFailed("the main window shows no status text")
    status, client, progress = extents(label, ms), session.program.client_area(ms), progress_area(session, ms)
    bottom = min(status.y + status.height, client.y + client.height)
    return screen.Rectangle(status.x, status.y, min(status.width, progress.x - status.x), bottom - status.y)


def step_capture_status(session, args):
    """capture-status NAME: keeps what the status text shows on screen now,
    painted while the program is idle (or in a box), for expect-bars-moving
    to compare with. The picture is kept once two looks agree: the box that
    keeps the program waiting may still be painting."""
    require_running(session)
    wait_for_idle(session)
    area = status_area(session, session.wait_ms)
    pixels = [b""]

    def settled(_):
        now = screen.capture_pixels(area)
        same = bool(now) and now == pixels[0]
        pixels[0] = now
        return same

    if not wait_until(session.wait_seconds, settled):
        raise StepFailed("the status text did not settle on the screen")
    session.status_captures[args[0]] = pixels[0]


# How long the program runs between two looks at the screen during
# expect-bars-moving: a share of processor time, so that the number of looks
# follows the work the command does, not the speed of the machine or of the
# looks themselves.
RUN_SLICE_NS = 10_000_000


class Answer:
    """Waits, in a thread of its own, for the program to answer a question
    put to it behind the command's press: the answer comes once the command
    has ended (or shows a modal box)."""

    def __init__(self, session):
        self.answered = threading.Event()
        self.thread = threading.Thread(target=self._wait, args=(session,), daemon=True)
        self.thread.start()

    def _wait(self, session):
        session.program.answers(session.wait_ms)
        self.answered.set()


def run_one_slice(program, answer):
    """Lets the stopped program run until its main thread has had a slice of
    processor time or it has answered."""
    start = program.main_thread_run_ns()
    program.resume()
    while program.main_thread_run_ns() - start < RUN_SLICE_NS and not answer.answered.is_set():
        time.sleep(0.001)


class BarsWatch:
    """What the looks at the strip saw while a command worked."""

    def __init__(self, progress, status, window, texts, shot):
        self.progress, self.status, self.window, self.texts, self.shot = progress, status, window, texts, shot
        self.idle_progress = screen.capture_pixels(progress)
        self.states, self.text_seen, self.shot_taken, self.looks = [], False, False, 0

    def look(self):
        now = screen.capture_pixels(self.progress)
        text_shown = screen.capture_pixels(self.status) in self.texts
        self.looks += 1
        if now not in self.states:
            self.states.append(now)
        self.text_seen = self.text_seen or text_shown
        if text_shown and now != self.idle_progress and not self.shot_taken:
            self.shot_taken = screen.save_picture(self.window, self.shot)

    def moved(self):
        return len(self.states) >= 3 and self.text_seen and self.shot_taken


def step_expect_bars_moving(session, args):
    """expect-bars-moving SHOT COMMAND STATUS...: picks the command and looks
    at the screen until the program is idle again. The program is stopped
    (SIGSTOP) during each look, so that what it shows holds still, and runs
    a slice of processor time between two looks. While it works the progress
    bar must show at least three different states and the status text must
    look as one of the captured STATUS texts at least once. A picture of the
    window taken while both held goes to SHOT.png in %E2E_SHOTS%."""
    require_running(session)
    missing = [name for name in args[2:] if name not in session.status_captures]
    if missing:
        raise StepFailed("no status text was captured as " + missing[0])
    ms = session.wait_ms
    program = session.program
    item = menu_item_of(session, args[1])
    watch = BarsWatch(progress_area(session, ms), status_area(session, ms), extents(program.main_window, ms),
                      [session.status_captures[name] for name in args[2:]],
                      os.path.join(shots_folder(), args[0] + ".png"))
    deadline = time.monotonic() + session.wait_seconds
    # Stopped before the press, the program starts the command only in the
    # first slice: no part of it runs unseen.
    program.pause()
    press(item)
    answer = Answer(session)
    try:
        while not answer.answered.is_set() and not program.ended() and time.monotonic() < deadline:
            run_one_slice(program, answer)
            program.pause()
            watch.look()
    finally:
        program.resume()
    if not answer.answered.is_set():
        raise StepFailed("the command did not end within %s%s" % (session.limit_text(), state_note(session)))
    if not watch.moved():
        raise StepFailed("in %d looks at the screen the progress bar showed %d different states (3 expected), "
                         "the status text %s one of those captured%s"
                         % (watch.looks, len(watch.states), "was" if watch.text_seen else "was never",
                            "" if watch.shot_taken else ", and no picture showed both"))


# --- menus -------------------------------------------------------------------------


def shown_popup(session, ms):
    for menu in session.program.menus(ms):
        for popup in children(menu, ms):
            if is_showing(popup, ms):
                return popup
    return None


def step_open_menu(session, args):
    """open-menu TITLE: opens the menu of the menu bar with this title
    ("Plik") as a click on its title does. It stays open until close-menu."""
    require_running(session)
    if args[0] not in session.tables.menu_titles:
        raise StepFailed("the program's menu table has no menu " + quoted(args[0]))
    menu = session.program.menu(args[0], session.wait_ms)
    if menu is None:
        raise StepFailed("the menu bar has no menu " + quoted(args[0]))
    press(menu)
    if not wait_until(session.wait_seconds, lambda ms: shown_popup(session, ms) is not None):
        raise StepFailed("no menu opened within " + session.limit_text())
    wait_for_idle(session)


# A key that found no menu to close (it reached the program before the menu
# took the keyboard) is sent again after this long.
ESCAPE_AGAIN_SECONDS = 1


def step_close_menu(session, args):
    """close-menu: Esc until no menu is open. The key travels through the
    accessibility registry and the X server before the program sees it, so
    it is sent once and the step waits for the menu to close; only a key
    that was lost on the way is sent again, never one per look."""
    require_running(session)
    sent_at = [None]

    def closed(ms):
        if shown_popup(session, ms) is None:
            return True
        if sent_at[0] is None or time.monotonic() - sent_at[0] >= ESCAPE_AGAIN_SECONDS:
            call(ms, Atspi.generate_keyboard_event, KEYS["escape"], None,
                 Atspi.KeySynthType.PRESSRELEASE | Atspi.KeySynthType.SYM)
            sent_at[0] = time.monotonic()
        return False

    if not wait_until(session.wait_seconds, closed):
        raise StepFailed("the menu stayed open for " + session.limit_text() + state_note(session))
    wait_for_idle(session)


# --- the session's locale ---------------------------------------------------------

# The Windows ANSI code page of each language whose letters it holds.
CODE_PAGES = {1250: ("pl", "cs", "sk", "hu", "sl", "hr", "ro"), 1251: ("ru", "uk", "be", "bg", "sr", "mk"),
              1252: ("en", "de", "fr", "es", "it", "pt", "nl", "da", "sv", "nb", "fi")}


def session_language():
    for variable in ("LC_ALL", "LC_CTYPE", "LANG"):
        if os.environ.get(variable):
            return os.environ[variable].split("_")[0].split(".")[0]
    return "C"


def step_expect_code_page(session, args):
    """expect-code-page N: the program runs under a locale whose language a
    Windows program would write in code page N (the native program has no
    code page; its texts are Unicode whatever the locale)."""
    page = integer(args[0])
    language = session_language()
    if language not in CODE_PAGES.get(page, ()):
        raise StepFailed("the session's locale is of the language %s, not one of code page %d" % (language, page))


# --- a long session ---------------------------------------------------------------


def long_session_cycle():
    """The commands of a long session, each with the steps that answer it; the
    loads alternate between two sizes, the Preferences between two depths."""
    def one(command):
        return [["command", command]]

    def load(file_name):
        return [["command", "load-depth-map"], ["choose-file", file_name]]

    def depth(bits):
        return [["command", "preferences"], ["prefs-set", "depth-bits", bits], ["prefs-click", "ok"],
                ["expect-no-dialog"]]

    return [load("%E2E_DATA%\\depth400.bmp"), one("generate-pattern"), one("generate-stereogram"),
            one("show-stereogram-with-dots"), one("show-stereogram-plain"), one("decode-stereogram"),
            one("show-depth-quantised"), one("show-depth-original"), one("show-pattern-strip"),
            one("show-pattern-tiled"), depth("4"), one("generate-stereogram"), one("decode-stereogram"),
            load("%E2E_DATA%\\depth300.bmp"), one("generate-pattern"), one("generate-stereogram"),
            one("show-stereogram-with-dots"), depth("3"), one("decode-stereogram"), one("show-depth-quantised")]


def read_usage(program):
    """What the program holds: its private memory in bytes (from smaps_rollup),
    its open file descriptors and its X windows. The private memory is the
    pages the program has written: its clean pages are its files (Qt's
    libraries, its fonts), which count as private only while no other process
    maps them, and so come and go by some 22 MB as other Qt programs on the
    machine start and end."""
    private = 0
    with open("/proc/%d/smaps_rollup" % program.process.pid) as rollup:
        for line in rollup:
            if line.startswith("Private_Dirty:"):
                private += int(line.split()[1]) * 1024
    descriptors = len(os.listdir("/proc/%d/fd" % program.process.pid))
    return {"private-bytes": private, "descriptors": descriptors,
            "x-windows": len(screen.windows_of_process(program.process.pid))}


# After the warm-up what the program holds may move this much, no more. Its
# written pages move within some 150 KB over 2000 commands and do not grow;
# a leak of 300 bytes a command adds some 470 KB by the end.
USAGE_ALLOWED = {"private-bytes": 256 * 1024, "descriptors": 2, "x-windows": 2}


def step_long_session(session, args, perform):
    """long-session COMMANDS REPORT: runs COMMANDS menu commands of the cycle
    above and reads, every 100 commands, the program's private memory, file
    descriptors and X windows into REPORT in %E2E_SHOTS%. After a warm-up of
    200 commands they must stay flat."""
    commands = integer(args[0])
    require_running(session)
    warm_up, every = 200, 100
    cycle = long_session_cycle()
    names = sorted(USAGE_ALLOWED)
    report = ["commands " + " ".join(names)]
    warm, highest = None, None
    for done in range(commands + 1):
        if done % every == 0:
            usage = read_usage(session.program)
            report.append("%d %s" % (done, " ".join(str(usage[n]) for n in names)))
            if done == warm_up:
                warm, highest = dict(usage), dict(usage)
            elif done > warm_up:
                highest = {n: max(highest[n], usage[n]) for n in names}
        if done == commands:
            break
        for words in cycle[done % len(cycle)]:
            try:
                perform(session, expand_words(words))
            except StepFailed as failure:
                raise StepFailed("command %d (%s): %s" % (done + 1, words[0], failure)) from None
    with open(os.path.join(shots_folder(), args[1]), "w") as file:
        file.write("\n".join(report) + "\n")
    if warm is None:
        raise StepFailed("a long session needs more than %d commands" % warm_up)
    grown = [n for n in names if highest[n] > warm[n] + USAGE_ALLOWED[n]]
    if grown:
        raise StepFailed("after the warm-up the program grew: %s (see %s)"
                         % (", ".join("%s from %d to %d" % (n, warm[n], highest[n]) for n in grown), args[1]))


# The steps of a script: name -> (fewest arguments, most arguments, step).
STEPS = {
    "start": (0, 20, step_start),
    "run": (0, 20, step_run),
    "run-without-display": (0, 20, step_run_without_display),
    "expect-printed": (1, 1, step_expect_printed),
    "expect-printed-error": (1, 1, step_expect_printed_error),
    "drop": (1, 1, step_drop),
    "command": (1, 1, step_command),
    "close": (0, 0, step_close),
    "expect-exit": (1, 1, step_expect_exit),
    "timeout": (1, 1, step_timeout),
    "expect-message": (2, 2, step_expect_message),
    "expect-no-dialog": (0, 0, step_expect_no_dialog),
    "expect-status": (1, 1, step_expect_status),
    "expect-client": (2, 2, step_expect_client),
    "expect-progress": (3, 3, step_expect_progress),
    "expect-child-at": (3, 3, step_expect_child_at),
    "choose-file": (1, 1, step_choose_file),
    "cancel-file": (0, 0, step_cancel_file),
    "prefs-set": (2, 2, step_prefs_set),
    "prefs-click": (1, 1, step_prefs_click),
    "prefs-expect": (2, 2, step_prefs_expect),
    "prefs-expect-check": (2, 2, step_prefs_expect_check),
    "prefs-key": (1, 1, step_prefs_key),
    # The same steps on the text depth map dialog (either works either).
    "dialog-set": (2, 2, step_prefs_set),
    "dialog-click": (1, 1, step_prefs_click),
    "dialog-expect": (2, 2, step_prefs_expect),
    "expect-same-file": (2, 2, step_expect_same_file),
    "screenshot": (1, 2, step_screenshot),
    "capture-status": (1, 1, step_capture_status),
    "expect-bars-moving": (3, 20, step_expect_bars_moving),
    "open-menu": (1, 1, step_open_menu),
    "close-menu": (0, 0, step_close_menu),
    "expect-code-page": (1, 1, step_expect_code_page),
    "long-session": (2, 2, lambda session, args: step_long_session(session, args, perform_step)),
}


def perform_step(session, words):
    if words[0] not in STEPS:
        raise StepFailed("unknown step")
    fewest, most, step = STEPS[words[0]]
    if not fewest <= len(words) - 1 <= most:
        raise StepFailed("wrong number of arguments")
    try:
        step(session, words[1:])
    except NoAnswer as error:
        raise StepFailed("the program did not answer on the bus (%s)%s" % (error, state_note(session))) from None
