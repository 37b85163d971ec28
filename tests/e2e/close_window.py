#!/usr/bin/env python3
"""close_window.py WINDOW: sends the X window WINDOW (a decimal id) the
message a window manager sends when the window's close button is clicked:
WM_PROTOCOLS with WM_DELETE_WINDOW. Uses the X library through ctypes, so
nothing else is needed."""
import ctypes
import sys
from ctypes import c_int, c_long, c_ulong, c_void_p


class ClientMessage(ctypes.Structure):
    _fields_ = [("type", c_int), ("serial", c_ulong), ("send_event", c_int),
                ("display", c_void_p), ("window", c_ulong), ("message_type", c_ulong),
                ("format", c_int), ("data", c_long * 5)]


class Event(ctypes.Union):  # every X event is padded to 24 longs
    _fields_ = [("xclient", ClientMessage), ("pad", c_long * 24)]


x = ctypes.cdll.LoadLibrary("libX11.so.6")
x.XOpenDisplay.restype = c_void_p
x.XInternAtom.restype = c_ulong
x.XInternAtom.argtypes = [c_void_p, ctypes.c_char_p, c_int]
x.XSync.argtypes = [c_void_p, c_int]
x.XCloseDisplay.argtypes = [c_void_p]
x.XSendEvent.argtypes = [c_void_p, c_ulong, c_int, c_long, ctypes.POINTER(Event)]
display = x.XOpenDisplay(None) or sys.exit("close_window.py: cannot open the display")
event = Event()
event.xclient.type = 33  # ClientMessage
event.xclient.window = int(sys.argv[1])
event.xclient.message_type = x.XInternAtom(display, b"WM_PROTOCOLS", 0)
event.xclient.format = 32
event.xclient.data[0] = x.XInternAtom(display, b"WM_DELETE_WINDOW", 0)  # at CurrentTime (0)
if not x.XSendEvent(display, event.xclient.window, 0, 0, ctypes.byref(event)):
    sys.exit("close_window.py: the message could not be sent")
# A round trip: the server has dealt with the message before this ends (a
# message only flushed may still be unread when the connection closes).
x.XSync(display, 0)
x.XCloseDisplay(display)
