#!/usr/bin/env python3
"""close_window.py WINDOW: asks the window manager to close the X window
WINDOW (a decimal id) as a task bar does (_NET_CLOSE_WINDOW); the window
manager then sends it WM_DELETE_WINDOW, as when its close button is clicked."""
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
x.XInternAtom.restype = x.XDefaultRootWindow.restype = c_ulong
x.XInternAtom.argtypes = [c_void_p, ctypes.c_char_p, c_int]
x.XDefaultRootWindow.argtypes = x.XFlush.argtypes = [c_void_p]
x.XSendEvent.argtypes = [c_void_p, c_ulong, c_int, c_long, ctypes.POINTER(Event)]
display = x.XOpenDisplay(None) or sys.exit("close_window.py: cannot open the display")
event = Event()
event.xclient.type = 33  # ClientMessage
event.xclient.window = int(sys.argv[1])
event.xclient.message_type = x.XInternAtom(display, b"_NET_CLOSE_WINDOW", 0)
event.xclient.format = 32
event.xclient.data[1] = 2  # the request comes from a pager or task bar
redirect = (1 << 19) | (1 << 20)  # SubstructureNotify | SubstructureRedirect
if not x.XSendEvent(display, x.XDefaultRootWindow(display), 0, redirect, ctypes.byref(event)):
    sys.exit("close_window.py: the request could not be sent")
x.XFlush(display)
