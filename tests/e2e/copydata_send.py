#!/usr/bin/env python3
"""Sends one copy-data command of the maker's programs to an endpoint and prints the receiver's answer.

copydata_send.py SOCKET COMMAND [TEXT]: the block is the 16-byte tag, the command (u32, little-endian) and
TEXT, padded with zeros to 288 bytes; the frame is dwData 0 (u64), the block's size (u32) and the block.
"""
import socket
import struct
import sys

TAG = bytes.fromhex("d7a172b025168048a8846175d1996733")

path, command = sys.argv[1], int(sys.argv[2])
text = sys.argv[3].encode() if len(sys.argv) > 3 else b""
block = (TAG + struct.pack("<I", command) + text).ljust(288, b"\0")
with socket.socket(socket.AF_UNIX) as s:
    s.settimeout(10)
    s.connect(path)
    s.sendall(struct.pack("<QI", 0, len(block)) + block)
    answer = b""
    while len(answer) < 8:
        chunk = s.recv(8 - len(answer))
        if not chunk:
            sys.exit("no answer")
        answer += chunk
print(struct.unpack("<q", answer)[0])
