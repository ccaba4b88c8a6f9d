"""What the driver reads from and sends to the X display directly: the pixels
of parts of the screen (Xlib, quick) and pictures of them in files
(ImageMagick), the windows of a process (xdotool), and the close request
that a window manager sends when the user clicks a window's close box."""

import ctypes
import re
import subprocess


class Rectangle:
    """A rectangle in screen pixels."""

    def __init__(self, x, y, width, height):
        self.x, self.y, self.width, self.height = x, y, width, height

    def __repr__(self):
        return "%d x %d at %d, %d" % (self.width, self.height, self.x, self.y)

    def __eq__(self, other):
        return (self.x, self.y, self.width, self.height) == (other.x, other.y, other.width, other.height)

    def geometry(self):
        """The rectangle as ImageMagick's -crop takes it."""
        return "%dx%d+%d+%d" % (self.width, self.height, self.x, self.y)

    def empty(self):
        return self.width <= 0 or self.height <= 0


class _Image(ctypes.Structure):
    # The head of Xlib's XImage, as far as the pixels go.
    _fields_ = [("width", ctypes.c_int), ("height", ctypes.c_int), ("xoffset", ctypes.c_int),
                ("format", ctypes.c_int), ("data", ctypes.c_void_p), ("byte_order", ctypes.c_int),
                ("bitmap_unit", ctypes.c_int), ("bitmap_bit_order", ctypes.c_int), ("bitmap_pad", ctypes.c_int),
                ("depth", ctypes.c_int), ("bytes_per_line", ctypes.c_int)]


_Z_PIXMAP = 2
_ALL_PLANES = 0xFFFFFFFF


def capture_pixels(area):
    """The pixels the screen shows in the area, as the X server keeps them;
    empty when they cannot be read. Quick (one request), for many looks."""
    if area.empty():
        return b""
    with _Display() as (xlib, display):
        root = xlib.XDefaultRootWindow(display)
        image = xlib.XGetImage(display, root, area.x, area.y, area.width, area.height, _ALL_PLANES, _Z_PIXMAP)
        if not image:
            return b""
        head = ctypes.cast(image, ctypes.POINTER(_Image)).contents
        pixels = ctypes.string_at(head.data, head.bytes_per_line * head.height)
        xlib.XDestroyImage(image)
        return pixels


def save_picture(area, file_name):
    """Writes what the screen shows in the area to an image file; the format
    follows the file's extension."""
    return subprocess.run(["import", "-window", "root", "-crop", area.geometry(), "+repage", file_name],
                          stderr=subprocess.DEVNULL).returncode == 0


def differing_pixels(picture, expected):
    """How many pixels of picture differ from those of expected (two image
    files of one size), or None when they cannot be compared."""
    done = subprocess.run(["compare", "-metric", "AE", picture, expected, "null:"],
                          stdout=subprocess.PIPE, stderr=subprocess.PIPE, text=True)
    answer = done.stderr.strip()
    return int(float(answer)) if re.fullmatch(r"[0-9.e+]+", answer) else None


def picture_size(file_name):
    done = subprocess.run(["identify", "-format", "%w %h", file_name],
                          stdout=subprocess.PIPE, stderr=subprocess.DEVNULL, text=True)
    if done.returncode != 0:
        return None
    width, height = done.stdout.split()
    return int(width), int(height)


def windows_of_process(pid):
    """The X windows that carry the process id, shown or not."""
    done = subprocess.run(["xdotool", "search", "--all", "--pid", str(pid)],
                          stdout=subprocess.PIPE, stderr=subprocess.DEVNULL, text=True)
    return [int(word) for word in done.stdout.split()]


def shown_window_of_process(pid, title):
    """The shown top-level X window of the process with exactly this title."""
    done = subprocess.run(["xdotool", "search", "--all", "--onlyvisible", "--pid", str(pid),
                           "--name", "^" + re.escape(title) + "$"],
                          stdout=subprocess.PIPE, stderr=subprocess.DEVNULL, text=True)
    found = done.stdout.split()
    return int(found[0]) if found else None


class _ClientMessage(ctypes.Structure):
    _fields_ = [("type", ctypes.c_int), ("serial", ctypes.c_ulong), ("send_event", ctypes.c_int),
                ("display", ctypes.c_void_p), ("window", ctypes.c_ulong), ("message_type", ctypes.c_ulong),
                ("format", ctypes.c_int), ("data", ctypes.c_long * 5)]


class _Event(ctypes.Union):
    # XEvent is 24 longs long whatever its kind.
    _fields_ = [("message", _ClientMessage), ("pad", ctypes.c_long * 24)]


_CLIENT_MESSAGE = 33


def _load_xlib():
    xlib = ctypes.cdll.LoadLibrary("libX11.so.6")
    xlib.XOpenDisplay.restype = ctypes.c_void_p
    xlib.XOpenDisplay.argtypes = [ctypes.c_char_p]
    xlib.XDefaultRootWindow.restype = ctypes.c_ulong
    xlib.XDefaultRootWindow.argtypes = [ctypes.c_void_p]
    xlib.XGetImage.restype = ctypes.c_void_p
    xlib.XGetImage.argtypes = [ctypes.c_void_p, ctypes.c_ulong, ctypes.c_int, ctypes.c_int, ctypes.c_uint,
                               ctypes.c_uint, ctypes.c_ulong, ctypes.c_int]
    xlib.XDestroyImage.argtypes = [ctypes.c_void_p]
    xlib.XInternAtom.restype = ctypes.c_ulong
    xlib.XInternAtom.argtypes = [ctypes.c_void_p, ctypes.c_char_p, ctypes.c_int]
    xlib.XSendEvent.argtypes = [ctypes.c_void_p, ctypes.c_ulong, ctypes.c_int, ctypes.c_long, ctypes.c_void_p]
    xlib.XFlush.argtypes = [ctypes.c_void_p]
    xlib.XCloseDisplay.argtypes = [ctypes.c_void_p]
    return xlib


class _Display:
    """A connection to the display of DISPLAY, for one use."""

    xlib = None

    def __enter__(self):
        if _Display.xlib is None:
            _Display.xlib = _load_xlib()
        self.display = _Display.xlib.XOpenDisplay(None)
        if not self.display:
            raise OSError("cannot open the display")
        return _Display.xlib, self.display

    def __exit__(self, *exception):
        _Display.xlib.XCloseDisplay(self.display)


def request_close(window):
    """Sends the window the WM_DELETE_WINDOW message of the WM_PROTOCOLS
    protocol: what a window manager sends when the user clicks the close box.
    (The session has no window manager; destroying the window instead would
    skip the program's close handling.)"""
    with _Display() as (xlib, display):
        event = _Event()
        event.message.type = _CLIENT_MESSAGE
        event.message.window = window
        event.message.message_type = xlib.XInternAtom(display, b"WM_PROTOCOLS", 0)
        event.message.format = 32
        event.message.data[0] = xlib.XInternAtom(display, b"WM_DELETE_WINDOW", 0)
        sent = xlib.XSendEvent(display, window, 0, 0, ctypes.byref(event)) != 0
        xlib.XFlush(display)
    return sent
