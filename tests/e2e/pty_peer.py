#!/usr/bin/env python3
"""A stand-in for a device on a serial port: opens a pseudo-terminal, makes PATH a symlink to its slave,
then writes each line of standard input to it as the bytes it is (CR LF line ends, no re-encoding) until
standard input ends; then keeps the terminal open until killed."""
import os
import signal
import sys

master, slave = os.openpty()
name = os.ttyname(slave)
os.close(slave)
path = sys.argv[1]
if os.path.lexists(path):
    os.unlink(path)
os.symlink(name, path)
for line in sys.stdin.buffer:
    os.write(master, line.rstrip(b"\n") + b"\r\n")
signal.pause()
